// SPDX-License-Identifier: MIT
// Suppression comments: "; quelmix: ignore[unknown-key, leading-zero]" (or
// after "#" or "//") silences those warnings on its own line, when it is an
// inline comment, or on the next line, when it is a comment line; a bare
// "ignore" silences every warning of that line. Errors cannot be silenced.
// A suppression that silences nothing is itself a warning, so that stale
// ones do not pile up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/analysis/engine.hpp"
#include "engine/messages/kinds.hpp"

namespace quelmix {

struct suppression {
  std::int64_t line = 0;   // the comment's own line
  std::int64_t target = 0; // the line it silences
  std::size_t at = 0;      // where the comment starts in the file
  text_edit removal;       // what taking it out removes
  bool all = false;        // a bare "ignore"
  std::vector<diagnostic_kind> kinds;
  std::vector<std::string> unknown; // names in the list that are no kind
};

// The suppression `comment` (a comment's text, its marker included) holds,
// if it holds one; line, target and positions are left to the caller.
std::optional<suppression> parse_suppression(std::string_view comment);

// Drops the warnings the suppressions silence and adds an
// unused-suppression warning for each that silences nothing.
void apply_suppressions(const std::vector<suppression> &suppressions,
                        std::vector<diagnostic> &diagnostics,
                        const line_index &lines);

} // namespace quelmix
