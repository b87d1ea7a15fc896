// SPDX-License-Identifier: MIT
#include "loader/convert.hpp"

#include <array>
#include <cstdint>

#include "parser/text.hpp"

namespace quelmix {
namespace {

// Magnitudes are clamped here: 2^63 is the first value that saturates
// upwards (to INT64_MAX), and a magnitude beyond it is kept as 2^63 + 1 so
// that a tool can tell -2^63 (exact) from a clamped INT64_MIN.
constexpr std::uint64_t MAGNITUDE_LIMIT = std::uint64_t{1} << 63;
constexpr std::uint64_t BEYOND_LIMIT = MAGNITUDE_LIMIT + 1;

// Accumulates digits in `Base` from `p`, advancing it past them, clamped
// beyond the int64_t range. The common short number takes the plain loop
// alone; only a long one is read again with saturation checks.
template <unsigned Base>
[[gnu::always_inline]] inline std::uint64_t
accumulate(const char *&p) noexcept {
  const char *const digits = p;
  std::uint64_t magnitude = accumulate_digits<Base>(p);
  if (is_sure(digits, p))
    return magnitude;
  constexpr std::uint64_t cutoff = MAGNITUDE_LIMIT / Base;
  magnitude = 0;
  for (p = digits;; ++p) {
    const unsigned digit = digit_value(*p);
    if (digit >= Base)
      return magnitude;
    if (magnitude > cutoff) {
      magnitude = BEYOND_LIMIT;
    } else {
      magnitude = magnitude * Base + digit;
      if (magnitude > MAGNITUDE_LIMIT)
        magnitude = BEYOND_LIMIT;
    }
  }
}

std::int64_t saturate(std::uint64_t magnitude, bool negative) noexcept {
  if (negative)
    return magnitude >= MAGNITUDE_LIMIT ? INT64_MIN
                                        : -static_cast<std::int64_t>(magnitude);
  return magnitude >= MAGNITUDE_LIMIT ? INT64_MAX
                                      : static_cast<std::int64_t>(magnitude);
}

// Converts the number at the start of `p` and leaves `p` after the last
// byte that belonged to it. The base is chosen from the first non-blank
// bytes, so a sign keeps base 10. `scan`, when given, learns the details
// (the hot paths pass none, and the compiler drops that work).
[[gnu::always_inline]] inline std::int64_t
convert(const char *&p, number_scan *scan = nullptr) noexcept {
  p = skip_leading_space(p);
  const char *begin = p;
  return read_number(
      p, [&p, begin, scan](const char *digits, auto base, bool negative) {
        p = digits;
        const std::uint64_t magnitude = accumulate<base()>(p);
        const std::int64_t value = saturate(magnitude, negative);
        if (scan != nullptr)
          *scan = number_scan{value,
                              begin,
                              digits,
                              p,
                              base() == 16,
                              magnitude > MAGNITUDE_LIMIT ||
                                  (magnitude == MAGNITUDE_LIMIT && !negative)};
        return value;
      });
}

std::int32_t low_32_bits(std::int64_t value) noexcept {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

} // namespace

std::int64_t parse_int64(const char *text) noexcept { return convert(text); }

number_scan scan_number(const char *text) noexcept {
  number_scan scan{};
  convert(text, &scan);
  return scan;
}

std::int32_t parse_int32(const char *text) noexcept {
  return low_32_bits(convert(text));
}

number_bits low_bits_saturated(const char *p) noexcept {
  const auto bits = static_cast<std::uint32_t>(low_32_bits(convert(p)));
  return {bits, p};
}

bool parse_values(const char *text, std::uint32_t *values,
                  std::uint8_t &count) noexcept {
  return read_values(text, values, count);
}

bool parse_value_list(const char *text, value_list &list) noexcept {
  list = value_list{};
  return parse_values(text, list.values, list.count);
}

} // namespace quelmix
