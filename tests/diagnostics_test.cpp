// SPDX-License-Identifier: MIT
// The diagnostics engine: every problem of a file, at its physical line and
// byte column, with its kind; the record and the result are the library's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/analysis/engine.hpp"
#include "loader/loader.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

checked_text check(const std::string &text) {
  scoped_config config;
  return check_text(text, config.value);
}

struct family_case {
  const char *name;
  std::string text;
  std::vector<std::string> expected;
};

void PrintTo(const family_case &c, std::ostream *out) { *out << c.name; }

class Diagnostics : public testing::TestWithParam<family_case> {};

TEST_P(Diagnostics, AtTheirPlaceWithTheirKind) {
  EXPECT_EQ(positions(check(GetParam().text)), GetParam().expected);
}

std::string name_of(const testing::TestParamInfo<family_case> &info) {
  return info.param.name;
}

const std::string START = "======CODE_BLOCK_START======\n";
const std::string END = "======CODE_BLOCK_END======\n";

// Lines the library refuses: every one, not only the first.
INSTANTIATE_TEST_SUITE_P(
    Errors, Diagnostics,
    testing::Values(
        family_case{"EveryBadLine",
                    "[camera parameter]\n  bad\n[board\nSIZE = 1, 2\nk\n",
                    {"2:3 error missing-separator", "3:1 error unclosed-header",
                     "5:1 error missing-separator"}},
        family_case{"CommentHidesSeparator",
                    "[camera parameter]\nSIZE ; = 1\n",
                    {"2:1 error missing-separator"}},
        family_case{"TooManyValuesPointsAtTheSeventeenth",
                    "[register parameter]\nREG = 1,2,3,4,5,6,7,8,9,10,11,12,"
                    "13,14,15,16,17\n",
                    {"2:46 error too-many-values"}},
        family_case{"BlockCutByHeaderSwallowsNothingElse",
                    "[control parameter]\n" + START +
                        "x\n[register parameter]\nREG = 1\n[camera "
                        "parameter]\nreg = 1\n",
                    {"1:1 warning control-name-missing",
                     "4:1 error unclosed-code-block",
                     "7:1 warning unknown-key"}},
        family_case{"BlockOpenAtTheEndIsReportedAtItsStart",
                    "[control parameter]\n  " + START + "x\ny\n",
                    {"1:1 warning control-name-missing",
                     "2:3 error unclosed-code-block"}}),
    name_of);

// What the loader ignores, and how it reads values.
INSTANTIATE_TEST_SUITE_P(
    Warnings, Diagnostics,
    testing::Values(
        family_case{
            "SectionsAndKeys",
            "K = 1\n[camra parameter]\n[ camera parameter ]\n"
            "[register parameter][dev2]\n[camera parameter]\n"
            "I2CADDR = 1\nDELAY = 5\nTYPE = a\nTYPE = b\n",
            {"1:1 warning key-before-section", "2:1 warning unknown-section",
             "3:1 warning unknown-section", "4:1 warning unknown-section",
             "6:1 warning unknown-key", "7:1 warning command-out-of-place",
             "9:1 warning key-repeated"}},
        family_case{
            "ValueCounts",
            "[camera parameter]\nSIZE = 640\nFORMAT = 1, 2, 3\n",
            {"2:1 warning wrong-value-count", "3:1 warning wrong-value-count"}},
        family_case{"NamesCutWhereTheyAreCut",
                    "[camera parameter]\nTYPE = " + std::string(50, 't') + "\n",
                    {"2:57 warning value-cut"}},
        family_case{"CodeBlocksAtTheirStartMarker",
                    "[board parameter]\n" + START + "x\n" + END +
                        "[control parameter]\n" + START + END + START + END,
                    {"2:1 warning code-block-ignored",
                     "5:1 warning control-name-missing",
                     "8:1 warning code-block-replaced"}},
        family_case{
            "NumbersThatAreNotWhatTheyLookLike",
            "[register parameter]\nREG = 0x3008 0x82\nDELAY = ten\n"
            "REG = 1e3\nREG = 010\nREG = 1,,2\nREG = ,5,\n"
            "REG = 1, ,2\n",
            {"2:14 warning trailing-text", "3:9 warning value-not-a-number",
             "4:8 warning trailing-text", "5:7 warning leading-zero",
             "6:9 warning empty-value", "7:7 warning empty-value",
             "7:10 warning empty-value", "8:9 warning value-not-a-number"}},
        family_case{
            "NumbersTooWideForTheirField",
            "[camera parameter]\nI2C_ADDR = 0x10000\nI2C_ADDR = "
            "0xFFFF\nBIT_WIDTH = 256\nBIT_WIDTH = -128\nI2C_MODE = "
            "-129\nCFG_MODE = 99999999999\nTRANS_LVL = 0xFFFFFFFF\n"
            "FORMAT = 1, 0x100\nSIZE = 1, 4294967296\n"
            "[control parameter]\nSTEP = 4294967297\nMIN_VALUE = "
            "-9223372036854775808\nMAX_VALUE = 9223372036854775808\n"
            "[board parameter]\nREG = 4294967295, 4294967296\n",
            {"2:12 warning value-out-of-range", "3:1 warning key-repeated",
             "4:13 warning value-out-of-range", "5:1 warning key-repeated",
             "5:13 warning negative-value", "6:12 warning negative-value",
             "7:12 warning value-out-of-range",
             "9:13 warning value-out-of-range",
             "10:11 warning value-out-of-range",
             "11:1 warning control-name-missing",
             "12:8 warning value-out-of-range",
             "14:13 warning value-out-of-range",
             "16:19 warning value-out-of-range"}},
        family_case{
            "NegativeNumbersInUnsignedFields",
            "[camera parameter]\nI2C_ADDR = -1\nFORMAT = -1, 2\n"
            "CFG_MODE = -1\nSIZE = -1, -2\n[register parameter]\n"
            "REG = -1, 2\nDELAY = -5\nVRCMD = 0x01, -0x10\n"
            "[control parameter]\nSTEP = -1\nMIN_VALUE = -10\n",
            {"2:12 warning negative-value", "3:10 warning negative-value",
             "7:7 warning negative-value", "8:9 warning negative-value",
             "9:17 warning trailing-text", "10:1 warning control-name-missing",
             "11:8 warning control-step-not-positive"}},
        family_case{
            "LoneFormatByte",
            "[camera parameter]\nFORMAT = 0x21\nFORMAT = 0x21, 0\n",
            {"2:10 warning lone-format-value", "3:1 warning key-repeated"}},
        family_case{
            "MarkersMisspelt",
            "[control parameter]\n=====CODE_BLOCK_START=====\n"
            "  ====== code block start ======  \n" +
                START + "x\n=====Code_Block_End=====\n" + END +
                "[camera parameter]\n======CODE-BLOCK-END======\n"
                "= CODE_BLOCKS\n",
            {"1:1 warning control-name-missing", "2:1 warning near-miss-marker",
             "3:3 warning near-miss-marker", "6:1 warning near-miss-marker",
             "9:1 warning near-miss-marker", "10:1 warning unknown-key"}},
        family_case{"CommentMarkersThatStayInTheValue",
                    "[camera parameter]\nTYPE = sensor # rev B\nI2C_MODE = "
                    "1;note\nTYPE = a//b\nTYPE = a ; real comment\n"
                    "TYPE = #1\n",
                    {"2:15 warning comment-in-value",
                     "3:13 warning comment-in-value",
                     "4:1 warning key-repeated", "4:9 warning comment-in-value",
                     "5:1 warning key-repeated", "6:1 warning key-repeated",
                     "6:8 warning comment-in-value"}},
        family_case{"IgnoredLinesGetNoValueWarnings",
                    "[camera parameter]\nSIZE = abc\nreg = x\n[other]\n"
                    "REG = x\n",
                    {"2:1 warning wrong-value-count", "3:1 warning unknown-key",
                     "4:1 warning unknown-section"}}),
    name_of);

// Lines the library reads in 1023-byte pieces are reported where the file
// has them.
INSTANTIATE_TEST_SUITE_P(
    LongLines, Diagnostics,
    testing::Values(
        family_case{
            "PieceOfALongLineAtItsPhysicalPlace",
            "[camera parameter]\n; " + std::string(1021, 'x') +
                "bad\nSIZE = 1, 2\n",
            {"2:1024 error missing-separator", "2:1024 warning long-line"}},
        family_case{
            "LinesAfterALongLineKeepTheirNumbers",
            "; " + std::string(2500, 'x') + "\n[camera parameter]\nSIZE = 1\n",
            {"1:1024 error missing-separator", "1:1024 warning long-line",
             "1:2047 error missing-separator",
             "3:1 warning wrong-value-count"}},
        family_case{"NulByte",
                    std::string("[camera parameter]\nTYPE = a\0b\n", 29),
                    {"2:9 warning nul-byte"}}),
    name_of);

TEST(Diagnostics, CleanFilesHaveNone) {
  EXPECT_EQ(positions(check(read_file(sample_path()))),
            std::vector<std::string>{});
  EXPECT_EQ(positions(check("")), std::vector<std::string>{});
  EXPECT_EQ(positions(check("\xEF\xBB\xBF[camera parameter]\r\nSIZE = 1, "
                            "2\r\nFORMAT = 0x02, 1\r\nREG_NOT_HERE: 1\r\n")),
            std::vector<std::string>{"4:1 warning unknown-key"});
}

struct hint_case {
  std::string text;
  std::string suggestion; // a name the hint must offer
};

TEST(Diagnostics, HintsOfferTheIntendedName) {
  const hint_case cases[] = {
      {"[camra parameter]\n", "\"camera parameter\""},
      {"[ camera parameter ]\n", "\"camera parameter\""},
      {"[Control Parameter]\n", "\"control parameter\""},
      {"[camera parameter]\nI2CADDR = 1\n", "\"I2C_ADDR\""},
      {"[register parameter]\nreg = 1\n", "\"REG\""},
      {"[register parameter]\nREG = 0x3008 0x82\n", "comma"},
  };
  for (const hint_case &c : cases) {
    const checked_text checked = check(c.text);
    ASSERT_EQ(checked.diagnostics.size(), 1u) << c.text;
    EXPECT_NE(checked.diagnostics[0].hint.find(c.suggestion), std::string::npos)
        << c.text << " -> " << checked.diagnostics[0].hint;
  }
  // Far from every known name: no guess.
  EXPECT_EQ(check("[lens]\n").diagnostics[0].hint, "");
}

// After a header without "]", its lines stay in the section before it: the
// error on the header says so (naming that section), and the complaints
// about those lines' keys name the header's line as their cause; a good
// header ends that.
struct open_header_case {
  std::string text;
  std::int64_t header_line;
  std::string section; // where the lines below the header stay, quoted
  std::vector<std::int64_t> blamed; // lines whose hint names the header
};

TEST(Diagnostics, AHeaderWithoutItsBracketIsNamedAsTheCause) {
  const open_header_case cases[] = {
      {"[camera parameter]\n[board parameter\nREG = 1, 2\nDELAY = 5\n",
       2,
       "\"camera parameter\"",
       {3, 4}},
      {"[register parameter]\n[camera parameter\nSIZE = 1, 2\n"
       "[board parameter]\nREG = 1, 2\nSIZE = 1, 2\n",
       2,
       "\"register parameter\"",
       {3}},
      // Before any header, the lines' keys are read before any section.
      {"[board parameter\nREG = 1, 2\nTYPE = x\n[camera parameter]\nREG = 1\n",
       1,
       "before any section header",
       {2, 3}},
  };
  for (const open_header_case &c : cases) {
    const checked_text checked = check(c.text);
    std::vector<std::int64_t> blamed;
    for (const diagnostic &d : checked.diagnostics) {
      if (d.kind == diagnostic_kind::unclosed_header) {
        EXPECT_EQ(d.line, c.header_line) << c.text;
        EXPECT_NE(d.hint.find(c.section), std::string::npos) << d.hint;
      } else if (d.hint.find("line " + std::to_string(c.header_line)) !=
                 std::string::npos) {
        EXPECT_NE(d.hint.find(c.section), std::string::npos) << d.hint;
        blamed.push_back(d.line);
      }
    }
    EXPECT_EQ(blamed, c.blamed) << c.text;
  }
}

// The library's own result, in its own numbering, beside the file's line.
TEST(Diagnostics, KeepTheLibrarysResultApart) {
  // Every piece of the long line holds a "=", so only "k" is bad.
  const std::string text = "[other]\nK = " + std::string(2500, '=') + "\nk\n";
  const checked_text checked = check(text);
  EXPECT_EQ(checked.report.parse.line, 5); // header, pieces 2-4, then "k"
  EXPECT_EQ(checked.result_line, 3);
  EXPECT_EQ(checked.errors, 1u);
  const std::string blocked = "[control parameter]\nk\n" + START + "x\n";
  const checked_text open = check(blocked);
  EXPECT_EQ(open.report.parse.line, 4); // the library names the last line
  EXPECT_EQ(open.result_line, 4);
  EXPECT_EQ(open.errors, 2u);
}

// The engine loads exactly what the library loads.
TEST(Diagnostics, RecordAndResultAreTheLibrarys) {
  const std::string texts[] = {
      read_file(sample_path()),
      "[camera parameter]\nSIZE = 1\nTYPE = a\nTYPE = b\n[register "
      "parameter]\nreg = 1\nREG = 2\nbad\n" +
          START + "x\n",
      std::string("[board parameter]\nREG = 1\0 2\nREG = 3\n", 38),
  };
  for (const std::string &text : texts) {
    const temp_file file(text);
    scoped_config engine_record, library_record;
    const checked_text checked = check_text(text, engine_record.value);
    const int result = quelmix_parse_config(file.path(), library_record.get());
    EXPECT_EQ(checked.report.parse.line, result);
    EXPECT_EQ(describe_record(engine_record.value),
              describe_record(library_record.value));
  }
}

} // namespace
} // namespace quelmix::test
