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

std::vector<std::string> positions(const checked_text &checked) {
  std::vector<std::string> out;
  for (const diagnostic &d : checked.diagnostics)
    out.push_back(std::to_string(d.line) + ":" + std::to_string(d.column) +
                  (d.level() == severity::error ? " error " : " warning ") +
                  std::string(quelmix::name_of(d.kind)));
  return out;
}

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
