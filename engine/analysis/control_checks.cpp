// SPDX-License-Identifier: MIT
#include "engine/analysis/control_checks.hpp"

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

namespace quelmix {
namespace {

// The control keys the checks read, and the line that last set each.
enum control_key : std::size_t { MIN, MAX, STEP, DEF, NAME, KEYS };
constexpr std::string_view KEY_NAMES[KEYS] = {"MIN_VALUE", "MAX_VALUE", "STEP",
                                              "DEF", "CTRL_NAME"};

struct control_place {
  std::int64_t header = 0;
  std::int64_t set[KEYS] = {}; // 0: not set
  std::int64_t column[KEYS] = {};
};

// Which line set each key of the control whose header is on `header`: its
// entries run to the next header.
control_place place_of(std::int64_t header, const std::vector<line_info> &lines,
                       const line_index &index) {
  control_place p;
  p.header = header;
  for (std::int64_t line = header + 1;
       line <= static_cast<std::int64_t>(lines.size()); ++line) {
    const line_info &l = lines[static_cast<std::size_t>(line - 1)];
    if (l.role == line_role::header)
      break;
    if (l.role != line_role::entry)
      continue;
    const std::string_view name =
        index.line_text(line).substr(l.name.begin, l.name.end - l.name.begin);
    for (std::size_t k = 0; k < KEYS; ++k)
      if (name == KEY_NAMES[k]) {
        p.set[k] = line;
        p.column[k] = l.value.begin + 1;
      }
  }
  return p;
}

struct reporter {
  std::vector<diagnostic> &found;
  const control_place &place;

  // At the line that set `key`, or the header when nothing did.
  void add(diagnostic_kind kind, control_key key, std::string message) {
    const bool set = place.set[key] != 0;
    found.push_back(diagnostic{kind, set ? place.set[key] : place.header,
                               set ? place.column[key] : 1, std::move(message),
                               "", 0});
  }
};

std::string number(std::int64_t value) { return std::to_string(value); }

std::string where(const control_place &p, control_key key) {
  return p.set[key] != 0 ? "" : " (not set: the record holds 0)";
}

void check_range(const control_entry &c, reporter &r) {
  const control_place &p = r.place;
  if (c.min_value > c.max_value) {
    r.add(diagnostic_kind::control_min_above_max, MIN,
          "MIN_VALUE " + number(c.min_value) + " is above MAX_VALUE " +
              number(c.max_value) + where(p, MAX) +
              "; a host refuses a control whose range is empty");
    return;
  }
  if (c.def < c.min_value || c.def > c.max_value)
    r.add(diagnostic_kind::control_default_out_of_range, DEF,
          "DEF " + number(c.def) + where(p, DEF) + " lies outside [" +
              number(c.min_value) + ", " + number(c.max_value) +
              "]; a host refuses a default outside the range");
  if (c.min_value == c.max_value)
    return; // nothing to step through
  if (c.step <= 0) {
    r.add(diagnostic_kind::control_step_not_positive, STEP,
          "STEP " + number(c.step) + where(p, STEP) + " with a range [" +
              number(c.min_value) + ", " + number(c.max_value) +
              "] to step through; a host refuses a step of 0 or less");
    return;
  }
  if (c.def < c.min_value || c.def > c.max_value)
    return;
  // min <= def, so the difference fits in 64 unsigned bits.
  const std::uint64_t distance = static_cast<std::uint64_t>(c.def) -
                                 static_cast<std::uint64_t>(c.min_value);
  if (distance % static_cast<std::uint64_t>(c.step) != 0)
    r.add(diagnostic_kind::control_default_off_step, DEF,
          "DEF " + number(c.def) + " is not MIN_VALUE " + number(c.min_value) +
              " plus a whole number of STEPs of " + number(c.step) +
              "; a host cannot reach it");
}

} // namespace

void check_controls(const camera_config &config, const record_origins &origins,
                    const std::vector<line_info> &lines,
                    const line_index &index, std::vector<diagnostic> &found) {
  // The first control of each name, by its header line.
  std::map<std::string, std::int64_t, std::less<>> named;
  const std::size_t count =
      std::min<std::size_t>(config.controls_length, origins.controls.size());
  for (std::size_t i = 0; i < count; ++i) {
    const control_entry &c = config.controls[i];
    const control_place place = place_of(origins.controls[i], lines, index);
    reporter r{found, place};
    check_range(c, r);
    const std::string name(c.ctrl_name,
                           strnlen(c.ctrl_name, sizeof c.ctrl_name));
    if (name.empty()) {
      r.add(diagnostic_kind::control_name_missing, NAME,
            place.set[NAME] != 0
                ? "CTRL_NAME is empty; a host lists controls by name"
                : "control without CTRL_NAME (the record holds an empty "
                  "name); a host lists controls by name");
      continue;
    }
    const auto [first, fresh] = named.emplace(name, place.header);
    if (!fresh)
      r.add(diagnostic_kind::control_name_repeated, NAME,
            "CTRL_NAME \"" + name + "\" also names the control on line " +
                number(first->second) +
                "; a host that lists controls by "
                "name sees only one of them");
  }
}

} // namespace quelmix
