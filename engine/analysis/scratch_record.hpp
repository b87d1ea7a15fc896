// SPDX-License-Identifier: MIT
// A record a tool loads for itself (to compare, to read back, to analyse):
// released by its owner however the scope ends, an exception included.
#pragma once

#include "quelmix_config_parser.h"

namespace quelmix {

struct scratch_record {
  camera_config value{};

  scratch_record() = default;
  scratch_record(const scratch_record &) = delete;
  scratch_record &operator=(const scratch_record &) = delete;
  ~scratch_record() { quelmix_release_config(&value); }
};

} // namespace quelmix
