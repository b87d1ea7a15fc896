// SPDX-License-Identifier: MIT
// Diagnostics as the server publishes them: those the user's warning
// options show, each over the span of its line the common span rule gives.
#pragma once

#include <vector>

#include "document.hpp"

namespace quelmix::lsp {

// For publishDiagnostics.
std::vector<protocol::diagnostic> diagnostics_of(const analysis &a);

// One diagnostic as publishDiagnostics sends it.
protocol::diagnostic diagnostic_of(const analysis &a, const diagnostic &d);

} // namespace quelmix::lsp
