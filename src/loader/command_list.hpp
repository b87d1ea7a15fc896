// SPDX-License-Identifier: MIT
// Appending a command line to the record's command list: the commonest
// event of a large file, inline where the handler takes it.
#pragma once

#include <cstdint>
#include <cstring>

#include "loader/convert.hpp"
#include "loader/loader.hpp"
#include "loader/tables.hpp"

namespace quelmix {

// append_command's slow half, out of line: the list must grow first.
[[gnu::noinline]] load_error append_with_growth(load_context &context,
                                                std::uint32_t kind,
                                                const char *value) noexcept;

// A command line becomes the next config_entry. Other keys are ignored; a
// line with more values than an entry holds is refused rather than kept cut
// down. With room at hand the values are converted straight into the next
// entry, which counts only once they all fit. `Listened` false promises
// that no observer listens, which spares its tests.
template <bool Listened = true>
[[gnu::always_inline]] inline load_error
append_command(load_context &context, const char *section, const char *name,
               const char *value) noexcept {
  const std::uint32_t kind = command_kind(name);
  if (kind == 0) {
    if constexpr (Listened)
      warn(context, warning_kind::unknown_key, section, name);
    return load_error::none;
  }
  camera_config &config = *context.config;
  if (!has_room(context, std::uint64_t{config.configs_length} + 1))
    return append_with_growth(context, kind, value);
  config_entry &entry = config.configs[config.configs_length];
  std::memset(entry.params, 0, sizeof entry.params);
  if (!read_values(value, entry.params, entry.params_length))
    return load_error::too_many_values;
  entry.type = context.section_code | kind;
  if constexpr (Listened)
    note_stored(context, stored_part::command, config.configs_length);
  ++config.configs_length;
  return load_error::none;
}

} // namespace quelmix
