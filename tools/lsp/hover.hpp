// SPDX-License-Identifier: MIT
// Hover: on a header, the section and its keys; on a key, what it does with
// its value and what this line stores.
#pragma once

#include <optional>

#include "document.hpp"

namespace quelmix::lsp {

// The hover at a protocol position, or none.
std::optional<protocol::hover> hover_at(const analysis &a,
                                        const protocol::position &position);

} // namespace quelmix::lsp
