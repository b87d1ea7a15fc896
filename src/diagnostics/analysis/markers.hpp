// SPDX-License-Identifier: MIT
// Lines that were meant as code-block markers and are not: "=====CODE_BLOCK_
// START=====" (five "="), "====== CODE BLOCK END ======" and the like. The
// parser reads such a line as an entry, or inside a block as block text.
#pragma once

#include <string_view>

namespace quelmix {

// CODE_BLOCK_START or CODE_BLOCK_END when `text` (a trimmed line that the
// parser did not take for a marker) starts with "=" and reads like one: the
// marker's words between runs of "=" of any length, with blanks or "-" for
// "_", in any letter case. Null otherwise.
const char *near_miss_marker(std::string_view text);

} // namespace quelmix
