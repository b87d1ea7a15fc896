// SPDX-License-Identifier: MIT
// The tools' exit statuses, one definition each. Every tool answers a
// question: 0 when the answer is the quiet one, 1 when it is not, 2 when
// it could not answer.
#pragma once

namespace quelmix::tools {

// The checker: no bad line. The formatter: laid out already. The record
// diff: the same records. The language server: "exit" after "shutdown".
inline constexpr int EXIT_CLEAN = 0;
// The checker: a bad line (or a warning under -Werror). The formatter
// (--check): the layout would change. The record diff: they differ. The
// language server: it stopped without "shutdown" first, or lost its client.
inline constexpr int EXIT_FOUND = 1;
// Usage errors, unreadable input, failed writes, running out of memory.
inline constexpr int EXIT_TROUBLE = 2;

} // namespace quelmix::tools
