// SPDX-License-Identifier: MIT
// Text from a file, made safe for a terminal: a configuration file may hold
// any bytes, and an escape sequence in a key's name must not reach the
// user's terminal as one (it could move the cursor, set the title or write
// the clipboard). Every human-readable line a tool prints that quotes file
// text or a file name goes through here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quelmix {

// `text` with every control character written as <XX>: C0 bytes (a tab is
// kept, and newlines when `keep_newlines`), DEL, C1 controls whether raw
// bytes or UTF-8 (U+0080 to U+009F, as <C2><XX>), and every byte that is
// not part of valid UTF-8. Valid UTF-8 otherwise stays as it is.
std::string terminal_safe(std::string_view text, bool keep_newlines = false);

// A source line as a terminal shows it, cut to a window around byte
// `column` (1-based) of at most about 120 display columns: made safe as
// above, tabs expanded, a byte-order mark at its start not shown. `caret`
// receives the display column of `column` in the result (0-based). The work
// is bounded by the window, however long the line.
std::string displayed_line(std::string_view line, std::int64_t column,
                           std::size_t &caret);

} // namespace quelmix
