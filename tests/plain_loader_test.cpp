// SPDX-License-Identifier: MIT
// The library's load against the plain loader (fuzz/plain_loader.hpp), the
// fuzzers' oracle: the same record, field by field, and the same result on
// the samples, the fuzz corpus, generated files and lines that look like
// commands but are not quite.
#include <gtest/gtest.h>

#include <dirent.h>
#include <iterator>
#include <string>
#include <vector>

#include "../fuzz/plain_loader.hpp"
#include "config_generator.hpp"
#include "engine/analysis/same_record.hpp"
#include "support/command_look_alikes.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

void expect_same_as_plain(const std::string &bytes, const std::string &what) {
  const temp_file file(bytes);
  scoped_config config;
  const int result = quelmix_parse_config(file.path(), config.get());
  plain::load_result oracle = plain::load(bytes);
  EXPECT_EQ(result, oracle.result) << what;
  EXPECT_TRUE(same_record(config.value, oracle.config))
      << what << "\nlibrary:\n"
      << describe_record(config.value) << "\nplain:\n"
      << describe_record(oracle.config);
  quelmix_release_config(&oracle.config);
}

std::vector<std::string> files_in(const std::string &dir) {
  std::vector<std::string> paths;
  if (DIR *d = opendir(dir.c_str())) {
    while (const dirent *entry = readdir(d)) {
      if (entry->d_name[0] != '.')
        paths.push_back(dir + "/" + entry->d_name);
    }
    closedir(d);
  }
  return paths;
}

TEST(PlainLoader, SamplesAndSeedInputs) {
  const std::string root = std::string(QUELMIX_TESTS_DIR) + "/..";
  std::vector<std::string> paths = files_in(root + "/fuzz/corpus");
  for (const std::string &path : files_in(root + "/examples"))
    if (path.size() > 4 && path.substr(path.size() - 4) == ".cfg")
      paths.push_back(path);
  ASSERT_GT(paths.size(), 3u);
  for (const std::string &path : paths)
    expect_same_as_plain(read_file(path), path);
}

TEST(PlainLoader, GeneratedFiles) {
  const bench::generator_options shapes[] = {
      {300, false, 8}, {20000, false, 8}, {3000, true, 8}, {3000, false, 500}};
  for (const bench::generator_options &shape : shapes)
    expect_same_as_plain(bench::generate_config(shape), "generated");
}

// Command lines and lines that look like them, and other lines a loader may
// misread, in every kind of section, with every line ending.
TEST(PlainLoader, CommandLinesAndLookAlikes) {
  const char *more_lines[] = {"SIZE = 640, 480",
                              "SIZE = 640",
                              "FORMAT = 2",
                              "FORMAT = 0x02, 0x01",
                              "FORMAT = 1,2,3",
                              ("TYPE = a long type name that "
                               "is cut at forty-nine bytes by the field"),
                              "CTRL_NAME = x ; c",
                              "MIN_VALUE = -9223372036854775809",
                              "STEP = 0xFFFFFFFF",
                              "DEF = 12abc",
                              "BIT_WIDTH = 300",
                              "I2C_ADDR = 0x12345",
                              "/x = 1",
                              "a/ = 1",
                              "a ;= 1",
                              "= 1",
                              ": 2",
                              "REG = 1\0 ;c",
                              "bad line",
                              "[unclosed",
                              "[a][b",
                              "[register parameter][dev3][inf2] ; c",
                              "======CODE_BLOCK_START======",
                              "======code_block_end======"};
  std::vector<const char *> lines(std::begin(COMMAND_LOOK_ALIKES),
                                  std::end(COMMAND_LOOK_ALIKES));
  lines.insert(lines.end(), std::begin(more_lines), std::end(more_lines));
  for (const char *section : LOOK_ALIKE_SECTIONS) {
    for (const char *line : lines) {
      for (const char *ending : LOOK_ALIKE_ENDINGS) {
        const std::string text =
            std::string(section) + line + ending + "REG = 7\nTYPE = t\n";
        expect_same_as_plain(text, text);
      }
    }
  }
}

// A literal's every byte, NULs included.
template <std::size_t N> std::string with_nuls(const char (&text)[N]) {
  return std::string(text, N - 1);
}

// Code blocks closed, cut by a header and left open; NUL bytes; lines
// longer than a read piece.
TEST(PlainLoader, BlocksNulsAndLongLines) {
  const std::string cases[] = {
      "[control parameter]\n======CODE_BLOCK_START======\n  x = 1\n"
      "======CODE_BLOCK_END======\n",
      "[control parameter]\n======CODE_BLOCK_START======\nx\n[camera "
      "parameter]\nTYPE = y\n",
      "[control parameter]\nbad\n======CODE_BLOCK_START======\nx\n",
      "[camera parameter]\n======CODE_BLOCK_START======\nx\n"
      "======CODE_BLOCK_END======\n",
      with_nuls("[register parameter]\nREG = 1\0, 2\nREG = 3\n"),
      with_nuls("[register parameter]\n\0REG = 1\nREG\0 = 2\n"),
      "[register parameter]\nREG = " + std::string(2000, '1') + "\nREG = 2\n",
      "[register parameter]\nREG = 1 ;" + std::string(1100, 'c') +
          "REG = 5\nREG = 2\n",
  };
  for (const std::string &text : cases)
    expect_same_as_plain(text, text);
}

} // namespace
} // namespace quelmix::test
