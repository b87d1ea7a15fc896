// SPDX-License-Identifier: MIT
// Board and register commands: type codes, values, order and growth.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "loader/loader.hpp"
#include "loader/tables.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

struct section_case {
  const char *header;
  std::uint32_t code;
};

TEST(CommandList, TypeCodeOfEverySectionAndKey) {
  const section_case sections[] = {
      {"[board parameter]", 0x02000000},
      {"[board parameter][dev2]", 0x02020000},
      {"[board parameter||dev2]", 0x02020000},
      {"[board parameter][dev3][inf2]", 0x02040000},
      {"[board parameter||dev3||inf2]", 0x02040000},
      {"[board parameter][dev3][inf3]", 0x02030000},
      {"[board parameter||dev3][inf3]", 0x02030000},
      {"[register parameter]", 0x03000000},
      {"[register parameter][dev3][inf2]", 0x03040000},
      {"[register parameter||dev3||inf2]", 0x03040000},
      {"[register parameter][dev3][inf3]", 0x03030000},
      {"[register parameter||dev3||inf3]", 0x03030000},
  };
  for (const section_case &s : sections) {
    scoped_config config;
    const std::string text =
        std::string(s.header) + "\nREG = 1\nVRCMD = 2\nDELAY = 3\n";
    ASSERT_EQ(load_string(text.c_str(), config.get()).parse.line, 0);
    ASSERT_EQ(config->configs_length, 3u) << s.header;
    EXPECT_EQ(config->configs[0].type, s.code | CONFIG_KEY_REG) << s.header;
    EXPECT_EQ(config->configs[1].type, s.code | CONFIG_KEY_VRCMD) << s.header;
    EXPECT_EQ(config->configs[2].type, s.code | CONFIG_KEY_DELAY) << s.header;
  }
}

TEST(CommandList, NotCommands) {
  scoped_config config;
  const load_report report =
      load_string("REG = 1\n"
                  "[camera parameter]\nREG = 1\n"
                  "[control parameter]\nREG = 1\n"
                  "[register parameter][dev2]\nREG = 1\n"
                  "[register parameter]\nreg = 1, 2\nWRITE = 1\n",
                  config.get());
  EXPECT_EQ(report.parse.line, 0);
  EXPECT_EQ(config->configs_length, 0u);
  EXPECT_EQ(config->configs, nullptr);
}

struct values_case {
  const char *value;
  std::vector<std::uint32_t> params;
};

TEST(CommandList, Values) {
  const values_case cases[] = {
      {"", {}},
      {"x", {0}},
      {"0x3008, 0x82", {0x3008, 0x82}},
      {"1,,2", {1, 2}},
      {",5,", {5}},
      {"1, ,2", {1, 0, 2}},
      {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16",
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
  };
  for (const values_case &c : cases) {
    scoped_config config;
    const std::string text =
        std::string("[register parameter]\nREG = ") + c.value + "\n";
    ASSERT_EQ(load_string(text.c_str(), config.get()).parse.line, 0);
    ASSERT_EQ(config->configs_length, 1u);
    const config_entry &entry = config->configs[0];
    EXPECT_EQ(std::vector<std::uint32_t>(entry.params,
                                         entry.params + entry.params_length),
              c.params)
        << c.value;
  }
}

TEST(CommandList, SeventeenValuesRefuseTheLine) {
  scoped_config config;
  const load_report report =
      load_string("[register parameter]\nREG = 1\n"
                  "REG = 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\nREG = 3\n",
                  config.get());
  EXPECT_EQ(report.parse.line, 3);
  EXPECT_EQ(report.error, load_error::too_many_values);
  ASSERT_EQ(config->configs_length, 2u); // nothing appended, parsing goes on
  EXPECT_EQ(config->configs[1].params[0], 3u);
}

// A zeroed record keeps a list pointer NULL exactly while its length is 0,
// whatever the refused lines before, between or instead of the commands.
TEST(CommandList, RefusedLinesAllocateNothing) {
  const std::string seventeen = "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17";
  const std::string cases[] = {
      "[register parameter]\nREG = " + seventeen + "\n",
      "[board parameter][dev2]\nDELAY=" + seventeen + " ; note\n",
      "[board parameter]\nVRCMD = " + seventeen + "\nVRCMD = " + seventeen +
          "\n",
      "[register parameter||dev3||inf3]\n  REG : " + seventeen +
          "\nWRITE = 1\n[control parameter]\n",
      "[register parameter]\nREG = 0x" + seventeen + "\r\nreg = 1\n",
  };
  for (const std::string &text : cases) {
    const temp_file file(text);
    scoped_config config;
    EXPECT_GT(quelmix_parse_config(file.path(), config.get()), 0) << text;
    EXPECT_EQ(config->configs_length, 0u) << text;
    EXPECT_EQ(config->configs, nullptr) << text;
    EXPECT_EQ(config->controls == nullptr, config->controls_length == 0)
        << text;
  }
}

TEST(CommandList, OrderFollowsTheFileAcrossSections) {
  scoped_config config;
  load_string("[board parameter]\nREG = 1\n[register parameter]\n"
              "REG = 2\n[board parameter][dev2]\nDELAY = 3\n"
              "[board parameter]\nREG = 4\n",
              config.get());
  ASSERT_EQ(config->configs_length, 4u);
  for (std::uint32_t i = 0; i < 4; ++i)
    EXPECT_EQ(config->configs[i].params[0], i + 1);
  EXPECT_EQ(config->configs[0].type >> 24, 2u);
  EXPECT_EQ(config->configs[1].type >> 24, 3u);
}

std::string register_lines(int count, int first = 0) {
  std::string text = "[register parameter]\n";
  for (int i = first; i < first + count; ++i)
    text += "REG = " + std::to_string(i) + ", " + std::to_string(i * 7) + "\n";
  return text;
}

// Every entry must survive each regrowth of the list, whatever its size.
TEST(CommandList, GrowsInBlocksOfAHundredKeepingEveryEntry) {
  for (int count : {1, 99, 100, 101, 199, 200, 250}) {
    scoped_config config;
    ASSERT_EQ(
        load_string(register_lines(count).c_str(), config.get()).parse.line, 0);
    ASSERT_EQ(config->configs_length, static_cast<std::uint32_t>(count));
    for (int i = 0; i < count; ++i) {
      ASSERT_EQ(config->configs[i].params[0], static_cast<std::uint32_t>(i));
      ASSERT_EQ(config->configs[i].params[1],
                static_cast<std::uint32_t>(i * 7));
    }
  }
}

TEST(CommandList, SecondFileAppends) {
  scoped_config config;
  const temp_file first(register_lines(150) + "[control parameter]\n");
  const temp_file second(register_lines(60, 150) + "[control parameter]\n");
  ASSERT_EQ(quelmix_parse_config(first.path(), config.get()), 0);
  ASSERT_EQ(quelmix_parse_config(second.path(), config.get()), 0);
  ASSERT_EQ(config->configs_length, 210u);
  for (std::uint32_t i = 0; i < 210; ++i)
    ASSERT_EQ(config->configs[i].params[0], i);
  EXPECT_EQ(config->controls_length, 2u);
}

// The command keys are matched without a walk of the table, to the very
// same codes: whole names only, letter case counting.
TEST(CommandList, CommandKindMatchesTheTable) {
  for (const char *name :
       {"REG",    "DELAY",   "VRCMD",   "reg",   "Reg",    "REGX",
        "RE",     "R",       "",        "DELA",  "DELAYS", "VRCM",
        "VRCMDX", "REG ",    " REG",    "delay", "vrcmd",  "CFG_MODE",
        "STEP",   "REG\x01", "DELAY\t", "XREG"}) {
    EXPECT_EQ(command_kind(name), lookup_code(register_key_table.data(), name))
        << '"' << name << '"';
  }
  EXPECT_EQ(command_kind("REG"), std::uint32_t{CONFIG_KEY_REG});
  EXPECT_EQ(command_kind("DELAY"), std::uint32_t{CONFIG_KEY_DELAY});
  EXPECT_EQ(command_kind("VRCMD"), std::uint32_t{CONFIG_KEY_VRCMD});
}

} // namespace
} // namespace quelmix::test
