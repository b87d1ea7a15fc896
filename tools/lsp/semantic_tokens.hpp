// SPDX-License-Identifier: MIT
// The file as the loader sees it, in colour: headers known and unknown,
// keys known and unknown for their section, numbers, separators, comments
// (and the text that looks like one but stays in the value), code-block
// markers and code, refused lines.
#pragma once

#include "document.hpp"

namespace quelmix::lsp {

// The legend the server advertises (tokenTypes, tokenModifiers).
json semantic_tokens_legend();

// SemanticTokens for lines [first, last] (1-based, inclusive).
json semantic_tokens(const analysis &a, std::int64_t first, std::int64_t last);

} // namespace quelmix::lsp
