// SPDX-License-Identifier: MIT
// Checks the fuzzers apply to every record they load.
#pragma once

#include <cstdlib>
#include <cstring>

#include "engine/analysis/same_record.hpp"
#include "quelmix_config_parser.h"

namespace quelmix::fuzz {

inline void require(bool ok) {
  if (!ok)
    std::abort(); // the fuzzer reports the input that got here
}

// Every count within its storage, every string terminated in its field, and
// a list pointer NULL exactly while its length is 0 (the record was zeroed
// before the load); touching every byte lets the address sanitizer check
// the storage.
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

using quelmix::same_record;

} // namespace quelmix::fuzz
