// SPDX-License-Identifier: MIT
// The file as the loader sees it, in colour: headers known and unknown,
// keys known and unknown for their section, numbers, separators, comments
// (and the text that looks like one but stays in the value), code-block
// markers and code, refused lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document.hpp"

namespace quelmix::lsp {

// The legend the server advertises: token types and modifiers.
std::vector<std::string> semantic_token_types();
std::vector<std::string> semantic_token_modifiers();

// SemanticTokens' data for lines [first, last] (1-based, inclusive).
std::vector<std::uint32_t>
semantic_tokens(const analysis &a, std::int64_t first, std::int64_t last);

} // namespace quelmix::lsp
