// SPDX-License-Identifier: MIT
// The line readers' contract, and the block reader against std::fgets.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "parser/line_reader.hpp"
#include "parser/parser.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

// Every piece `reader` delivers, with `size` as the buffer size.
std::vector<std::string> pieces(line_reader reader, void *source, int size) {
  std::vector<std::string> out;
  std::vector<char> buffer(static_cast<std::size_t>(size) + 1, '\x7f');
  while (const char *line = reader(buffer.data(), size, source))
    out.emplace_back(line);
  // Once at the end, always at the end.
  EXPECT_EQ(reader(buffer.data(), size, source), nullptr);
  return out;
}

TEST(ReadStringLine, SizeBelowTwoDeliversNothing) {
  string_source source{"abc", 3};
  char buffer[4] = "xyz";
  EXPECT_EQ(read_string_line(buffer, 1, &source), nullptr);
  EXPECT_EQ(read_string_line(buffer, 0, &source), nullptr);
  EXPECT_EQ(source.left, 3u);
}

TEST(ReadStringLine, CutsAtNewlineOrSize) {
  string_source source{"ab\ncdef", 7};
  EXPECT_EQ(pieces(read_string_line, &source, 3),
            (std::vector<std::string>{"ab", "\n", "cd", "ef"}));
  string_source whole{"ab\ncdef", 7};
  EXPECT_EQ(pieces(read_string_line, &whole, 1024),
            (std::vector<std::string>{"ab\n", "cdef"}));
}

// Pieces without their final newline: the block reader hands lines that lie
// whole in its block out in place, newline dropped.
std::vector<std::string> without_newlines(std::vector<std::string> lines) {
  for (std::string &line : lines)
    if (!line.empty() && line.back() == '\n')
      line.pop_back();
  return lines;
}

// The block reader must hand the parser the lines fgets would, or the same
// file would give other line numbers and events.
TEST(ReadBlockLine, DeliversWhatFgetsDelivers) {
  const std::vector<std::string> inputs = {
      "",
      "no newline at end",
      "a\nb\n\n\nc",
      "\r\n\r\n",
      std::string(1022, 'x') + "\n" + std::string(1023, 'y') + "\n",
      std::string(5000, 'z'),
      std::string("nul\0inside\nline", 16),
      std::string(block_source::capacity - 1, 'q') + "\nafter\n",
      std::string(block_source::capacity * 3 + 17, '\n'),
  };
  for (const std::string &input : inputs) {
    const temp_file file(input);
    for (int size : {2, 3, 1024}) {
      std::FILE *a = std::fopen(file.path(), "r");
      std::FILE *b = std::fopen(file.path(), "r");
      ASSERT_NE(a, nullptr);
      ASSERT_NE(b, nullptr);
      std::vector<char> storage(block_source::capacity);
      block_source blocks(b, storage.data());
      EXPECT_EQ(without_newlines(pieces(read_block_line, &blocks, size)),
                without_newlines(pieces(read_stream_line, a, size)))
          << "input of " << input.size() << " bytes, size " << size;
      std::fclose(a);
      std::fclose(b);
    }
  }
}

TEST(ReadBlockLine, SampleParsesTheSameThroughFgets) {
  expect_blocks_read_as_fgets(sample_path().c_str());
}

} // namespace
} // namespace quelmix::test
