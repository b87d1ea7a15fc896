// SPDX-License-Identifier: MIT
#include "diagnostics.hpp"

#include <algorithm>
#include <optional>

#include "engine/messages/span.hpp"
#include "positions.hpp"

namespace quelmix::lsp {
namespace {

// Converts increasing byte offsets of one line to protocol characters in
// one pass, so that many diagnostics on a long line cost linear time.
class line_cursor {
public:
  line_cursor(const analysis &a, std::int64_t line)
      : a_(a), text_(a.line(line)) {}

  std::size_t character(std::size_t byte) {
    byte = std::min(byte, text_.size());
    if (a_.options.utf8)
      return byte;
    if (byte < byte_) { // offsets go back only within a span: start again
      byte_ = 0;
      units_ = 0;
    }
    units_ += utf16_units(text_.substr(byte_), byte - byte_);
    byte_ = byte;
    return units_;
  }
  std::string_view text() const { return text_; }

private:
  const analysis &a_;
  std::string_view text_;
  std::size_t byte_ = 0, units_ = 0;
};

// One diagnostic's protocol form, its range from `start` to `end`
// characters of its line.
protocol::diagnostic item(const analysis &a, const diagnostic &d,
                          std::size_t start, std::size_t end) {
  const bool error = a.options.warnings.fails(d);
  return {{{d.line - 1, start}, {d.line - 1, end}},
          error ? 1 : 2,
          std::string(name_of(d.kind)),
          d.hint.empty() ? d.message : d.message + "\n" + d.hint};
}

} // namespace

protocol::diagnostic diagnostic_of(const analysis &a, const diagnostic &d) {
  const auto begin = static_cast<std::size_t>(d.column - 1);
  return item(a, d, a.character(d.line, begin),
              a.character(d.line, span_end(a.line(d.line), begin)));
}

std::vector<protocol::diagnostic> diagnostics_of(const analysis &a) {
  std::vector<protocol::diagnostic> out;
  std::int64_t cursor_line = 0;
  std::optional<line_cursor> cursor;
  for (const diagnostic &d : a.checked.diagnostics) {
    if (d.line < 1 || !a.options.warnings.shown(d))
      continue;
    if (d.line != cursor_line) {
      cursor.emplace(a, d.line);
      cursor_line = d.line;
    }
    const auto begin = static_cast<std::size_t>(d.column - 1);
    const std::size_t start = cursor->character(begin);
    line_cursor end_cursor = *cursor;
    out.push_back(item(a, d, start,
                       end_cursor.character(span_end(cursor->text(), begin))));
  }
  return out;
}

} // namespace quelmix::lsp
