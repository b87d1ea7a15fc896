// SPDX-License-Identifier: MIT
// A team's own rules for its commands, which the library cannot know: how
// many values each command key takes (in every board and register section
// or in one of them) and the range of each value. A project file states
// them; the checks compare each stored command with its rule and report a
// command-rule warning that says what the library stores anyway.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "engine/analysis/engine.hpp"

namespace quelmix {

struct value_range {
  std::int64_t low = std::numeric_limits<std::int64_t>::min();
  std::int64_t high = std::numeric_limits<std::int64_t>::max();
  bool holds(std::int64_t value) const { return low <= value && value <= high; }
};

struct command_rule {
  std::uint32_t command = 0; // CONFIG_KEY_REG, CONFIG_KEY_VRCMD, ...
  std::uint32_t section = 0; // a section's code; 0 for every section
  unsigned fewest = 0;       // values
  unsigned most = 16;
  std::optional<value_range> every;             // each value
  std::vector<std::optional<value_range>> each; // value i, before `every`
  std::string origin; // where the rule is written ("quelmix.toml:12")
};

struct command_rules {
  std::vector<command_rule> rules;

  // The rule for a command of `type` (a config_entry's type): its
  // section's own, else the one for every section; null when none.
  const command_rule *rule_for(std::uint32_t type) const;
};

// A rule as a project file would write it, for --show-settings.
std::string describe_rule(const command_rule &rule);

// Adds a command-rule warning for each command of `config` that breaks its
// rule; `origins` holds each command's line, `lines` each line's spans.
void check_command_rules(const command_rules &rules,
                         const camera_config &config,
                         const record_origins &origins,
                         const std::vector<line_info> &lines,
                         const line_index &index,
                         std::vector<diagnostic> &found);

} // namespace quelmix
