// SPDX-License-Identifier: MIT
// Control descriptions: one control per section, its keys and its code.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "loader/loader.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

const std::string START = "======CODE_BLOCK_START======\n";
const std::string END = "======CODE_BLOCK_END======\n";

TEST(ControlList, SectionBecomesAControl) {
  scoped_config config;
  ASSERT_EQ(load_string(("[control parameter]\nMIN_VALUE = 0\n"
                         "MAX_VALUE = 0xFF\nSTEP = 1\nDEF = 0x80\n"
                         "CTRL_NAME = Gain\nFUNC_NAME = set_gain\n" +
                         START + "line one\n  line two\n" + END)
                            .c_str(),
                        config.get())
                .parse.line,
            0);
  ASSERT_EQ(config->controls_length, 1u);
  EXPECT_EQ(describe_record(config.value)
                .substr(describe_record(config.value).find("control")),
            "control 0..255 step 1 def 128 reserved 0 'Gain' 'set_gain' "
            "code='line one\\n  line two\\n'\n");
}

TEST(ControlList, EachHeaderOpensTheNext) {
  scoped_config config;
  load_string("[control parameter]\nDEF = 1\n[control parameter]\n"
              "DEF = 2\n[control parameter]\n",
              config.get());
  ASSERT_EQ(config->controls_length, 3u);
  EXPECT_EQ(config->controls[0].def, 1);
  EXPECT_EQ(config->controls[1].def, 2);
  // A control whose section sets nothing is all zero, with no code.
  EXPECT_EQ(config->controls[2].def, 0);
  EXPECT_EQ(config->controls[2].code, nullptr);
  EXPECT_STREQ(config->controls[2].ctrl_name, "");
}

TEST(ControlList, NumbersSaturateAndStepKeepsLow32Bits) {
  scoped_config config;
  load_string("[control parameter]\nMIN_VALUE = -10\n"
              "MAX_VALUE = 99999999999999999999\n"
              "DEF = -99999999999999999999\nSTEP = 4294967297\n",
              config.get());
  ASSERT_EQ(config->controls_length, 1u);
  EXPECT_EQ(config->controls[0].min_value, -10);
  EXPECT_EQ(config->controls[0].max_value, INT64_MAX);
  EXPECT_EQ(config->controls[0].def, INT64_MIN);
  EXPECT_EQ(config->controls[0].step, 1);
}

TEST(ControlList, NamesCutTo127Bytes) {
  scoped_config config;
  load_string(("[control parameter]\nCTRL_NAME = " + std::string(127, 'c') +
               "\nFUNC_NAME = " + std::string(200, 'f') + "\n")
                  .c_str(),
              config.get());
  EXPECT_EQ(std::string(config->controls[0].ctrl_name), std::string(127, 'c'));
  EXPECT_EQ(std::string(config->controls[0].func_name), std::string(127, 'f'));
}

TEST(ControlList, LaterBlockReplacesEarlier) {
  scoped_config config;
  load_string(("[control parameter]\n" + START + "first\n" + END + START +
               "; second\n# kept\n" + END)
                  .c_str(),
              config.get());
  ASSERT_EQ(config->controls_length, 1u);
  EXPECT_STREQ(config->controls[0].code, "; second\n# kept\n");
}

TEST(ControlList, OpenBlockKeepsEarlierCode) {
  scoped_config config;
  const load_report report =
      load_string(("[control parameter]\n" + START + "first\n" + END + START +
                   "dropped\n[control parameter]\nDEF = 5\n")
                      .c_str(),
                  config.get());
  EXPECT_EQ(report.parse.line, 7);
  EXPECT_EQ(report.parse.error, parse_error::unterminated_code_block);
  // The header that cut the block opened no control: DEF lands in the first.
  ASSERT_EQ(config->controls_length, 1u);
  EXPECT_STREQ(config->controls[0].code, "first\n");
  EXPECT_EQ(config->controls[0].def, 5);
}

TEST(ControlList, KeysOutsideControlsAndUnknownKeysIgnored) {
  scoped_config config;
  const load_report report = load_string(
      ("DEF = 1\n" + START + "x\n" + END + "[register parameter]\nDEF = 2\n" +
       START + "y\n" + END + "[control parameter]\ndef = 3\nNAME = x\n")
          .c_str(),
      config.get());
  EXPECT_EQ(report.parse.line, 0);
  ASSERT_EQ(config->controls_length, 1u);
  EXPECT_EQ(config->controls[0].def, 0);
  EXPECT_EQ(config->configs_length, 0u);
}

} // namespace
} // namespace quelmix::test
