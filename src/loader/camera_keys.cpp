// SPDX-License-Identifier: MIT
#include "loader/loader.hpp"
#include "loader/tables.hpp"

namespace quelmix {

// A later line with the same key overwrites the earlier value; keys that
// are not known, and a key with a count of values it does not take, change
// nothing.
load_error apply_camera_key(load_context &context, const char *section,
                            const char *name, const char *value) noexcept {
  const std::uint32_t code = lookup_code(camera_key_table.data(), name);
  if (code == 0) {
    note_unknown_key(context, section, name);
    return load_error::none;
  }
  const schema::key_spec &key = key_of_code(code);
  if (!store_key(context, context.config, key, section, value))
    return load_error::none;
  const std::uint32_t seen = std::uint32_t{1} << (code - 1);
  if ((context.camera_keys_seen & seen) != 0)
    warn(context, warning_kind::key_repeated, section, name);
  context.camera_keys_seen |= seen;
  note_stored(context, stored_part::camera_key, 0, code - 1);
  return load_error::none;
}

} // namespace quelmix
