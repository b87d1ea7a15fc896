// SPDX-License-Identifier: MIT
// Number conversions shared by every section.
//
// Numbers are decimal, or hexadecimal with a 0x or 0X prefix; a leading zero
// never means octal. The base is chosen from the first non-blank bytes, so a
// sign before 0x leaves base 10 ("-0x10" is 0). Conversion stops at the first
// byte that is not a digit, saturates at the int64_t limits, and a text
// without digits gives 0: a value is never an error.
//
// The pieces of the conversion are inline here so that the loader's
// one-pass command reader uses the very same rules, not a copy of them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "parser/text.hpp"
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

constexpr unsigned digit_value(char c) noexcept {
  return DIGIT_VALUES[static_cast<unsigned char>(c)];
}

// Up to four hexadecimal digits at `q`, the usual width of a register's
// address or value, each byte looked up once and without a loop: how many
// of them are digits (a byte is read only when the one before it was a
// digit), and their value in `magnitude`.
[[gnu::always_inline]] inline unsigned
four_hex_digits(const char *q, std::uint64_t &magnitude) noexcept {
  const std::uint64_t d0 = digit_value(q[0]);
  if (d0 >= 16)
    return 0;
  const std::uint64_t d1 = digit_value(q[1]);
  if (d1 >= 16) {
    magnitude = d0;
    return 1;
  }
  const std::uint64_t d2 = digit_value(q[2]);
  if (d2 >= 16) {
    magnitude = d0 << 4 | d1;
    return 2;
  }
  const std::uint64_t d3 = digit_value(q[3]);
  if (d3 >= 16) {
    magnitude = d0 << 8 | d1 << 4 | d2;
    return 3;
  }
  magnitude = d0 << 12 | d1 << 8 | d2 << 4 | d3;
  return 4;
}

// Fifteen digits never reach 2^63 in either base: a number that short needs
// no saturation checks.
inline constexpr std::ptrdiff_t SURE_DIGITS = 15;

// Reads how the number at `p` (its first non-blank byte) is written and
// hands its digits to `read(digits, base, negative)`: "0x" or "0X" makes it
// hexadecimal, otherwise an optional sign precedes decimal digits. `base`
// is a compile-time constant (std::integral_constant), so each base gets a
// path of its own.
template <unsigned Base>
using number_base = std::integral_constant<unsigned, Base>;

template <typename Read>
[[gnu::always_inline]] inline auto read_number(const char *p, Read &&read) {
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
    return read(p + 2, number_base<16>{}, false);
  const bool negative = *p == '-';
  return read(p + (negative || *p == '+'), number_base<10>{}, negative);
}

// Accumulates every digit in `Base` from `p`, advancing it past them. The
// result is exact for a number of at most SURE_DIGITS digits (see
// is_sure); a longer one wraps and must be converted with saturation.
template <unsigned Base>
[[gnu::always_inline]] inline std::uint64_t
accumulate_digits(const char *&p) noexcept {
  std::uint64_t magnitude = 0;
  const char *q = p;
  if constexpr (Base == 16) {
    const unsigned first = four_hex_digits(q, magnitude);
    q += first;
    if (first < 4) {
      p = q;
      return magnitude;
    }
  }
  for (unsigned digit; (digit = digit_value(*q)) < Base; ++q)
    magnitude = magnitude * Base + digit;
  p = q;
  return magnitude;
}

constexpr bool is_sure(const char *digits, const char *end) noexcept {
  return end - digits <= SURE_DIGITS;
}

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

// The same split and conversion into `values` (CONFIG_MAX_PARAMS of them),
// of which only the first `count` are written.
bool parse_values(const char *text, std::uint32_t *values,
                  std::uint8_t &count) noexcept;

// The low 32 bits of a number and the first byte after it.
struct number_bits {
  std::uint32_t bits;
  const char *next;
};

// parse_int32 of the number at `p`: the slow half of low_bits_at, for a
// number long enough to saturate.
number_bits low_bits_saturated(const char *p) noexcept;

// parse_int32 of the number at `p` (a piece of a list), and the byte after
// its last digit. A number of at most SURE_DIGITS digits cannot saturate,
// so its bits are its magnitude's, negated after a minus sign; a longer
// one is read again with the saturating conversion. (Results by value: a
// position passed by reference would live in memory, not a register.)
[[gnu::always_inline]] inline number_bits low_bits_at(const char *p) noexcept {
  const char *q = p;
  while (is_space(*q))
    ++q;
  std::uint64_t magnitude = 0;
  bool negative = false;
  const char *digits;
  if (q[0] == '0' && (q[1] | 0x20) == 'x') { // "0x" or "0X"
    digits = q += 2;
    magnitude = accumulate_digits<16>(q);
  } else {
    negative = *q == '-';
    q += negative || *q == '+';
    digits = q;
    magnitude = accumulate_digits<10>(q);
  }
  if (!is_sure(digits, q)) [[unlikely]]
    return low_bits_saturated(p);
  return {static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude), q};
}

// parse_values, inline for the loader's command lines: one walk over the
// value, each piece converted where it stands.
[[gnu::always_inline]] inline bool read_values(const char *p,
                                               std::uint32_t *values,
                                               std::uint8_t &count) noexcept {
  unsigned n = 0;
  p = skip_empty_pieces(p);
  while (*p != '\0') {
    if (n == CONFIG_MAX_PARAMS) {
      count = static_cast<std::uint8_t>(n);
      return false;
    }
    const number_bits number = low_bits_at(p);
    values[n++] = number.bits;
    p = number.next;
    if (*p != ',') { // what follows a number in its piece is ignored
      p = piece_end(p);
      if (*p == '\0')
        break;
    }
    p = skip_empty_pieces(p + 1);
  }
  count = static_cast<std::uint8_t>(n);
  return true;
}

} // namespace quelmix
