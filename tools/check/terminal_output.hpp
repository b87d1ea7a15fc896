// SPDX-License-Identifier: MIT
// Diagnostics as compilers print them: "FILE:LINE:COLUMN: warning: MESSAGE
// [-Wkind]", the source line, a caret under the column, and a note with the
// hint; in colour when asked.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "diagnostics/messages/kinds.hpp"

namespace quelmix::tools {

// The source line as a terminal can show it: tabs expanded, bytes that are
// not printable (and not valid UTF-8) written as <XX>, long lines cut to a
// window around `column`. `caret` receives the display column of `column`
// (0-based) in the result.
std::string displayed_line(std::string_view line, std::int64_t column,
                           std::size_t &caret);

// Writes one diagnostic of `name` (the file as the user called it) with its
// source line (empty for a diagnostic of the whole file).
void print_diagnostic(std::FILE *out, std::string_view name,
                      const diagnostic &d, std::string_view source_line,
                      bool colour);

} // namespace quelmix::tools
