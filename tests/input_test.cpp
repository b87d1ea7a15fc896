// SPDX-License-Identifier: MIT
// How the tools read their input: whole files, standard input, and the
// files they cannot read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

using tools::check_file;

TEST(Input, FilesThatCannotBeRead) {
  scoped_config config;
  checked_text checked = check_file("/nonexistent/x.cfg", config.value);
  EXPECT_EQ(checked.report.parse.line, -1);
  ASSERT_EQ(positions(checked),
            std::vector<std::string>{"0:0 error cannot-open"});
  checked = check_file("/", config.value);
  EXPECT_EQ(checked.report.parse.line, -1);
  EXPECT_EQ(positions(checked),
            std::vector<std::string>{"0:0 error cannot-read"});
}

} // namespace
} // namespace quelmix::test
