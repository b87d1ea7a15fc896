// SPDX-License-Identifier: MIT
// What one entry line stores, found by handing it to the loader itself in a
// record of its own: the answer a hover or an inline hint gives is the
// record's, not a second copy of the conversion rules.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "loader/schema.hpp"

namespace quelmix {

struct entry_value {
  const schema::key_spec *key = nullptr; // null: not a key of its section
  bool stored = false;                   // false: the line changes nothing
  // The numbers the record holds after the line, as the header declares
  // the fields: one for a single number or a byte pair (the whole field),
  // two for a pair, one per value for a command.
  std::vector<std::int64_t> numbers;
  std::string text; // a text key's stored text
};

// `name = value` in a section of `section_code`.
entry_value load_entry(std::uint32_t section_code, std::string_view name,
                       std::string_view value);

} // namespace quelmix
