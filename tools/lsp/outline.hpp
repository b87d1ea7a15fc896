// SPDX-License-Identifier: MIT
// The outline: one symbol per section, a control named by its CTRL_NAME,
// a command section with its count of commands.
#pragma once

#include <vector>

#include "document.hpp"

namespace quelmix::lsp {

std::vector<protocol::document_symbol> symbols_of(const analysis &a);

} // namespace quelmix::lsp
