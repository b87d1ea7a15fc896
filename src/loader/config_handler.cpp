// SPDX-License-Identifier: MIT
#include "loader/load_events.hpp"
#include "loader/loader.hpp"

#include <cstring>

#include "loader/tables.hpp"

namespace quelmix {
namespace {

load_error handle_section_start(load_context &context,
                                const char *section) noexcept {
  context.section_code = lookup_code(section_table.data(), section);
  context.takes_commands_unheard =
      context.observer == nullptr &&
      schema::keys_of_section(context.section_code) ==
          schema::record_kind::command;
  context.header_seen = true;
  if (context.section_code == 0)
    warn(context, warning_kind::unknown_section, section, nullptr);
  if (context.section_code == CONFIG_TYPE_CONTROL)
    return open_control(context);
  return load_error::none;
}

// Entries and code blocks of the current section. A code block carries no
// name, so it is never taken for a key.
load_error handle_content(load_context &context, const char *section,
                          const char *name, const char *value) noexcept {
  switch (context.section_code & CONFIG_SECTION_MASK) {
  case 0: // before any header, or an unknown section (warned at its header)
    if (!context.header_seen)
      warn(context, warning_kind::key_before_section, section, name);
    else
      note_ignored(context, warning_kind::unknown_section);
    return load_error::none;
  case CONFIG_TYPE_CAMERA:
    if (name != nullptr)
      return apply_camera_key(context, section, name, value);
    break;
  case CONFIG_TYPE_CONTROL:
    if (!context.control_open) { // its header was refused already
      note_ignored(context, warning_kind::control_refused);
      return load_error::none;
    }
    return name == nullptr ? attach_code(context, section, value)
                           : apply_control_key(context, section, name, value);
  default:
    if (name != nullptr)
      return append_command(context, section, name, value);
    break;
  }
  warn(context, warning_kind::code_block_ignored, section, nullptr);
  return load_error::none;
}

// A refusal overrides what the event noted before it failed.
void tell_account(load_context &context, load_error error) noexcept {
  if (error != load_error::none) {
    context.account.outcome = event_outcome::refused;
    context.account.refused = error;
  }
  context.observer->account(context.observer->user, context.account);
  context.account = event_account{};
}

} // namespace

void note_refusal(load_context &context, load_error error) noexcept {
  if (context.first_error == load_error::none)
    context.first_error = error;
  context.last_error = error;
}

int handle_event(load_context *context, const char *section, const char *name,
                 const char *value) noexcept {
  load_error error = load_error::no_record;
  if (context != nullptr && context->config != nullptr) {
    error = (name == nullptr && value == nullptr)
                ? handle_section_start(*context, section)
                : handle_content(*context, section, name, value);
  }
  if (context != nullptr && context->observer != nullptr)
    tell_account(*context, error);
  if (error == load_error::none)
    return 1;
  if (context != nullptr)
    note_refusal(*context, error);
  return 0;
}

int config_handler(void *user, const char *section, const char *name,
                   const char *value) noexcept {
  if (user == nullptr)
    return handle_event(nullptr, section, name, value);
  return load_events::call(config_handler, user, section, name, value);
}

[[gnu::noinline]] void tell_observer(load_context &context, warning_kind kind,
                                     const char *section,
                                     const char *name) noexcept {
  warn(context, load_warning{kind, section, name, 0, 0, 0});
}

void note_unknown_key(load_context &context, const char *section,
                      const char *name) noexcept {
  if (context.observer == nullptr)
    return;
  warn(context,
       command_kind(name) != 0 ? warning_kind::command_out_of_place
                               : warning_kind::unknown_key,
       section, name);
}

bool copy_text_field(char *field, std::size_t size,
                     const char *value) noexcept {
  const std::size_t length = strnlen(value, size);
  const bool fits = length < size;
  const std::size_t kept = fits ? length : size - 1;
  std::memcpy(field, value, kept);
  field[kept] = '\0';
  return fits;
}

} // namespace quelmix
