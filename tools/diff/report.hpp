// SPDX-License-Identifier: MIT
// A record difference as people read it (diff -u style, in colour on a
// terminal), as a summary (--stat) and as JSON for scripts.
#pragma once

#include <string>

#include "engine/compare/record_diff.hpp"

namespace quelmix::tools {

std::string difference_text(const loaded_file &old_file,
                            const loaded_file &new_file,
                            const record_difference &d, bool colour);

std::string difference_stat(const record_difference &d);

std::string difference_json(const loaded_file &old_file,
                            const loaded_file &new_file,
                            const record_difference &d);

// One line per change of the record, in the key's own terms: what a fix
// did to what the camera will run ("register parameter: command 12 REG now
// 2 values (0x3008, 0x82), was 1 (0x3008)").
std::string difference_lines(const record_difference &d);

// The same changes on one line, joined by "; ": what one fix did ("camera
// parameter: CFG_MODE: 0 → 1"); empty when the records are the same.
std::string difference_in_one_line(const record_difference &d);

} // namespace quelmix::tools
