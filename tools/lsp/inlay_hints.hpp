// SPDX-License-Identifier: MIT
// Inlay hints: after a value whose stored form differs from its spelling,
// what the record holds ("= 54", "= 0x0201", "= 1 (low 32 bits)"), looked
// up in the analysis, which kept what the line stored. Quiet by design:
// nothing where the spelling already says it in the same base.
#pragma once

#include <vector>

#include "document.hpp"

namespace quelmix::lsp {

// InlayHint[] for lines [first, last] (1-based, inclusive).
std::vector<protocol::inlay_hint>
inlay_hints(const analysis &a, std::int64_t first, std::int64_t last);

} // namespace quelmix::lsp
