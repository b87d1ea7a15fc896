// SPDX-License-Identifier: MIT
// The checker's command line.
#pragma once

#include <vector>

#include "exit_status.hpp"
#include "settings_choices.hpp"
#include "warning_options.hpp"

namespace quelmix::tools {

enum class report_format { gcc, json, sarif, github };

// Which fixes to make: none, the safe ones, or all of them.
enum class fix_mode { none, safe, all };

struct checker_options {
  bool quiet = false; // errors only: no warnings, no summary
  warning_options warnings;
  report_format format = report_format::gcc;
  bool dump = false; // the record in the library's dump formats too
  fix_mode fixes = fix_mode::none;
  bool diff = false;       // print the fixes as a unified diff, write nothing
  bool colour = false;     // settled from --color and the terminal
  bool statistics = false; // counts per kind after the run
  // --config, --isolated and the -W options in order, for each file's
  // settings over its project's.
  settings_choices project;
  const char *show_settings = nullptr; // --show-settings FILE
  std::vector<const char *> files;
};

// What parse_checker_options decided: go on and check the files, or leave
// with `status` (after --help, --version or a usage error).
struct parse_result {
  bool proceed;
  int status;
};

parse_result parse_checker_options(int argc, char **argv,
                                   checker_options &options);

} // namespace quelmix::tools
