// SPDX-License-Identifier: MIT
// JSON strings for any bytes: valid UTF-8 kept, everything else escaped.
#include <gtest/gtest.h>

#include <string>

#include "json_output.hpp"

namespace quelmix::test {
namespace {

struct json_case {
  std::string bytes;
  std::string json;
};

TEST(JsonString, EscapesWhatJsonNeeds) {
  const json_case cases[] = {
      {"", "\"\""},
      {"plain", "\"plain\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"tab\tnl\ncr\r", "\"tab\\tnl\\ncr\\r\""},
      {std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\\u007f\""},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB7", // valid UTF-8 stays
       "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB7\""},
      {"\xFF\xFE", "\"\\u00ff\\u00fe\""},            // never UTF-8
      {"\xC3", "\"\\u00c3\""},                       // cut short
      {"\xC3(", "\"\\u00c3(\""},                     // bad continuation
      {"\xC0\xAF", "\"\\u00c0\\u00af\""},            // overlong "/"
      {"\xE0\x80\xAF", "\"\\u00e0\\u0080\\u00af\""}, // overlong
      {"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""}, // a surrogate
      {"\xF4\x90\x80\x80", "\"\\u00f4\\u0090\\u0080\\u0080\""}, // > U+10FFFF
  };
  for (const json_case &c : cases) {
    std::string out;
    tools::append_json_string(out, c.bytes);
    EXPECT_EQ(out, c.json);
  }
}

} // namespace
} // namespace quelmix::test
