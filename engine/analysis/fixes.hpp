// SPDX-License-Identifier: MIT
// Applying the engine's fixes to a text: the safe ones, or all of them.
//
// Fixes are applied in rounds, each on one analysis of the text, until none
// is left (a fix may bring another to light, such as a section renamed
// whose keys are then checked); fixes whose edits merely touch go in the
// same round. Suppressions are judged only once nothing else is left to
// fix, so that no fix removes a suppression the other fixes make necessary.
// Fixing a fixed text changes nothing. A text that comes back to an earlier
// one (a fix undoing another) stops the rounds and is reported.
//
// Each round is guarded by the record the library loads: a safe fix is kept
// only when the record stays the same or changes exactly as the fix
// declares (its line reads as the fix promises). A round that does not
// compare is taken apart fix by fix; a safe fix at fault is refused, an
// unsafe one is applied and named. A round may mend errors, never add one,
// nor turn a file the library accepts into one it refuses. So a fix on a
// line the library reads in several pieces stands only when the pieces
// read as before.
//
// A file already in the formatter's layout stays in it: the runs of lines
// the fixes stand in are laid out again (blanks only, under the same guard).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/compare/record_diff.hpp"
#include "engine/messages/kinds.hpp"

namespace quelmix {

struct fix_options {
  bool unsafe_too = false;
  // The diagnostics whose fixes may be applied: those the user asked to
  // see (every one when empty).
  std::function<bool(const diagnostic &)> wanted;
  // Keep each step the text went through (for checks made from outside).
  bool keep_steps = false;
};

// One change of the text: the fixes a round applied together (or one fix,
// where a round was taken apart), or none where the lines the fixes stand
// in were laid out again.
struct fix_step {
  std::string before; // the text the step was made on
  std::vector<quelmix::fix> fixes;
};

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
  // Unsafe fixes applied that changed the record otherwise than their
  // line promised, with the line they were for and what the record held
  // before and after that fix alone.
  struct surprise {
    std::int64_t line;
    std::string title;
    std::shared_ptr<loaded_file> before, after;
  };
  std::vector<surprise> surprising;
  // The fixes came back to a text of an earlier round: a fix undoes
  // another. The text is the last one reached.
  bool oscillation = false;
  std::size_t rounds = 0;   // rounds that applied something
  std::size_t analyses = 0; // engine runs over a whole text, for rounds
  // Engine runs for laying out the lines the fixes stand in again (at most
  // two each time: the lines' roles, and the laid-out text).
  std::size_t layout_analyses = 0;
  // The first and the last analysis, with their records and origins: what
  // the text loaded before and loads now.
  std::shared_ptr<loaded_file> before, after;
  // Each change of the text in turn, when the options ask for them; the
  // last one's result is `text`.
  std::vector<fix_step> steps;
};

fix_report apply_fixes(std::string_view bytes, const fix_options &options);
fix_report apply_fixes(std::string_view bytes, bool unsafe_too);

// Why fix `f` alone may not be applied to `text` (its line would not read
// as it promises, or the record would change otherwise than it declares),
// or empty when it may: the guard of one quick fix.
std::string guard_one_fix(std::string_view text, const fix &f);

// `text` with `edits` (in file order, not overlapping) made.
std::string apply_edits(std::string_view text,
                        const std::vector<text_edit> &edits);

} // namespace quelmix
