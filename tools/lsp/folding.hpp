// SPDX-License-Identifier: MIT
// Folding ranges: each section (from its header to its last line that is
// not blank), each code block, each run of comment lines.
#pragma once

#include <vector>

#include "document.hpp"

namespace quelmix::lsp {

std::vector<protocol::folding_range> folding_ranges(const analysis &a);

} // namespace quelmix::lsp
