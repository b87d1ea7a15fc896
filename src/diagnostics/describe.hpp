// SPDX-License-Identifier: MIT
// Words for why a line is bad or a load failed, for people reading a tool's
// output, and the stable kind name of each reason.
#pragma once

#include "loader/loader.hpp"

namespace quelmix {

// What is wrong with a bad line: the parser's reason, refined by the
// loader's when the handler refused the line ("entry has no \"=\" or
// \":\""), or why the input could not be read. Null for parse_error::none.
const char *describe_problem(parse_error error, load_error refused) noexcept;

// The diagnostic kind of the same ("missing-separator"); null for none.
const char *problem_kind(parse_error error, load_error refused) noexcept;

// describe_problem for the error line of `report`.
inline const char *describe_error(const load_report &report) noexcept {
  return describe_problem(report.parse.error, report.error);
}

} // namespace quelmix
