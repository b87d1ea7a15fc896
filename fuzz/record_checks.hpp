// SPDX-License-Identifier: MIT
// Checks the fuzzers apply to every record they load.
#pragma once

#include <cstdlib>
#include <cstring>

#include "quelmix_config_parser.h"

namespace quelmix::fuzz {

inline void require(bool ok) {
  if (!ok)
    std::abort(); // the fuzzer reports the input that got here
}

// Every count within its storage, every string terminated in its field;
// touching every byte lets the address sanitizer check the storage.
inline void check_record(const camera_config &config) {
  require(strnlen(config.type, sizeof config.type) < sizeof config.type);
  require((config.configs == nullptr) == (config.configs_length == 0));
  require((config.controls == nullptr) == (config.controls_length == 0));
  unsigned sum = 0;
  for (std::uint32_t i = 0; i < config.configs_length; ++i) {
    const config_entry &entry = config.configs[i];
    require(entry.params_length <= CONFIG_MAX_PARAMS);
    require((entry.type & CONFIG_SECTION_MASK) == CONFIG_TYPE_BOARD ||
            (entry.type & CONFIG_SECTION_MASK) == CONFIG_TYPE_REGISTER);
    for (unsigned j = 0; j < entry.params_length; ++j)
      sum += entry.params[j];
  }
  for (std::uint32_t i = 0; i < config.controls_length; ++i) {
    const control_entry &control = config.controls[i];
    require(strnlen(control.ctrl_name, 128) < 128);
    require(strnlen(control.func_name, 128) < 128);
    require(control.reserved == 0);
    if (control.code != nullptr)
      sum += static_cast<unsigned>(std::strlen(control.code));
  }
  volatile unsigned sink = sum;
  (void)sink;
}

// True when two records hold the same data, field by field (padding bytes
// are never written and may differ).
inline bool same_record(const camera_config &a, const camera_config &b) {
  if (a.cfg_mode != b.cfg_mode ||
      std::memcmp(a.type, b.type, sizeof a.type) != 0 || a.width != b.width ||
      a.height != b.height || a.bit_width != b.bit_width ||
      a.format != b.format || a.i2c_mode != b.i2c_mode ||
      a.i2c_addr != b.i2c_addr || a.trans_lvl != b.trans_lvl ||
      a.configs_length != b.configs_length ||
      a.controls_length != b.controls_length)
    return false;
  for (std::uint32_t i = 0; i < a.configs_length; ++i) {
    const config_entry &x = a.configs[i];
    const config_entry &y = b.configs[i];
    if (x.type != y.type || x.params_length != y.params_length ||
        std::memcmp(x.params, y.params, sizeof x.params) != 0)
      return false;
  }
  for (std::uint32_t i = 0; i < a.controls_length; ++i) {
    const control_entry &x = a.controls[i];
    const control_entry &y = b.controls[i];
    if (x.min_value != y.min_value || x.max_value != y.max_value ||
        x.step != y.step || x.def != y.def || x.reserved != y.reserved ||
        std::memcmp(x.ctrl_name, y.ctrl_name, sizeof x.ctrl_name) != 0 ||
        std::memcmp(x.func_name, y.func_name, sizeof x.func_name) != 0 ||
        (x.code == nullptr) != (y.code == nullptr) ||
        (x.code != nullptr && std::strcmp(x.code, y.code) != 0))
      return false;
  }
  return true;
}

} // namespace quelmix::fuzz
