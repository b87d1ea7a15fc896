// SPDX-License-Identifier: MIT
#include "engine/analysis/command_rules.hpp"

#include <string_view>

#include "loader/schema.hpp"

namespace quelmix {
namespace {

std::string count_words(const command_rule &rule) {
  if (rule.fewest == rule.most)
    return std::to_string(rule.fewest);
  return std::to_string(rule.fewest) + " to " + std::to_string(rule.most);
}

std::string_view command_name(std::uint32_t command) {
  const schema::key_spec *key = schema::command_with_kind(command);
  return key != nullptr ? key->name : "command";
}

// The byte where value `index` of an entry's value text starts (empty
// pieces skipped, as the loader skips them; a blank one is a value), or
// the value's start.
std::size_t value_column(std::string_view value, unsigned index) {
  std::size_t at = 0;
  unsigned seen = 0;
  while (at < value.size()) {
    std::size_t end = value.find(',', at);
    if (end == std::string_view::npos)
      end = value.size();
    if (end > at) {
      if (seen == index) {
        const std::size_t first = value.find_first_not_of(" \t", at);
        return first < end ? first : at;
      }
      ++seen;
    }
    at = end + 1;
  }
  return 0;
}

const value_range *range_for(const command_rule &rule, unsigned index) {
  if (index < rule.each.size() && rule.each[index])
    return &*rule.each[index];
  return rule.every ? &*rule.every : nullptr;
}

std::string range_words(const value_range &r) {
  const value_range open;
  if (r.low == open.low)
    return "at most " + std::to_string(r.high);
  if (r.high == open.high)
    return "at least " + std::to_string(r.low);
  return std::to_string(r.low) + " to " + std::to_string(r.high);
}

} // namespace

const command_rule *command_rules::rule_for(std::uint32_t type) const {
  const std::uint32_t command = type & CONFIG_KEY_MASK;
  const std::uint32_t section = type & ~CONFIG_KEY_MASK;
  const command_rule *general = nullptr;
  for (const command_rule &r : rules) {
    if (r.command != command)
      continue;
    if (r.section == section)
      return &r;
    if (r.section == 0 && general == nullptr)
      general = &r;
  }
  return general;
}

std::string describe_rule(const command_rule &rule) {
  std::string text;
  if (rule.section != 0)
    if (const schema::section_spec *s = schema::section_with_code(rule.section))
      text.append("\"").append(s->name()).append("\".");
  text.append(command_name(rule.command)).append(" = { values = ");
  if (rule.fewest == rule.most)
    text += std::to_string(rule.fewest);
  else
    text.append("\"")
        .append(std::to_string(rule.fewest))
        .append("..")
        .append(std::to_string(rule.most))
        .append("\"");
  const value_range open;
  if (rule.every && rule.every->low != open.low)
    text.append(", min = ").append(std::to_string(rule.every->low));
  if (rule.every && rule.every->high != open.high)
    text.append(", max = ").append(std::to_string(rule.every->high));
  if (!rule.each.empty()) {
    text += ", ranges = [";
    for (std::size_t i = 0; i < rule.each.size(); ++i) {
      const value_range r = rule.each[i].value_or(value_range{});
      text.append(i > 0 ? ", [" : "[")
          .append(std::to_string(r.low))
          .append(", ")
          .append(std::to_string(r.high))
          .append("]");
    }
    text += "]";
  }
  return text + " }";
}

void check_command_rules(const command_rules &rules,
                         const camera_config &config,
                         const record_origins &origins,
                         const std::vector<line_info> &lines,
                         const line_index &index,
                         std::vector<diagnostic> &found) {
  const std::size_t count =
      std::min<std::size_t>(config.configs_length, origins.commands.size());
  for (std::size_t i = 0; i < count; ++i) {
    const config_entry &c = config.configs[i];
    const command_rule *rule = rules.rule_for(c.type);
    if (rule == nullptr)
      continue;
    const std::int64_t line = origins.commands[i].line;
    std::string_view value;
    std::size_t value_start = 0;
    if (line >= 1 && static_cast<std::size_t>(line) <= lines.size()) {
      const line_info &l = lines[static_cast<std::size_t>(line - 1)];
      value_start = l.value.begin;
      value = index.line_text(line).substr(l.value.begin,
                                           l.value.end - l.value.begin);
    }
    const std::string name(command_name(rule->command));
    if (c.params_length < rule->fewest || c.params_length > rule->most) {
      found.push_back(diagnostic{
          diagnostic_kind::command_rule, line,
          static_cast<std::int64_t>(value_start) + 1,
          name + " has " + std::to_string(c.params_length) +
              " values where the project's rule (" + rule->origin + ") takes " +
              count_words(*rule) + "; the library stores the " +
              std::to_string(c.params_length),
          "", 0});
    }
    for (unsigned v = 0; v < c.params_length; ++v) {
      const value_range *range = range_for(*rule, v);
      const auto stored = static_cast<std::int64_t>(c.params[v]);
      if (range == nullptr || range->holds(stored))
        continue;
      found.push_back(diagnostic{
          diagnostic_kind::command_rule, line,
          static_cast<std::int64_t>(value_start + value_column(value, v)) + 1,
          name + " value " + std::to_string(v + 1) + " is " +
              std::to_string(stored) + " where the project's rule (" +
              rule->origin + ") allows " + range_words(*range) +
              "; the library stores " + std::to_string(stored),
          "", 0});
    }
  }
}

} // namespace quelmix
