// SPDX-License-Identifier: MIT
#include "loader/tables.hpp"

#include <cstring>

namespace quelmix {

// Many names share a long prefix ("register parameter", "register
// parameter||dev2"), so the lengths are compared first: one strlen, and
// the bytes of a name only where its length matches.
std::uint32_t lookup_code(const name_code *table, const char *name) noexcept {
  const std::size_t length = std::strlen(name);
  for (; !table->name.empty(); ++table)
    if (table->name.size() == length &&
        std::memcmp(table->name.data(), name, length) == 0)
      return table->code;
  return 0;
}

} // namespace quelmix
