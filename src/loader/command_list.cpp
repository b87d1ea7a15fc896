// SPDX-License-Identifier: MIT
#include <cstdlib>
#include <cstring>

#include "loader/convert.hpp"
#include "loader/loader.hpp"
#include "loader/tables.hpp"

namespace quelmix {
namespace {

// Between calls the list has room for COMMAND_BLOCK * (n / COMMAND_BLOCK +
// 1) entries for n >= 1, as hosts may rely on. Within one call it grows
// geometrically, so a million commands cost a few dozen reallocations, not
// ten thousand remaps; finish_load trims it back to the rule.
constexpr std::uint64_t rule_capacity(std::uint64_t count) noexcept {
  return count == 0 ? 0 : COMMAND_BLOCK * (count / COMMAND_BLOCK + 1);
}

bool resize(camera_config &config, std::uint64_t entries, bool fresh) noexcept {
  if (entries > UINT32_MAX)
    return false;
  const std::size_t bytes = entries * sizeof(config_entry);
  void *grown =
      fresh ? std::malloc(bytes) : std::realloc(config.configs, bytes);
  if (grown == nullptr)
    return false; // the list and its length stay as they were
  config.configs = static_cast<config_entry *>(grown);
  return true;
}

} // namespace

// A doubling that cannot be had falls back to the rule's own step, so that
// memory pressure refuses no line the rule would have taken.
bool grow_commands(load_context &context, std::uint32_t count) noexcept {
  camera_config &config = *context.config;
  std::uint64_t capacity = context.command_capacity;
  if (capacity == 0)
    capacity = rule_capacity(config.configs_length);
  const std::uint64_t needed = rule_capacity(count);
  if (needed <= capacity) {
    context.command_capacity = static_cast<std::uint32_t>(capacity);
    return true;
  }
  // The first command allocates a fresh array: whatever pointer a zeroed
  // record holds is not consulted.
  const bool fresh = count == 1;
  const std::uint64_t doubled = capacity * 2;
  if (doubled > needed && resize(config, doubled, fresh)) {
    context.command_capacity = static_cast<std::uint32_t>(doubled);
    return true;
  }
  if (!resize(config, needed, fresh))
    return false;
  context.command_capacity = static_cast<std::uint32_t>(needed);
  return true;
}

namespace {

void store_command(load_context &context, std::uint32_t kind,
                   const value_list &list) noexcept {
  camera_config &config = *context.config;
  config_entry &entry = config.configs[config.configs_length];
  entry.type = context.section_code | kind;
  static_assert(sizeof entry.params == sizeof list.values);
  std::memcpy(entry.params, list.values, sizeof entry.params);
  entry.params_length = list.count;
  ++config.configs_length;
}

} // namespace

// A command line becomes the next config_entry. Other
// keys are ignored; a line with more values than an entry holds is refused
// rather than kept cut down.
load_error append_command(load_context &context, const char *section,
                          const char *name, const char *value) noexcept {
  const std::uint32_t kind = lookup_code(register_key_table.data(), name);
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
  if (!reserve_command(context, config.configs_length + 1))
    return load_error::out_of_memory;
  store_command(context, kind, list);
  return load_error::none;
}

void finish_load(load_context &context) noexcept {
  if (context.config == nullptr)
    return;
  camera_config &config = *context.config;
  const std::uint64_t promised = rule_capacity(config.configs_length);
  if (config.configs_length == 0 || context.command_capacity <= promised)
    return;
  // A shrink that fails keeps the larger block, which is still enough.
  if (resize(config, promised, false))
    context.command_capacity = static_cast<std::uint32_t>(promised);
}

} // namespace quelmix
