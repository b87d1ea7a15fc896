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

char *find_delimiter_or_comment(char *s, const char *chars) noexcept {
  bool after_space = false;
  char *p = s;
  for (; *p != '\0'; ++p) {
    if (chars != nullptr && std::strchr(chars, *p) != nullptr)
      return p;
    if (after_space && (*p == ';' || (*p == '/' && p[1] == '/')))
      return p;
    after_space = is_space(*p);
  }
  return p;
}

} // namespace quelmix
