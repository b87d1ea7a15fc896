// SPDX-License-Identifier: MIT
// Words for why a line is bad or a load failed, for people reading a tool's
// output, and the kind of each reason.
#pragma once

#include "engine/messages/kinds.hpp"
#include "loader/loader.hpp"

namespace quelmix {

struct problem_words {
  diagnostic_kind kind;
  const char *words;
};

// What is wrong with a bad line: the parser's reason, refined by the
// loader's when the handler refused the line, or why the input could not
// be read. parse_error::none has no words (null).
problem_words describe_problem(parse_error error, load_error refused) noexcept;

} // namespace quelmix
