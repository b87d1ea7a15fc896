// SPDX-License-Identifier: MIT
// Path patterns of a project file (include, exclude, per-path settings),
// matched by libgit2's pathspec rules against a path relative to the
// project file's folder: "*" also crosses "/", and a pattern that names a
// folder covers everything in it ("vendor" holds "vendor/a/b.cfg").
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelmix::tools {

class path_patterns {
public:
  path_patterns() = default;
  explicit path_patterns(std::vector<std::string> patterns);

  bool empty() const { return patterns_.empty(); }
  const std::vector<std::string> &list() const { return patterns_; }
  // Whether `relative` (no leading "./", "/" between folders) matches.
  bool matches(std::string_view relative) const;

private:
  std::vector<std::string> patterns_;
  std::shared_ptr<void> compiled_; // a git_pathspec
};

// What is wrong with a pattern, if anything: empty, absolute, climbing out
// with "..", or an unclosed "[".
std::optional<std::string> pattern_problem(std::string_view pattern);

} // namespace quelmix::tools
