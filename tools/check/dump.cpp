// SPDX-License-Identifier: MIT
#include "dump.hpp"

#include <cstdint>
#include <cstring>
#include <string>

#include "engine/messages/terminal.hpp"

namespace quelmix {
namespace {

// The 8- and 16-bit fields print widened without sign.
int widened(unsigned value) noexcept { return static_cast<int>(value); }

// A text of the record as a terminal may show it: its control characters
// written as <XX> (a code text keeps its newlines and tabs).
std::string shown(const char *text, std::size_t size,
                  bool keep_newlines = false) {
  return quelmix::terminal_safe(std::string_view(text, strnlen(text, size)),
                              keep_newlines);
}

} // namespace

void dump_camera_params(const camera_config &config, std::FILE *out) {
  std::fprintf(out, "CFG_MODE : %d\n", config.cfg_mode);
  std::fprintf(out, "TYPE     : %s\n",
               shown(config.type, sizeof config.type).c_str());
  std::fprintf(out, "WIDTH    : %d\n", config.width);
  std::fprintf(out, "HEIGHT   : %d\n", config.height);
  std::fprintf(out, "BIT_WIDTH: %d\n", widened(config.bit_width));
  std::fprintf(out, "FORMAT   : 0x%02X\n", unsigned{config.format});
  std::fprintf(out, "I2C_MODE : %d\n", widened(config.i2c_mode));
  std::fprintf(out, "I2C_ADDR : %d\n", widened(config.i2c_addr));
  std::fprintf(out, "TRANS_LVL: %d\n", config.trans_lvl);
}

void dump_controls(const camera_config &config, std::FILE *out) {
  for (std::uint32_t i = 0; i < config.controls_length; ++i) {
    const control_entry &control = config.controls[i];
    std::fprintf(out, "MIN_VALUE  = %ld\n", control.min_value);
    std::fprintf(out, "MAX_VALUE  = %ld\n", control.max_value);
    std::fprintf(out, "STEP       = %d\n", control.step);
    std::fprintf(out, "DEF        = %ld\n", control.def);
    std::fprintf(out, "CTRL_NAME\t= %s\n",
                 shown(control.ctrl_name, sizeof control.ctrl_name).c_str());
    std::fprintf(out, "FUNC_NAME\t= %s\n",
                 shown(control.func_name, sizeof control.func_name).c_str());
    const char *code = control.code != nullptr ? control.code : "";
    std::fprintf(out, "%s\n", shown(code, std::strlen(code), true).c_str());
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
