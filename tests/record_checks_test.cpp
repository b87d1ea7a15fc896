// SPDX-License-Identifier: MIT
// The checks of the record as a whole: the controls a host would refuse,
// and the commands that break a project's command rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/analysis/command_rules.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

// "LINE:COLUMN kind" of the record checks' warnings alone.
std::vector<std::string> record_findings(const std::string &text,
                                         const command_rules *rules = nullptr) {
  scoped_config config;
  const checked_text checked =
      check_text(text, config.value, {false, false, rules});
  std::vector<std::string> out;
  for (const diagnostic &d : checked.diagnostics) {
    const std::string_view name = name_of(d.kind);
    if (name.substr(0, 8) == "control-" || name == "command-rule")
      out.push_back(std::to_string(d.line) + ":" + std::to_string(d.column) +
                    " " + std::string(name));
  }
  return out;
}

struct control_case {
  const char *name;
  std::string text;
  std::vector<std::string> expected;
};

class ControlChecks : public ::testing::TestWithParam<control_case> {};

TEST_P(ControlChecks, PointAtTheLineThatSetTheValueOrTheHeader) {
  EXPECT_EQ(record_findings(GetParam().text), GetParam().expected);
}

const std::string HEADER = "[control parameter]\n";

INSTANTIATE_TEST_SUITE_P(
    Controls, ControlChecks,
    ::testing::Values(
        control_case{"a_sound_control",
                     HEADER + "CTRL_NAME = gain\nMIN_VALUE = -4\nMAX_VALUE = "
                              "8\nSTEP = 4\nDEF = 4\n",
                     {}},
        control_case{"min_above_max",
                     HEADER + "CTRL_NAME = g\nMIN_VALUE = 9\nMAX_VALUE = 2\n"
                              "STEP = 1\nDEF = 5\n",
                     {"3:13 control-min-above-max"}},
        control_case{"min_above_an_unset_max",
                     HEADER + "CTRL_NAME = g\nMIN_VALUE = 1\n",
                     {"3:13 control-min-above-max"}},
        control_case{"default_above_the_range",
                     HEADER + "CTRL_NAME = g\nMAX_VALUE = 8\nSTEP = 1\n"
                              "DEF = 0x10\n",
                     {"5:7 control-default-out-of-range"}},
        control_case{"default_below_the_range_unset",
                     HEADER + "CTRL_NAME = g\nMIN_VALUE = 2\nMAX_VALUE = 8\n"
                              "STEP = 2\n",
                     {"1:1 control-default-out-of-range"}},
        control_case{"zero_step_with_a_range",
                     HEADER + "CTRL_NAME = g\nMAX_VALUE = 8\nSTEP = 0\n",
                     {"4:8 control-step-not-positive"}},
        control_case{"negative_step",
                     HEADER + "CTRL_NAME = g\nMAX_VALUE = 8\nSTEP = -2\n",
                     {"4:8 control-step-not-positive"}},
        control_case{"missing_step_with_a_range",
                     HEADER + "CTRL_NAME = g\nMAX_VALUE = 8\n",
                     {"1:1 control-step-not-positive"}},
        control_case{"no_range_no_step_needed",
                     HEADER + "CTRL_NAME = g\nMIN_VALUE = 3\nMAX_VALUE = 3\n"
                              "DEF = 3\n",
                     {}},
        control_case{"default_off_the_steps",
                     HEADER + "CTRL_NAME = g\nMIN_VALUE = 1\nMAX_VALUE = 9\n"
                              "STEP = 4\nDEF = 4\n",
                     {"6:7 control-default-off-step"}},
        control_case{"steps_across_the_whole_range",
                     HEADER + "CTRL_NAME = g\nMIN_VALUE = -9223372036854775808"
                              "\nMAX_VALUE = 9223372036854775807\nSTEP = 2\n"
                              "DEF = 0\n",
                     {}},
        control_case{"the_later_line_is_the_one_that_counts",
                     HEADER + "CTRL_NAME = g\nMAX_VALUE = 1\nMAX_VALUE = 8\n"
                              "STEP = 3\nDEF = 2\n",
                     {"6:7 control-default-off-step"}},
        control_case{"name_missing_and_empty",
                     HEADER + "MAX_VALUE = 0\n" + HEADER + "CTRL_NAME =\n",
                     {"1:1 control-name-missing", "4:12 control-name-missing"}},
        control_case{"name_repeated",
                     HEADER + "CTRL_NAME = a\n" + HEADER + "CTRL_NAME = b\n" +
                         HEADER + "\nCTRL_NAME = a\n",
                     {"7:13 control-name-repeated"}},
        control_case{"a_code_block_does_not_set_keys",
                     HEADER + "CTRL_NAME = a\n"
                              "======CODE_BLOCK_START======\nCTRL_NAME = a\n"
                              "======CODE_BLOCK_END======\n",
                     {}}),
    [](const auto &tested) { return std::string(tested.param.name); });

// A control's check can be silenced like any warning.
TEST(ControlChecksSuppressed, BySuppressionComments) {
  EXPECT_EQ(record_findings(HEADER + "; quelmix: ignore[control-name-missing]"
                                     "\nMAX_VALUE = 0\n"),
            std::vector<std::string>{"1:1 control-name-missing"});
  EXPECT_EQ(record_findings(HEADER + "MIN_VALUE = 2 ; quelmix: "
                                     "ignore[control-min-above-max]\n"
                                     "CTRL_NAME = x\n"),
            std::vector<std::string>{});
}

command_rules team_rules() {
  command_rules rules;
  command_rule reg;
  reg.command = CONFIG_KEY_REG;
  reg.fewest = reg.most = 2;
  reg.each = {std::nullopt, value_range{0, 255}};
  rules.rules.push_back(reg);
  command_rule vrcmd;
  vrcmd.command = CONFIG_KEY_VRCMD;
  vrcmd.fewest = 3;
  vrcmd.most = 8;
  rules.rules.push_back(vrcmd);
  command_rule delay;
  delay.command = CONFIG_KEY_DELAY;
  delay.fewest = delay.most = 1;
  delay.every = value_range{0, 1000};
  rules.rules.push_back(delay);
  command_rule board_reg = reg;
  board_reg.section = CONFIG_TYPE_BOARD | CONFIG_VARIANT_DEV2;
  board_reg.fewest = board_reg.most = 3;
  board_reg.each.clear();
  rules.rules.push_back(board_reg);
  return rules;
}

struct rule_case {
  const char *name;
  std::string text;
  std::vector<std::string> expected;
};

class CommandRules : public ::testing::TestWithParam<rule_case> {};

TEST_P(CommandRules, ReportEachCommandThatBreaksItsRule) {
  const command_rules rules = team_rules();
  EXPECT_EQ(record_findings(GetParam().text, &rules), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CommandRules,
    ::testing::Values(
        rule_case{"kept",
                  "[register parameter]\nREG = 0x3008, 0x82\nVRCMD = 1,2,3\n"
                  "DELAY = 1000\n",
                  {}},
        rule_case{"counts",
                  "[register parameter]\nREG = 1\nVRCMD = 1, 2\n"
                  "DELAY = 1, 2\nVRCMD = 1,2,3,4,5,6,7,8,9\n",
                  {"2:7 command-rule", "3:9 command-rule", "4:9 command-rule",
                   "5:9 command-rule"}},
        rule_case{
            "ranges_at_each_value",
            "[register parameter]\nREG = 1,  0x100\nDELAY = 1001\n"
            "DELAY = -1\n",
            {"2:11 command-rule", "3:9 command-rule", "4:9 command-rule"}},
        rule_case{"a_section_of_its_own",
                  "[board parameter][dev2]\nREG = 1, 2, 3\nREG = 1, 2\n"
                  "[board parameter]\nREG = 1, 2, 3\n",
                  {"3:7 command-rule", "5:7 command-rule"}},
        rule_case{"empty_pieces_skipped",
                  "[register parameter]\nREG = 1,, 300\nREG = 1, , 300\n",
                  {"2:11 command-rule", "3:7 command-rule"}}),
    [](const auto &tested) { return std::string(tested.param.name); });

TEST(CommandRulesWithout, NoRulesNoFindings) {
  EXPECT_EQ(record_findings("[register parameter]\nREG = 1\n"),
            std::vector<std::string>{});
}

} // namespace
} // namespace quelmix::test
