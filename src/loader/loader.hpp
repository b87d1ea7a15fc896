// The camera configuration loader: maps the parser's events to a record.
#pragma once

#include <cstdint>

#include "loader/convert.hpp"
#include "parser/parser.hpp"
#include "quelmix_config_parser.h"

namespace quelmix {

// Why the loader refused an event (the line then counts as bad).
enum class load_error : std::uint8_t {
  none,
  no_record,       // the record pointer is null
  too_many_values, // a command with more than CONFIG_MAX_PARAMS values
  out_of_memory,   // a list or code text could not be allocated or grown
};

// What one parse knows beyond the record. It lives for one call.
struct load_context {
  camera_config *config;
  // Code of the current section, looked up once at its section start (0 for
  // sections the loader does not know); entries use it from there on.
  std::uint32_t section_code = 0;
  // The current "control parameter" section has its control_entry; false
  // when the control could not be allocated, so its keys go nowhere rather
  // than into the control before it.
  bool control_open = false;
  // The reason for the first event refused, which is the reason for the
  // parse's error line whenever the parser says the handler refused it.
  load_error first_error = load_error::none;
};

// The handler: `user` is a load_context. Returns 1 for every event it
// takes in or ignores, 0 when it refuses one (see load_error).
int config_handler(void *user, const char *section, const char *name,
                   const char *value) noexcept;

// The branches of config_handler, one per kind of section.
load_error apply_camera_key(camera_config &config, const char *name,
                            const char *value) noexcept;
load_error append_command(camera_config &config, std::uint32_t section_code,
                          const char *name, const char *value) noexcept;
load_error open_control(load_context &context) noexcept;
load_error apply_control_key(control_entry &control, const char *name,
                             const char *value) noexcept;
load_error attach_code(control_entry &control, const char *text) noexcept;

// The outcome of a load: the parser's, refined by the loader's reason when
// the parser says the handler refused the error line.
struct load_report {
  parse_outcome parse;
  load_error error = load_error::none;
};

load_report load_config_file(const char *path, camera_config *config) noexcept;
load_report load_config_string(const char *text,
                               camera_config *config) noexcept;

// Copies at most `size` - 1 bytes of `value` into `field`, terminated.
// Returns false when the value was cut.
bool copy_text_field(char *field, std::size_t size, const char *value) noexcept;

} // namespace quelmix
