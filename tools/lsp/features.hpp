// SPDX-License-Identifier: MIT
// What the server answers, each from the diagnostics engine's view of the
// document: diagnostics, hover, completion, the outline and formatting.
#pragma once

#include <string>

#include "document.hpp"

namespace quelmix::lsp {

// Diagnostic[] for publishDiagnostics, those the options leave on.
json diagnostics_of(const analysis &a);

// One diagnostic as publishDiagnostics sends it.
json diagnostic_json(const analysis &a, const diagnostic &d);

// Hover or null, at a protocol position ({"line", "character"}).
json hover_at(const analysis &a, const json &position);

// CompletionItem[] at a position.
json completion_at(const analysis &a, const json &position);

// DocumentSymbol[]: sections, controls named by CTRL_NAME, command counts.
json symbols_of(const analysis &a);

// TextEdit[] that turn the text into its canonical layout.
json formatting_edits(const analysis &a);

} // namespace quelmix::lsp
