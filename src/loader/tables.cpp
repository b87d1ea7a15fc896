// SPDX-License-Identifier: MIT
#include "loader/tables.hpp"

namespace quelmix {

// The names are short and most lookups hit early, so a byte loop beats a
// call to strcmp per entry.
std::uint32_t lookup_code(const name_code *table, const char *name) noexcept {
  for (; table->name != nullptr; ++table) {
    const char *a = table->name;
    const char *b = name;
    while (*a != '\0' && *a == *b) {
      ++a;
      ++b;
    }
    if (*a == *b)
      return table->code;
  }
  return 0;
}

const char *lookup_name(const name_code *table, std::uint32_t code) noexcept {
  for (; table->name != nullptr; ++table) {
    if (table->code == code)
      return table->name;
  }
  return nullptr;
}

} // namespace quelmix
