// SPDX-License-Identifier: MIT
#include "positions.hpp"

#include "engine/messages/utf8.hpp"

namespace quelmix::lsp {
namespace {

struct character {
  std::size_t bytes; // its length in the text
  std::size_t units; // its length in UTF-16
};

// The character at the start of `s` (not empty); a byte that starts no
// valid UTF-8 sequence is a character of its own.
character character_at(std::string_view s) {
  const std::size_t length = utf8_sequence(s);
  if (length == 0)
    return {1, 1};
  return {length, length == 4 ? 2u : 1u};
}

} // namespace

// A character that `bytes` cuts into is not counted: a position inside it
// stands at its start.
std::size_t utf16_units(std::string_view line, std::size_t bytes) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < bytes && i < line.size();) {
    const character c = character_at(line.substr(i));
    if (i + c.bytes > bytes)
      break;
    i += c.bytes;
    units += c.units;
  }
  return units;
}

std::size_t byte_offset(std::string_view line, std::size_t units) {
  std::size_t i = 0, counted = 0;
  while (i < line.size()) {
    const character c = character_at(line.substr(i));
    if (counted + c.units > units)
      break;
    counted += c.units;
    i += c.bytes;
  }
  return i;
}

} // namespace quelmix::lsp
