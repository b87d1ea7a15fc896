// SPDX-License-Identifier: MIT
// A positioned diagnostic, and the stable names of every kind the tools
// report. The names are an interface: scripts match them, `-Wno-<kind>`
// takes them, and they never change meaning once published.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quelmix {

enum class severity : std::uint8_t { error, warning };

struct diagnostic {
  severity level;
  // The file's own line (1-based, newline-terminated lines, however the
  // library cuts long ones) and the 1-based byte column where the problem
  // starts; both 0 for a problem of the file as a whole.
  std::int64_t line;
  std::int64_t column;
  const char *kind; // one of diagnostic_kinds' names
  std::string message;
  std::string hint; // "did you mean ..." and the like; empty when none
  // The line as the library numbers it (each 1023-byte piece of a long
  // line counts as one), so that an error can be matched with the result
  // quelmix_parse_config returns.
  std::int64_t library_line;
};

struct diagnostic_kind {
  const char *name;
  severity level;
  const char *summary; // one line, for help texts and documentation
};

// Every kind, errors first. README and the manual page list the same.
inline constexpr diagnostic_kind diagnostic_kinds[] = {
    {"unclosed-header", severity::error,
     "a section header without its closing \"]\""},
    {"missing-separator", severity::error,
     "an entry without \"=\" or \":\" before any comment"},
    {"unclosed-code-block", severity::error,
     "a code block cut short by a header or the end of the file"},
    {"too-many-values", severity::error, "a command with more than 16 values"},
    {"out-of-memory", severity::error, "memory could not be had for a line"},
    {"cannot-open", severity::error, "the file cannot be opened"},
    {"cannot-read", severity::error, "the file cannot be read"},
    {"unknown-section", severity::warning,
     "a header names no known section; its lines are ignored"},
    {"key-before-section", severity::warning,
     "an entry or code block before the first header"},
    {"unknown-key", severity::warning, "a key its section does not know"},
    {"command-out-of-place", severity::warning,
     "REG, VRCMD or DELAY outside a board or register section"},
    {"wrong-value-count", severity::warning,
     "SIZE or FORMAT with a number of values it does not take"},
    {"value-cut", severity::warning,
     "a name longer than its field, stored cut"},
    {"key-repeated", severity::warning,
     "a camera key set again; the later value wins"},
    {"code-block-ignored", severity::warning,
     "a code block outside a control section"},
    {"code-block-replaced", severity::warning,
     "a second code block in one control replaces the first"},
    {"value-not-a-number", severity::warning,
     "a numeric value without a number, read as 0"},
    {"trailing-text", severity::warning,
     "text after a number, ignored (a missing comma?)"},
    {"value-out-of-range", severity::warning,
     "a number that does not fit its field; what is stored differs"},
    {"leading-zero", severity::warning,
     "a decimal number written with a leading zero (not octal)"},
    {"empty-value", severity::warning,
     "an empty piece in a value list, skipped"},
    {"comment-in-value", severity::warning,
     "\";\", \"//\" or \"#\" that stays part of a value"},
    {"long-line", severity::warning,
     "a line the library reads as several 1023-byte lines"},
    {"nul-byte", severity::warning,
     "a NUL byte; the library ignores the rest of its line"},
};

// The kind named `name`, or null.
inline const diagnostic_kind *find_diagnostic_kind(std::string_view name) {
  for (const diagnostic_kind &kind : diagnostic_kinds)
    if (name == kind.name)
      return &kind;
  return nullptr;
}

} // namespace quelmix
