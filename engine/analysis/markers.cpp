// SPDX-License-Identifier: MIT
#include "engine/analysis/markers.hpp"

#include <string>

#include "parser/parser.hpp"
#include "parser/text.hpp"

namespace quelmix {
namespace {

bool is_padding(char c) { return c == '=' || is_space(c); }

// The marker's words, in upper case with "_" between them.
std::string words_of(std::string_view text) {
  while (!text.empty() && is_padding(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && is_padding(text.back()))
    text.remove_suffix(1);
  std::string words;
  for (char c : text) {
    const char upper =
        (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    words += (c == '-' || is_space(c)) ? '_' : upper;
  }
  return words;
}

} // namespace

const char *spelling(marker m) {
  return m == marker::start ? CODE_BLOCK_START : CODE_BLOCK_END;
}

marker near_miss_marker(std::string_view text) {
  if (text.empty() || text.front() != '=')
    return marker::none;
  const std::string words = words_of(text);
  for (const marker m : {marker::start, marker::end})
    if (words == words_of(spelling(m)))
      return m;
  return marker::none;
}

} // namespace quelmix
