#include "loader/loader.hpp"

#include <cstring>

#include "loader/tables.hpp"

namespace quelmix {
namespace {

load_error handle_section_start(load_context &context,
                                const char *section) noexcept {
  context.section_code = lookup_code(section_table, section);
  if (context.section_code == CONFIG_TYPE_CONTROL)
    return open_control(context);
  return load_error::none;
}

// Entries and code blocks of the current section.
load_error handle_content(load_context &context, const char *name,
                          const char *value) noexcept {
  camera_config &config = *context.config;
  switch (context.section_code & CONFIG_SECTION_MASK) {
  case 0:
    return load_error::none; // before any header, or an unknown section
  case CONFIG_TYPE_CAMERA:
    // A code block carries no name: it is no camera key.
    return name == nullptr ? load_error::none
                           : apply_camera_key(config, name, value);
  case CONFIG_TYPE_CONTROL:
    if (!context.control_open)
      return load_error::none;
    {
      control_entry &control = config.controls[config.controls_length - 1];
      return name == nullptr ? attach_code(control, value)
                             : apply_control_key(control, name, value);
    }
  default:
    return name == nullptr
               ? load_error::none
               : append_command(config, context.section_code, name, value);
  }
}

} // namespace

int config_handler(void *user, const char *section, const char *name,
                   const char *value) noexcept {
  auto *context = static_cast<load_context *>(user);
  load_error error = load_error::no_record;
  if (context != nullptr && context->config != nullptr) {
    error = (name == nullptr && value == nullptr)
                ? handle_section_start(*context, section)
                : handle_content(*context, name, value);
  }
  if (error == load_error::none)
    return 1;
  if (context != nullptr && context->first_error == load_error::none)
    context->first_error = error;
  return 0;
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
