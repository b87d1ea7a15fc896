// SPDX-License-Identifier: MIT
#include "engine/layout/format.hpp"

#include <algorithm>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

#include "engine/analysis/engine.hpp"
#include "engine/analysis/markers.hpp"
#include "engine/analysis/same_record.hpp"
#include "engine/analysis/scratch_record.hpp"
#include "loader/convert.hpp"
#include "loader/schema.hpp"
#include "parser/parser.hpp"
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

// An entry's pieces as laid out, and what the parser must read from them.
struct entry_pieces {
  std::string name;
  std::string value;      // as laid out ("1, 2" for a list)
  std::string read_value; // as the parser delivered it
  std::string_view comment;
  bool list = false;
};

entry_pieces pieces_of(std::string_view content, const line_info &info) {
  entry_pieces out;
  out.name = part(content, info.name);
  out.read_value = part(content, info.value);
  out.comment = part(content, info.comment);
  out.list = is_list_key(info.section, out.name);
  out.value = out.list ? list_layout(out.read_value) : out.read_value;
  return out;
}

// `KEY = VALUE ; comment`, the name padded to `name_width` and the comment
// starting at `comment_column` (or one blank after the value).
std::string entry_text(const entry_pieces &entry, std::size_t name_width,
                       std::size_t comment_column) {
  // Appended piece by piece: `" " + text` draws a false -Wrestrict from
  // GCC 12 at -O3.
  std::string line = entry.name;
  if (name_width > line.size())
    line.append(name_width - line.size(), ' ');
  line += entry.name.empty() ? "=" : " =";
  if (!entry.value.empty()) {
    line += ' ';
    line += entry.value;
  }
  if (!entry.comment.empty()) {
    line.append(comment_column > line.size() ? comment_column - line.size() : 1,
                ' ');
    line += entry.comment;
  }
  return line;
}

bool reads_as_itself(const std::string &line, const entry_pieces &entry) {
  return reads_as(line, entry.name, entry.read_value, entry.list);
}

// What a text loads, in short: the record's digest, and the kind of result
// with the text the parser saw on the line the result names.
struct load_summary {
  record_digest record;
  int result_kind = 0; // -1, 0, or 1 for a bad line
  std::string result_text;
};

load_summary summary_of(std::string_view text, const checked_text &checked,
                        const camera_config &config) {
  load_summary out;
  out.record = digest_of(config);
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

load_summary summarise_load(std::string_view text) {
  scratch_record config;
  const checked_text checked = check_text(text, config.value, {false, false});
  return summary_of(text, checked, config.value);
}

// The same record and the same kind of result: 0 for both, or the same
// refused line's text, or -1 for both.
bool alike(const load_summary &x, const load_summary &y) {
  return x.record == y.record && x.result_kind == y.result_kind &&
         x.result_text == y.result_text;
}

// The layout of a physical line that is not an entry: `content` without
// its ending.
std::string laid_out(std::string_view content, const line_info &info) {
  if (info.role == line_role::header)
    return std::string(trim(content));
  return std::string(trim_right(content)); // a comment, kept as written
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

// A line that reads like a code-block marker but is an entry to the parser
// (a start marker with a comment after it, an end marker outside a block, a
// marker with the wrong number of "="): laid out, it would no longer show
// what it was.
bool reads_like_marker(std::string_view content, const line_info &info) {
  if (info.role != line_role::entry || !info.name.empty())
    return false;
  const std::string_view text = trim(content);
  return text.starts_with(CODE_BLOCK_START) ||
         text.starts_with(CODE_BLOCK_END) ||
         near_miss_marker(text) != marker::none;
}

bool kept_verbatim(std::string_view content, const line_info &info) {
  return !info.whole || info.role == line_role::bad ||
         info.role == line_role::block_start ||
         info.role == line_role::block_text ||
         info.role == line_role::block_end || reads_like_marker(content, info);
}

// The longest line the library reads in one piece, its line ending's CR
// included.
constexpr std::size_t LONGEST_WHOLE_LINE = LINE_BUFFER_SIZE - 2;

// An entry of a run: the file's line it is, its pieces, and its text as
// written (what it stays if no layout reads as it).
struct run_member {
  std::size_t line;
  entry_pieces entry;
  std::string_view content;
  bool crlf;
};

bool fits_one_piece(const std::string &line, const run_member &member) {
  return line.size() + (member.crlf ? 1 : 0) <= LONGEST_WHOLE_LINE;
}

// The longest name of `members`, and the column their comments start in:
// one blank after the longest entry that has a comment.
std::pair<std::size_t, std::size_t>
alignment_of(std::span<const run_member> members) {
  std::size_t name_width = 0, comment_column = 0;
  for (const run_member &member : members)
    name_width = std::max(name_width, member.entry.name.size());
  for (const run_member &member : members)
    if (!member.entry.comment.empty()) {
      entry_pieces bare = member.entry;
      bare.comment = {};
      comment_column =
          std::max(comment_column, entry_text(bare, name_width, 0).size() + 1);
    }
  return {name_width, comment_column};
}

// Lays out a run of consecutive entries (no blank, comment or other line
// between): their "=" line up one blank after the longest name, their
// comments in one column. An entry that padding would take past the
// longest whole line (the library would read it as two) ends the run: it
// is laid out alone and the entries on each side align among themselves.
void align(std::span<const run_member> members,
           std::vector<std::string> &texts) {
  if (members.empty())
    return;
  const auto [name_width, comment_column] = alignment_of(members);
  for (std::size_t i = 0; i < members.size(); ++i) {
    const run_member &member = members[i];
    std::string line = entry_text(member.entry, name_width, comment_column);
    const bool good =
        fits_one_piece(line, member) && reads_as_itself(line, member.entry);
    if (!good && members.size() > 1) {
      align(members.first(i), texts);
      align(members.subspan(i, 1), texts);
      align(members.subspan(i + 1), texts);
      return;
    }
    // Blanks at the end are the only safe change to a line no layout
    // reads as.
    texts[member.line] =
        good ? std::move(line) : std::string(trim_right(member.content));
  }
}

// Writes the lines in order and decides the blank lines between them: one
// before a header (or before the comment lines right above it, which belong
// to it), at most one elsewhere, none first or last.
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
  void separate(bool opens_section, bool first_line, std::string_view content) {
    if (emitted && (blank_pending || opens_section))
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

// A physical line of the file as the layout sees it.
struct file_line {
  source_line source;
  std::string_view content; // without a leading byte-order mark
  line_info info;           // spans shifted to match `content`
  bool verbatim;
};

std::vector<file_line> lines_of(std::string_view bytes,
                                const std::vector<line_info> &infos,
                                bool marked) {
  std::vector<file_line> lines;
  std::size_t begin = 0;
  for (std::size_t i = 0; begin < bytes.size(); ++i) {
    const source_line source = next_line(bytes, begin);
    const std::uint32_t shift = (i == 0 && marked) ? BYTE_ORDER_MARK.size() : 0;
    const std::string_view content = source.content.substr(shift);
    const line_info info = shifted(infos[i], shift);
    lines.push_back({source, content, info, kept_verbatim(content, info)});
  }
  return lines;
}

bool is_laid_out(const file_line &line, line_role role) {
  return !line.verbatim && line.info.role == role;
}

// Line i opens a section's lines: a header, or the first of the comment
// lines right above one.
std::vector<bool> section_openers(const std::vector<file_line> &lines) {
  std::vector<bool> opens(lines.size(), false);
  bool header_below = false; // the lines below, up to a header, are comments
  for (std::size_t i = lines.size(); i-- > 0;) {
    const bool header = is_laid_out(lines[i], line_role::header);
    const bool comment = is_laid_out(lines[i], line_role::comment);
    header_below = header || (comment && header_below);
    const bool comment_above =
        i > 0 && is_laid_out(lines[i - 1], line_role::comment);
    opens[i] = header_below && !comment_above;
  }
  return opens;
}

// Every line's text: entries aligned run by run, other lines on their own.
std::vector<std::string> texts_of(const std::vector<file_line> &lines) {
  std::vector<std::string> texts(lines.size());
  std::vector<run_member> run;
  for (std::size_t i = 0; i <= lines.size(); ++i) {
    if (i < lines.size() && is_laid_out(lines[i], line_role::entry)) {
      const file_line &line = lines[i];
      run.push_back({i, pieces_of(line.content, line.info), line.content,
                     line.source.ending.size() == 2});
      continue;
    }
    align(run, texts);
    run.clear();
    if (i == lines.size())
      break;
    const file_line &line = lines[i];
    texts[i] = line.verbatim ? std::string(line.content)
                             : laid_out(line.content, line.info);
  }
  return texts;
}

} // namespace

std::string lay_out(std::string_view bytes,
                    const std::vector<line_info> &infos) {

  layout_writer writer;
  writer.marked = starts_with_byte_order_mark(bytes);
  if (writer.marked)
    writer.out = BYTE_ORDER_MARK;
  writer.out.reserve(bytes.size() + bytes.size() / 8);
  const std::vector<file_line> lines = lines_of(bytes, infos, writer.marked);
  const std::vector<bool> opens = section_openers(lines);
  const std::vector<std::string> texts = texts_of(lines);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const file_line &line = lines[i];
    if (is_laid_out(line, line_role::blank)) {
      writer.blank(line.source.ending);
      continue;
    }
    writer.separate(opens[i], i == 0, line.content);
    writer.line(texts[i], line.source.ending);
  }
  // Blank lines at the end go; the last line keeps its own ending.
  return std::move(writer.out);
}

// One analysis of the input gives its roles and what it loads; the layout
// is loaded once more, to be compared with it.
formatted_text format_text(std::string_view bytes) {
  load_summary before;
  std::string out;
  {
    scratch_record scratch;
    const checked_text checked = check_text(bytes, scratch.value);
    before = summary_of(bytes, checked, scratch.value);
    out = lay_out(bytes, checked.lines);
  }
  if (alike(before, summarise_load(out)))
    return {std::move(out), false};
  return {std::string(bytes), true};
}

} // namespace quelmix
