// SPDX-License-Identifier: MIT
#include "loader/loader.hpp"
#include "loader/tables.hpp"

namespace quelmix {
namespace {

// The value counts "SIZE" (width, height) and "FORMAT" (high byte, and
// optionally low byte) take.
constexpr unsigned SIZE_VALUES = 2;
constexpr unsigned FORMAT_FEWEST = 1;
constexpr unsigned FORMAT_MOST = 2;

bool takes(const value_list &list, bool fits, unsigned fewest,
           unsigned most) noexcept {
  return fits && list.count >= fewest && list.count <= most;
}

// A key with a count it does not take changes nothing.
load_error warn_value_count(const load_context &context, const char *section,
                            const char *name, const value_list &list, bool fits,
                            unsigned fewest, unsigned most) noexcept {
  warn(context,
       load_warning{warning_kind::wrong_value_count, section, name,
                    fits ? list.count : CONFIG_MAX_PARAMS + 1u, fewest, most});
  return load_error::none;
}

} // namespace

// A later line with the same key overwrites the earlier value; keys that
// are not known, and "SIZE" or "FORMAT" with the wrong number of values,
// change nothing.
load_error apply_camera_key(load_context &context, const char *section,
                            const char *name, const char *value) noexcept {
  camera_config &config = *context.config;
  const std::uint32_t key = lookup_code(camera_key_table, name);
  value_list list;
  bool fits = true;
  switch (key) {
  case CAMERA_KEY_CFG_MODE:
    config.cfg_mode = parse_int32(value);
    break;
  case CAMERA_KEY_TYPE:
    if (!copy_text_field(config.type, sizeof config.type, value))
      warn(context, load_warning{warning_kind::value_cut, section, name,
                                 sizeof config.type - 1, 0, 0});
    break;
  case CAMERA_KEY_BIT_WIDTH:
    config.bit_width = static_cast<std::uint8_t>(parse_int32(value));
    break;
  case CAMERA_KEY_I2C_MODE:
    config.i2c_mode = static_cast<std::uint8_t>(parse_int32(value));
    break;
  case CAMERA_KEY_I2C_ADDR:
    config.i2c_addr = static_cast<std::uint16_t>(parse_int32(value));
    break;
  case CAMERA_KEY_TRANS_LVL:
    config.trans_lvl = parse_int32(value);
    break;
  case CAMERA_KEY_SIZE:
    fits = parse_value_list(value, list);
    if (!takes(list, fits, SIZE_VALUES, SIZE_VALUES))
      return warn_value_count(context, section, name, list, fits, SIZE_VALUES,
                              SIZE_VALUES);
    config.width = static_cast<std::int32_t>(list.values[0]);
    config.height = static_cast<std::int32_t>(list.values[1]);
    break;
  case CAMERA_KEY_FORMAT:
    fits = parse_value_list(value, list);
    if (!takes(list, fits, FORMAT_FEWEST, FORMAT_MOST))
      return warn_value_count(context, section, name, list, fits, FORMAT_FEWEST,
                              FORMAT_MOST);
    config.format = static_cast<std::uint16_t>(
        (list.values[0] << 8) | (list.count == 2 ? list.values[1] : 0));
    break;
  default:
    note_unknown_key(context, section, name);
    return load_error::none;
  }
  const std::uint32_t seen = std::uint32_t{1} << key;
  if ((context.camera_keys_seen & seen) != 0)
    warn(context, warning_kind::key_repeated, section, name);
  context.camera_keys_seen |= seen;
  return load_error::none;
}

} // namespace quelmix
