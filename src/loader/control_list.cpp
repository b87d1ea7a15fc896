// SPDX-License-Identifier: MIT
#include <cstdlib>
#include <cstring>

#include "loader/loader.hpp"
#include "loader/tables.hpp"

namespace quelmix {

// Every control section's header opens a new control at the end of the
// list; the array always holds exactly controls_length entries, and a new
// control starts all zero with no code.
load_error open_control(load_context &context) noexcept {
  camera_config &config = *context.config;
  context.control_open = false;
  if (config.controls_length == UINT32_MAX)
    return load_error::out_of_memory;
  const std::size_t count = std::size_t{config.controls_length} + 1;
  void *grown =
      (config.controls_length == 0 && config.controls == nullptr)
          ? std::malloc(sizeof(control_entry))
          : std::realloc(config.controls, count * sizeof(control_entry));
  if (grown == nullptr)
    return load_error::out_of_memory;
  config.controls = static_cast<control_entry *>(grown);
  std::memset(&config.controls[count - 1], 0, sizeof(control_entry));
  config.controls_length = static_cast<std::uint32_t>(count);
  context.control_open = true;
  note_stored(context, stored_part::control, config.controls_length - 1);
  return load_error::none;
}

namespace {

control_entry &current_control(const load_context &context) noexcept {
  return context.config->controls[context.config->controls_length - 1];
}

} // namespace

load_error apply_control_key(load_context &context, const char *section,
                             const char *name, const char *value) noexcept {
  const std::uint32_t code = lookup_code(control_key_table.data(), name);
  if (code == 0) {
    note_unknown_key(context, section, name);
    return load_error::none;
  }
  const schema::key_spec &key = key_of_code(code);
  if (store_key(context, &current_control(context), key, section, value))
    note_stored(context, stored_part::control_key,
                context.config->controls_length - 1, code - 1);
  return load_error::none;
}

// A later block in the same control replaces (and frees) the earlier one;
// when the copy cannot be made, the earlier text stays.
load_error attach_code(load_context &context, const char *section,
                       const char *text) noexcept {
  control_entry &control = current_control(context);
  const std::size_t size = std::strlen(text) + 1;
  auto *copy = static_cast<char *>(std::malloc(size));
  if (copy == nullptr)
    return load_error::out_of_memory;
  std::memcpy(copy, text, size);
  if (control.code != nullptr)
    warn(context, warning_kind::code_block_replaced, section, nullptr);
  std::free(control.code);
  control.code = copy;
  note_stored(context, stored_part::code, context.config->controls_length - 1);
  return load_error::none;
}

} // namespace quelmix
