// SPDX-License-Identifier: MIT
// Configuration files are bytes, not text; the tools that show them (JSON,
// a terminal, an editor) need to know where valid UTF-8 stands.
#pragma once

#include <cstddef>
#include <string_view>

namespace quelmix {

// The length of the valid UTF-8 sequence at the start of `s` (1 for an
// ASCII byte), or 0 when there is none: no overlong forms, no surrogates,
// nothing above U+10FFFF, nothing cut short.
inline std::size_t utf8_sequence(std::string_view s) {
  if (s.empty())
    return 0;
  const auto byte = [&s](std::size_t i) {
    return static_cast<unsigned char>(s[i]);
  };
  const unsigned lead = byte(0);
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xBF; // bounds of the second byte
  if (lead < 0x80) {
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0)
      low = 0xA0; // no overlong forms
    if (lead == 0xED)
      high = 0x9F; // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0)
      low = 0x90;
    if (lead == 0xF4)
      high = 0x8F; // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (s.size() < length || byte(1) < low || byte(1) > high)
    return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF)
      return 0;
  return length;
}

} // namespace quelmix
