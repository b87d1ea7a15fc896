// SPDX-License-Identifier: MIT
#include "patterns.hpp"

#include <git2.h>

#include "git_library.hpp"

namespace quelmix::tools {

path_patterns::path_patterns(std::vector<std::string> patterns)
    : patterns_(std::move(patterns)) {
  if (patterns_.empty())
    return;
  use_git_library();
  std::vector<char *> strings;
  for (std::string &p : patterns_)
    strings.push_back(p.data());
  git_strarray array{strings.data(), strings.size()};
  git_pathspec *pathspec = nullptr;
  if (git_pathspec_new(&pathspec, &array) == 0)
    compiled_ = std::shared_ptr<void>(pathspec, [](void *s) {
      git_pathspec_free(static_cast<git_pathspec *>(s));
    });
}

bool path_patterns::matches(std::string_view relative) const {
  if (!compiled_)
    return false;
  const std::string path(relative);
  return git_pathspec_matches_path(static_cast<git_pathspec *>(compiled_.get()),
                                   GIT_PATHSPEC_DEFAULT, path.c_str()) == 1;
}

std::optional<std::string> pattern_problem(std::string_view pattern) {
  if (pattern.empty())
    return "an empty pattern";
  if (pattern.front() == '/')
    return "a pattern is relative to the project file's folder, not absolute";
  for (std::size_t at = 0; at < pattern.size();) {
    const std::size_t slash = pattern.find('/', at);
    const std::string_view part = pattern.substr(
        at,
        slash == std::string_view::npos ? std::string_view::npos : slash - at);
    if (part == "..")
      return "a pattern cannot climb out of the project with \"..\"";
    if (slash == std::string_view::npos)
      break;
    at = slash + 1;
  }
  int open = 0;
  for (char c : pattern) {
    if (c == '[')
      ++open;
    else if (c == ']' && open > 0)
      --open;
  }
  if (open > 0)
    return "\"[\" without its \"]\"";
  return std::nullopt;
}

} // namespace quelmix::tools
