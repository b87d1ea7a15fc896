// SPDX-License-Identifier: MIT
// The checker's JSON output: one document per file describing the record
// and every diagnostic. Documented in docs/checker.md as a stable interface.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/analysis/engine.hpp"
#include "json_string.hpp"
#include "quelmix_config_parser.h"
#include "warning_options.hpp"

namespace quelmix::tools {

// Writes one document to `to` as it is made: the file, the library's
// result, the camera fields, the commands, the controls, the diagnostics
// (those not switched off; a warning that fails the check under `settings`
// says so) and, as before them, the warnings alone.
void write_record_json(std::FILE *to, std::string_view name,
                       const checked_text &checked,
                       const std::vector<const diagnostic *> &shown,
                       const warning_options &settings,
                       const camera_config &config);

} // namespace quelmix::tools
