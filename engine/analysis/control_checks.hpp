// SPDX-License-Identifier: MIT
// What a camera host checks when it registers the record's controls as
// kernel or driver controls: a step above 0 when there is a range to step
// through, a minimum not above the maximum, a default inside the range and
// reachable in steps, one control per name, and a name at all. Each
// finding points at the line that set the value (or the control's header
// when the key is missing) and says what the record holds.
#pragma once

#include <vector>

#include "engine/analysis/engine.hpp"

namespace quelmix {

// Adds the control warnings for `config`, loaded from the text `index`
// describes, whose lines are `lines`, with `origins` naming each control's
// header line.
void check_controls(const camera_config &config, const record_origins &origins,
                    const std::vector<line_info> &lines,
                    const line_index &index, std::vector<diagnostic> &found);

} // namespace quelmix
