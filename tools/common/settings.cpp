// SPDX-License-Identifier: MIT
#include "settings.hpp"

#include <sys/stat.h>

namespace quelmix::tools {
namespace {

std::string parent_of(const std::string &absolute) {
  const std::size_t slash = absolute.rfind('/');
  if (slash == std::string::npos || slash == 0)
    return "/";
  return absolute.substr(0, slash);
}

bool is_file(const std::string &path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

void apply(warning_options &w, diagnostic_kind kind, kind_choice choice) {
  w.disabled.erase(kind);
  w.as_errors.erase(kind);
  w.not_errors.erase(kind);
  if (choice == kind_choice::off)
    w.disabled.insert(kind);
  else if (choice == kind_choice::error)
    w.as_errors.insert(kind);
}

void apply_settings(const std::vector<kind_setting> &list,
                    const std::string &where, file_settings &out) {
  for (const kind_setting &s : list)
    for (const kind_info &k : kinds) {
      if (k.level != severity::warning || (s.kind && *s.kind != k.kind))
        continue;
      apply(out.warnings, k.kind, s.choice);
      out.sources[static_cast<std::size_t>(k.kind)] =
          where + ":" + std::to_string(s.line);
    }
}

std::string patterns_words(const path_patterns &patterns) {
  std::string words = "[";
  for (const std::string &p : patterns.list())
    words += (words.size() > 1 ? ", \"" : "\"") + p + "\"";
  return words + "]";
}

} // namespace

project_finder::project_finder(settings_choices choices)
    : choices_(std::move(choices)) {}

void project_finder::forget() {
  nearest_.clear();
  read_.clear();
}

governing project_finder::reading_of(const std::string &file) {
  auto &slot = read_[file];
  if (!slot)
    slot = std::make_unique<project_reading>(read_project(file));
  if (slot->read)
    return {&*slot->read, nullptr};
  return {nullptr, &slot->error};
}

governing project_finder::for_start(const std::string &folder) {
  if (choices_.isolated)
    return {};
  if (choices_.config)
    return reading_of(*choices_.config);
  std::vector<std::string> passed;
  std::optional<std::string> found;
  for (std::string at = folder;; at = parent_of(at)) {
    const auto known = nearest_.find(at);
    if (known != nearest_.end()) {
      found = known->second;
      break;
    }
    passed.push_back(at);
    const std::string candidate =
        (at == "/" ? "" : at) + "/" + PROJECT_FILE_NAME;
    if (is_file(candidate)) {
      found = shown_name(candidate);
      break;
    }
    if (at == "/")
      break;
  }
  for (const std::string &folder_passed : passed)
    nearest_[folder_passed] = found;
  if (!found)
    return {};
  return reading_of(*found);
}

governing project_finder::for_file(const std::string &path) {
  return for_start(parent_of(normal_absolute(path == "-" ? "." : path + "")));
}

governing project_finder::for_folder(const std::string &folder) {
  return for_start(normal_absolute(folder));
}

std::string path_in_project(const project &p, const std::string &path) {
  const std::string absolute = normal_absolute(path);
  const std::string prefix = p.folder == "/" ? "/" : p.folder + "/";
  if (absolute.compare(0, prefix.size(), prefix) != 0)
    return "";
  return absolute.substr(prefix.size());
}

walk_choices project_walk_choices(project_finder &finder) {
  walk_choices choices;
  choices.wanted = [&finder](const std::string &path) {
    const governing g = finder.for_file(path);
    // Under a bad project file the file is taken, to be refused with it.
    if (g.read == nullptr)
      return has_config_ending(path);
    const std::string relative = path_in_project(*g.read, path);
    const bool included = g.read->include.empty()
                              ? has_config_ending(path)
                              : g.read->include.matches(relative);
    return included && !g.read->exclude.matches(relative);
  };
  choices.left_out = [&finder](const std::string &folder) {
    // The folder's own project file governs what it holds, not the folder.
    const governing g = finder.for_file(folder);
    if (g.read == nullptr)
      return false;
    const std::string relative = path_in_project(*g.read, folder);
    return !relative.empty() && g.read->exclude.matches(relative);
  };
  return choices;
}

kind_choice choice_for(const warning_options &w, diagnostic_kind kind) {
  if (!w.warnings || w.disabled.count(kind) != 0)
    return kind_choice::off;
  if (w.fails_as(kind))
    return kind_choice::error;
  return kind_choice::on;
}

file_settings settings_for(const project *p, const std::string &path,
                           const settings_choices &choices) {
  file_settings out;
  out.sources.assign(KIND_COUNT, "default");
  if (p != nullptr) {
    apply_settings(p->warnings, p->file, out);
    const std::string relative = path_in_project(*p, path);
    for (const path_override &o : p->overrides)
      if (!relative.empty() && o.paths.matches(relative))
        apply_settings(o.warnings, p->file, out);
    if (!p->rules.rules.empty())
      out.rules = &p->rules;
  }
  for (const std::string &option : choices.warning_options) {
    std::vector<kind_choice> before;
    for (const kind_info &k : kinds)
      before.push_back(choice_for(out.warnings, k.kind));
    apply_warning_option(out.warnings, option);
    for (const kind_info &k : kinds)
      if (choice_for(out.warnings, k.kind) !=
          before[static_cast<std::size_t>(k.kind)])
        out.sources[static_cast<std::size_t>(k.kind)] =
            "command line " + option;
  }
  return out;
}

std::string describe_settings(const project *p, const std::string &path,
                              const file_settings &settings) {
  std::string text = "# settings for " + path + "\n";
  if (p == nullptr) {
    text += "project = none\n";
  } else {
    text += "project = \"" + p->file + "\"\n";
    text +=
        "include = " +
        (p->include.empty() ? std::string("[\"*.cfg\"]  # default")
                            : patterns_words(p->include) + "  # " + p->file +
                                  ":" + std::to_string(p->include_line)) +
        "\n";
    if (!p->exclude.empty())
      text += "exclude = " + patterns_words(p->exclude) + "  # " + p->file +
              ":" + std::to_string(p->exclude_line) + "\n";
  }
  for (const kind_info &k : kinds) {
    if (k.level != severity::warning)
      continue;
    text += "warnings." + std::string(k.name) + " = \"" +
            choice_word(choice_for(settings.warnings, k.kind)) + "\"  # " +
            settings.sources[static_cast<std::size_t>(k.kind)] + "\n";
  }
  if (settings.rules != nullptr)
    for (const command_rule &r : settings.rules->rules)
      text += "commands." + describe_rule(r) + "  # " + r.origin + "\n";
  return text;
}

std::string project_error_line(const project_error &error) {
  std::string where = error.file;
  if (error.line > 0)
    where +=
        ":" + std::to_string(error.line) + ":" + std::to_string(error.column);
  return where + ": error: " + error.message;
}

} // namespace quelmix::tools
