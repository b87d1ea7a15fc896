// SPDX-License-Identifier: MIT
#include "diagnostics/format.hpp"

#include <cstring>
#include <vector>

#include "diagnostics/engine.hpp"
#include "diagnostics/same_record.hpp"
#include "loader/convert.hpp"
#include "loader/tables.hpp"
#include "parser/text.hpp"

namespace quelmix {
namespace {

constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";

// A physical line: its bytes without the line ending, and the ending ("\n",
// "\r\n", or what the file ends with).
struct source_line {
  std::string_view content;
  std::string_view ending;
};

std::vector<source_line> split_lines(std::string_view text) {
  std::vector<source_line> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t newline = text.find('\n', begin);
    std::size_t end = newline == std::string_view::npos ? text.size() : newline;
    std::size_t content_end = end;
    if (content_end > begin && text[content_end - 1] == '\r')
      --content_end;
    const std::size_t next =
        newline == std::string_view::npos ? text.size() : newline + 1;
    lines.push_back({text.substr(begin, content_end - begin),
                     text.substr(content_end, next - content_end)});
    begin = next;
  }
  return lines;
}

// Values whose pieces the loader converts one by one: commands in board and
// register sections, SIZE and FORMAT in the camera section.
bool is_list_key(std::uint32_t section, const std::string &name) {
  switch (section & CONFIG_SECTION_MASK) {
  case CONFIG_TYPE_BOARD:
  case CONFIG_TYPE_REGISTER:
    return lookup_code(register_key_table, name.c_str()) != 0;
  case CONFIG_TYPE_CAMERA: {
    const std::uint32_t key = lookup_code(camera_key_table, name.c_str());
    return key == CAMERA_KEY_SIZE || key == CAMERA_KEY_FORMAT;
  }
  default:
    return false;
  }
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

std::string entry_layout(std::string_view content, const line_info &info) {
  const std::string name(
      content.substr(info.name_begin, info.name_end - info.name_begin));
  const std::string value(
      content.substr(info.value_begin, info.value_end - info.value_begin));
  const std::string_view comment = trim(content.substr(info.value_end));
  const bool list = is_list_key(info.section, name);
  std::string laid = list ? list_layout(value) : value;
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

// The same record and the same kind of result: 0 for both, or the same
// refused line's text, or -1 for both.
bool loads_alike(std::string_view before, std::string_view after) {
  camera_config a{}, b{};
  const checked_text x = check_text(before, a);
  const checked_text y = check_text(after, b);
  const bool same = same_record(a, b);
  quelmix_release_config(&a);
  quelmix_release_config(&b);
  if (!same || (x.report.parse.line == 0) != (y.report.parse.line == 0))
    return false;
  if (x.result_line == 0)
    return true;
  // The parser sees line 1 without its byte-order mark.
  const auto seen = [](std::string_view text, std::int64_t line) {
    std::string_view shown = line_index(text).line_text(line);
    if (line == 1 && shown.substr(0, 3) == BYTE_ORDER_MARK)
      shown.remove_prefix(3);
    return shown;
  };
  return seen(before, x.result_line) == seen(after, y.result_line);
}

} // namespace

formatted_text format_text(std::string_view bytes) {
  camera_config scratch{};
  const checked_text checked = check_text(bytes, scratch);
  quelmix_release_config(&scratch);

  const bool marked = bytes.substr(0, 3) == BYTE_ORDER_MARK;
  std::string out(marked ? BYTE_ORDER_MARK : "");
  const std::vector<source_line> lines = split_lines(bytes);
  bool emitted = false;       // a line other than a blank one is out
  std::string_view last_end;  // the ending of the line last written
  std::string_view blank_end; // the first pending blank line's ending
  bool blank_pending = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const line_info &info = checked.lines[i];
    std::string_view content = lines[i].content;
    const std::size_t shift = (i == 0 && marked) ? 3 : 0;
    content.remove_prefix(shift);
    line_info shifted = info;
    shifted.name_begin -= static_cast<std::uint32_t>(shift);
    shifted.name_end -= static_cast<std::uint32_t>(shift);
    shifted.value_begin -= static_cast<std::uint32_t>(shift);
    shifted.value_end -= static_cast<std::uint32_t>(shift);

    const bool verbatim = !info.whole || info.role == line_role::bad ||
                          info.role == line_role::block_start ||
                          info.role == line_role::block_text ||
                          info.role == line_role::block_end;
    if (!verbatim && info.role == line_role::blank) {
      if (!blank_pending)
        blank_end = lines[i].ending;
      blank_pending = true;
      continue;
    }
    // One blank line before a header, at most one elsewhere, none first;
    // but a line that starts with the byte-order mark's bytes must not
    // become line 1, where the parser would skip them.
    if (emitted &&
        (blank_pending || (info.role == line_role::header && !verbatim))) {
      out += blank_pending && !blank_end.empty() ? blank_end : last_end;
    } else if (!emitted && i > 0 && !marked &&
               content.substr(0, 3) == BYTE_ORDER_MARK) {
      out += blank_end.empty() ? std::string_view("\n") : blank_end;
    }
    blank_pending = false;
    if (verbatim)
      out += content;
    else if (info.role == line_role::entry)
      out += entry_layout(content, shifted);
    else if (info.role == line_role::header)
      out += trim(content);
    else
      out += trim_right(content); // a comment, kept as written
    out += lines[i].ending;
    last_end = lines[i].ending;
    emitted = true;
  }
  // Blank lines at the end go; the last line keeps its own ending.
  if (loads_alike(bytes, out))
    return {std::move(out), false};
  return {std::string(bytes), true};
}

} // namespace quelmix
