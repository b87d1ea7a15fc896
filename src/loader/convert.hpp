// SPDX-License-Identifier: MIT
// Number conversions shared by every section.
//
// Numbers are decimal, or hexadecimal with a 0x or 0X prefix; a leading zero
// never means octal. The base is chosen from the first non-blank bytes, so a
// sign before 0x leaves base 10 ("-0x10" is 0). Conversion stops at the first
// byte that is not a digit, saturates at the int64_t limits, and a text
// without digits gives 0: a value is never an error.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "quelmix_config_parser.h"

namespace quelmix {

// Each byte's value as a hexadecimal digit, or 16 when it is none: one
// lookup per digit for every conversion.
inline constexpr std::array<std::uint8_t, 256> DIGIT_VALUES = [] {
  std::array<std::uint8_t, 256> values{};
  for (auto &v : values)
    v = 16;
  for (int c = 0; c < 10; ++c)
    values[static_cast<std::size_t>('0' + c)] = static_cast<std::uint8_t>(c);
  for (int c = 0; c < 6; ++c) {
    values[static_cast<std::size_t>('a' + c)] =
        static_cast<std::uint8_t>(10 + c);
    values[static_cast<std::size_t>('A' + c)] =
        static_cast<std::uint8_t>(10 + c);
  }
  return values;
}();

std::int64_t parse_int64(const char *text) noexcept;

// What the conversion made of the number at the start of a text, for tools
// that explain a value; `value` is what parse_int64 returns.
struct number_scan {
  std::int64_t value;
  const char *begin;  // the first byte after leading blanks
  const char *digits; // the first digit, after a sign or "0x"
  const char *end;    // the first byte after the number
  bool hex;           // written with a 0x or 0X prefix
  bool saturated;     // beyond the int64_t range, clamped to its limit
};
number_scan scan_number(const char *text) noexcept;

// The low 32 bits of parse_int64: "0xFFFFFFFF" and "-1" give the same bits.
std::int32_t parse_int32(const char *text) noexcept;

// Up to CONFIG_MAX_PARAMS comma-separated values; unused slots are zero.
struct value_list {
  std::uint32_t values[CONFIG_MAX_PARAMS];
  std::uint8_t count;
};

// How a list is split: at every ","; a piece of no length is skipped. The
// start of the first piece at or after `p` that is not empty (the
// terminator when none is left), and the end of the piece at `p`.
inline const char *skip_empty_pieces(const char *p) noexcept {
  while (*p == ',')
    ++p;
  return p;
}

inline const char *piece_end(const char *p) noexcept {
  while (*p != ',' && *p != '\0')
    ++p;
  return p;
}

// Splits `text` at every "," and converts each piece with parse_int32.
// Empty pieces are skipped ("1,,2" holds two values); a piece of blanks is
// 0. Returns false when the text holds more than CONFIG_MAX_PARAMS values;
// `list` then holds the first CONFIG_MAX_PARAMS.
bool parse_value_list(const char *text, value_list &list) noexcept;

} // namespace quelmix
