// SPDX-License-Identifier: MIT
// Code actions: each fixable diagnostic's fix as a quick fix (preferred
// when it is safe), and every safe fix at once as "source.fixAll".
#pragma once

#include <string>

#include "document.hpp"

namespace quelmix::lsp {

// CodeAction[] for textDocument/codeAction's params.
json code_actions(const analysis &a, const json &params);

} // namespace quelmix::lsp
