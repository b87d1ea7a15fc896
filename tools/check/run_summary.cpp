// SPDX-License-Identifier: MIT
#include "run_summary.hpp"

#include <algorithm>
#include <cstdio>

#include "engine/messages/words.hpp"

namespace quelmix::tools {

void run_tally::add(const std::vector<const diagnostic *> &reported) {
  ++files;
  bool errors = false;
  for (const diagnostic *d : reported) {
    ++kinds[d->kind];
    if (d->level() == severity::error)
      errors = true;
    else
      ++warnings;
  }
  if (errors)
    ++files_with_errors;
}

std::string closing_line(const run_tally &tally) {
  return "checked " + counted(tally.files, "file") + ": " +
         std::to_string(tally.files_with_errors) + " with errors, " +
         counted(tally.warnings, "warning");
}

std::string statistics(const run_tally &tally) {
  std::vector<std::pair<diagnostic_kind, std::size_t>> rows(tally.kinds.begin(),
                                                            tally.kinds.end());
  std::stable_sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) {
    return a.second > b.second;
  });
  std::string text;
  for (const auto &[kind, count] : rows) {
    char number[32];
    std::snprintf(number, sizeof number, "%6zu  ", count);
    text += number;
    text += name_of(kind);
    text += info(kind).level == severity::error ? " (error): " : " (warning): ";
    text += info(kind).summary;
    text += '\n';
  }
  return text;
}

} // namespace quelmix::tools
