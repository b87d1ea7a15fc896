// SPDX-License-Identifier: MIT
#include "parser/text.hpp"

#include <cstring>

namespace quelmix {

bool equals_ignoring_case(const char *a, const char *b) noexcept {
  for (; to_lower_ascii(*a) == to_lower_ascii(*b); ++a, ++b) {
    if (*a == '\0')
      return true;
  }
  return false;
}

char *strip_trailing_space(char *s) noexcept {
  strip_trailing_space(s, std::strlen(s));
  return s;
}

} // namespace quelmix
