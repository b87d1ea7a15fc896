// SPDX-License-Identifier: MIT
// Fixes and suppressions: for each fixable kind, the edit, what it does to
// the record, that the diagnostic is gone, and that fixing again changes
// nothing; suppressions silence what they name, and say when they do not.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config_generator.hpp"
#include "engine/analysis/engine.hpp"
#include "engine/analysis/fixes.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

struct loaded {
  std::string record; // describe_record of the load
  std::vector<diagnostic_kind> kinds;
  std::int32_t result;
};

loaded load(const std::string &text) {
  scoped_config config;
  const checked_text checked = check_text(text, config.value);
  loaded out{describe_record(config.value), {}, checked.report.parse.line};
  for (const diagnostic &d : checked.diagnostics)
    out.kinds.push_back(d.kind);
  return out;
}

bool has(const loaded &l, diagnostic_kind kind) {
  return std::find(l.kinds.begin(), l.kinds.end(), kind) != l.kinds.end();
}

struct fix_case {
  const char *name;
  diagnostic_kind kind;
  bool safe; // applied by the safe fixes alone
  std::string before, after;
  bool record_changes; // what a host loads is not the same afterwards
};

const std::string CAMERA = "[camera parameter]\n";
const std::string REGISTERS = "[register parameter]\n";

TEST(Fixes, EachKindItsEditItsRecordAndAFixedPoint) {
  const fix_case cases[] = {
      {"key in the wrong letter case", diagnostic_kind::unknown_key, true,
       CAMERA + "cfg_mode = 1\n", CAMERA + "CFG_MODE = 1\n", true},
      {"key near a known one", diagnostic_kind::unknown_key, false,
       CAMERA + "I2C_ADR = 0x36\n", CAMERA + "I2C_ADDR = 0x36\n", true},
      {"section with blanks", diagnostic_kind::unknown_section, true,
       "[ camera parameter ]\nSIZE = 1, 2\n", CAMERA + "SIZE = 1, 2\n", true},
      {"section in the wrong case", diagnostic_kind::unknown_section, true,
       "[Register Parameter]\nREG = 1\n", REGISTERS + "REG = 1\n", true},
      {"section near a known one", diagnostic_kind::unknown_section, false,
       "[camra parameter]\nSIZE = 1, 2\n", CAMERA + "SIZE = 1, 2\n", true},
      {"';' without its blank", diagnostic_kind::comment_in_value, false,
       CAMERA + "TYPE = QX;rev B\n", CAMERA + "TYPE = QX ;rev B\n", true},
      {"'//' without its blank", diagnostic_kind::comment_in_value, false,
       REGISTERS + "REG = 1//x\n", REGISTERS + "REG = 1 //x\n", false},
      {"'#' after a value", diagnostic_kind::comment_in_value, true,
       CAMERA + "TYPE = QX # rev B\n", CAMERA + "TYPE = QX ; rev B\n", true},
      {"a missing comma", diagnostic_kind::trailing_text, false,
       REGISTERS + "REG = 0x3008 0x82\n", REGISTERS + "REG = 0x3008, 0x82\n",
       true},
      {"an empty piece", diagnostic_kind::empty_value, false,
       REGISTERS + "REG = 1,,2\n", REGISTERS + "REG = 1,2\n", false},
      {"a leading zero", diagnostic_kind::leading_zero, false,
       REGISTERS + "REG = 010, 007\n", REGISTERS + "REG = 10, 7\n", false},
      {"a lone FORMAT byte", diagnostic_kind::lone_format_value, false,
       CAMERA + "FORMAT = 0x21\n", CAMERA + "FORMAT = 0x21, 0x00\n", false},
      {"a misspelt marker", diagnostic_kind::near_miss_marker, false,
       "[control parameter]\n=====CODE_BLOCK_START=====\nx\n"
       "======CODE_BLOCK_END======\n",
       "[control parameter]\n======CODE_BLOCK_START======\nx\n"
       "======CODE_BLOCK_END======\n",
       true},
      {"a key without '='", diagnostic_kind::missing_separator, false,
       REGISTERS + "REG 0x3009, 1\n", REGISTERS + "REG = 0x3009, 1\n", true},
      {"a header without ']'", diagnostic_kind::unclosed_header, false,
       "[camera parameter\nSIZE = 1, 2\n", CAMERA + "SIZE = 1, 2\n", true},
      {"a block cut by a header", diagnostic_kind::unclosed_code_block, false,
       "[control parameter]\n======CODE_BLOCK_START======\nx\n[camera "
       "parameter]\nSIZE = 1, 2\n",
       // The text was in the formatter's layout, and stays in it: the
       // header now read gets its blank line.
       "[control parameter]\n======CODE_BLOCK_START======\nx\n"
       "======CODE_BLOCK_END======\n\n[camera parameter]\nSIZE = 1, 2\n",
       true},
      {"a block left open at the end", diagnostic_kind::unclosed_code_block,
       false, "[control parameter]\r\n======CODE_BLOCK_START======\r\nx",
       "[control parameter]\r\n======CODE_BLOCK_START======\r\nx\r\n"
       "======CODE_BLOCK_END======\r\n",
       true},
      {"a block left open, blank lines after its text",
       diagnostic_kind::unclosed_code_block, false,
       "[control parameter]\n======CODE_BLOCK_START======\nx\n\n  \n",
       // The text was in the formatter's layout (the blank lines were code
       // text) and stays in it: blank lines at the end go.
       "[control parameter]\n======CODE_BLOCK_START======\nx\n"
       "======CODE_BLOCK_END======\n",
       true},
      {"a block cut by a header, blank lines before it",
       diagnostic_kind::unclosed_code_block, false,
       "[control parameter]\n======CODE_BLOCK_START======\nx\n\n[camera "
       "parameter]\nSIZE = 1, 2\n",
       "[control parameter]\n======CODE_BLOCK_START======\nx\n"
       "======CODE_BLOCK_END======\n\n[camera parameter]\nSIZE = 1, 2\n",
       true},
      {"an unused suppression", diagnostic_kind::unused_suppression, true,
       REGISTERS + "; quelmix: ignore[leading-zero]\nREG = 10\nREG = 1 ; "
                   "quelmix: ignore\n",
       REGISTERS + "REG = 10\nREG = 1\n", false},
  };
  for (const fix_case &c : cases) {
    const loaded before = load(c.before);
    ASSERT_TRUE(has(before, c.kind)) << c.name;
    const fix_report safe = apply_fixes(c.before, false);
    const fix_report all = apply_fixes(c.before, true);
    EXPECT_EQ(safe.text, c.safe ? c.after : c.before) << c.name;
    EXPECT_EQ(all.text, c.after) << c.name;
    EXPECT_TRUE(safe.refused.empty() && all.refused.empty()) << c.name;
    const loaded after = load(all.text);
    EXPECT_FALSE(has(after, c.kind)) << c.name;
    EXPECT_EQ(after.record != before.record, c.record_changes) << c.name;
    EXPECT_EQ(apply_fixes(all.text, true).text, all.text) << c.name;
  }
}

// Fixes that meet another: the second round sees what the first brought
// to light (a section renamed, whose keys are then checked).
TEST(Fixes, RoundsGoOnUntilNothingIsLeft) {
  const std::string text = "[ camera parameter ]\ncfg_mode = 1\nTYPE=a#b\n";
  const fix_report fixed = apply_fixes(text, false);
  EXPECT_EQ(fixed.text, CAMERA + "CFG_MODE = 1\nTYPE=a#b\n");
  EXPECT_EQ(fixed.safe, 2u);
  EXPECT_EQ(apply_fixes(fixed.text, false).text, fixed.text);
}

// Fixes never turn a file the library accepts into one it refuses, and the
// safe ones never change a command (what a register write is) on the
// generated files and the sample.
TEST(Fixes, SafeFixesOnRealFilesChangeNoCommand) {
  std::vector<std::string> texts = {read_file(sample_path())};
  for (std::size_t lines : {200u, 3000u})
    texts.push_back(bench::generate_config({lines, false, 5}));
  for (const std::string &text : texts) {
    const fix_report fixed = apply_fixes(text, false);
    EXPECT_EQ(load(fixed.text).result, load(text).result);
    EXPECT_EQ(apply_fixes(fixed.text, false).text, fixed.text);
  }
}

struct round_case {
  const char *name;
  std::string text;
  bool unsafe;
  std::size_t rounds; // rounds that applied something
};

// One analysis of the text, then one per round that applied something:
// touching edits go in one round, suppressions wait for the fixed point.
TEST(Fixes, OneAnalysisPerRound) {
  std::string stale = REGISTERS;
  for (int i = 0; i < 257; ++i)
    stale += "; quelmix: ignore[leading-zero]\n";
  stale += "REG = 1\n";
  const round_case cases[] = {
      {"nothing to fix", CAMERA + "CFG_MODE = 1\n", true, 0},
      {"one problem", CAMERA + "cfg_mode = 1\n", false, 1},
      {"257 stale suppressions", stale, false, 1},
      {"a run of empty values", REGISTERS + "REG = 1,,,,,,,,,,,,2\n", true, 1},
      {"a section, then its keys", "[ camera parameter ]\ncfg_mode = 1\n",
       false, 2},
      {"fixes, then a suppression",
       "[ camera parameter ]\nCFG_MODE = 1 ; quelmix: ignore\n", false, 2},
  };
  for (const round_case &c : cases) {
    const fix_report fixed = apply_fixes(c.text, c.unsafe);
    EXPECT_EQ(fixed.rounds, c.rounds) << c.name;
    EXPECT_EQ(fixed.analyses, c.rounds + 1) << c.name;
    EXPECT_LE(fixed.layout_analyses, 2u) << c.name;
    EXPECT_FALSE(fixed.oscillation) << c.name;
    EXPECT_EQ(apply_fixes(fixed.text, c.unsafe).rounds, 0u) << c.name;
  }
}

// The record guard: a safe fix that would change what the library loads
// beyond its line is refused, with or without the unsafe fixes.
TEST(Fixes, TheRecordGuardRefusesAFixAtFault) {
  // A comment line of 1023 bytes and more: the library reads "REG = 5"
  // from its second piece, which removing the line would take away.
  const std::string start = "; quelmix: ignore[leading-zero] ";
  const std::string text = REGISTERS + start +
                           std::string(1023 - start.size(), 'x') +
                           "REG = 5\nREG = 1\n";
  for (const bool unsafe : {false, true}) {
    const fix_report fixed = apply_fixes(text, unsafe);
    EXPECT_EQ(fixed.text, text);
    ASSERT_EQ(fixed.refused.size(), 1u);
    EXPECT_EQ(fixed.refused.front().line, 2);
    EXPECT_EQ(load(fixed.text).record, load(text).record);
  }
}

// Only the kinds asked for are fixed.
TEST(Fixes, OnlyTheKindsWanted) {
  const std::string text = CAMERA + "cfg_mode = 1\nTYPE = QX # rev B\n";
  fix_options options;
  options.wanted = [](const diagnostic &d) {
    return d.kind != diagnostic_kind::unknown_key;
  };
  EXPECT_EQ(apply_fixes(text, options).text,
            CAMERA + "cfg_mode = 1\nTYPE = QX ; rev B\n");
}

struct suppression_case {
  const char *name;
  std::string text;
  std::vector<diagnostic_kind> left;
};

TEST(Suppressions, SilenceWhatTheyNameAndSayWhenTheyDoNot) {
  const std::string bad = "REG = 010 0x82\n"; // leading-zero, trailing-text
  const suppression_case cases[] = {
      {"none",
       REGISTERS + bad,
       {diagnostic_kind::leading_zero, diagnostic_kind::trailing_text}},
      {"the line above, one kind",
       REGISTERS + "; quelmix: ignore[leading-zero]\n" + bad,
       {diagnostic_kind::trailing_text}},
      {"the line itself, two kinds",
       REGISTERS + "REG = 010 0x82 // quelmix: ignore[leading-zero, "
                   "trailing-text]\n",
       {}},
      {"a bare ignore", REGISTERS + "# quelmix: ignore\n" + bad, {}},
      {"errors stay",
       REGISTERS + "; quelmix: ignore[missing-separator]\nx\n",
       {diagnostic_kind::unused_suppression,
        diagnostic_kind::missing_separator}},
      {"a kind that is none",
       REGISTERS + "; quelmix: ignore[leading-zeros]\n" + bad,
       {diagnostic_kind::unused_suppression, diagnostic_kind::leading_zero,
        diagnostic_kind::trailing_text}},
      {"not two lines down",
       REGISTERS + "; quelmix: ignore\n\n" + bad,
       {diagnostic_kind::unused_suppression, diagnostic_kind::leading_zero,
        diagnostic_kind::trailing_text}},
      {"no comment, no suppression",
       REGISTERS + "REG = 010;quelmix: ignore\n",
       {diagnostic_kind::leading_zero, diagnostic_kind::comment_in_value}},
  };
  for (const suppression_case &c : cases) {
    std::vector<diagnostic_kind> left = load(c.text).kinds;
    std::vector<diagnostic_kind> expected = c.left;
    std::sort(left.begin(), left.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected) << c.name;
  }
}

} // namespace
} // namespace quelmix::test
