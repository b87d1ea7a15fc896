// SPDX-License-Identifier: MIT
#include "engine/compare/change_words.hpp"

#include <cstring>

#include "engine/compare/sequence_diff.hpp"
#include "engine/messages/terminal.hpp"
#include "engine/messages/words.hpp"

namespace quelmix {
std::string value_words(const field_change &f, bool old_side) {
  if (f.key->how == schema::conversion::text)
    return quoted(terminal_safe(old_side ? f.old_text : f.new_text), 128);
  const std::string &spelling = old_side ? f.old_spelling : f.new_spelling;
  if (!spelling.empty())
    return spelling;
  return spell_number(old_side ? f.old_number : f.new_number, f.hex);
}

std::string field_words(const field_change &f) {
  std::string name(f.key->name);
  if (f.key->how == schema::conversion::pair)
    name += " " + std::string(f.field);
  return name + ": " + value_words(f, true) + ARROW + value_words(f, false);
}

std::string values_words(const config_entry &e, std::uint16_t hex,
                         const std::vector<std::string> &spelled,
                         unsigned from) {
  std::string out;
  for (unsigned i = from; i < e.params_length; ++i)
    out += (i == from ? "" : ", ") + spell_value(e, hex, spelled, i);
  return out.empty() ? "(no values)" : out;
}

std::string key_name(const config_entry &e) {
  const schema::key_spec *key =
      schema::command_with_kind(e.type & CONFIG_KEY_MASK);
  return key != nullptr ? std::string(key->name) : "?";
}

std::string command_words(const config_entry &e, std::uint16_t hex,
                          const std::vector<std::string> &spelled) {
  return e.params_length == 0
             ? key_name(e)
             : key_name(e) + " " + values_words(e, hex, spelled, 0);
}

std::string counted_values(const config_entry &e, std::uint16_t hex,
                           const std::vector<std::string> &spelled) {
  return counted(e.params_length, "value") +
         (e.params_length > 0 ? " (" + values_words(e, hex, spelled, 0) + ")"
                              : "");
}

std::string control_name(const control_entry *c, std::size_t index) {
  if (c != nullptr && c->ctrl_name[0] != '\0')
    return terminal_safe(
        std::string_view(c->ctrl_name, strnlen(c->ctrl_name, 128)));
  return "control " + std::to_string(index + 1);
}

std::string order_words(const std::vector<std::uint32_t> &order) {
  std::string out;
  for (std::uint32_t s : order)
    out += (out.empty() ? "" : ", ") + section_name(s);
  return out;
}

std::string difference_lines(const record_difference &d) {
  std::string out;
  if (d.results_differ)
    out += "result: " + std::to_string(d.old_result) + ARROW +
           std::to_string(d.new_result) + "\n";
  for (const field_change &f : d.camera)
    out += "camera parameter: " + field_words(f) + "\n";
  for (const section_changes &s : d.commands)
    for (const command_change &c : s.changes) {
      const std::string where = section_name(s.section) + ": command ";
      if (c.op == change_op::insert)
        out += where + std::to_string(c.new_index + 1) + " added: " +
               command_words(*c.new_entry, c.new_hex, c.new_spelled) + "\n";
      else if (c.op == change_op::remove)
        out += where + std::to_string(c.old_index + 1) + " removed: " +
               command_words(*c.old_entry, c.old_hex, c.old_spelled) + "\n";
      else
        out += where + std::to_string(c.new_index + 1) + " " +
               key_name(*c.new_entry) + " now " +
               counted_values(*c.new_entry, c.new_hex, c.new_spelled) +
               ", was " + std::to_string(c.old_entry->params_length) + " (" +
               values_words(*c.old_entry, c.old_hex, c.old_spelled, 0) + ")\n";
    }
  for (const control_change &c : d.controls) {
    const std::string name =
        control_name(c.new_control != nullptr ? c.new_control : c.old_control,
                     c.new_control != nullptr ? c.new_index : c.old_index);
    if (c.op != change_op::change)
      out += "control parameter: " + name +
             (c.op == change_op::insert ? " added\n" : " removed\n");
    for (const field_change &f : c.fields)
      out += "control parameter: " + name + ": " + field_words(f) + "\n";
    if (!c.code_diff.empty())
      out += "control parameter: " + name + ": code changed\n";
  }
  if (d.order_differs)
    out += "sections in another order: " + order_words(d.new_order) + ", was " +
           order_words(d.old_order) + "\n";
  return out;
}

std::string difference_in_one_line(const record_difference &d) {
  const std::string lines = difference_lines(d);
  std::string out;
  for (std::string_view line : split_text_lines(lines))
    out += (out.empty() ? "" : "; ") + std::string(line);
  return out;
}

} // namespace quelmix
