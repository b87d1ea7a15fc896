// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "loader/command_list.hpp"
#include "loader/convert.hpp"
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

// A large list's fresh pages cost one fault each on first touch (a
// 1M-line file's list is about 15,000 pages). Asking the kernel to make a
// stretch of them present at once, just ahead of the entry being written,
// costs less than taking the faults one by one. The request only maps
// memory the list already owns (never past its capacity, at most one
// stretch past the last entry written, and the trim at the end of the load
// gives back what lies beyond the entries kept); it changes no byte, and
// where the kernel does not know it (before Linux 5.14) or refuses it,
// nothing else changes.
constexpr std::uint64_t POPULATE_FROM_BYTES = 4u << 20;
constexpr std::uint64_t POPULATE_STRETCH_BYTES = 4u << 20;
constexpr std::uintptr_t PAGE_BYTES = 4096;

// has_room's new bound once entry `count` - 1 is about to be written.
std::uint32_t populate_ahead(const load_context &context,
                             std::uint64_t count) noexcept {
  const std::uint64_t capacity = context.command_capacity;
  constexpr std::uint64_t entry_bytes = sizeof(config_entry);
  if (capacity * entry_bytes < POPULATE_FROM_BYTES)
    return context.command_capacity;
  const std::uint64_t end = std::min<std::uint64_t>(
      capacity, count + COMMAND_BLOCK + POPULATE_STRETCH_BYTES / entry_bytes);
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  const auto base = reinterpret_cast<std::uintptr_t>(context.config->configs);
  const std::uintptr_t from =
      (base + (count - 1) * entry_bytes + PAGE_BYTES - 1) & ~(PAGE_BYTES - 1);
  const std::uintptr_t to = (base + end * entry_bytes) & ~(PAGE_BYTES - 1);
  if (to > from)
    madvise(reinterpret_cast<void *>(from), to - from, MADV_POPULATE_WRITE);
#endif
  return end == capacity ? context.command_capacity
                         : static_cast<std::uint32_t>(end);
}

bool set_capacity(load_context &context, std::uint64_t capacity,
                  std::uint32_t count) noexcept {
  context.command_capacity = static_cast<std::uint32_t>(capacity);
  context.command_room = populate_ahead(context, count);
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
  if (needed <= capacity)
    return set_capacity(context, capacity, count);
  // The first command allocates a fresh array: whatever pointer a zeroed
  // record holds is not consulted.
  const bool fresh = count == 1;
  const std::uint64_t doubled = capacity * 2;
  if (doubled > needed && resize(config, doubled, fresh))
    return set_capacity(context, doubled, count);
  // The rule's own step is asked for twice before the line is refused: a
  // moment's shortage (another thread's peak) need not cost a line.
  if (!resize(config, needed, fresh) && !resize(config, needed, fresh))
    return false;
  return set_capacity(context, needed, count);
}

// A command that needs the list to grow first: its values are read into a
// scratch list, so that no list is allocated or grown for a line that is
// refused.
load_error append_with_growth(load_context &context, std::uint32_t kind,
                              const char *value) noexcept {
  camera_config &config = *context.config;
  value_list list;
  if (!parse_value_list(value, list))
    return load_error::too_many_values;
  if (config.configs_length == UINT32_MAX ||
      !reserve_command(context, config.configs_length + 1))
    return load_error::out_of_memory;
  config_entry &entry = config.configs[config.configs_length];
  entry.type = context.section_code | kind;
  static_assert(sizeof entry.params == sizeof list.values);
  std::memcpy(entry.params, list.values, sizeof entry.params);
  entry.params_length = list.count;
  note_stored(context, stored_part::command, config.configs_length);
  ++config.configs_length;
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
