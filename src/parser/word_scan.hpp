// SPDX-License-Identifier: MIT
// Searches of a line eight bytes at a time.
//
// A word is loaded only where all eight bytes belong to the text being
// searched (through memcpy, so alignment does not matter); the last few
// bytes are looked at one by one. The byte tests are exact (no carry from
// one byte reaches another), so the first byte flagged is the first byte
// that matches, whatever the machine's byte order.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace quelmix::word {

inline constexpr std::uint64_t LOW_BITS = 0x7F7F7F7F7F7F7F7Full;
inline constexpr std::uint64_t ONES = 0x0101010101010101ull;

// The eight bytes at `p`, in memory order as the machine reads them.
inline std::uint64_t load(const char *p) noexcept {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// The high bit of each byte of `word` that is zero, and no other bit.
constexpr std::uint64_t zero_bytes(std::uint64_t word) noexcept {
  return ~(((word & LOW_BITS) + LOW_BITS) | word | LOW_BITS);
}

// The high bit of each byte of `word` that equals `c`.
constexpr std::uint64_t bytes_equal(std::uint64_t word, char c) noexcept {
  return zero_bytes(word ^ (ONES * static_cast<unsigned char>(c)));
}

// The position in memory (0..7) of the first byte flagged in `flags`
// (nonzero, high bits only).
constexpr unsigned first_flagged(std::uint64_t flags) noexcept {
  if constexpr (std::endian::native == std::endian::little)
    return static_cast<unsigned>(std::countr_zero(flags)) / 8;
  else
    return static_cast<unsigned>(std::countl_zero(flags)) / 8;
}

// `flags` without those of the first `count` bytes in memory (0 <= count
// < 8).
constexpr std::uint64_t drop_first(std::uint64_t flags,
                                   unsigned count) noexcept {
  if constexpr (std::endian::native == std::endian::little)
    return flags & (~std::uint64_t{0} << (8 * count));
  else
    return flags & (~std::uint64_t{0} >> (8 * count));
}

// The first byte in [`p`, `end`) for which `flags_of(word)` flags a byte
// and `is_stop(byte)` agrees, or `end`. Words are loaded from [`floor`,
// `end`) only: the last one may overlap bytes already searched, whose flags
// are dropped; with fewer than eight bytes there, byte by byte.
template <typename Flags, typename Stop>
[[gnu::always_inline]] inline char *find_first(char *p, const char *floor,
                                               char *end, Flags flags_of,
                                               Stop is_stop) noexcept {
  while (p < end) {
    std::uint64_t flags;
    char *base = p;
    if (end - p >= 8) {
      flags = flags_of(load(p));
    } else if (end - floor >= 8) {
      base = end - 8;
      flags = drop_first(flags_of(load(base)), static_cast<unsigned>(p - base));
    } else {
      for (; p < end; ++p)
        if (is_stop(p))
          return p;
      return end;
    }
    if (flags == 0) {
      p = base + 8;
      continue;
    }
    p = base + first_flagged(flags);
    if (is_stop(p))
      return p;
    ++p;
  }
  return end;
}

} // namespace quelmix::word
