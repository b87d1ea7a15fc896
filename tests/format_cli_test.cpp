// SPDX-License-Identifier: MIT
// The formatter's command line: standard output, -i, --check, standard
// input, exit statuses.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

using run_result = tool_run;

run_result run_formatter(const std::string &arguments,
                         const std::string &input = "") {
  return run_tool(QUELMIX_FORMATTER, arguments, input);
}

const std::string UNFORMATTED = "[camera parameter]\nCFG_MODE=1\n";
const std::string FORMATTED = "[camera parameter]\nCFG_MODE = 1\n";

TEST(FormatterCli, PrintsTheLayout) {
  const temp_file file(UNFORMATTED);
  const run_result r = run_formatter(file.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, FORMATTED);
  EXPECT_EQ(read_file(file.path()), UNFORMATTED); // untouched
  EXPECT_EQ(run_formatter("-", UNFORMATTED).out, FORMATTED);
}

TEST(FormatterCli, InPlaceKeepsTheMode) {
  const temp_file file(UNFORMATTED);
  ASSERT_EQ(chmod(file.path(), 0640), 0);
  EXPECT_EQ(run_formatter(std::string("-i ") + file.path()).status, 0);
  EXPECT_EQ(read_file(file.path()), FORMATTED);
  struct stat status {};
  ASSERT_EQ(stat(file.path(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(FormatterCli, CheckListsWhatWouldChange) {
  const temp_file messy(UNFORMATTED), tidy(FORMATTED);
  run_result r = run_formatter(std::string("--check ") + tidy.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  r = run_formatter(std::string("--check ") + tidy.path() + " " + messy.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, std::string(messy.path()) + "\n");
  EXPECT_EQ(read_file(messy.path()), UNFORMATTED); // --check changes nothing
}

// Standard input has no file to rewrite: -i with "-" is a usage error,
// and no other file named with it is touched.
TEST(FormatterCli, InPlaceRefusesStandardInput) {
  const temp_file file(UNFORMATTED);
  for (const std::string &arguments :
       {std::string("-i -"), std::string("-i ") + file.path() + " -"}) {
    const run_result r = run_formatter(arguments, UNFORMATTED);
    EXPECT_EQ(r.status, 2) << arguments;
    EXPECT_EQ(r.out, "") << arguments;
  }
  EXPECT_EQ(read_file(file.path()), UNFORMATTED);
}

TEST(FormatterCli, Trouble) {
  EXPECT_EQ(run_formatter("/nonexistent/x.cfg").status, 2);
  EXPECT_EQ(run_formatter("").status, 2);
  EXPECT_EQ(run_formatter("--bogus x").status, 2);
}

} // namespace
} // namespace quelmix::test
