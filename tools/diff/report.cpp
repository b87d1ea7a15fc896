// SPDX-License-Identifier: MIT
#include "report.hpp"

#include <cstring>

#include "engine/compare/change_words.hpp"
#include "engine/compare/sequence_diff.hpp"
#include "engine/messages/terminal.hpp"
#include "engine/messages/words.hpp"
#include "json_string.hpp"

namespace quelmix::tools {
namespace {

constexpr const char *BOLD = "\033[1m";
constexpr const char *RED = "\033[31m";
constexpr const char *GREEN = "\033[32m";
constexpr const char *YELLOW = "\033[33m";
constexpr const char *CYAN = "\033[36m";
constexpr const char *RESET = "\033[0m";

struct writer {
  bool colour;
  std::string out;

  void line(const char *paint, const std::string &text) {
    if (colour && paint != nullptr)
      out += paint + text + RESET + "\n";
    else
      out += text + "\n";
  }
};

std::string lines_words(std::int64_t old_line, std::int64_t new_line) {
  if (old_line > 0 && new_line > 0)
    return " (line " + std::to_string(old_line) + ", line " +
           std::to_string(new_line) + ")";
  if (new_line > 0)
    return " (new line " + std::to_string(new_line) + ")";
  if (old_line > 0)
    return " (old line " + std::to_string(old_line) + ")";
  return "";
}

// "REG 0x3008: 0x82 -> 0x02": the target, then what follows it;
// "DELAY: 10 -> 20" for a command without a target.
std::string change_words(const command_change &c) {
  const config_entry &o = *c.old_entry, &n = *c.new_entry;
  if (!first_value_is_target(o))
    return key_name(o) + ": " + values_words(o, c.old_hex, c.old_spelled, 0) +
           ARROW + values_words(n, c.new_hex, c.new_spelled, 0);
  return key_name(o) + " " + spell_value(o, c.old_hex, c.old_spelled, 0) +
         ": " + values_words(o, c.old_hex, c.old_spelled, 1) + ARROW +
         values_words(n, c.new_hex, c.new_spelled, 1);
}

std::string command_text(const command_change &c) {
  switch (c.op) {
  case change_op::insert:
    return "+ " + command_words(*c.new_entry, c.new_hex, c.new_spelled) +
           lines_words(0, c.new_line);
  case change_op::remove:
    return "- " + command_words(*c.old_entry, c.old_hex, c.old_spelled) +
           lines_words(c.old_line, 0);
  case change_op::change:
    break;
  }
  return "~ " + change_words(c) + lines_words(c.old_line, c.new_line);
}

void control_text(writer &w, const control_change &c) {
  if (c.op == change_op::insert) {
    w.line(GREEN, "+ " + control_name(c.new_control, c.new_index) +
                      lines_words(0, c.new_line));
    return;
  }
  if (c.op == change_op::remove) {
    w.line(RED, "- " + control_name(c.old_control, c.old_index) +
                    lines_words(c.old_line, 0));
    return;
  }
  const std::string name = control_name(c.old_control, c.old_index);
  for (const field_change &f : c.fields)
    w.line(YELLOW, "~ " + name + ": " + field_words(f) +
                       lines_words(f.old_line, f.new_line));
  if (c.code_diff.empty() && !c.code_added && !c.code_removed)
    return;
  w.line(YELLOW, "~ " + name + ": code" +
                     (c.code_added     ? " added"
                      : c.code_removed ? " removed"
                                       : "") +
                     lines_words(c.old_line, c.new_line));
  for (std::string_view l : split_text_lines(c.code_diff)) {
    const char *paint = l.empty()     ? nullptr
                        : l[0] == '+' ? GREEN
                        : l[0] == '-' ? RED
                        : l[0] == '@' ? CYAN
                                      : nullptr;
    w.line(paint, "  " + terminal_safe(l));
  }
}

} // namespace

std::string difference_text(const loaded_file &a, const loaded_file &b,
                            const record_difference &d, bool colour) {
  writer w{colour, {}};
  w.line(BOLD, "--- " + terminal_safe(a.name));
  w.line(BOLD, "+++ " + terminal_safe(b.name));
  if (d.results_differ)
    w.line(BOLD, "result: " + std::to_string(d.old_result) + ARROW +
                     std::to_string(d.new_result));
  if (!d.camera.empty()) {
    w.line(BOLD, "camera:");
    for (const field_change &f : d.camera)
      w.line(YELLOW,
             "~ " + field_words(f) + lines_words(f.old_line, f.new_line));
  }
  for (const section_changes &s : d.commands) {
    w.line(BOLD, section_name(s.section) + ":");
    for (const command_change &c : s.changes)
      w.line(c.op == change_op::insert   ? GREEN
             : c.op == change_op::remove ? RED
                                         : YELLOW,
             command_text(c));
  }
  if (d.order_differs) {
    w.line(BOLD, "sections in another order:");
    w.line(RED, "- " + order_words(d.old_order));
    w.line(GREEN, "+ " + order_words(d.new_order));
  }
  if (!d.controls.empty()) {
    w.line(BOLD, "controls:");
    for (const control_change &c : d.controls)
      control_text(w, c);
  }
  return w.out;
}

std::string difference_stat(const record_difference &d) {
  std::string out;
  const auto minus = std::string("\u2212"); // as diff --stat readers expect
  if (d.results_differ)
    out += "result " + std::to_string(d.old_result) + ARROW +
           std::to_string(d.new_result) + "\n";
  if (!d.camera.empty())
    out += "~" + std::to_string(d.camera.size()) + " camera " +
           (d.camera.size() == 1 ? "field" : "fields") + "\n";
  for (const section_changes &s : d.commands)
    out += "+" + std::to_string(s.inserted) + " " + minus +
           std::to_string(s.removed) + " ~" + std::to_string(s.changed) +
           " commands in " + section_name(s.section) + "\n";
  if (d.order_differs)
    out += "sections in another order\n";
  if (!d.controls.empty()) {
    std::size_t added = 0, removed = 0, changed = 0;
    for (const control_change &c : d.controls)
      ++(c.op == change_op::insert   ? added
         : c.op == change_op::remove ? removed
                                     : changed);
    out += "+" + std::to_string(added) + " " + minus + std::to_string(removed) +
           " ~" + std::to_string(changed) + " controls\n";
  }
  return out;
}

namespace {

std::string json_values(const config_entry &e) {
  std::string out = "[";
  for (unsigned i = 0; i < e.params_length; ++i)
    out += (i == 0 ? "" : ", ") + std::to_string(e.params[i]);
  return out + "]";
}

// The values as the file writes them, one string per value.
std::string json_spelled(const config_entry &e, std::uint16_t hex,
                         const std::vector<std::string> &spelled) {
  std::string out = "[";
  for (unsigned i = 0; i < e.params_length; ++i) {
    out += i == 0 ? "" : ", ";
    append_json_string(out, spell_value(e, hex, spelled, i));
  }
  return out + "]";
}

std::string json_side(const config_entry *e, std::int64_t line,
                      std::uint16_t hex,
                      const std::vector<std::string> &spelled) {
  if (e == nullptr)
    return "null";
  return "{\"values\": " + json_values(*e) +
         ", \"spelled\": " + json_spelled(*e, hex, spelled) +
         ", \"line\": " + std::to_string(line) + "}";
}

std::string json_field(const field_change &f) {
  std::string out = "{\"key\": ";
  append_json_string(out, f.key->name);
  out += ", \"field\": ";
  append_json_string(out, f.field);
  out += ", \"old\": ";
  if (f.key->how == schema::conversion::text) {
    append_json_string(out, f.old_text);
    out += ", \"new\": ";
    append_json_string(out, f.new_text);
  } else {
    out += std::to_string(f.old_number) +
           ", \"new\": " + std::to_string(f.new_number);
    out += ", \"old_spelled\": ";
    append_json_string(out, value_words(f, true));
    out += ", \"new_spelled\": ";
    append_json_string(out, value_words(f, false));
  }
  return out + ", \"old_line\": " + std::to_string(f.old_line) +
         ", \"new_line\": " + std::to_string(f.new_line) + "}";
}

const char *op_name(change_op op) {
  return op == change_op::insert   ? "insert"
         : op == change_op::remove ? "remove"
                                   : "change";
}

std::string json_command(const command_change &c) {
  const config_entry *either =
      c.new_entry != nullptr ? c.new_entry : c.old_entry;
  const schema::key_spec *key =
      schema::command_with_kind(either->type & CONFIG_KEY_MASK);
  std::string out =
      "{\"op\": \"" + std::string(op_name(c.op)) + "\", \"kind\": ";
  append_json_string(out, key != nullptr ? key->name : "");
  return out + ", \"old\": " +
         json_side(c.old_entry, c.old_line, c.old_hex, c.old_spelled) +
         ", \"new\": " +
         json_side(c.new_entry, c.new_line, c.new_hex, c.new_spelled) + "}";
}

std::string json_name(const control_entry *c) {
  std::string out;
  if (c == nullptr)
    return "null";
  append_json_string(
      out, std::string_view(c->ctrl_name, strnlen(c->ctrl_name, 128)));
  return out;
}

std::string json_control(const control_change &c) {
  std::string out = "{\"op\": \"" + std::string(op_name(c.op)) +
                    "\", \"old_name\": " + json_name(c.old_control) +
                    ", \"new_name\": " + json_name(c.new_control) +
                    ", \"old_line\": " + std::to_string(c.old_line) +
                    ", \"new_line\": " + std::to_string(c.new_line) +
                    ", \"fields\": [";
  for (std::size_t i = 0; i < c.fields.size(); ++i)
    out += (i == 0 ? "" : ", ") + json_field(c.fields[i]);
  out += "], \"code_diff\": ";
  append_json_string(out, c.code_diff);
  return out + "}";
}

std::string json_file(const loaded_file &f) {
  std::string out = "{\"file\": ";
  append_json_string(out, f.name);
  return out + ", \"result\": " + std::to_string(f.checked.report.parse.line) +
         "}";
}

std::string json_order(const std::vector<std::uint32_t> &order) {
  std::string out = "[";
  for (std::size_t i = 0; i < order.size(); ++i) {
    out += i == 0 ? "" : ", ";
    append_json_string(out, section_name(order[i]));
  }
  return out + "]";
}

} // namespace

std::string difference_json(const loaded_file &a, const loaded_file &b,
                            const record_difference &d) {
  std::string out =
      "{\n  \"old\": " + json_file(a) + ",\n  \"new\": " + json_file(b) +
      ",\n  \"same\": " + (d.same() ? "true" : "false") + ",\n  \"camera\": [";
  for (std::size_t i = 0; i < d.camera.size(); ++i)
    out += (i == 0 ? "\n    " : ",\n    ") + json_field(d.camera[i]);
  out += d.camera.empty() ? "]" : "\n  ]";
  out += ",\n  \"commands\": [";
  for (std::size_t i = 0; i < d.commands.size(); ++i) {
    const section_changes &s = d.commands[i];
    out += (i == 0 ? "\n    " : ",\n    ");
    out += "{\"section\": ";
    append_json_string(out, section_name(s.section));
    out += ", \"changes\": [";
    for (std::size_t j = 0; j < s.changes.size(); ++j)
      out += (j == 0 ? "\n      " : ",\n      ") + json_command(s.changes[j]);
    out += "\n    ]}";
  }
  out += d.commands.empty() ? "]" : "\n  ]";
  out += ",\n  \"section_order\": ";
  out += d.order_differs ? "{\"old\": " + json_order(d.old_order) +
                               ", \"new\": " + json_order(d.new_order) + "}"
                         : std::string("null");
  out += ",\n  \"controls\": [";
  for (std::size_t i = 0; i < d.controls.size(); ++i)
    out += (i == 0 ? "\n    " : ",\n    ") + json_control(d.controls[i]);
  out += d.controls.empty() ? "]" : "\n  ]";
  return out + "\n}\n";
}

} // namespace quelmix::tools
