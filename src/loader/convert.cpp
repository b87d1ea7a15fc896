#include "loader/convert.hpp"

#include <cstdint>

#include "parser/text.hpp"

namespace quelmix {
namespace {

constexpr std::uint64_t MAGNITUDE_LIMIT = std::uint64_t{1} << 63;

int digit_value(char c, int base) noexcept {
  int value = 99;
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (base == 16 && to_lower_ascii(c) >= 'a' && to_lower_ascii(c) <= 'f')
    value = to_lower_ascii(c) - 'a' + 10;
  return value < base ? value : -1;
}

// Accumulates digits in `base`; anything beyond 2^63 is clamped there, which
// is all the saturating caller needs to know.
std::uint64_t accumulate(const char *p, int base) noexcept {
  std::uint64_t magnitude = 0;
  for (int digit; (digit = digit_value(*p, base)) >= 0; ++p) {
    if (magnitude <= (MAGNITUDE_LIMIT - static_cast<std::uint64_t>(digit)) /
                         static_cast<std::uint64_t>(base))
      magnitude = magnitude * static_cast<std::uint64_t>(base) +
                  static_cast<std::uint64_t>(digit);
    else
      magnitude = MAGNITUDE_LIMIT;
  }
  return magnitude;
}

std::int64_t saturate(std::uint64_t magnitude, bool negative) noexcept {
  if (negative)
    return magnitude >= MAGNITUDE_LIMIT ? INT64_MIN
                                        : -static_cast<std::int64_t>(magnitude);
  return magnitude >= MAGNITUDE_LIMIT ? INT64_MAX
                                      : static_cast<std::int64_t>(magnitude);
}

} // namespace

std::int64_t parse_int64(const char *text) noexcept {
  const char *p = skip_leading_space(text);
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
    return saturate(accumulate(p + 2, 16), false);
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+')
    ++p;
  return saturate(accumulate(p, 10), negative);
}

std::int32_t parse_int32(const char *text) noexcept {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(
      static_cast<std::uint64_t>(parse_int64(text))));
}

// Conversion stops at the first byte that is no digit, so each piece is
// converted where it stands: no private copy of the text is needed.
bool parse_value_list(const char *text, value_list &list) noexcept {
  list = value_list{};
  for (const char *piece = text;; ++piece) {
    const char *end = piece;
    while (*end != '\0' && *end != ',')
      ++end;
    if (end != piece) {
      if (list.count == CONFIG_MAX_PARAMS)
        return false;
      list.values[list.count++] =
          static_cast<std::uint32_t>(parse_int32(piece));
    }
    if (*end == '\0')
      return true;
    piece = end;
  }
}

} // namespace quelmix
