// SPDX-License-Identifier: MIT
// Project files: every mistake with its place, which file governs which
// path, and how the settings stack (project, per-path overrides, command
// line).
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "project.hpp"
#include "support/scratch_tree.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

struct error_case {
  const char *name;
  std::string toml;
  std::int64_t line, column;
};

class ProjectErrors : public ::testing::TestWithParam<error_case> {};

TEST_P(ProjectErrors, AreRefusedWithTheirPlace) {
  const error_case &c = GetParam();
  const scratch_tree tree({{"quelmix.toml", c.toml}});
  const tools::project_reading r =
      tools::read_project(tree.path("quelmix.toml"));
  ASSERT_FALSE(r.read.has_value());
  EXPECT_EQ(r.error.line, c.line) << r.error.message;
  EXPECT_EQ(r.error.column, c.column) << r.error.message;
  EXPECT_FALSE(r.error.message.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, ProjectErrors,
    ::testing::Values(
        error_case{"syntax", "include = [\"*.cfg\"\n", 1, 20},
        error_case{"unknown_key", "\n  colour = 1\n", 2, 3},
        error_case{"unknown_kind", "[warnings]\nunknown-keys = \"off\"\n", 2,
                   1},
        error_case{"an_error_is_no_warning_kind",
                   "[warnings]\nunclosed-header = \"off\"\n", 2, 1},
        error_case{"bad_choice", "[warnings]\nleading-zero = \"maybe\"\n", 2,
                   16},
        error_case{"bad_pattern", "exclude = [\"ok\", \"a[b\"]\n", 1, 18},
        error_case{"climbing_pattern", "include = [\"../x/*.cfg\"]\n", 1, 12},
        error_case{"patterns_not_a_list", "include = \"*.cfg\"\n", 1, 11},
        error_case{"override_without_paths",
                   "[[overrides]]\nwarnings = { leading-zero = \"off\" }\n", 1,
                   1},
        error_case{"override_unknown_key",
                   "[[overrides]]\npaths = [\"v\"]\nwarning = {}\n", 3, 1},
        error_case{"unknown_command", "[commands]\nREGS = 2\n", 2, 1},
        error_case{"camera_section_has_no_commands",
                   "[commands.\"camera parameter\"]\nREG = 2\n", 1, 11},
        error_case{"unknown_command_in_a_section",
                   "[commands.\"board parameter||dev2\"]\nTYPE = 2\n", 2, 1},
        error_case{"count_too_big", "[commands]\nREG = 17\n", 2, 7},
        error_case{"count_backwards", "[commands]\nVRCMD = \"8..3\"\n", 2, 9},
        error_case{"count_not_a_range", "[commands]\nVRCMD = \"3-8\"\n", 2, 9},
        error_case{"min_above_max",
                   "[commands]\nDELAY = { values = 1, min = 9, max = 1 }\n", 2,
                   9},
        error_case{"rule_unknown_key", "[commands]\nDELAY = { value = 1 }\n", 2,
                   11},
        error_case{"range_not_a_pair",
                   "[commands]\nREG = { ranges = [[0, 1, 2]] }\n", 2, 19}),
    [](const auto &tested) { return std::string(tested.param.name); });

TEST(ProjectReading, AFullFileIsRead) {
  const scratch_tree tree(
      {{std::string("quelmix.toml"),
        "include = [\"*.cfg\", \"*.ini\"]\nexclude = [\"vendor/old\"]\n"
        "[warnings]\nall = \"error\"\nleading-zero = \"off\"\n"
        "[[overrides]]\npaths = [\"vendor\"]\nwarnings = { all = \"on\" }\n"
        "[commands]\nREG = 2\nVRCMD = \"3..8\"\n"
        "DELAY = { values = 1, max = 1000 }\n"
        "[commands.\"board parameter||dev2\"]\n"
        "REG = { values = \"..3\", ranges = [[0, 0xffff]] }\n"}});
  const tools::project_reading r =
      tools::read_project(tree.path("quelmix.toml"));
  ASSERT_TRUE(r.read.has_value()) << r.error.message;
  const tools::project &p = *r.read;
  EXPECT_EQ(p.folder, tree.root());
  EXPECT_TRUE(p.include.matches("a/b.ini"));
  EXPECT_FALSE(p.include.matches("a/b.txt"));
  EXPECT_TRUE(p.exclude.matches("vendor/old/x/y.cfg"));
  EXPECT_FALSE(p.exclude.matches("vendor/older.cfg"));
  ASSERT_EQ(p.warnings.size(), 2u);
  EXPECT_FALSE(p.warnings[0].kind.has_value());
  EXPECT_EQ(p.warnings[1].line, 5);
  ASSERT_EQ(p.overrides.size(), 1u);
  ASSERT_EQ(p.rules.rules.size(), 4u);
  const command_rule *board = p.rules.rule_for(
      CONFIG_TYPE_BOARD | CONFIG_VARIANT_DEV2 | CONFIG_KEY_REG);
  ASSERT_NE(board, nullptr);
  EXPECT_EQ(board->fewest, 0u);
  EXPECT_EQ(board->most, 3u);
  EXPECT_EQ(board->origin, tree.path("quelmix.toml") + ":14");
  const command_rule *plain =
      p.rules.rule_for(CONFIG_TYPE_BOARD | CONFIG_KEY_REG);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->fewest, 2u);
  const command_rule *delay =
      p.rules.rule_for(CONFIG_TYPE_REGISTER | CONFIG_KEY_DELAY);
  ASSERT_NE(delay, nullptr);
  ASSERT_TRUE(delay->every.has_value());
  EXPECT_EQ(delay->every->high, 1000);
}

// The choice --show-settings gives each kind.
std::map<std::string, std::string> shown_choices(const std::string &arguments) {
  const tool_run r = run_tool(QUELMIX_CHECKER, arguments);
  std::map<std::string, std::string> out;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("warnings.", 0) != 0)
      continue;
    const std::size_t eq = line.find(" = \"");
    out[line.substr(9, eq - 9)] =
        line.substr(eq + 4, line.find('"', eq + 4) - eq - 4);
  }
  return out;
}

struct precedence_case {
  const char *name;
  std::string options; // before --show-settings
  const char *file;
  std::map<std::string, std::string> expected; // a few kinds
};

class ProjectPrecedence : public ::testing::TestWithParam<precedence_case> {};

TEST_P(ProjectPrecedence, SettlesEachKind) {
  const precedence_case &c = GetParam();
  const scratch_tree tree(
      {{"quelmix.toml", "[warnings]\nunknown-key = \"off\"\n"
                        "leading-zero = \"error\"\n"
                        "[[overrides]]\npaths = [\"vendor\"]\n"
                        "warnings = { all = \"off\", nul-byte = \"on\" }\n"},
       {"other.toml", "[warnings]\nlong-line = \"off\"\n"},
       {"sub/quelmix.toml", "[warnings]\nvalue-cut = \"off\"\n"},
       {"a.cfg", ""},
       {"vendor/b.cfg", ""},
       {"sub/c.cfg", ""}});
  std::string options = c.options;
  const std::size_t at = options.find("OTHER");
  if (at != std::string::npos)
    options.replace(at, 5, tree.path("other.toml"));
  const auto choices =
      shown_choices(options + " --show-settings " + tree.path(c.file));
  for (const auto &[kind, choice] : c.expected)
    EXPECT_EQ(choices.at(kind), choice) << kind;
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ProjectPrecedence,
    ::testing::Values(
        precedence_case{"the_project_file",
                        "",
                        "a.cfg",
                        {{"unknown-key", "off"},
                         {"leading-zero", "error"},
                         {"nul-byte", "on"}}},
        precedence_case{"per_path_override",
                        "",
                        "vendor/b.cfg",
                        {{"unknown-key", "off"},
                         {"leading-zero", "off"},
                         {"nul-byte", "on"}}},
        precedence_case{"the_nearest_file_wins_whole",
                        "",
                        "sub/c.cfg",
                        {{"unknown-key", "on"},
                         {"leading-zero", "on"},
                         {"value-cut", "off"}}},
        precedence_case{
            "config_names_the_file",
            "--config OTHER",
            "sub/c.cfg",
            {{"value-cut", "on"}, {"long-line", "off"}, {"unknown-key", "on"}}},
        precedence_case{"isolated_reads_none",
                        "--isolated",
                        "a.cfg",
                        {{"unknown-key", "on"}, {"leading-zero", "on"}}},
        precedence_case{"the_command_line_over_the_file",
                        "-Wunknown-key -Wno-error=leading-zero -Wno-nul-byte",
                        "a.cfg",
                        {{"unknown-key", "on"},
                         {"leading-zero", "on"},
                         {"nul-byte", "off"}}},
        precedence_case{"werror_makes_every_shown_kind_an_error",
                        "-Werror",
                        "a.cfg",
                        {{"unknown-key", "off"}, {"nul-byte", "error"}}},
        precedence_case{"no_error_for_a_kind_holds_under_werror",
                        "-Werror -Wno-error=nul-byte -Wno-error=leading-zero",
                        "a.cfg",
                        {{"nul-byte", "on"},
                         {"leading-zero", "on"},
                         {"long-line", "error"}}},
        precedence_case{"werror_for_a_kind_takes_back_no_error",
                        "-Wno-error=nul-byte -Werror -Werror=nul-byte",
                        "a.cfg",
                        {{"nul-byte", "error"}, {"long-line", "error"}}}),
    [](const auto &tested) { return std::string(tested.param.name); });

// The project drives the checker: its choices, its rules, its walk.
TEST(ProjectCheck, TheProjectDrivesTheChecker) {
  const scratch_tree tree(
      {{"quelmix.toml", "exclude = [\"vendor/old\", \"*.skip.cfg\"]\n"
                        "[warnings]\nunknown-key = \"error\"\n"
                        "[commands]\nREG = 2\n"},
       {"a.cfg", "[register parameter]\nREG = 1, 2\n"},
       {"b.cfg", "[camera parameter]\nI2C_ADR = 1\n"},
       {"c.skip.cfg", "[camera parameter]\nI2C_ADR = 1\n"},
       {"vendor/old/d.cfg", "[camera parameter]\nI2C_ADR = 1\n"},
       {"vendor/e.cfg", "[register parameter]\nREG = 1\n"}});
  tool_run r = run_tool(std::string("NO_COLOR= ") + QUELMIX_CHECKER,
                        "-q " + tree.root());
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_EQ(r.err.find("c.skip.cfg"), std::string::npos);
  EXPECT_EQ(r.err.find("d.cfg"), std::string::npos);
  r = run_tool(std::string("NO_COLOR= ") + QUELMIX_CHECKER, tree.root());
  EXPECT_NE(r.err.find(tree.path("b.cfg") + ":2:1: warning: "),
            std::string::npos)
      << r.err;
  EXPECT_NE(
      r.err.find(tree.path("vendor/e.cfg") + ":2:7: warning: REG has 1 values"),
      std::string::npos)
      << r.err;
  EXPECT_NE(r.out.find("checked 3 files: 0 with errors, 2 warnings"),
            std::string::npos)
      << r.out;
  // Named, an excluded file is checked all the same.
  r = run_tool(QUELMIX_CHECKER, tree.path("c.skip.cfg"));
  EXPECT_EQ(r.status, 1);
  // Without the project the rules and choices go.
  r = run_tool(QUELMIX_CHECKER, "--isolated " + tree.root());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("checked 5 files"), std::string::npos) << r.out;
}

TEST(ProjectCheck, ABadProjectFileStopsItsFilesWithExitTwo) {
  const scratch_tree tree({{"quelmix.toml", "[warnings]\nbogus = \"off\"\n"},
                           {"a.cfg", "[camera parameter]\n"},
                           {"b.cfg", "[camera parameter]\n"}});
  const tool_run r = run_tool(QUELMIX_CHECKER, tree.root());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, tree.path("quelmix.toml") +
                       ":2:1: error: unknown warning kind \"bogus\"\n");
  EXPECT_EQ(
      run_tool(QUELMIX_CHECKER, "--show-settings " + tree.path("a.cfg")).status,
      2);
  EXPECT_EQ(run_tool(QUELMIX_CHECKER, "--isolated " + tree.root()).status, 0);
}

// The formatter's walk takes the project's include and exclude.
TEST(ProjectFormat, TheFormatterWalksAsTheProjectSays) {
  const scratch_tree tree(
      {{"quelmix.toml", "include = [\"*.ini\"]\nexclude = [\"old\"]\n"},
       {"a.ini", "[camera parameter]\nTYPE=t\n"},
       {"b.cfg", "[camera parameter]\nTYPE=t\n"},
       {"old/c.ini", "[camera parameter]\nTYPE=t\n"}});
  tool_run r = run_tool(QUELMIX_FORMATTER, "--check " + tree.root());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, tree.path("a.ini") + "\n");
  r = run_tool(QUELMIX_FORMATTER, "--isolated --check " + tree.root());
  EXPECT_EQ(r.out, tree.path("b.cfg") + "\n");
}

} // namespace
} // namespace quelmix::test
