// SPDX-License-Identifier: MIT
#include <cstdlib>
#include <cstring>

#include "loader/loader.hpp"
#include "loader/tables.hpp"

namespace quelmix {
namespace {

// The list grows in blocks of this many entries. Its capacity is not stored:
// for n >= 1 entries it is BLOCK * (n / BLOCK + 1).
constexpr std::uint32_t BLOCK = 100;

// Makes room for entry `count` - 1 of a list that is about to hold `count`.
bool reserve_command(camera_config &config, std::uint32_t count) noexcept {
  void *grown = nullptr;
  if (count == 1)
    grown = std::malloc(BLOCK * sizeof(config_entry));
  else if (count % BLOCK == 0)
    grown = std::realloc(config.configs,
                         (std::size_t{count} + BLOCK) * sizeof(config_entry));
  else
    return true;
  if (grown == nullptr)
    return false; // the list and its length stay as they were
  config.configs = static_cast<config_entry *>(grown);
  return true;
}

} // namespace

// A "REG", "VRCMD" or "DELAY" line becomes the next config_entry. Other
// keys are ignored; a line with more values than an entry holds is refused
// rather than kept cut down.
load_error append_command(load_context &context, const char *section,
                          const char *name, const char *value) noexcept {
  const std::uint32_t kind = lookup_code(register_key_table, name);
  if (kind == 0) {
    warn(context, warning_kind::unknown_key, section, name);
    return load_error::none;
  }
  camera_config &config = *context.config;
  value_list list;
  if (!parse_value_list(value, list))
    return load_error::too_many_values;
  if (config.configs_length == UINT32_MAX)
    return load_error::out_of_memory;
  const std::uint32_t count = config.configs_length + 1;
  if (!reserve_command(config, count))
    return load_error::out_of_memory;
  config_entry &entry = config.configs[count - 1];
  entry.type = context.section_code | kind;
  static_assert(sizeof entry.params == sizeof list.values);
  std::memcpy(entry.params, list.values, sizeof entry.params);
  entry.params_length = list.count;
  config.configs_length = count;
  return load_error::none;
}

} // namespace quelmix
