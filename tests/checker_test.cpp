// The command-line checker: exit statuses and FILE:LINE: REASON lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

struct run_result {
  int status;
  std::string out, err;
};

run_result run_checker(const std::string &arguments) {
  const temp_file out(""), err("");
  const std::string command = std::string(QUELMIX_CHECKER) + " " + arguments +
                              " >" + out.path() + " 2>" + err.path();
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(out.path()),
          read_file(err.path())};
}

TEST(Checker, SamplePrintsTheDumps) {
  const run_result r = run_checker(sample_path());
  EXPECT_EQ(r.status, 0);
  const std::string expected = std::string(QUELMIX_TESTS_DIR) + "/expected/";
  EXPECT_EQ(r.out, read_file(expected + "sample.values.txt"));
  EXPECT_EQ(r.err, read_file(expected + "sample.camera.txt") +
                       read_file(expected + "sample.controls.txt") +
                       read_file(expected + "sample.headers.txt"));
}

TEST(Checker, QuietPrintsNothingForACleanFile) {
  const run_result r = run_checker("-q " + sample_path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out + r.err, "");
}

struct bad_case {
  const char *name;
  std::string text;
  std::string reason; // after "FILE:"
};

TEST(Checker, NamesTheFirstBadLineAndWhy) {
  const bad_case cases[] = {
      {"header", "[camera parameter]\n[board\n",
       "2: section header has no closing \"]\""},
      {"entry", "; c\nREG 1\n",
       "2: entry has no \"=\" or \":\" before any comment"},
      {"block cut by header",
       "[control parameter]\n======CODE_BLOCK_START======\nx\n[a]\n",
       "4: code block is not closed with ======CODE_BLOCK_END====== before "
       "this line"},
      {"block cut by end", "======CODE_BLOCK_START======\n",
       "1: code block is not closed with ======CODE_BLOCK_END====== before "
       "this line"},
      {"too many values",
       "[register parameter]\nREG = "
       "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\n",
       "2: command has more than 16 values"},
      {"first of several", "[register parameter]\nbad\n[x\n",
       "2: entry has no \"=\" or \":\" before any comment"},
  };
  for (const bad_case &c : cases) {
    const temp_file file(c.text);
    const run_result r = run_checker(std::string("-q ") + file.path());
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(r.err, std::string(file.path()) + ":" + c.reason + "\n")
        << c.name;
  }
}

TEST(Checker, UnopenableAndUnreadableFiles) {
  run_result r = run_checker("/nonexistent/x.cfg");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "/nonexistent/x.cfg: cannot open: No such file or directory\n");
  r = run_checker("/");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "/: cannot read: Is a directory\n");
}

TEST(Checker, WorstStatusOfSeveralFiles) {
  const temp_file bad("k\n");
  EXPECT_EQ(run_checker("-q " + sample_path() + " " + bad.path()).status, 1);
  EXPECT_EQ(
      run_checker("-q " + std::string(bad.path()) + " /nonexistent").status, 2);
}

TEST(Checker, WarningsComeAfterTheErrorInLineOrder) {
  const temp_file file("[camera parameter]\nSIZE = 640\nbad\n"
                       "[register parameter]\nreg = 1\n");
  const std::string path = file.path();
  const run_result r = run_checker("-q -W " + path);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            path + ":3: entry has no \"=\" or \":\" before any comment\n" +
                path +
                ":2: warning: \"SIZE\" needs 2 values, found 1; the line "
                "is ignored\n" +
                path +
                ":5: warning: key \"reg\" is not known in section "
                "\"register parameter\" (keys are case-sensitive; did you "
                "mean \"REG\"?)\n");
}

TEST(Checker, WarningsFailTheCheckOnlyWhenAsked) {
  const temp_file file("[camera parameter]\nTYPE = a\nTYPE = b\n");
  EXPECT_EQ(run_checker(std::string("-q ") + file.path()).status, 0);
  EXPECT_EQ(run_checker(std::string("-q -W ") + file.path()).status, 0);
  EXPECT_EQ(
      run_checker(std::string("-q --warnings=error ") + file.path()).status, 1);
  EXPECT_EQ(run_checker("-q --warnings=error " + sample_path()).status, 0);
  // Without -W nothing is said of them.
  EXPECT_EQ(run_checker(std::string("-q ") + file.path()).err, "");
}

TEST(Checker, Usage) {
  EXPECT_EQ(run_checker("").status, 2);
  EXPECT_EQ(run_checker("--bogus").status, 2);
  const run_result help = run_checker("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: quelmix-config-check"), std::string::npos);
  const run_result version = run_checker("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("quelmix-config-check 1.", 0), 0u);
}

} // namespace
} // namespace quelmix::test
