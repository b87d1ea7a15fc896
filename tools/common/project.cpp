// SPDX-License-Identifier: MIT
// The one translation unit that includes toml++ (a large header): the
// rest of the tools see only project.hpp.
#include "project.hpp"

#include <charconv>
#include <filesystem>
#include <string_view>
#include <toml++/toml.h>

#include "input.hpp"
#include "loader/schema.hpp"

namespace quelmix::tools {
namespace {

// A mistake found while reading; carries its place in the file.
struct mistake {
  toml::source_position at;
  std::string message;
};

[[noreturn]] void refuse(const toml::source_region &where,
                         std::string message) {
  throw mistake{where.begin, std::move(message)};
}

std::string in_quotes(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// An array of patterns, each checked.
path_patterns patterns_of(const toml::node &node, std::string_view key) {
  const toml::array *list = node.as_array();
  if (list == nullptr)
    refuse(node.source(), std::string(key) + " takes a list of patterns");
  std::vector<std::string> patterns;
  for (const toml::node &item : *list) {
    const auto *text = item.as_string();
    if (text == nullptr)
      refuse(item.source(), std::string(key) + " takes patterns (strings)");
    if (const auto problem = pattern_problem(text->get()))
      refuse(item.source(),
             "bad pattern " + in_quotes(text->get()) + ": " + *problem);
    patterns.push_back(text->get());
  }
  return path_patterns(std::move(patterns));
}

kind_choice choice_of(const toml::node &node, std::string_view kind) {
  if (const auto *text = node.as_string()) {
    if (text->get() == "on")
      return kind_choice::on;
    if (text->get() == "off")
      return kind_choice::off;
    if (text->get() == "error")
      return kind_choice::error;
  }
  refuse(node.source(),
         std::string(kind) + " takes \"on\", \"off\" or \"error\"");
}

std::vector<kind_setting> warnings_of(const toml::node &node) {
  const toml::table *table = node.as_table();
  if (table == nullptr)
    refuse(node.source(), "warnings takes a table of KIND = \"on\", \"off\" "
                          "or \"error\"");
  std::vector<kind_setting> settings;
  for (const auto &[key, value] : *table) {
    kind_setting s{std::nullopt, choice_of(value, key.str()),
                   key.source().begin.line};
    if (key.str() != "all") {
      s.kind = kind_named(key.str());
      if (!s.kind || info(*s.kind).level != severity::warning)
        refuse(key.source(), "unknown warning kind " + in_quotes(key.str()));
    }
    settings.push_back(s);
  }
  return settings;
}

std::vector<path_override> overrides_of(const toml::node &node) {
  const toml::array *list = node.as_array();
  if (list == nullptr || !list->is_array_of_tables())
    refuse(node.source(), "overrides takes [[overrides]] tables");
  std::vector<path_override> out;
  for (const toml::node &item : *list) {
    const toml::table &table = *item.as_table();
    path_override o{{}, {}, item.source().begin.line};
    bool paths = false;
    for (const auto &[key, value] : table) {
      if (key.str() == "paths") {
        o.paths = patterns_of(value, "paths");
        paths = true;
      } else if (key.str() == "warnings") {
        o.warnings = warnings_of(value);
      } else {
        refuse(key.source(), "unknown key " + in_quotes(key.str()) +
                                 " in [[overrides]] (paths, warnings)");
      }
    }
    if (!paths)
      refuse(item.source(), "[[overrides]] without paths");
    out.push_back(std::move(o));
  }
  return out;
}

// "3", "3..8", "..8", "3..": numbers from the text.
bool parse_number(std::string_view text, std::int64_t &value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc{} && end == text.data() + text.size();
}

void count_of(const toml::node &node, command_rule &rule) {
  if (const auto *number = node.as_integer()) {
    if (number->get() < 0 || number->get() > CONFIG_MAX_PARAMS)
      refuse(node.source(), "a command takes 0 to 16 values");
    rule.fewest = rule.most = static_cast<unsigned>(number->get());
    return;
  }
  const auto *text = node.as_string();
  // Both arms are views: a "" arm would make a temporary string.
  const std::string_view words =
      text != nullptr ? std::string_view(text->get()) : std::string_view();
  const std::size_t dots = words.find("..");
  std::int64_t low = 0, high = CONFIG_MAX_PARAMS;
  if (text == nullptr || dots == std::string_view::npos ||
      (dots > 0 && !parse_number(words.substr(0, dots), low)) ||
      (dots + 2 < words.size() && !parse_number(words.substr(dots + 2), high)))
    refuse(node.source(), "a value count is a number or \"LOW..HIGH\"");
  if (low < 0 || high > CONFIG_MAX_PARAMS || low > high)
    refuse(node.source(), "a value count runs from 0 to 16, low to high");
  rule.fewest = static_cast<unsigned>(low);
  rule.most = static_cast<unsigned>(high);
}

std::int64_t integer_of(const toml::node &node, std::string_view key) {
  const auto *number = node.as_integer();
  if (number == nullptr)
    refuse(node.source(), std::string(key) + " takes a whole number");
  return number->get();
}

value_range range_of(const toml::node &node) {
  const toml::array *pair = node.as_array();
  if (pair == nullptr || pair->size() != 2)
    refuse(node.source(), "a value's range is [LOW, HIGH]");
  value_range r{integer_of(*pair->get(0), "a range"),
                integer_of(*pair->get(1), "a range")};
  if (r.low > r.high)
    refuse(node.source(), "a range's low end is above its high end");
  return r;
}

// `REG = 2`, `VRCMD = "3..8"` or `DELAY = { values = 1, max = 1000 }`.
command_rule rule_of(const toml::node &node, std::uint32_t command,
                     std::uint32_t section, const std::string &file) {
  command_rule rule;
  rule.command = command;
  rule.section = section;
  rule.origin = file + ":" + std::to_string(node.source().begin.line);
  const toml::table *table = node.as_table();
  if (table == nullptr) {
    count_of(node, rule);
    return rule;
  }
  value_range every;
  bool has_every = false;
  for (const auto &[key, value] : *table) {
    if (key.str() == "values") {
      count_of(value, rule);
    } else if (key.str() == "min") {
      every.low = integer_of(value, "min");
      has_every = true;
    } else if (key.str() == "max") {
      every.high = integer_of(value, "max");
      has_every = true;
    } else if (key.str() == "ranges") {
      const toml::array *list = value.as_array();
      if (list == nullptr || list->size() > CONFIG_MAX_PARAMS)
        refuse(value.source(), "ranges takes a list of up to 16 [LOW, HIGH]");
      for (const toml::node &item : *list)
        rule.each.push_back(range_of(item));
    } else {
      refuse(key.source(), "unknown key " + in_quotes(key.str()) +
                               " in a command rule (values, min, max, "
                               "ranges)");
    }
  }
  if (has_every && every.low > every.high)
    refuse(node.source(), "min is above max");
  if (has_every)
    rule.every = every;
  return rule;
}

const schema::key_spec *command_named(std::string_view name) {
  return schema::find_key(schema::record_kind::command, name);
}

// [commands]: command keys, and tables named for one section each.
void commands_of(const toml::node &node, const std::string &file,
                 command_rules &rules) {
  const toml::table *table = node.as_table();
  if (table == nullptr)
    refuse(node.source(), "commands takes a table");
  for (const auto &[key, value] : *table) {
    if (const schema::key_spec *command = command_named(key.str())) {
      rules.rules.push_back(rule_of(value, command->command, 0, file));
      continue;
    }
    const schema::section_spec *section = schema::find_section(key.str());
    if (section == nullptr ||
        schema::keys_of_section(section->code()) !=
            schema::record_kind::command ||
        !value.is_table())
      refuse(key.source(), in_quotes(key.str()) +
                               " is neither a command key (REG, VRCMD, "
                               "DELAY) nor a board or register section");
    for (const auto &[name, rule] : *value.as_table()) {
      const schema::key_spec *command = command_named(name.str());
      if (command == nullptr)
        refuse(name.source(), "unknown command key " + in_quotes(name.str()));
      rules.rules.push_back(
          rule_of(rule, command->command, section->code(), file));
    }
  }
}

project read_table(const toml::table &root, const std::string &path) {
  project p;
  p.file = path;
  std::error_code ignored;
  p.folder = std::filesystem::absolute(std::filesystem::path(path), ignored)
                 .lexically_normal()
                 .parent_path()
                 .string();
  for (const auto &[key, value] : root) {
    if (key.str() == "include") {
      p.include = patterns_of(value, "include");
      p.include_line = key.source().begin.line;
    } else if (key.str() == "exclude") {
      p.exclude = patterns_of(value, "exclude");
      p.exclude_line = key.source().begin.line;
    } else if (key.str() == "warnings") {
      p.warnings = warnings_of(value);
    } else if (key.str() == "overrides") {
      p.overrides = overrides_of(value);
    } else if (key.str() == "commands") {
      commands_of(value, path, p.rules);
    } else {
      refuse(key.source(), "unknown key " + in_quotes(key.str()) +
                               " (include, exclude, warnings, overrides, "
                               "commands)");
    }
  }
  return p;
}

} // namespace

project_reading read_project(const std::string &path) {
  project_reading out;
  out.error.file = path;
  const input in = read_input(path.c_str());
  if (in.error != input_error::none) {
    out.error.message = input_error_words(in);
    return out;
  }
  try {
    const toml::table root = toml::parse(in.bytes, path);
    out.read = read_table(root, path);
  } catch (const toml::parse_error &error) {
    out.error.line = error.source().begin.line;
    out.error.column = error.source().begin.column;
    out.error.message = std::string(error.description());
  } catch (const mistake &m) {
    out.error.line = m.at.line;
    out.error.column = m.at.column;
    out.error.message = m.message;
  }
  return out;
}

std::string normal_absolute(const std::string &path) {
  std::error_code ignored;
  std::string out =
      std::filesystem::absolute(std::filesystem::path(path), ignored)
          .lexically_normal()
          .string();
  while (out.size() > 1 && out.back() == '/')
    out.pop_back();
  return out;
}

std::string shown_name(const std::string &absolute) {
  std::error_code ignored;
  const std::string here =
      normal_absolute(std::filesystem::current_path(ignored).string());
  const std::string prefix = here == "/" ? "/" : here + "/";
  return absolute.compare(0, prefix.size(), prefix) == 0
             ? absolute.substr(prefix.size())
             : absolute;
}

const char *choice_word(kind_choice choice) {
  switch (choice) {
  case kind_choice::on:
    return "on";
  case kind_choice::off:
    return "off";
  case kind_choice::error:
    return "error";
  }
  return "on";
}

} // namespace quelmix::tools
