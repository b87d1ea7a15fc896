// Warnings: every line the loader ignores is reported once, at its line,
// with words that name the likely intent; the record does not change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnostics/warnings.hpp"
#include "loader/loader.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

void collect(void *user, std::int64_t line, const load_warning &warning) {
  char message[512];
  format_warning(warning, message, sizeof message);
  static_cast<std::vector<std::string> *>(user)->push_back(
      std::to_string(line) + ": " + message);
}

std::vector<std::string> warnings_of(const std::string &text) {
  std::vector<std::string> warnings;
  const load_observer observer{collect, &warnings};
  scoped_config config;
  load_config_string(text.c_str(), config.get(), &observer);
  return warnings;
}

struct warning_case {
  const char *name;
  std::string text;
  std::vector<std::string> warnings;
};

void PrintTo(const warning_case &c, std::ostream *out) { *out << c.name; }

class Warnings : public testing::TestWithParam<warning_case> {};

TEST_P(Warnings, NameWhatWasIgnored) {
  EXPECT_EQ(warnings_of(GetParam().text), GetParam().warnings);
}

const std::string START = "======CODE_BLOCK_START======\n";
const std::string END = "======CODE_BLOCK_END======\n";

INSTANTIATE_TEST_SUITE_P(
    OnePerKind, Warnings,
    testing::Values(
        warning_case{"KeyInWrongCase",
                     "[register parameter]\nreg = 1\n",
                     {"2: key \"reg\" is not known in section \"register "
                      "parameter\" (keys are case-sensitive; did you mean "
                      "\"REG\"?)"}},
        warning_case{"UnknownKey",
                     "[control parameter]\nSTEPS = 1\n",
                     {"2: key \"STEPS\" is not known in section \"control "
                      "parameter\"; the line is ignored"}},
        warning_case{"BlanksInsideBrackets",
                     "[ camera parameter ]\nSIZE = 1, 2\n",
                     {"1: section \" camera parameter \" is not known (blanks "
                      "inside the brackets are part of the name; did you "
                      "mean \"camera parameter\"?)"}},
        warning_case{"UnknownVariant",
                     "[register parameter][dev2]\nREG = 1\n",
                     {"1: section \"register parameter||dev2\" is not known "
                      "(\"register parameter\" has no such variant); its "
                      "lines are ignored"}},
        warning_case{"SectionInWrongCase",
                     "[Control Parameter]\n",
                     {"1: section \"Control Parameter\" is not known "
                      "(section names are case-sensitive; did you mean "
                      "\"control parameter\"?)"}},
        warning_case{"SizeWithOneValue",
                     "[camera parameter]\nSIZE = 640\n",
                     {"2: \"SIZE\" needs 2 values, found 1; the line is "
                      "ignored"}},
        warning_case{"FormatWithThreeValues",
                     "[camera parameter]\nFORMAT = 1, 2, 3\n",
                     {"2: \"FORMAT\" needs 1 or 2 values, found 3; the line "
                      "is ignored"}},
        warning_case{"SizeWithSeventeenValues",
                     "[camera parameter]\nSIZE = 1,1,1,1,1,1,1,1,1,1,1,1,1,1,"
                     "1,1,1\n",
                     {"2: \"SIZE\" needs 2 values, found more than 16; the "
                      "line is ignored"}},
        warning_case{"CommandInCameraSection",
                     "[camera parameter]\nDELAY = 5\n",
                     {"2: command \"DELAY\" in section \"camera parameter\" "
                      "is ignored (commands belong in board and register "
                      "sections)"}},
        warning_case{"CommandInControlSection",
                     "[control parameter]\nVRCMD = 5\n",
                     {"2: command \"VRCMD\" in section \"control parameter\" "
                      "is ignored (commands belong in board and register "
                      "sections)"}},
        warning_case{"KeyBeforeFirstHeader",
                     "; comment\nCFG_MODE = 1\n",
                     {"2: key \"CFG_MODE\" comes before any section header "
                      "and is ignored"}},
        warning_case{"CodeBlockBeforeFirstHeader",
                     START + "x\n" + END,
                     {"3: code block before any section header is ignored"}},
        warning_case{"CodeBlockOutsideControl",
                     "[board parameter]\n" + START + "x\n" + END,
                     {"4: code block in section \"board parameter\" is "
                      "ignored (only control sections hold code)"}},
        warning_case{"SecondTypeOverwrites",
                     "[camera parameter]\nTYPE = a\nTYPE = b\n",
                     {"3: \"TYPE\" is set again; the earlier value is "
                      "overwritten"}},
        warning_case{"TypeCut",
                     "[camera parameter]\nTYPE = " + std::string(50, 't') +
                         "\n",
                     {"2: \"TYPE\" is longer than 49 bytes and was cut"}},
        warning_case{
            "FuncNameCut",
            "[control parameter]\nFUNC_NAME = " + std::string(128, 'f') + "\n",
            {"2: \"FUNC_NAME\" is longer than 127 bytes and was cut"}},
        warning_case{"SecondCodeBlock",
                     "[control parameter]\n" + START + END + START + END,
                     {"5: a second code block in this control replaces the "
                      "first"}},
        warning_case{"EmptySectionName",
                     "[]\nk = 1\n",
                     {"1: section \"\" is not known; its lines are ignored"}}),
    [](const auto &param) { return std::string(param.param.name); });

INSTANTIATE_TEST_SUITE_P(
    None, Warnings,
    testing::Values(
        warning_case{"NameAtItsLimit",
                     "[camera parameter]\nTYPE = " + std::string(49, 't') +
                         "\n",
                     {}},
        warning_case{"KeysInUnknownSectionAreCoveredByItsWarning",
                     "[other]\nREG = 1\nx = 2\n",
                     {"1: section \"other\" is not known; its lines are "
                      "ignored"}},
        warning_case{"LineNumbersCountLongLinePieces",
                     "; " + std::string(1100, 'x') +
                         "\n[camera parameter]\n"
                         "SIZE = 1\n",
                     {"4: \"SIZE\" needs 2 values, found 1; the line is "
                      "ignored"}}),
    [](const auto &param) { return std::string(param.param.name); });

TEST(Warnings, SampleHasNone) {
  EXPECT_EQ(warnings_of(read_file(sample_path())), std::vector<std::string>{});
}

// Listening changes nothing the library does.
TEST(Warnings, ObserverLeavesRecordAndResultAlone) {
  const std::string text = "[camera parameter]\nSIZE = 1\nTYPE = a\nTYPE = b\n"
                           "[register parameter]\nreg = 1\nREG = 2\nbad\n";
  std::vector<std::string> warnings;
  const load_observer observer{collect, &warnings};
  scoped_config heard, plain;
  const load_report with =
      load_config_string(text.c_str(), heard.get(), &observer);
  const load_report without = load_config_string(text.c_str(), plain.get());
  EXPECT_EQ(with.parse.line, without.parse.line);
  EXPECT_EQ(describe_record(heard.value), describe_record(plain.value));
  EXPECT_EQ(warnings.size(), 3u);
}

} // namespace
} // namespace quelmix::test
