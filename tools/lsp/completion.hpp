// SPDX-License-Identifier: MIT
// Completion: section names after "[", the keys of the section the line is
// in at the start of a line (with the code-block markers in a control).
#pragma once

#include <vector>

#include "document.hpp"

namespace quelmix::lsp {

std::vector<protocol::completion_item>
completion_at(const analysis &a, const protocol::position &position);

} // namespace quelmix::lsp
