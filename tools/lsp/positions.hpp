// SPDX-License-Identifier: MIT
// Byte columns, which the engine speaks, and UTF-16 code units, which the
// protocol speaks. A byte that is not part of valid UTF-8 counts as one
// unit (an editor shows it as one replacement character), so any bytes map
// both ways and back.
#pragma once

#include <cstddef>
#include <string_view>

namespace quelmix::lsp {

// UTF-16 units of the characters wholly within the first `bytes` bytes of
// `line` (a position inside a character stands at its start).
std::size_t utf16_units(std::string_view line, std::size_t bytes);

// The byte offset in `line` of UTF-16 unit `units` (the line's length when
// it is past the end; the start of a character when it falls inside one).
std::size_t byte_offset(std::string_view line, std::size_t units);

} // namespace quelmix::lsp
