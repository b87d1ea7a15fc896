// SPDX-License-Identifier: MIT
// Whether two loads gave the same record: what the formatter promises and
// what the fuzzers check. Header-only, so that targets linking nothing but
// the library's objects can use it.
#pragma once

#include <cstring>

#include "quelmix_config_parser.h"

namespace quelmix {

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

} // namespace quelmix
