// SPDX-License-Identifier: MIT
// Walking folders: what is taken, in what order, and what is said about
// folders that cannot be walked.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/scratch_tree.hpp"
#include "walk.hpp"

namespace quelmix::test {
namespace {

using tools::collect_files;
using tools::walk_choices;
using tools::walked;

walk_choices config_files() {
  return {
      [](const std::string &path) { return tools::has_config_ending(path); },
      [](const std::string &) { return false; }};
}

// The files found under `root`, as paths relative to it.
std::vector<std::string>
found_under(const scratch_tree &tree,
            const walk_choices &choices = config_files()) {
  const walked w = collect_files({tree.root()}, choices);
  std::vector<std::string> out;
  for (const std::string &path : w.files)
    out.push_back(path.substr(tree.root().size() + 1));
  return out;
}

struct walk_case {
  const char *name;
  bool repository;
  std::vector<scratch_tree::entry> files;
  std::vector<std::string> expected;
};

class Walk : public ::testing::TestWithParam<walk_case> {};

TEST_P(Walk, TakesTheConfigurationFilesInByteOrder) {
  const walk_case &c = GetParam();
  scratch_tree tree(c.files, c.repository);
  EXPECT_EQ(found_under(tree), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, Walk,
    ::testing::Values(
        walk_case{"nested_in_byte_order",
                  false,
                  {{"b/z.cfg", ""},
                   {"b/a.cfg", ""},
                   {"B.cfg", ""},
                   {"a/deep/er/x.cfg", ""},
                   {"a.cfg", ""}},
                  {"B.cfg", "a.cfg", "a/deep/er/x.cfg", "b/a.cfg", "b/z.cfg"}},
        walk_case{"other_endings_and_hidden_folders",
                  false,
                  {{"notes.txt", ""},
                   {"x.cfg.orig", ""},
                   {".cfg", ""},
                   {".hidden/a.cfg", ""},
                   {"v/.git/b.cfg", ""},
                   {"v/c.cfg", ""}},
                  {"v/c.cfg"}},
        walk_case{"ignore_files_of_the_repository",
                  true,
                  {{".gitignore", "build/\n*.gen.cfg\n!keep.gen.cfg\n"},
                   {"build/a.cfg", ""},
                   {"x.gen.cfg", ""},
                   {"keep.gen.cfg", ""},
                   {"sub/.gitignore", "local.cfg\n"},
                   {"sub/local.cfg", ""},
                   {"sub/x.gen.cfg", ""},
                   {"sub/kept.cfg", ""},
                   {"local.cfg", ""}},
                  {"keep.gen.cfg", "local.cfg", "sub/kept.cfg"}},
        walk_case{"the_repository_exclude_file",
                  true,
                  {{".git/info/exclude", "drop/\n"},
                   {"drop/a.cfg", ""},
                   {"keep/a.cfg", ""}},
                  {"keep/a.cfg"}}),
    [](const auto &tested) { return std::string(tested.param.name); });

TEST(WalkChoices, LeftOutFoldersAndUnwantedFilesAreNotTaken) {
  scratch_tree tree(
      {{"vendor/a.cfg", ""}, {"own/a.cfg", ""}, {"own/b.ini", ""}}, false);
  const walk_choices choices{
      [](const std::string &path) {
        return path.size() > 4 && path.substr(path.size() - 4) == ".ini";
      },
      [](const std::string &path) {
        return path.size() >= 6 && path.substr(path.size() - 6) == "vendor";
      }};
  EXPECT_EQ(found_under(tree, choices), std::vector<std::string>{"own/b.ini"});
}

// Named files are taken whatever they are called and wherever they are.
TEST(WalkChoices, NamedFilesAreAlwaysTaken) {
  scratch_tree tree({{".gitignore", "*.cfg\n"},
                     {".hidden/a.cfg", ""},
                     {"ignored.cfg", ""},
                     {"notes.txt", ""}},
                    true);
  const std::vector<std::string> named = {
      tree.root() + "/.hidden/a.cfg", tree.root() + "/ignored.cfg",
      tree.root() + "/notes.txt", "-", tree.root() + "/absent.cfg"};
  const walked w = collect_files(named, config_files());
  EXPECT_EQ(w.files, named);
  EXPECT_FALSE(w.folders);
  EXPECT_TRUE(w.problems.empty());
}

TEST(WalkProblems, LinkLoopsAreSaidAndTheRestIsWalked) {
  scratch_tree tree({{"a/x.cfg", ""}, {"b/y.cfg", ""}}, false);
  ASSERT_EQ(symlink("..", (tree.root() + "/a/up").c_str()), 0);
  ASSERT_EQ(symlink("self", (tree.root() + "/b/self").c_str()), 0);
  ASSERT_EQ(symlink("../a", (tree.root() + "/b/a-again").c_str()), 0);
  const walked w = collect_files({tree.root()}, config_files());
  EXPECT_EQ(w.files, (std::vector<std::string>{tree.root() + "/a/x.cfg",
                                               tree.root() + "/b/y.cfg"}));
  std::vector<std::string> problems;
  for (const tools::walk_problem &p : w.problems) {
    problems.push_back(p.path.substr(tree.root().size() + 1));
    EXPECT_FALSE(p.fails);
  }
  EXPECT_EQ(problems, (std::vector<std::string>{"a/up", "b/self"}));
}

} // namespace
} // namespace quelmix::test
