// SPDX-License-Identifier: MIT
// The byte-level text routines.
#include <gtest/gtest.h>

#include <string>

#include "parser/text.hpp"

namespace quelmix::test {
namespace {

// The search as the dialect defines it, from the parser's own stop tables.
char *find_delimiter_or_comment(char *s, const char *chars) {
  return find_stop(s, make_stop_set(chars));
}

struct find_case {
  const char *text;
  const char *chars;
  std::size_t stop; // index the search stops at
};

TEST(FindDelimiterOrComment, StopsAtDelimiterOrInlineComment) {
  const find_case cases[] = {
      {"key = v", "=:", 4},   {"key: v", "=:", 3},
      {"key ; = v", "=:", 4}, // a comment before the separator
      {"key;= v", "=:", 4},   // ";" after no blank is no comment
      {";x", nullptr, 2},     // the first byte never follows a blank
      {" ;x", nullptr, 1},    // ... but the second may
      {"a // b", nullptr, 2}, {"a / b", nullptr, 5}, // a single "/" is text
      {"a\t//b", nullptr, 2},                        // any blank counts
      {"a ;b", ";", 2}, // a delimiter wins over a comment
      {"x]y", "]", 1},        {"abc", "]", 3}, // the terminator
      {"", "=", 0},
  };
  for (const find_case &c : cases) {
    std::string text = c.text;
    EXPECT_EQ(find_delimiter_or_comment(text.data(), c.chars) - text.data(),
              static_cast<std::ptrdiff_t>(c.stop))
        << '"' << c.text << "\" with " << (c.chars ? c.chars : "no chars");
  }
}

TEST(TextRoutines, TrimAndCompareAsciiOnly) {
  std::string text = " \t\v\f\r\nx y \r\n\t";
  EXPECT_STREQ(skip_leading_space(text.data()), "x y \r\n\t");
  EXPECT_STREQ(strip_trailing_space(text.data()), " \t\v\f\r\nx y");
  std::string nbsp = "x\xA0";
  EXPECT_STREQ(strip_trailing_space(nbsp.data()), "x\xA0"); // no Latin-1
  EXPECT_TRUE(equals_ignoring_case("Code_Block", "cODE_bLOCK"));
  EXPECT_FALSE(equals_ignoring_case("abc", "abcd"));
  EXPECT_FALSE(equals_ignoring_case("\xC9", "\xE9")); // no Latin-1 case
}

} // namespace
} // namespace quelmix::test
