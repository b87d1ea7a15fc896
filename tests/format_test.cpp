// SPDX-License-Identifier: MIT
// The formatter: the canonical layout, what it leaves alone, and that it
// never changes what a host loads.
#include <gtest/gtest.h>

#include <string>

#include "config_generator.hpp"
#include "engine/layout/format.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

struct layout_case {
  const char *name;
  std::string input;
  std::string output;
};

void PrintTo(const layout_case &c, std::ostream *out) { *out << c.name; }

class Layout : public testing::TestWithParam<layout_case> {};

TEST_P(Layout, IsCanonicalAndStable) {
  const formatted_text once = format_text(GetParam().input);
  EXPECT_FALSE(once.gave_up);
  EXPECT_EQ(once.text, GetParam().output);
  EXPECT_EQ(format_text(once.text).text, once.text); // formatting is stable
}

const std::string START = "======CODE_BLOCK_START======";
const std::string END = "======CODE_BLOCK_END======";

INSTANTIATE_TEST_SUITE_P(
    Rules, Layout,
    testing::Values(
        layout_case{"Entries", "[camera parameter]\nCFG_MODE=1\nTYPE :  a  b\n",
                    "[camera parameter]\nCFG_MODE = 1\nTYPE     = a  b\n"},
        layout_case{"ListsGetCommaBlank",
                    "[register parameter]\nREG=0x3008 ,0X82\n",
                    "[register parameter]\nREG = 0x3008, 0X82\n"},
        layout_case{
            "EmptyAndBlankPiecesKeepTheirMeaning",
            "[board parameter]\nREG = 1,,2\nREG = 1, ,2\nREG = ,5,\n",
            "[board parameter]\nREG = 1,, 2\nREG = 1, , 2\nREG = , 5,\n"},
        layout_case{"TextValuesKeepTheirCommas",
                    "[camera parameter]\nTYPE = a,b ,c\n",
                    "[camera parameter]\nTYPE = a,b ,c\n"},
        layout_case{"CommentsKeptOneBlankAfterTheValue",
                    "[register parameter]\nREG = 1   // note  \n; c  \n",
                    "[register parameter]\nREG = 1 // note\n; c\n"},
        layout_case{"AValueThatWouldTurnIntoACommentStays",
                    "[register parameter]\nREG =;x\nREG = 1,;x\n",
                    "[register parameter]\nREG =;x\nREG = 1,;x\n"},
        layout_case{"BlankLines",
                    "\n\n; top\n[a]\nk = 1\n\n\n\nk = 2\n[b]\n\n\n",
                    "; top\n[a]\nk = 1\n\nk = 2\n\n[b]\n"},
        // The comment lines right above a header belong to it: the blank
        // line goes before them.
        layout_case{"CommentsAboveAHeaderStayWithIt",
                    "[a]\nk = 1\n; about b\n; more\n[b]\nk = 2\n; after\n",
                    "[a]\nk = 1\n\n; about b\n; more\n[b]\nk = 2\n; after\n"},
        layout_case{"EqualsLineUpInARun",
                    "[camera parameter]\nCFG_MODE=1\nTYPE=a\nI2C_ADDR : 0x36\n",
                    "[camera parameter]\nCFG_MODE = 1\nTYPE     = a\n"
                    "I2C_ADDR = 0x36\n"},
        layout_case{"BlankOrCommentLineEndsARun",
                    "[c]\nLONG_NAME=1\nK=2\n\nK=3\n; x\nAB=4\nK=5\n",
                    "[c]\nLONG_NAME = 1\nK         = 2\n\nK = 3\n; x\nAB = 4\n"
                    "K  = 5\n"},
        layout_case{"CommentsShareAColumnInARun",
                    "[register parameter]\nREG = 0x1,0x2 ; a\nDELAY = 5\n"
                    "REG = 1 // b\n",
                    "[register parameter]\nREG   = 0x1, 0x2 ; a\nDELAY = 5\n"
                    "REG   = 1        // b\n"},
        layout_case{"ACodeBlockEndsARun",
                    "[control parameter]\nCTRL_NAME=a\nDEF=1\n" + START +
                        "\nx\n" + END + "\nSTEP=1\nMIN_VALUE=0\n",
                    "[control parameter]\nCTRL_NAME = a\nDEF       = 1\n" +
                        START + "\nx\n" + END +
                        "\nSTEP      = 1\nMIN_VALUE = 0\n"},
        layout_case{"RunsWithCarriageReturns", "[a]\r\nk=1 ; c\r\nlong=2\r\n",
                    "[a]\r\nk    = 1 ; c\r\nlong = 2\r\n"},
        // A start marker with a comment after it and an end marker outside
        // a block are entries to the parser; they keep showing what they
        // were meant to be.
        layout_case{
            "MarkerLinesAsWritten",
            "[control parameter]\nDEF=1\n" + START + " ; note\nDEF=2\n" + END +
                "  \n=====CODE_BLOCK_START=====\n",
            "[control parameter]\nDEF = 1\n" + START + " ; note\nDEF = 2\n" +
                END + "  \n=====CODE_BLOCK_START=====\n"},
        layout_case{"HeadersAsJoined",
                    "  [register parameter][dev3][inf2]  \n[b||x]\n",
                    "[register parameter][dev3][inf2]\n\n[b||x]\n"},
        layout_case{"CodeBlocksByteForByte",
                    "[control parameter]\n" + START + "  \n  a  =  1 \n\n" +
                        END + "\nDEF=1\n",
                    "[control parameter]\n" + START + "  \n  a  =  1 \n\n" +
                        END + "\nDEF = 1\n"},
        layout_case{"RefusedLinesAsTheyAre",
                    "[camera parameter]\n  bad   line  \n[open  \n",
                    "[camera parameter]\n  bad   line  \n[open  \n"},
        // Blank lines at the start go, but a line starting with the mark's
        // bytes must not become line 1, where they would be skipped.
        layout_case{"LineStartingWithMarkBytesStaysOffLineOne",
                    "\n\n\xEF\xBB\xBFREG = 1\n", "\n\xEF\xBB\xBFREG = 1\n"},
        layout_case{"MarkedFileLosesItsBlankFirstLine",
                    "\xEF\xBB\xBF\r\n"
                    "bad\r\n",
                    "\xEF\xBB\xBF"
                    "bad\r\n"},
        layout_case{"CarriageReturnsAndMarkKept",
                    "\xEF\xBB\xBF[camera parameter]\r\nCFG_MODE=1\r\n\r\n"
                    "[b]\nk=2",
                    "\xEF\xBB\xBF[camera parameter]\r\nCFG_MODE = 1\r\n\r\n"
                    "[b]\nk = 2"}),
    [](const auto &param) { return std::string(param.param.name); });

TEST(Format, LongAndNulLinesStayAsTheyAre) {
  const std::string long_line = "TYPE=" + std::string(1100, 'x') + "  ";
  const std::string nul_line("REG=1\0,2  ", 10);
  const std::string text =
      "[register parameter]\n" + long_line + "\n" + nul_line + "\n";
  const formatted_text formatted = format_text(text);
  EXPECT_FALSE(formatted.gave_up);
  EXPECT_EQ(formatted.text, text);
}

// Padding never takes a line past what the library reads in one piece:
// such an entry is laid out alone and the entries on each side align among
// themselves.
TEST(Format, PaddingNeverPassesTheLongestLine) {
  for (const std::string ending : {"\n", "\r\n"}) {
    const std::string long_key(1015, 'K'), long_value(1010, 'v');
    const std::string text = "[a]" + ending + long_key + "=1" + ending +
                             "k=" + long_value + ending + "kk=2" + ending +
                             "k=3" + ending;
    const formatted_text formatted = format_text(text);
    EXPECT_FALSE(formatted.gave_up);
    EXPECT_EQ(formatted.text, "[a]" + ending + long_key + " = 1" + ending +
                                  "k = " + long_value + ending + "kk = 2" +
                                  ending + "k  = 3" + ending);
  }
  // A run whose padding fits keeps it up to the last byte.
  const std::string key(1017 - 4, 'K');
  const std::string fits = "[a]\n" + key + "=1\nk=2\n";
  EXPECT_EQ(format_text(fits).text, "[a]\n" + key + " = 1\nk" +
                                        std::string(key.size() - 1, ' ') +
                                        " = 2\n");
}

// The shipped examples are in the canonical layout.
TEST(Format, ShippedExamplesAreCanonical) {
  for (const char *name :
       {"sample.cfg", "mistakes.cfg", "diff/old.cfg", "diff/new.cfg"}) {
    const std::string path =
        std::string(QUELMIX_TESTS_DIR) + "/../examples/" + name;
    const std::string text = read_file(path);
    EXPECT_EQ(format_text(text).text, text) << name;
  }
}

// On every shipped and generated file: the same load, and stable.
TEST(Format, SamplesLoadTheSameAndAreStable) {
  std::vector<std::string> texts = {read_file(sample_path())};
  texts.push_back(bench::generate_config({3000, false, 8}));
  texts.push_back(bench::generate_config({3000, true, 40}));
  for (const std::string &text : texts) {
    const formatted_text once = format_text(text);
    EXPECT_FALSE(once.gave_up);
    EXPECT_EQ(format_text(once.text).text, once.text);
    const temp_file before(text), after(once.text);
    scoped_config a, b;
    EXPECT_EQ(quelmix_parse_config(before.path(), a.get()),
              quelmix_parse_config(after.path(), b.get()));
    EXPECT_EQ(describe_record(a.value), describe_record(b.value));
  }
}

} // namespace
} // namespace quelmix::test
