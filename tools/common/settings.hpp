// SPDX-License-Identifier: MIT
// Which project file governs a path (the nearest quelmix.toml above it, a
// file named with --config, or none with --isolated), and the settings
// that follow for one file: the project's warning choices, its per-path
// overrides in order, then the command line's -W options over them.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "project.hpp"
#include "settings_choices.hpp"
#include "walk.hpp"
#include "warning_options.hpp"

namespace quelmix::tools {

inline constexpr const char *PROJECT_FILE_NAME = "quelmix.toml";

// The project governing a path, or a bad project file, or neither.
struct governing {
  const project *read = nullptr;
  const project_error *error = nullptr;
};

class project_finder {
public:
  explicit project_finder(settings_choices choices);

  // The project of file `path` (found from its folder upwards).
  governing for_file(const std::string &path);
  // The project of what folder `folder` holds (found from it upwards).
  governing for_folder(const std::string &folder);
  // Forgets every project file read (they are read again when asked for).
  void forget();

  const settings_choices &choices() const { return choices_; }

private:
  governing for_start(const std::string &folder);
  governing reading_of(const std::string &file);

  settings_choices choices_;
  std::map<std::string, std::optional<std::string>> nearest_;    // by folder
  std::map<std::string, std::unique_ptr<project_reading>> read_; // by file
};

// `path` relative to the project's folder; empty when outside it.
std::string path_in_project(const project &p, const std::string &path);

// Folder walks that take a project's include and exclude patterns.
walk_choices project_walk_choices(project_finder &finder);

// One file's settings and, for --show-settings, where each came from.
struct file_settings {
  warning_options warnings;
  const command_rules *rules = nullptr;
  std::vector<std::string> sources; // by kind: "default", "quelmix.toml:7"...
};

file_settings settings_for(const project *p, const std::string &path,
                           const settings_choices &choices);

// The effective choice for a warning kind.
kind_choice choice_for(const warning_options &w, diagnostic_kind kind);

// --show-settings: every setting that applies to `path`, one a line, with
// where it came from.
std::string describe_settings(const project *p, const std::string &path,
                              const file_settings &settings);

// "FILE:LINE:COLUMN: error: MESSAGE" for a bad project file.
std::string project_error_line(const project_error &error);

} // namespace quelmix::tools
