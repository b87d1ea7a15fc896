// SPDX-License-Identifier: MIT
// The stretch of its line a diagnostic covers, the one rule every output
// that shows a range uses (the language server, SARIF): from its column to
// the end of the word there, at least one byte and at most the piece of a
// line the library reads as one (so that a very long line costs linear
// time).
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "parser/parser.hpp"

namespace quelmix {

// A byte that continues a word: not a blank, nor a separator, list comma,
// comment start, header bracket, line end or NUL.
constexpr bool is_word_byte(char c) noexcept {
  return c != ' ' && c != '\t' && c != ',' && c != ';' && c != '=' &&
         c != ':' && c != ']' && c != '\r' && c != '\0';
}

// Where the span that starts at byte `from` of `line` ends.
constexpr std::size_t span_end(std::string_view line,
                               std::size_t from) noexcept {
  constexpr std::size_t longest = LINE_BUFFER_SIZE - 1;
  const std::size_t limit = std::min(line.size(), from + longest);
  std::size_t end = from;
  while (end < limit && is_word_byte(line[end]))
    ++end;
  return end > from ? end : std::min(line.size(), from + 1);
}

} // namespace quelmix
