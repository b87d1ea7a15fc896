// SPDX-License-Identifier: MIT
// Code actions: each fixable diagnostic's fix as a quick fix (preferred
// when it is safe), and every safe fix at once as "source.fixAll".
#pragma once

#include <optional>
#include <vector>

#include "document.hpp"

namespace quelmix::lsp {

// The code actions for a request, listed from the analysis. When the
// client resolves edits, an action carries only what names it (`data`:
// the document's version and the diagnostic's index, or fix-all) and its
// edit is made by resolve_edit.
std::vector<protocol::code_action>
code_actions(const analysis &a, const protocol::action_request &request,
             long long version);

// codeAction/resolve: the edit of the action `which` names, when its
// version is still `version` (none otherwise: the client asks again).
std::optional<protocol::workspace_edit>
resolve_edit(const analysis &a, const protocol::action_data &which,
             long long version);

} // namespace quelmix::lsp
