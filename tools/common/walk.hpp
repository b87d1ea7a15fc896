// SPDX-License-Identifier: MIT
// The files a tool works on: each argument that is not a folder as it is
// (a file named on the command line is always taken), and each folder
// walked recursively in byte order of names, without hidden folders, what
// the repository ignores (.gitignore files, .git/info/exclude, the global
// excludes file, read by libgit2) and what the caller leaves out.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quelmix::tools {

struct walk_choices {
  // A file found in a folder: take it? (A project's include and exclude
  // patterns; "*.cfg" without one.)
  std::function<bool(const std::string &path)> wanted;
  // A folder found in a folder: leave it out? (A project's exclude.)
  std::function<bool(const std::string &path)> left_out;
};

struct walk_problem {
  std::string path;
  std::string words;
  // A folder that could not be read fails the run; a link back to a
  // folder being walked only says so (everything in it is walked anyway).
  bool fails;
};

struct walked {
  std::vector<std::string> files;
  std::vector<walk_problem> problems;
  bool folders = false; // some argument was a folder
};

walked collect_files(const std::vector<std::string> &arguments,
                     const walk_choices &choices);

// Whether `path` names a folder (following links).
bool is_folder(const std::string &path);

// A file name (the last part of `path`) ending in ".cfg", with something
// before it: what a walk takes without a project file.
bool has_config_ending(const std::string &path);

} // namespace quelmix::tools
