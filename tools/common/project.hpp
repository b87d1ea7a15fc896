// SPDX-License-Identifier: MIT
// A project file, quelmix.toml: which warning kinds are on, off or errors
// (for the whole tree and per path pattern), which files a folder walk
// takes, and the team's command rules. Read with toml++, in project.cpp
// alone; every mistake in it is an error with its line and column.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/analysis/command_rules.hpp"
#include "patterns.hpp"

namespace quelmix::tools {

enum class kind_choice : std::uint8_t { on, off, error };

// One "KIND = CHOICE" line; no kind for "all".
struct kind_setting {
  std::optional<diagnostic_kind> kind;
  kind_choice choice;
  std::int64_t line;
};

struct path_override {
  path_patterns paths;
  std::vector<kind_setting> warnings;
  std::int64_t line; // its [[overrides]] header
};

struct project {
  std::string file;   // the project file as found or named
  std::string folder; // absolute, lexically normal: patterns start here
  path_patterns include, exclude;
  std::int64_t include_line = 0, exclude_line = 0;
  std::vector<kind_setting> warnings;
  std::vector<path_override> overrides;
  command_rules rules;
};

struct project_error {
  std::string file;
  std::int64_t line = 0; // 0 for the file as a whole
  std::int64_t column = 0;
  std::string message;
};

struct project_reading {
  std::optional<project> read;
  project_error error; // when `read` is empty
};

// Reads and checks the project file at `path`.
project_reading read_project(const std::string &path);

// Paths as the project machinery compares them: absolute and lexically
// normal, without a trailing '/'.
std::string normal_absolute(const std::string &path);
// How a project file found by walking up is named: as the files checked
// are, relative to the current folder when it lies inside it.
std::string shown_name(const std::string &absolute);

// The word a project file uses for a choice.
const char *choice_word(kind_choice choice);

} // namespace quelmix::tools
