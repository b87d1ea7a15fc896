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

} // namespace quelmix::tools
