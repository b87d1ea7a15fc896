// SPDX-License-Identifier: MIT
// The word-at-a-time searches: exact byte tests, and the same answers as
// the byte-by-byte search for every line length and every position of the
// byte sought, in storage exactly as long as the line (so that a read past
// its end is a sanitizer's error).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "parser/line_reader.hpp"
#include "parser/parser.hpp"
#include "parser/text.hpp"
#include "parser/word_scan.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

std::uint64_t word_of(const unsigned char (&bytes)[8]) {
  return word::load(reinterpret_cast<const char *>(bytes));
}

// Each byte's flag against the byte itself, with neighbours that would
// borrow or carry into it in the usual zero-byte trick (0x00 beside 0x01,
// 0x80 and 0xFF).
TEST(WordScan, FlagsExactlyTheBytesThatMatch) {
  const unsigned char fillers[] = {0x00, 0x01, 0x2F, 0x3B, 0x7F, 0x80, 0xFF};
  for (unsigned position = 0; position < 8; ++position) {
    for (unsigned char filler : fillers) {
      for (unsigned char sought : fillers) {
        unsigned char bytes[8];
        std::memset(bytes, filler, sizeof bytes);
        bytes[position] = sought;
        const std::uint64_t w = word_of(bytes);
        const std::uint64_t zeros = word::zero_bytes(w);
        const std::uint64_t equal =
            word::bytes_equal(w, static_cast<char>(sought));

        // The first byte flagged is the first byte that matches.
        unsigned first_equal = 8, first_zero = 8;
        for (unsigned i = 8; i-- > 0;) {
          if (bytes[i] == sought)
            first_equal = i;
          if (bytes[i] == 0)
            first_zero = i;
        }
        ASSERT_NE(equal, 0u);
        EXPECT_EQ(word::first_flagged(equal), first_equal);
        if (first_zero < 8) {
          ASSERT_NE(zeros, 0u);
          EXPECT_EQ(word::first_flagged(zeros), first_zero);
        } else {
          EXPECT_EQ(zeros, 0u);
        }
        // Every flag is a high bit, one per matching byte.
        unsigned matching = 0;
        for (unsigned char b : bytes)
          matching += b == sought;
        EXPECT_EQ(static_cast<unsigned>(std::popcount(equal)), matching);
        EXPECT_EQ(equal & ~(word::ONES * 0x80), 0u);
      }
    }
  }
}

TEST(WordScan, DropFirstKeepsTheLaterBytes) {
  const std::uint64_t all = word::ONES * 0x80;
  for (unsigned count = 0; count < 8; ++count) {
    const std::uint64_t kept = word::drop_first(all, count);
    EXPECT_EQ(static_cast<unsigned>(std::popcount(kept)), 8 - count);
    EXPECT_EQ(word::first_flagged(kept), count);
  }
}

// find_comment against find_stop over the same line: `filler` bytes with
// `piece` written at every position, for every length up to three words.
void expect_same_comment(const std::string &line, std::size_t from) {
  std::vector<char> storage(line.begin(), line.end());
  storage.push_back('\0');
  char *text = storage.data();
  char *end = text + line.size();
  const char *expected = find_stop(text + from, COMMENT_STOPS);
  EXPECT_EQ(find_comment(text + from, text, end) - text, expected - text)
      << '"' << line << "\" from " << from;
}

TEST(WordScan, FindsTheCommentTheByteSearchFinds) {
  const std::vector<std::string> pieces = {" ;x", " //x", "\t;", " /x", "a;b",
                                           "+?",  " ;",   " /",  "//",  ";"};
  for (std::size_t length = 0; length <= 26; ++length) {
    for (const std::string &piece : pieces) {
      for (std::size_t at = 0; at + piece.size() <= length; ++at) {
        std::string line(length, 'x');
        line.replace(at, piece.size(), piece);
        for (std::size_t from : {std::size_t{0}, std::size_t{1}, at})
          if (from <= length)
            expect_same_comment(line, from);
      }
    }
    expect_same_comment(std::string(length, ' '), 0);
  }
}

// Marks found once per block must say the same as a search of each line:
// lines with and without ";" and "/" at every position, across block ends.
TEST(WordScan, PlainLinesParseAsEveryOther) {
  std::string text;
  const char *values[] = {"1, 2", "3 ; c", "4 // d", "5/6", "7;8", "x"};
  for (int i = 0; text.size() < 3 * block_source::capacity; ++i) {
    text += "REG = " + std::string(static_cast<std::size_t>(i % 37), ' ') +
            values[i % 6] + (i % 5 == 0 ? "  " : "") + "\n";
    if (i % 11 == 0)
      text += "; comment line\n";
  }
  const temp_file file(text);
  expect_blocks_read_as_fgets(file.path());
}

// The block reader's line-end search against memchr, for every length up
// to past two vectors, every position of the newline (or none) and of a
// comment mark before or after it, in storage exactly as long as the bytes
// searched: the newline it finds is memchr's, and a line it calls unmarked
// holds no ";" and no "/".
TEST(WordScan, FindsTheLineEndMemchrFinds) {
  for (std::size_t length = 0; length <= 40; ++length) {
    for (std::size_t at = 0; at <= length; ++at) {
      for (std::size_t mark_at = 0; mark_at <= length; mark_at += 3) {
        for (char mark : {';', '/', 'x'}) {
          // At least one byte, so that even an empty search has a pointer
          // (memchr's may not be null).
          std::vector<char> bytes(std::max<std::size_t>(length, 1),
                                  at % 2 == 0 ? 'x' : '\x8A');
          if (mark_at < length)
            bytes[mark_at] = mark;
          if (at < length)
            bytes[at] = '\n';
          char *p = bytes.data();
          const auto *expected =
              static_cast<char *>(std::memchr(p, '\n', length));
          const line_end found = find_line_end(p, length);
          ASSERT_EQ(found.newline, expected)
              << "length " << length << ", newline at " << at;
          const char *line_end_at = expected != nullptr ? expected : p + length;
          const char *const begin = p;
          const bool marked = std::find_if(begin, line_end_at, [](char c) {
                                return c == ';' || c == '/';
                              }) != line_end_at;
          EXPECT_TRUE(found.marked || !marked)
              << "length " << length << ", mark at " << mark_at;
        }
      }
    }
  }
}

} // namespace
} // namespace quelmix::test
