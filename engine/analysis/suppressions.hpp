// SPDX-License-Identifier: MIT
// Suppression comments. A comment (after ";", "#" or "//") that starts
// "quelmix: ignore" holds one when "ignore" is followed by the comment's
// end, by a blank and more words (a bare suppression: every warning), or by
// "[KIND, ...]" (those kinds; words may follow). It silences its own line
// when it is an inline comment (or one after a header), the next line when
// it is a comment line. "quelmix: ignore [" and an unclosed
// "quelmix: ignore[" are malformed: they silence nothing and are a warning
// with a fix. Anything else ("quelmix: ignored lines below") is prose.
// Errors cannot be silenced. A suppression that silences nothing is itself
// a warning, so that stale ones do not pile up; taking it out removes the
// suppression alone, never the author's words around it.
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
  // Bytes [begin, end) of the comment that are the suppression ("quelmix:"
  // to "]" or to "ignore"), and whether the comment holds nothing else.
  std::size_t begin = 0, end = 0;
  bool alone = true;
  // A malformed one silences nothing; `mended` writes it well.
  bool malformed = false;
  std::vector<text_edit> mended; // offsets within the comment
};

// The suppression `comment` (a comment's text, its marker included) holds,
// if it holds one; line, target and file positions are left to the caller.
std::optional<suppression> parse_suppression(std::string_view comment);

// Drops the warnings the suppressions silence and adds an
// unused-suppression warning for each that silences nothing.
void apply_suppressions(const std::vector<suppression> &suppressions,
                        std::vector<diagnostic> &diagnostics,
                        const line_index &lines);

} // namespace quelmix
