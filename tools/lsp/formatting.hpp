// SPDX-License-Identifier: MIT
// Formatting: the text in its canonical layout, as one edit of the whole.
#pragma once

#include <vector>

#include "document.hpp"

namespace quelmix::lsp {

// No edit when the text is laid out already.
std::vector<protocol::text_edit> formatting_edits(const analysis &a);

} // namespace quelmix::lsp
