// SPDX-License-Identifier: MIT
// What a run over many files adds up to: the closing line ("checked 412
// files: 3 with errors, 17 warnings") and, with --statistics, how many
// diagnostics of each kind were reported.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "engine/messages/kinds.hpp"

namespace quelmix::tools {

struct run_tally {
  std::size_t files = 0;
  std::size_t files_with_errors = 0;
  std::size_t warnings = 0;
  std::map<diagnostic_kind, std::size_t> kinds; // of those reported

  // One file's reported diagnostics.
  void add(const std::vector<const diagnostic *> &reported);
};

std::string closing_line(const run_tally &tally);

// One line per kind reported, the most frequent first: "COUNT KIND
// (error|warning): SUMMARY".
std::string statistics(const run_tally &tally);

} // namespace quelmix::tools
