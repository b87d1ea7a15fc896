// SPDX-License-Identifier: MIT
#include "dump.hpp"

#include <cstdint>

namespace quelmix {
namespace {

// The 8- and 16-bit fields print widened without sign.
int widened(unsigned value) noexcept { return static_cast<int>(value); }

} // namespace

void dump_camera_params(const camera_config &config, std::FILE *out) noexcept {
  std::fprintf(out, "CFG_MODE : %d\n", config.cfg_mode);
  std::fprintf(out, "TYPE     : %s\n", config.type);
  std::fprintf(out, "WIDTH    : %d\n", config.width);
  std::fprintf(out, "HEIGHT   : %d\n", config.height);
  std::fprintf(out, "BIT_WIDTH: %d\n", widened(config.bit_width));
  std::fprintf(out, "FORMAT   : 0x%02X\n", unsigned{config.format});
  std::fprintf(out, "I2C_MODE : %d\n", widened(config.i2c_mode));
  std::fprintf(out, "I2C_ADDR : %d\n", widened(config.i2c_addr));
  std::fprintf(out, "TRANS_LVL: %d\n", config.trans_lvl);
}

void dump_controls(const camera_config &config, std::FILE *out) noexcept {
  for (std::uint32_t i = 0; i < config.controls_length; ++i) {
    const control_entry &control = config.controls[i];
    std::fprintf(out, "MIN_VALUE  = %ld\n", control.min_value);
    std::fprintf(out, "MAX_VALUE  = %ld\n", control.max_value);
    std::fprintf(out, "STEP       = %d\n", control.step);
    std::fprintf(out, "DEF        = %ld\n", control.def);
    std::fprintf(out, "CTRL_NAME\t= %s\n", control.ctrl_name);
    std::fprintf(out, "FUNC_NAME\t= %s\n", control.func_name);
    std::fprintf(out, "%s\n", control.code != nullptr ? control.code : "");
  }
}

void dump_configs(const camera_config &config, std::FILE *headers,
                  std::FILE *values) noexcept {
  std::uint32_t last_group = 0;
  for (std::uint32_t i = 0; i < config.configs_length; ++i) {
    const config_entry &entry = config.configs[i];
    const std::uint32_t group = entry.type >> 16;
    if (group != last_group) {
      std::fprintf(headers, "[0x%04X]\n", group);
      last_group = group;
    }
    for (unsigned j = 0; j < entry.params_length; ++j)
      std::fprintf(values, "0x%04X ", entry.params[j]);
    std::fputc('\n', values);
  }
}

} // namespace quelmix
