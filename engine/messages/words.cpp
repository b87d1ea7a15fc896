// SPDX-License-Identifier: MIT
#include "engine/messages/words.hpp"

#include <cstdio>

namespace quelmix {

// Appended piece by piece: `"\"" + std::string(...)` draws a false
// -Wrestrict from GCC 12 at -O3.
std::string quoted(std::string_view text, std::size_t longest) {
  std::string out(1, '"');
  out.append(text.substr(0, longest));
  if (text.size() > longest)
    out += "...";
  out += '"';
  return out;
}

std::string spell_hex(std::uint64_t value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*llX", digits,
                static_cast<unsigned long long>(value));
  return text;
}

std::string spell_number(std::int64_t value, bool hex) {
  if (!hex || value < 10) // a digit reads the same in both bases
    return std::to_string(value);
  return spell_hex(static_cast<std::uint64_t>(value));
}

std::string counted(std::size_t count, std::string_view word) {
  std::string out = std::to_string(count);
  out += ' ';
  out += word;
  if (count != 1)
    out += 's';
  return out;
}

} // namespace quelmix
