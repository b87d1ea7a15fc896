// SPDX-License-Identifier: MIT
// The checker and the formatter on folders: the closing line, the counts
// per kind, folders that cannot be read, exit statuses.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/scratch_tree.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

const std::string CLEAN = "[camera parameter]\nTYPE = t\n";
const std::string WARNED = "[camera parameter]\nTYPE = t\nI2C_ADR = 1\n";
const std::string BAD = "[camera parameter]\nTYPE = t\n[x\n";

tool_run check(const std::string &arguments) {
  return run_tool(std::string("NO_COLOR= ") + QUELMIX_CHECKER, arguments);
}

struct folder_case {
  const char *name;
  std::vector<scratch_tree::entry> files;
  const char *options;
  int status;
  const char *closing; // the last line of standard output
};

class CheckFolder : public ::testing::TestWithParam<folder_case> {};

TEST_P(CheckFolder, ClosesWithTheCountsAndTheWorstStatus) {
  const folder_case &c = GetParam();
  const scratch_tree tree(c.files);
  const tool_run r = check(std::string(c.options) + " " + tree.root());
  EXPECT_EQ(r.status, c.status) << r.out << r.err;
  std::string last = r.out;
  if (!last.empty())
    last.pop_back();
  last = last.substr(last.rfind('\n') + 1);
  EXPECT_EQ(last, c.closing) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CheckFolder,
    ::testing::Values(
        folder_case{"clean",
                    {{"a.cfg", CLEAN}, {"b/c.cfg", CLEAN}},
                    "",
                    0,
                    "checked 2 files: 0 with errors, 0 warnings"},
        folder_case{"one_file_is_still_a_run",
                    {{"a.cfg", CLEAN}},
                    "",
                    0,
                    "checked 1 file: 0 with errors, 0 warnings"},
        folder_case{"warnings_and_errors",
                    {{"a.cfg", WARNED}, {"b.cfg", BAD}, {"c.cfg", WARNED}},
                    "",
                    1,
                    "checked 3 files: 1 with errors, 2 warnings"},
        folder_case{"warnings_fail_with_werror",
                    {{"a.cfg", WARNED}},
                    "-Werror",
                    1,
                    "checked 1 file: 0 with errors, 1 warning"},
        folder_case{"statistics_follow_the_files",
                    {{"a.cfg", WARNED}, {"b.cfg", BAD}, {"c.cfg", WARNED}},
                    "--statistics",
                    1,
                    "checked 3 files: 1 with errors, 2 warnings"}),
    [](const auto &tested) { return std::string(tested.param.name); });

// Counts per kind, the most frequent first, each with its kind's name.
TEST(CheckFolderStatistics, CountsEachKindReported) {
  const scratch_tree tree(
      {{"a.cfg", WARNED}, {"b.cfg", BAD}, {"c.cfg", WARNED}});
  const tool_run r = check("--statistics " + tree.root());
  const std::size_t first = r.out.find("     2  unknown-key (warning)");
  const std::size_t second = r.out.find("     1  unclosed-header (error)");
  EXPECT_NE(first, std::string::npos) << r.out;
  EXPECT_NE(second, std::string::npos) << r.out;
  EXPECT_LT(first, second);
  EXPECT_EQ(check(tree.root()).out.find("unknown-key ("), std::string::npos);
}

// Beside a document on standard output, the counts go to standard error.
TEST(CheckFolderStatistics, GoToStandardErrorBesideADocument) {
  const scratch_tree tree({{"a.cfg", WARNED}, {"b.cfg", WARNED}});
  for (const char *format : {"--json", "--format=sarif", "--format=github"}) {
    const tool_run r =
        check(std::string(format) + " --statistics " + tree.root());
    EXPECT_EQ(r.out, check(std::string(format) + " " + tree.root()).out)
        << format;
    EXPECT_NE(r.err.find("     2  unknown-key (warning)"), std::string::npos)
        << format << r.err;
  }
}

// JSON over a folder is an array, whatever the number of files.
TEST(CheckFolderStatistics, JsonOverAFolderIsAnArray) {
  const scratch_tree tree({{"a.cfg", CLEAN}});
  const tool_run r = check("--json " + tree.root());
  EXPECT_EQ(r.out.substr(0, 2), "[\n");
  EXPECT_EQ(r.out.find("checked "), std::string::npos);
}

// A folder nobody may read is said, fails the run, and the rest is checked.
// Run as an ordinary user: root reads every folder.
TEST(CheckFolderProblems, AnUnreadableFolderFailsAndTheRestIsChecked) {
  std::string as_user;
  if (geteuid() == 0) {
    if (access("/usr/bin/setpriv", X_OK) != 0)
      GTEST_SKIP() << "root without setpriv cannot make a folder unreadable";
    as_user = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  }
  const scratch_tree tree({{"a/x.cfg", CLEAN}, {"shut/y.cfg", CLEAN}});
  chmod(tree.root().c_str(), 0755);
  chmod(tree.path("a").c_str(), 0755);
  chmod(tree.path("a/x.cfg").c_str(), 0644);
  chmod(tree.path("shut").c_str(), 0);
  const tool_run r =
      run_tool("NO_COLOR= " + as_user + QUELMIX_CHECKER, tree.root());
  EXPECT_EQ(r.status, 2) << r.out << r.err;
  EXPECT_NE(r.err.find(tree.path("shut") + ": cannot read folder: "),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.out.find(tree.path("a/x.cfg") + ": ok"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("checked 1 file: 0 with errors"), std::string::npos);
}

TEST(FormatFolder, ListsTheFilesThatWouldChange) {
  const scratch_tree tree({{"a.cfg", "[camera parameter]\nTYPE=t\n"},
                           {"b.cfg", CLEAN},
                           {"c/d.cfg", "[camera parameter]\nTYPE  =  t\n"},
                           {"e.txt", "[camera parameter]\nTYPE=t\n"}});
  const tool_run r = run_tool(QUELMIX_FORMATTER, "--check " + tree.root());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, tree.path("a.cfg") + "\n" + tree.path("c/d.cfg") + "\n");
  EXPECT_EQ(run_tool(QUELMIX_FORMATTER, "-i " + tree.root()).status, 0);
  EXPECT_EQ(run_tool(QUELMIX_FORMATTER, "--check " + tree.root()).status, 0);
  EXPECT_EQ(read_file(tree.path("e.txt")), "[camera parameter]\nTYPE=t\n");
}

} // namespace
} // namespace quelmix::test
