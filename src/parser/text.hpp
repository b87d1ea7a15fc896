// SPDX-License-Identifier: MIT
// Byte-level text routines of the configuration dialect.
//
// Whitespace and letter case are the ASCII ones, whatever locale the host
// process has set: a file must mean the same thing in every process.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "parser/word_scan.hpp"

namespace quelmix {

// Space, tab, newline, vertical tab, form feed and carriage return, as a
// table: one lookup in the loops that trim every line.
inline constexpr std::array<bool, 256> SPACE_BYTES = [] {
  std::array<bool, 256> spaces{};
  for (char c : {' ', '\t', '\n', '\v', '\f', '\r'})
    spaces[static_cast<unsigned char>(c)] = true;
  return spaces;
}();

constexpr bool is_space(char c) noexcept {
  return SPACE_BYTES[static_cast<unsigned char>(c)];
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

// `text` without its whitespace at the end, or at both ends. No substr():
// its range check can throw, and the library calls nothing of the C++
// run-time library.
constexpr std::string_view trim_right(std::string_view text) noexcept {
  std::size_t end = text.size();
  while (end > 0 && is_space(text[end - 1]))
    --end;
  text.remove_suffix(text.size() - end);
  return text;
}

constexpr std::string_view trim(std::string_view text) noexcept {
  text = trim_right(text);
  std::size_t begin = 0;
  while (begin < text.size() && is_space(text[begin]))
    ++begin;
  text.remove_prefix(begin);
  return text;
}

// Bytes that can neither end an entry's name nor start a comment: all but
// the terminator, whitespace, "=", ":", ";" and "/".
inline constexpr std::array<bool, 256> NAME_BYTES = [] {
  std::array<bool, 256> word{};
  for (auto &b : word)
    b = true;
  for (char c : {'\0', '=', ':', ';', '/'})
    word[static_cast<unsigned char>(c)] = false;
  for (std::size_t c = 0; c < word.size(); ++c)
    if (SPACE_BYTES[c])
      word[c] = false;
  return word;
}();

constexpr bool continues_name(char c) noexcept {
  return NAME_BYTES[static_cast<unsigned char>(c)];
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

// What a search makes of each byte: go on, stop, or stop when it follows
// whitespace (";", and "/" when another "/" follows).
enum stop_kind : std::uint8_t { GO_ON, STOP, COMMENT_AFTER_SPACE };
using stop_set = std::array<std::uint8_t, 256>;

// The terminator and `delimiters` stop a search; ";" and "/" may start a
// comment unless they are delimiters themselves.
constexpr stop_set make_stop_set(const char *delimiters) noexcept {
  stop_set set{};
  set[static_cast<unsigned char>(';')] = COMMENT_AFTER_SPACE;
  set[static_cast<unsigned char>('/')] = COMMENT_AFTER_SPACE;
  set[0] = STOP;
  for (const char *c = delimiters; c != nullptr && *c != '\0'; ++c)
    set[static_cast<unsigned char>(*c)] = STOP;
  return set;
}

// The searches the parser makes, built at compile time.
inline constexpr stop_set HEADER_END_STOPS = make_stop_set("]");
inline constexpr stop_set SEPARATOR_STOPS = make_stop_set("=:");
inline constexpr stop_set COMMENT_STOPS = make_stop_set(nullptr);

// An inline comment starts at `p`: ";" or "//" right after whitespace.
// `p` must not be the first byte of its text (its predecessor is read).
inline bool starts_inline_comment(const char *p) noexcept {
  return is_space(p[-1]) && (p[0] == ';' || (p[0] == '/' && p[1] == '/'));
}

// The first byte of `s` that `stops` says to stop on. One table lookup per
// byte; the byte before a possible comment is looked at only then, and the
// first byte of `s` never counts as following whitespace.
inline char *find_stop(char *s, const stop_set &stops) noexcept {
  auto kind = [&stops](const char *p) {
    return stops[static_cast<unsigned char>(*p)];
  };
  for (char *p = s;; ++p) {
    // Unrolled: a byte is read only after the one before it was no stop,
    // so the scan never reads past the terminator.
    while (kind(p) == GO_ON) {
      if (kind(p + 1) != GO_ON) {
        p += 1;
        break;
      }
      if (kind(p + 2) != GO_ON) {
        p += 2;
        break;
      }
      if (kind(p + 3) != GO_ON) {
        p += 3;
        break;
      }
      p += 4;
    }
    if (kind(p) == STOP || (p != s && starts_inline_comment(p)))
      return p;
  }
}

// find_stop(s, COMMENT_STOPS) in a line of which `end` is the terminator
// and holds no other NUL: the inline comment at or after `s` (not at `s`
// itself), or `end`. Eight bytes at a time, ";" and "/" in one test (with
// "+" and "?", which the check of each flagged byte turns away); the bytes
// from `floor` up to `s` may be read too.
inline char *find_comment(char *s, const char *floor, char *end) noexcept {
  return word::find_first(
      s, floor, end,
      [](std::uint64_t w) {
        return word::bytes_equal(w | word::ONES * 0x14, '\x3F');
      },
      [s](const char *p) { return p != s && starts_inline_comment(p); });
}

// The same search over text that must not change (it never writes).
inline const char *find_stop(const char *s, const stop_set &stops) noexcept {
  return find_stop(const_cast<char *>(s), stops);
}

// The UTF-8 byte-order mark, which the parser skips at the start of the
// first line only.
inline constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";

constexpr bool starts_with_byte_order_mark(std::string_view text) noexcept {
  // Not starts_with(): libstdc++ builds it on substr().
  return text.size() >= BYTE_ORDER_MARK.size() &&
         std::string_view(text.data(), BYTE_ORDER_MARK.size()) ==
             BYTE_ORDER_MARK;
}

} // namespace quelmix
