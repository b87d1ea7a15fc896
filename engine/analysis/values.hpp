// SPDX-License-Identifier: MIT
// How the loader read a value, where that differs from how it is written:
// text after a number, no number, a number that does not fit its field or
// is negative in an unsigned one, a lone FORMAT byte, a leading zero, an
// empty list piece, a comment marker that is no comment. Every judgement
// rests on the schema, on the loader's own conversion (scan_number) and on
// the record as the loader left it, never on a second copy of its rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/messages/kinds.hpp"
#include "loader/schema.hpp"
#include "quelmix_config_parser.h"

namespace quelmix {

struct value_finding {
  diagnostic_kind kind;
  std::size_t at; // the byte of the value where the problem starts
  std::string message;
  std::string hint;
  // Its remedy, with edits as offsets in the value.
  std::optional<quelmix::fix> fix = std::nullopt;
};

// The findings for `key = value`, which the loader has just stored into
// `written` (the camera_config, the control or the command it names).
std::vector<value_finding> check_value(const schema::key_spec &key,
                                       const char *value, const void *written);

} // namespace quelmix
