// Byte-level text routines of the configuration dialect.
//
// Whitespace and letter case are the ASCII ones, whatever locale the host
// process has set: a file must mean the same thing in every process.
#pragma once

#include <cstddef>

namespace quelmix {

// Space, tab, newline, vertical tab, form feed and carriage return.
constexpr bool is_space(char c) noexcept {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr char to_lower_ascii(char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares two terminated strings without regard to ASCII letter case.
bool equals_ignoring_case(const char *a, const char *b) noexcept;

// The first byte of `s` that is not whitespace (the terminator if all are).
inline char *skip_leading_space(char *s) noexcept {
  while (is_space(*s))
    ++s;
  return s;
}

inline const char *skip_leading_space(const char *s) noexcept {
  while (is_space(*s))
    ++s;
  return s;
}

// Overwrites the whitespace at the end of `s` (of `length` bytes) with
// terminators; returns the new length.
inline std::size_t strip_trailing_space(char *s, std::size_t length) noexcept {
  while (length > 0 && is_space(s[length - 1]))
    s[--length] = '\0';
  return length;
}

// Overwrites the whitespace at the end of `s` with terminators; returns `s`.
char *strip_trailing_space(char *s) noexcept;

// The first byte of `s` that is one of `chars` (when given), or that starts
// an inline comment: ";" or "//" right after whitespace. The first byte of
// `s` never counts as following whitespace. Returns the terminator when
// neither is found.
char *find_delimiter_or_comment(char *s, const char *chars) noexcept;

} // namespace quelmix
