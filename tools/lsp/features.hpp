// SPDX-License-Identifier: MIT
// What the server answers, each from the diagnostics engine's view of the
// document: diagnostics, hover, completion, the outline and formatting.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace quelmix::lsp {

using json = nlohmann::json;

// Diagnostic[] for publishDiagnostics.
json diagnostics_of(const std::string &text);

// Hover or null, at a protocol position ({"line", "character"}).
json hover_at(const std::string &text, const json &position);

// CompletionItem[] at a position.
json completion_at(const std::string &text, const json &position);

// DocumentSymbol[]: sections, controls named by CTRL_NAME, command counts.
json symbols_of(const std::string &text);

// TextEdit[] that turn the text into its canonical layout.
json formatting_edits(const std::string &text);

} // namespace quelmix::lsp
