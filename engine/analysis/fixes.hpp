// SPDX-License-Identifier: MIT
// Applying the engine's fixes to a text: the safe ones, or all of them.
//
// Each fix promises what its line will read as; a fix whose line would
// read otherwise is not applied. Fixes that overlap wait for the next
// round, and rounds go on (a fix may bring another to light, such as a
// section renamed whose keys are then checked) until none is left, so that
// fixing a fixed text changes nothing. A round that would add an error, or
// turn a file the library accepts into one it refuses, is taken back and
// its fixes tried one by one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/messages/kinds.hpp"

namespace quelmix {

struct fix_report {
  std::string text;                 // the fixed text
  std::size_t safe = 0, unsafe = 0; // fixes applied, by class
  // The fixes not applied, with the line they were for and why.
  struct refusal {
    std::int64_t line;
    std::string title;
    std::string why;
  };
  std::vector<refusal> refused;
};

fix_report apply_fixes(std::string_view bytes, bool unsafe_too);

// `text` with `edits` (in file order, not overlapping) made.
std::string apply_edits(std::string_view text,
                        const std::vector<text_edit> &edits);

} // namespace quelmix
