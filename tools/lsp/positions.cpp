// SPDX-License-Identifier: MIT
#include "positions.hpp"

namespace quelmix::lsp {
namespace {

struct character {
  std::size_t bytes; // its length in the text
  std::size_t units; // its length in UTF-16
};

// The character at the start of `s` (not empty).
character character_at(std::string_view s) {
  const auto byte = [&s](std::size_t i) {
    return static_cast<unsigned char>(s[i]);
  };
  const unsigned lead = byte(0);
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xBF;
  if (lead < 0x80)
    return {1, 1};
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return {1, 1};
  }
  if (s.size() < length || byte(1) < low || byte(1) > high)
    return {1, 1};
  for (std::size_t i = 2; i < length; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF)
      return {1, 1};
  return {length, length == 4 ? 2u : 1u};
}

} // namespace

std::size_t utf16_units(std::string_view line, std::size_t bytes) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < bytes && i < line.size();) {
    const character c = character_at(line.substr(i));
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
