// SPDX-License-Identifier: MIT
// Hostile files: whatever bytes a file holds, a load ends with the expected
// result, a record the host can walk and free, and bounded memory.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "loader/loader.hpp"
#include "parser/line_reader.hpp"
#include "support/counting_allocator.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

const std::string START = "======CODE_BLOCK_START======\n";
const std::string END = "======CODE_BLOCK_END======\n";

std::string repeat(const std::string &piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i)
    out += piece;
  return out;
}

std::string random_bytes(std::size_t size, std::uint32_t seed) {
  std::string out(size, '\0');
  for (char &c : out) {
    seed = seed * 1664525u + 1013904223u; // a fixed LCG: the same every run
    c = static_cast<char>(seed >> 24);
  }
  return out;
}

std::string every_section_name_too_long() {
  std::string text;
  for (const char *name :
       {"camera parameter", "control parameter", "board parameter",
        "board parameter||dev2", "board parameter||dev3||inf2",
        "board parameter||dev3||inf3", "register parameter",
        "register parameter||dev3||inf2", "register parameter||dev3||inf3"})
    text += "[" + std::string(name) + "x]\nREG = 1\nSIZE = 1, 2\nDEF = 1\n";
  return text;
}

struct hostile_case {
  const char *name;
  std::string contents;
  int result; // -2: any result but -1
  std::uint32_t commands;
  std::uint32_t controls;
  // Bytes the library may hold at once beyond the one read block every
  // parse of a file allocates.
  std::size_t peak_limit;
};

void PrintTo(const hostile_case &c, std::ostream *out) { *out << c.name; }

class HostileFile : public testing::TestWithParam<hostile_case> {};

// The record must be walkable: every string terminated inside its field,
// every count within its storage.
void check_walkable(const camera_config &config) {
  EXPECT_LT(strnlen(config.type, sizeof config.type), sizeof config.type);
  EXPECT_EQ(config.configs == nullptr, config.configs_length == 0);
  EXPECT_EQ(config.controls == nullptr, config.controls_length == 0);
  for (std::uint32_t i = 0; i < config.configs_length; ++i)
    ASSERT_LE(config.configs[i].params_length, CONFIG_MAX_PARAMS);
  for (std::uint32_t i = 0; i < config.controls_length; ++i) {
    const control_entry &control = config.controls[i];
    ASSERT_LT(strnlen(control.ctrl_name, 128), 128u);
    ASSERT_LT(strnlen(control.func_name, 128), 128u);
    EXPECT_EQ(control.reserved, 0u);
  }
}

TEST_P(HostileFile, LoadsWithinBounds) {
  const hostile_case &c = GetParam();
  const temp_file file(c.contents);
  camera_config config{};
  arm_allocator();
  const load_report report = load_config_file(file.path(), &config);
  check_walkable(config);
  EXPECT_EQ(config.configs_length, c.commands);
  EXPECT_EQ(config.controls_length, c.controls);
  quelmix_release_config(&config);
  const allocation_counters counted = disarm_allocator();
  if (c.result == -2)
    EXPECT_GE(report.parse.line, 0);
  else
    EXPECT_EQ(report.parse.line, c.result);
  EXPECT_EQ(counted.live_blocks, 0);
  // The allocator counts usable sizes, a few bytes above the request.
  constexpr std::size_t read_block = block_source::capacity + 64;
  EXPECT_LE(counted.peak_bytes, c.peak_limit + read_block);
}

// A NUL ends what the parser sees of its line: "REG = 1", then "[bad".
constexpr char NUL_LINES[] = "[register parameter]\nREG = 1\0, 2\n"
                             "[bad\0]\nREG = 3\n";

constexpr std::size_t KIB = 1024;
constexpr std::size_t MIB = 1024 * KIB;

INSTANTIATE_TEST_SUITE_P(
    All, HostileFile,
    testing::Values(
        hostile_case{"NulBytesInsideLines",
                     std::string(NUL_LINES, sizeof NUL_LINES - 1), 3, 2, 0,
                     8 * KIB},
        // 16 MiB in 1023-byte pieces: the first is a comment, the second
        // has no separator.
        hostile_case{"SixteenMebibyteLineWithoutNewline",
                     "; " + std::string(16 * MIB, 'a'), 2, 0, 0, 0},
        hostile_case{"MillionLineCodeBlock",
                     "[control parameter]\n" + START + repeat("x\n", 1000000) +
                         END,
                     0, 0, 1, 16 * MIB},
        hostile_case{"TenThousandSections", repeat("[s]\nREG = 1\n", 10000), 0,
                     0, 0, 0},
        // 3017 bytes: the first piece is a header (name cut to 49 bytes),
        // the second starts "2][dev2]..." and has no separator.
        hostile_case{"FiveHundredJoinedHeadersOnOneLine",
                     "[board parameter]" + repeat("[dev2]", 500) +
                         "\nREG = 1\n",
                     2, 0, 0, 0},
        hostile_case{"ControlSectionTenThousandTimes",
                     repeat("[control parameter]\nDEF = 1\n", 10000), 0, 0,
                     10000, 4 * MIB},
        hostile_case{"EverySectionNameOneByteTooLong",
                     every_section_name_too_long(), 0, 0, 0, 0},
        hostile_case{"RandomBinary", random_bytes(1 * MIB, 7), -2, 0, 0,
                     1 * MIB},
        hostile_case{"EndsInsideCodeBlock",
                     "[control parameter]\n" + START + "a\nb", 4, 0, 1,
                     4 * KIB},
        hostile_case{"ByteOrderMarkOnLaterLine",
                     "\xEF\xBB\xBF[register parameter]\n\xEF\xBB\xBFREG = 1\n"
                     "REG = 2\n",
                     0, 1, 0, 8 * KIB}),
    [](const auto &param) { return std::string(param.param.name); });

} // namespace
} // namespace quelmix::test
