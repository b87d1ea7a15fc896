#include "loader/tables.hpp"

#include <cstring>

namespace quelmix {

std::uint32_t lookup_code(const name_code *table, const char *name) noexcept {
  for (; table->name != nullptr; ++table) {
    if (table->name[0] == name[0] && std::strcmp(table->name, name) == 0)
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
