// SPDX-License-Identifier: MIT
// Code actions: each fixable diagnostic's fix as a quick fix (preferred
// when it is safe), and every safe fix at once as "source.fixAll".
#pragma once

#include <string>

#include "document.hpp"

namespace quelmix::lsp {

// CodeAction[] for textDocument/codeAction's params, listed from the
// analysis. When the client resolves edits, an action carries only what
// names it (`data`: the document's version and the diagnostic's index, or
// fix-all) and its edit is made by resolve_action.
json code_actions(const analysis &a, const json &params, long long version);

// codeAction/resolve: `action` with its edit, when `version` is still the
// version it was listed for (else unchanged: the client asks again).
json resolve_action(const analysis &a, json action, long long version);

} // namespace quelmix::lsp
