// SPDX-License-Identifier: MIT
// Which diagnostics a user wants, in the checker's own option words, for
// every front end that takes them (the checker's command line, the language
// server's settings).
#pragma once

#include <set>
#include <string_view>

#include "engine/messages/kinds.hpp"

namespace quelmix::tools {

struct warning_options {
  bool warnings = true;                 // -w turns them all off, -W on again
  bool errors = false;                  // -Werror: warnings fail the check too
  std::set<diagnostic_kind> disabled;   // -Wno-KIND
  std::set<diagnostic_kind> as_errors;  // -Werror=KIND
  std::set<diagnostic_kind> not_errors; // -Wno-error=KIND, -Werror or not

  // Reported at all (errors always are).
  bool shown(const diagnostic &d) const {
    return d.level() == severity::error ||
           (warnings && disabled.count(d.kind) == 0);
  }
  // A warning of `kind`, when reported, fails the check.
  bool fails_as(diagnostic_kind kind) const {
    return as_errors.count(kind) != 0 ||
           (errors && not_errors.count(kind) == 0);
  }
  // Reported, and failing the check.
  bool fails(const diagnostic &d) const {
    return d.level() == severity::error || (shown(d) && fails_as(d.kind));
  }
};

// Applies one option: "-w", "-W", "-WKIND", "-Wno-KIND", "-Werror",
// "-Wno-error", "-Werror=KIND", "-Wno-error=KIND", "--warnings" and
// "--warnings=error". False when `option` is none of those (an unknown or
// error kind included); nothing changes then.
bool apply_warning_option(warning_options &options, std::string_view option);

} // namespace quelmix::tools
