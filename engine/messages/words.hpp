// SPDX-License-Identifier: MIT
// The small pieces every message is made of, spelled one way everywhere:
// quoted file text, numbers as the file wrote them, plurals.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quelmix {

// `text` in double quotes, cut to `longest` bytes with "..." after.
std::string quoted(std::string_view text, std::size_t longest = 60);

// A number in decimal, or in hexadecimal ("0x1F") when `hex` and it is 10
// or more (negative numbers stay decimal: a file cannot write them in hex).
std::string spell_number(std::int64_t value, bool hex);

// Always hexadecimal: the bits of `value`, at least `digits` digits
// ("0x02", "0xFFFFFFFF").
std::string spell_hex(std::uint64_t value, int digits = 2);

// "1 value", "2 values".
std::string counted(std::size_t count, std::string_view word);

} // namespace quelmix
