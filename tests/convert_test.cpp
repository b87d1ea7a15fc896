// SPDX-License-Identifier: MIT
// Number conversion and value lists.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "loader/convert.hpp"

namespace quelmix::test {
namespace {

struct int64_case {
  const char *text;
  std::int64_t value;
};

TEST(ParseInt64, ConvertsLikeTheDialectSays) {
  const int64_case cases[] = {
      {"0", 0},
      {"42", 42},
      {"  42  ", 42},
      {"010", 10}, // a leading zero is no octal
      {"0x1A", 26},
      {"0X1a", 26},
      {"\t 0xff", 255},
      {"-16", -16},
      {"+16", 16},
      {"-0x10", 0}, // a sign before 0x leaves base 10
      {"+0x10", 0},
      {"0x", 0},
      {"0xg", 0},
      {"12abc", 12},
      {"abc", 0},
      {"", 0},
      {"- 5", 0},
      {"9223372036854775807", INT64_MAX},
      {"9223372036854775806", INT64_MAX - 1}, // one step inside: exact
      {"-9223372036854775807", INT64_MIN + 1},
      {"9223372036854775808", INT64_MAX},
      {"99999999999999999999999", INT64_MAX},
      {"-9223372036854775808", INT64_MIN},
      {"-9223372036854775809", INT64_MIN},
      {"0x7FFFFFFFFFFFFFFF", INT64_MAX},
      {"0x8000000000000000", INT64_MAX},
      {"0xFFFFFFFFFFFFFFFFFFFF", INT64_MAX},
      {"4294967297", 4294967297},
      {"999999999999999", 999999999999999},     // 15 digits
      {"0xFFFFFFFFFFFFFFF", 0xFFFFFFFFFFFFFFF}, // 15 hex digits
      {"0x0FFFFFFFFFFFFFFFF", INT64_MAX},       // 17 with a leading zero
      {"0000000000000000000000012", 12},        // zeros are no magnitude
      {"0x00000000000000000000001A", 26},
      {"-0000000000000000009223372036854775808", INT64_MIN},
      {"1,2", 1},
      // Every width around the four digits read without a loop, each
      // ended by a byte that is no digit.
      {"0x1", 1},
      {"0xaB", 0xAB},
      {"0xAbC", 0xABC},
      {"0x3C7A", 0x3C7A},
      {"0x3C7A5", 0x3C7A5},
      {"0xF00Dcafe", 0xF00DCAFE},
      {"0x3g", 3},
      {"0x3C,", 0x3C},
      {"0x3C7 1", 0x3C7},
      {"0x3C7A;", 0x3C7A},
  };
  for (const int64_case &c : cases)
    EXPECT_EQ(parse_int64(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParseInt32, KeepsTheLow32Bits) {
  EXPECT_EQ(parse_int32("0xFFFFFFFF"), -1);
  EXPECT_EQ(parse_int32("-1"), -1);
  EXPECT_EQ(parse_int32("4294967297"), 1);
  EXPECT_EQ(parse_int32("0x108"), 0x108);
  EXPECT_EQ(parse_int32("2147483648"), INT32_MIN);
}

TEST(ParseInt64, WhitespaceIsAsciiWhateverTheLocale) {
  // 0xA0 (no-break space in Latin-1) is no whitespace here.
  EXPECT_EQ(parse_int64("\xA0"
                        "5"),
            0);
  EXPECT_EQ(parse_int64("\v\f\r5"), 5);
}

struct list_case {
  const char *text;
  std::vector<std::uint32_t> values;
  bool fits;
};

TEST(ParseValueList, SplitsAtCommas) {
  const list_case cases[] = {
      {"", {}, true},
      {"640, 480", {640, 480}, true},
      {"0x12,0x80", {0x12, 0x80}, true},
      {"1,,2", {1, 2}, true},
      {",5,", {5}, true},
      {"1, ,2", {1, 0, 2}, true},
      {"x", {0}, true},
      {"-1", {0xFFFFFFFFu}, true},
      {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16",
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
       true},
      {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17",
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
       false},
      {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,,,", // empty pieces are free
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
       true},
  };
  for (const list_case &c : cases) {
    value_list list;
    EXPECT_EQ(parse_value_list(c.text, list), c.fits) << c.text;
    EXPECT_EQ(std::vector<std::uint32_t>(list.values, list.values + list.count),
              c.values)
        << c.text;
    for (unsigned i = list.count; i < CONFIG_MAX_PARAMS; ++i)
      EXPECT_EQ(list.values[i], 0u) << c.text << " slot " << i;
  }
}

// The list's quick conversion of a piece against parse_int32, which always
// converts with saturation: every digit count from 1 to 22 in both bases
// (so both sides of the count beyond which a number may saturate), hex
// digits and prefix in both letter cases, each sign, and blanks before.
std::string digits_of(unsigned count, bool hex, bool upper, unsigned seed) {
  const char *alphabet =
      hex ? (upper ? "0123456789ABCDEF" : "0123456789abcdef") : "0123456789";
  const unsigned base = hex ? 16 : 10;
  std::string text;
  for (unsigned i = 0; i < count; ++i)
    text += alphabet[(seed * 7 + i * 13 + (i == 0 ? 1 : 0)) % base];
  if (text[0] == '0')
    text[0] = '9'; // a leading zero would shorten the magnitude
  return text;
}

TEST(ValueList, PiecesAtEveryDigitCountConvertLikeParseInt32) {
  std::vector<std::string> numbers;
  for (unsigned count = 1; count <= 22; ++count) {
    for (unsigned seed = 0; seed < 3; ++seed) {
      for (const char *sign : {"", "-", "+"})
        numbers.push_back(sign + digits_of(count, false, false, seed));
      for (const char *prefix : {"0x", "0X"})
        for (bool upper : {false, true})
          numbers.push_back(prefix + digits_of(count, true, upper, seed));
      numbers.push_back(std::string(count, 'F').insert(0, "0x")); // all ones
      numbers.push_back(std::string(count, '9'));                 // the top
      numbers.push_back("-" + std::string(count, '9'));
    }
  }
  numbers.insert(numbers.end(), {"9223372036854775807", "9223372036854775808",
                                 "-9223372036854775808", "-9223372036854775809",
                                 "0x7FFFFFFFFFFFFFFF", "0x8000000000000000",
                                 "4294967295", "4294967296", "-2147483649",
                                 "0x", "0X", "-", "+", "-0x10", "+0x1F"});
  for (const std::string &number : numbers) {
    for (const char *before : {"", " ", "\t  "}) {
      const std::string piece = before + number;
      // Alone, followed by another piece, and after one.
      for (const std::string &text :
           {piece, piece + ",7", "5," + piece, piece + " ;x"}) {
        std::uint32_t values[CONFIG_MAX_PARAMS] = {};
        std::uint8_t count = 0;
        ASSERT_TRUE(parse_values(text.c_str(), values, count)) << text;
        const std::size_t at = text.rfind(piece);
        const unsigned index = at == 0 ? 0 : 1;
        ASSERT_GT(count, index) << text;
        EXPECT_EQ(values[index],
                  static_cast<std::uint32_t>(parse_int32(piece.c_str())))
            << '"' << text << '"';
      }
    }
  }
}

} // namespace
} // namespace quelmix::test
