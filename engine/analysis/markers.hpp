// SPDX-License-Identifier: MIT
// Lines that were meant as code-block markers and are not: "=====CODE_BLOCK_
// START=====" (five "="), "====== CODE BLOCK END ======" and the like. The
// parser reads such a line as an entry, or inside a block as block text.
#pragma once

#include <string_view>

namespace quelmix {

enum class marker { none, start, end };

// The marker `text` (a trimmed line that the parser did not take for one)
// reads like, when it starts with "=": the marker's words between runs of
// "=" of any length, with blanks or "-" for "_", in any letter case.
marker near_miss_marker(std::string_view text);

// How the marker is written.
const char *spelling(marker m);

} // namespace quelmix
