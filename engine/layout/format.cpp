// SPDX-License-Identifier: MIT
#include "engine/layout/format.hpp"

#include <cstring>
#include <vector>

#include "engine/analysis/engine.hpp"
#include "engine/analysis/same_record.hpp"
#include "loader/convert.hpp"
#include "loader/schema.hpp"
#include "parser/text.hpp"

namespace quelmix {
namespace {

// A physical line: its bytes without the line ending, and the ending ("\n",
// "\r\n", or what the file ends with).
struct source_line {
  std::string_view content;
  std::string_view ending;
};

// The physical line that starts at `begin`; `begin` moves to the next.
source_line next_line(std::string_view text, std::size_t &begin) {
  const std::size_t newline = text.find('\n', begin);
  const std::size_t end =
      newline == std::string_view::npos ? text.size() : newline;
  std::size_t content_end = end;
  if (content_end > begin && text[content_end - 1] == '\r')
    --content_end;
  const std::size_t next =
      newline == std::string_view::npos ? text.size() : newline + 1;
  const source_line line{text.substr(begin, content_end - begin),
                         text.substr(content_end, next - content_end)};
  begin = next;
  return line;
}

// Values whose pieces the loader converts one by one (commands, SIZE,
// FORMAT): the schema says which keys take lists.
bool is_list_key(std::uint32_t section, const std::string &name) {
  const schema::key_spec *key =
      schema::find_key(schema::keys_of_section(section), name);
  return key != nullptr && schema::takes_list(*key);
}

// "1,2 ,  3" reads "1, 2, 3". A piece of no length stays empty (the loader
// skips it) and a piece of blanks stays one blank (the loader reads 0).
std::string list_layout(std::string_view value) {
  std::string out;
  std::size_t begin = 0;
  for (bool first = true;; first = false) {
    const std::size_t comma = value.find(',', begin);
    const std::string_view piece = value.substr(
        begin, comma == std::string_view::npos ? std::string_view::npos
                                               : comma - begin);
    if (!first) {
      out += ',';
      if (!piece.empty())
        out += ' ';
    }
    out += trim(piece);
    if (comma == std::string_view::npos)
      return out;
    begin = comma + 1;
  }
}

// The one event a single line gives the parser.
struct single_event {
  int entries = 0;
  int others = 0;
  std::string name, value;
};

int record_event(void *user, const char *, const char *name,
                 const char *value) {
  auto &event = *static_cast<single_event *>(user);
  if (name == nullptr) {
    ++event.others;
  } else {
    ++event.entries;
    event.name = name;
    event.value = value;
  }
  return 1;
}

bool same_values(const std::string &a, const std::string &b) {
  value_list x{}, y{};
  const bool x_fits = parse_value_list(a.c_str(), x);
  const bool y_fits = parse_value_list(b.c_str(), y);
  return x_fits == y_fits && x.count == y.count &&
         std::memcmp(x.values, y.values, sizeof x.values) == 0;
}

// True when `line` alone gives the parser the entry `name = value` (for a
// list, the same values) and nothing else.
bool reads_as(const std::string &line, const std::string &name,
              const std::string &value, bool list) {
  single_event event;
  if (parse_config_string(line.c_str(), record_event, &event) != 0 ||
      event.entries != 1 || event.others != 0 || event.name != name)
    return false;
  return list ? same_values(event.value, value) : event.value == value;
}

std::string_view part(std::string_view content, text_span span) {
  return content.substr(span.begin, span.end - span.begin);
}

std::string entry_layout(std::string_view content, const line_info &info) {
  const std::string name(part(content, info.name));
  const std::string value(part(content, info.value));
  const std::string_view comment = part(content, info.comment);
  const bool list = is_list_key(info.section, name);
  const std::string laid = list ? list_layout(value) : value;
  // Appended piece by piece: `" " + text` draws a false -Wrestrict from
  // GCC 12 at -O3.
  std::string line = name;
  line += name.empty() ? "=" : " =";
  if (!laid.empty()) {
    line += ' ';
    line += laid;
  }
  if (!comment.empty()) {
    line += ' ';
    line += comment;
  }
  if (reads_as(line, name, value, list))
    return line;
  return std::string(trim_right(content)); // safe: blanks at the end
}

// What a text loads, in short: the record's digest, and the kind of result
// with the text the parser saw on the line the result names.
struct load_summary {
  record_digest record;
  int result_kind = 0; // -1, 0, or 1 for a bad line
  std::string result_text;
};

load_summary summarise_load(std::string_view text) {
  load_summary out;
  camera_config config{};
  const checked_text checked = check_text(text, config, {false, false});
  out.record = digest_of(config);
  quelmix_release_config(&config);
  const std::int32_t result = checked.report.parse.line;
  out.result_kind = result < 0 ? -1 : result > 0 ? 1 : 0;
  if (checked.result_line > 0) {
    // The parser sees line 1 without its byte-order mark.
    std::string_view shown = line_index(text).line_text(checked.result_line);
    if (checked.result_line == 1 && starts_with_byte_order_mark(shown))
      shown.remove_prefix(BYTE_ORDER_MARK.size());
    out.result_text = shown;
  }
  return out;
}

// The same record and the same kind of result: 0 for both, or the same
// refused line's text, or -1 for both. One load at a time.
bool loads_alike(std::string_view before, std::string_view after) {
  const load_summary x = summarise_load(before);
  const load_summary y = summarise_load(after);
  return x.record == y.record && x.result_kind == y.result_kind &&
         x.result_text == y.result_text;
}

// The layout of one physical line: `content` without its ending (and on
// line 1 without a byte-order mark, which `info`'s spans are shifted for).
std::string laid_out(std::string_view content, const line_info &info) {
  switch (info.role) {
  case line_role::entry:
    return entry_layout(content, info);
  case line_role::header:
    return std::string(trim(content));
  default:
    return std::string(trim_right(content)); // a comment, kept as written
  }
}

// Spans of a line whose first `shift` bytes are dropped.
line_info shifted(line_info info, std::uint32_t shift) {
  for (text_span *span :
       {&info.name, &info.separator, &info.value, &info.comment}) {
    span->begin = span->begin >= shift ? span->begin - shift : 0;
    span->end = span->end >= shift ? span->end - shift : 0;
  }
  return info;
}

bool kept_verbatim(const line_info &info) {
  return !info.whole || info.role == line_role::bad ||
         info.role == line_role::block_start ||
         info.role == line_role::block_text ||
         info.role == line_role::block_end;
}

// Writes the lines in order and decides the blank lines between them: one
// before a header, at most one elsewhere, none first or last.
struct layout_writer {
  std::string out;
  bool marked = false;        // the text starts with a byte-order mark
  bool emitted = false;       // a line other than a blank one is out
  std::string_view last_end;  // the ending of the line last written
  std::string_view blank_end; // the first pending blank line's ending
  bool blank_pending = false;

  void blank(std::string_view ending) {
    if (!blank_pending)
      blank_end = ending;
    blank_pending = true;
  }

  // A line that starts with the byte-order mark's bytes must not become
  // line 1, where the parser would skip them.
  void separate(bool header, bool first_line, std::string_view content) {
    if (emitted && (blank_pending || header))
      out += blank_pending && !blank_end.empty() ? blank_end : last_end;
    else if (!emitted && !first_line && !marked &&
             starts_with_byte_order_mark(content))
      out += blank_end.empty() ? std::string_view("\n") : blank_end;
    blank_pending = false;
  }

  void line(std::string_view text, std::string_view ending) {
    out += text;
    out += ending;
    last_end = ending;
    emitted = true;
  }
};

// The laid-out text, line by line from the engine's view of each.
std::string lay_out(std::string_view bytes) {
  camera_config scratch{};
  const checked_text checked = check_text(bytes, scratch);
  quelmix_release_config(&scratch);

  layout_writer writer;
  writer.marked = starts_with_byte_order_mark(bytes);
  if (writer.marked)
    writer.out = BYTE_ORDER_MARK;
  writer.out.reserve(bytes.size() + bytes.size() / 8);
  std::size_t begin = 0;
  for (std::size_t i = 0; begin < bytes.size(); ++i) {
    const source_line line = next_line(bytes, begin);
    const line_info &info = checked.lines[i];
    const bool verbatim = kept_verbatim(info);
    if (!verbatim && info.role == line_role::blank) {
      writer.blank(line.ending);
      continue;
    }
    const std::uint32_t shift =
        (i == 0 && writer.marked) ? BYTE_ORDER_MARK.size() : 0;
    const std::string_view content = line.content.substr(shift);
    writer.separate(info.role == line_role::header && !verbatim, i == 0,
                    content);
    writer.line(verbatim ? std::string(content)
                         : laid_out(content, shifted(info, shift)),
                line.ending);
  }
  // Blank lines at the end go; the last line keeps its own ending.
  return std::move(writer.out);
}

} // namespace

formatted_text format_text(std::string_view bytes) {
  std::string out = lay_out(bytes);
  if (loads_alike(bytes, out))
    return {std::move(out), false};
  return {std::string(bytes), true};
}

} // namespace quelmix
