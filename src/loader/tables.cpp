// SPDX-License-Identifier: MIT
#include "loader/tables.hpp"

namespace quelmix {

// The names are short and most lookups hit early, so a byte loop beats a
// call to strcmp per entry; the table's lengths spare a strlen.
std::uint32_t lookup_code(const name_code *table, const char *name) noexcept {
  for (; !table->name.empty(); ++table) {
    const std::string_view known = table->name;
    std::size_t i = 0;
    while (i < known.size() && known[i] == name[i])
      ++i;
    if (i == known.size() && name[i] == '\0')
      return table->code;
  }
  return 0;
}

} // namespace quelmix
