#include "loader/loader.hpp"
#include "loader/tables.hpp"

namespace quelmix {

// A later line with the same key overwrites the earlier value; keys that
// are not known, and "SIZE" or "FORMAT" with the wrong number of values,
// change nothing.
load_error apply_camera_key(camera_config &config, const char *name,
                            const char *value) noexcept {
  value_list list;
  switch (lookup_code(camera_key_table, name)) {
  case CAMERA_KEY_CFG_MODE:
    config.cfg_mode = parse_int32(value);
    break;
  case CAMERA_KEY_TYPE:
    copy_text_field(config.type, sizeof config.type, value);
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
    if (parse_value_list(value, list) && list.count == 2) {
      config.width = static_cast<std::int32_t>(list.values[0]);
      config.height = static_cast<std::int32_t>(list.values[1]);
    }
    break;
  case CAMERA_KEY_FORMAT:
    if (parse_value_list(value, list) && (list.count == 1 || list.count == 2))
      config.format = static_cast<std::uint16_t>(
          (list.values[0] << 8) | (list.count == 2 ? list.values[1] : 0));
    break;
  default:
    break;
  }
  return load_error::none;
}

} // namespace quelmix
