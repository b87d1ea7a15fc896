// SPDX-License-Identifier: MIT
// Reading and writing a record's number fields through their schema
// description: the one place that turns a field's offset and width into a
// store, so that a key's row in the schema is all the loader needs.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "loader/schema.hpp"

namespace quelmix {

static_assert(std::endian::native == std::endian::little,
              "a field's low bytes are its first bytes");

// Stores the low bits of `value` that fit the field (all 64 for the
// 64-bit fields).
inline void store_number(void *record, const schema::field_ref &field,
                         std::int64_t value) noexcept {
  unsigned char *at = static_cast<unsigned char *>(record) + field.offset;
  const auto bits = static_cast<std::uint64_t>(value);
  switch (field.size) {
  case 1: {
    const auto narrow = static_cast<std::uint8_t>(bits);
    std::memcpy(at, &narrow, 1);
    return;
  }
  case 2: {
    const auto narrow = static_cast<std::uint16_t>(bits);
    std::memcpy(at, &narrow, 2);
    return;
  }
  case 4: {
    const auto narrow = static_cast<std::uint32_t>(bits);
    std::memcpy(at, &narrow, 4);
    return;
  }
  default:
    std::memcpy(at, &bits, 8);
    return;
  }
}

// The number a field holds, read as the header declares it.
inline std::int64_t read_number(const void *record,
                                const schema::field_ref &field) noexcept {
  const unsigned char *at =
      static_cast<const unsigned char *>(record) + field.offset;
  std::uint64_t bits = 0;
  std::memcpy(&bits, at, field.size); // little-endian: the low bytes
  const unsigned width = 8u * field.size;
  if (field.is_signed && width < 64 && (bits >> (width - 1)) != 0)
    bits |= ~((std::uint64_t{1} << width) - 1);
  return static_cast<std::int64_t>(bits);
}

// A text field's bytes.
inline char *text_field(void *record, const schema::field_ref &field) noexcept {
  return static_cast<char *>(record) + field.offset;
}
inline const char *text_field(const void *record,
                              const schema::field_ref &field) noexcept {
  return static_cast<const char *>(record) + field.offset;
}

} // namespace quelmix
