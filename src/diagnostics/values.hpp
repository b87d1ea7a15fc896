// SPDX-License-Identifier: MIT
// How the loader read a value, where that differs from how it is written:
// text after a number, no number, a number too wide for its field, a
// leading zero, an empty list piece, a comment marker that is no comment.
// Every judgement rests on the loader's own conversion (scan_number) and on
// the record as the loader left it, never on a second copy of its rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quelmix_config_parser.h"

namespace quelmix {

struct value_finding {
  const char *kind; // a diagnostic kind name
  const char *at;   // the byte of `value` where the problem starts
  std::string message;
  std::string hint;
};

// The findings for the entry `name = value` in the section with code
// `section_code`, which the loader has just stored into `config`;
// `commands_before` is configs_length before the line.
std::vector<value_finding> check_value(std::uint32_t section_code,
                                       const char *name, const char *value,
                                       const camera_config &config,
                                       std::uint32_t commands_before);

} // namespace quelmix
