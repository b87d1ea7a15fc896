// SPDX-License-Identifier: MIT
// Diagnostics as compilers print them: "FILE:LINE:COLUMN: warning: MESSAGE
// [-Wkind]", the source line, a caret under the column, and a note with the
// hint; in colour when asked. Everything quoted from the file, and the
// file's name, is made safe for a terminal first.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "engine/analysis/engine.hpp"

namespace quelmix::tools {

// Writes one diagnostic of `name` (the file as the user called it) with its
// source line (empty for a diagnostic of the whole file).
void print_diagnostic(std::FILE *out, std::string_view name,
                      const diagnostic &d, std::string_view source_line,
                      bool colour);

// The summary line of a file: "sample.cfg: ok: camera "QX", 19 commands,
// 2 controls", or what is wrong and what the library returns, and why when
// that is not the first bad line. `warnings` counts those shown;
// `warnings_fail` is -Werror.
std::string summary_line(std::string_view name, const checked_text &checked,
                         std::size_t warnings, bool warnings_fail,
                         const camera_config &config);

} // namespace quelmix::tools
