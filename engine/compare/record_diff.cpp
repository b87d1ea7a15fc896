// SPDX-License-Identifier: MIT
#include "engine/compare/record_diff.hpp"

#include <algorithm>
#include <cstring>
#include <map>
#include <string_view>
#include <unordered_map>

#include "engine/compare/sequence_diff.hpp"
#include "engine/messages/words.hpp"
#include "loader/fields.hpp"

namespace quelmix {
namespace {

std::uint32_t section_of(const config_entry &e) {
  return e.type & ~CONFIG_KEY_MASK;
}

// A command's content as a key: equal keys, equal commands.
std::string content_of(const config_entry &e) {
  std::string key(reinterpret_cast<const char *>(&e.type), sizeof e.type);
  key.append(reinterpret_cast<const char *>(e.params),
             e.params_length * sizeof e.params[0]);
  return key;
}

// The positions in `configs` of each section's commands, by section, in
// the order sections first appear.
struct section_positions {
  std::vector<std::uint32_t> order;
  std::map<std::uint32_t, std::vector<std::size_t>> positions;
};

section_positions group_commands(const camera_config &c) {
  section_positions out;
  for (std::size_t i = 0; i < c.configs_length; ++i) {
    const std::uint32_t section = section_of(c.configs[i]);
    auto &list = out.positions[section];
    if (list.empty())
      out.order.push_back(section);
    list.push_back(i);
  }
  return out;
}

struct command_side {
  const loaded_file &file;
  const std::vector<std::size_t> &positions;

  const config_entry &at(std::size_t i) const {
    return file.record.configs[positions[i]];
  }
  std::int64_t line(std::size_t i) const {
    const auto &o = file.checked.origins.commands;
    return positions[i] < o.size() ? o[positions[i]].line : 0;
  }
  std::uint16_t hex(std::size_t i) const {
    const auto &o = file.checked.origins.commands;
    return positions[i] < o.size() ? o[positions[i]].hex : 0;
  }
};

// A removal and an insertion of the same key and first value read as one
// change in place ("REG 0x3008: 0x82 -> 0x02").
bool same_target(const config_entry &a, const config_entry &b) {
  return a.type == b.type && a.params_length > 0 && b.params_length > 0 &&
         a.params[0] == b.params[0];
}

command_change side_change(change_op op, const command_side &old_side,
                           std::size_t i, const command_side &new_side,
                           std::size_t j) {
  command_change c{op};
  if (op != change_op::insert) {
    c.old_entry = &old_side.at(i);
    c.old_index = old_side.positions[i];
    c.old_line = old_side.line(i);
    c.old_hex = old_side.hex(i);
  }
  if (op != change_op::remove) {
    c.new_entry = &new_side.at(j);
    c.new_index = new_side.positions[j];
    c.new_line = new_side.line(j);
    c.new_hex = new_side.hex(j);
  }
  return c;
}

// The removals and insertions of one stretch between kept commands, with
// pairs of the same target turned into changes.
void add_stretch(section_changes &out, const command_side &a,
                 const std::vector<std::size_t> &removed, const command_side &b,
                 const std::vector<std::size_t> &inserted) {
  std::vector<bool> paired(inserted.size(), false);
  std::size_t next = 0;
  for (std::size_t i : removed) {
    std::size_t match = next;
    while (match < inserted.size() &&
           (paired[match] || !same_target(a.at(i), b.at(inserted[match]))))
      ++match;
    if (match < inserted.size()) {
      for (std::size_t j = next; j < match; ++j)
        if (!paired[j]) {
          out.changes.push_back(
              side_change(change_op::insert, a, 0, b, inserted[j]));
          paired[j] = true;
        }
      out.changes.push_back(
          side_change(change_op::change, a, i, b, inserted[match]));
      paired[match] = true;
      next = match + 1;
    } else {
      out.changes.push_back(side_change(change_op::remove, a, i, b, 0));
    }
  }
  for (std::size_t j = 0; j < inserted.size(); ++j)
    if (!paired[j])
      out.changes.push_back(
          side_change(change_op::insert, a, 0, b, inserted[j]));
}

section_changes compare_section(std::uint32_t section, const command_side &a,
                                const command_side &b) {
  std::unordered_map<std::string, std::uint32_t> ids;
  const auto id_of = [&ids](const config_entry &e) {
    return ids.emplace(content_of(e), static_cast<std::uint32_t>(ids.size()))
        .first->second;
  };
  std::vector<std::uint32_t> x, y;
  for (std::size_t i = 0; i < a.positions.size(); ++i)
    x.push_back(id_of(a.at(i)));
  for (std::size_t j = 0; j < b.positions.size(); ++j)
    y.push_back(id_of(b.at(j)));
  section_changes out{section, {}};
  std::vector<std::size_t> removed, inserted;
  const auto flush = [&] {
    add_stretch(out, a, removed, b, inserted);
    removed.clear();
    inserted.clear();
  };
  for (const edit &e : diff_sequences(x, y)) {
    if (e.op == edit_op::remove)
      removed.push_back(e.old_index);
    else if (e.op == edit_op::insert)
      inserted.push_back(e.new_index);
    else
      flush();
  }
  flush();
  for (const command_change &c : out.changes)
    ++(c.op == change_op::insert   ? out.inserted
       : c.op == change_op::remove ? out.removed
                                   : out.changed);
  return out;
}

void compare_commands(record_difference &d, const loaded_file &a,
                      const loaded_file &b) {
  const section_positions old_sections = group_commands(a.record);
  const section_positions new_sections = group_commands(b.record);
  std::vector<std::uint32_t> all = old_sections.order;
  for (std::uint32_t s : new_sections.order)
    if (std::find(all.begin(), all.end(), s) == all.end())
      all.push_back(s);
  const std::vector<std::size_t> none;
  for (std::uint32_t s : all) {
    const auto in_old = old_sections.positions.find(s);
    const auto in_new = new_sections.positions.find(s);
    const command_side old_side{
        a, in_old != old_sections.positions.end() ? in_old->second : none};
    const command_side new_side{
        b, in_new != new_sections.positions.end() ? in_new->second : none};
    section_changes changes = compare_section(s, old_side, new_side);
    if (!changes.changes.empty())
      d.commands.push_back(std::move(changes));
  }
  // The order of sections both hold, by their runs in `configs`.
  const auto runs = [](const camera_config &c, const section_positions &other) {
    std::vector<std::uint32_t> order;
    for (std::size_t i = 0; i < c.configs_length; ++i) {
      const std::uint32_t s = section_of(c.configs[i]);
      if (other.positions.count(s) != 0 && (order.empty() || order.back() != s))
        order.push_back(s);
    }
    return order;
  };
  d.old_order = runs(a.record, new_sections);
  d.new_order = runs(b.record, old_sections);
  d.order_differs = d.old_order != d.new_order;
  if (!d.order_differs) {
    d.old_order.clear();
    d.new_order.clear();
  }
}

// The fields of a record kind's keys that differ between two records.
std::vector<field_change> compare_fields(schema::record_kind kind,
                                         const void *a, const void *b,
                                         const loaded_file *old_file,
                                         const loaded_file *new_file) {
  std::vector<field_change> out;
  for (const schema::key_spec &key : schema::keys) {
    if (key.record != kind)
      continue;
    const std::size_t index = schema::index_of(key);
    const auto line = [&](const loaded_file *f) -> std::int64_t {
      return f != nullptr ? f->checked.origins.camera_line[index] : 0;
    };
    const bool hex =
        (new_file != nullptr && new_file->checked.origins.camera_hex[index]) ||
        (old_file != nullptr && old_file->checked.origins.camera_hex[index]);
    if (key.how == schema::conversion::text) {
      const std::string x(text_field(a, key.field),
                          strnlen(text_field(a, key.field), key.field.size));
      const std::string y(text_field(b, key.field),
                          strnlen(text_field(b, key.field), key.field.size));
      if (x != y)
        out.push_back({&key, key.field.name, 0, 0, x, y, false, line(old_file),
                       line(new_file)});
      continue;
    }
    for (const schema::field_ref *field : {&key.field, &key.second}) {
      if (field->size == 0)
        continue;
      const std::int64_t x = read_number(a, *field);
      const std::int64_t y = read_number(b, *field);
      if (x != y)
        out.push_back({&key,
                       field->name,
                       x,
                       y,
                       {},
                       {},
                       hex,
                       line(old_file),
                       line(new_file)});
    }
  }
  return out;
}

control_change control_pair(change_op op, const control_entry *x,
                            const control_entry *y, std::size_t i,
                            std::size_t j) {
  control_change c;
  c.op = op;
  c.old_control = x;
  c.new_control = y;
  c.old_index = i;
  c.new_index = j;
  return c;
}

std::string code_of(const control_entry &c) {
  return c.code != nullptr ? c.code : "";
}

control_change compare_control(const loaded_file &a, std::size_t i,
                               const loaded_file &b, std::size_t j) {
  const control_entry &x = a.record.controls[i];
  const control_entry &y = b.record.controls[j];
  control_change c = control_pair(change_op::change, &x, &y, i, j);
  const auto &ao = a.checked.origins.controls;
  const auto &bo = b.checked.origins.controls;
  c.old_line = i < ao.size() ? ao[i] : 0;
  c.new_line = j < bo.size() ? bo[j] : 0;
  c.fields =
      compare_fields(schema::record_kind::control, &x, &y, nullptr, nullptr);
  c.code_added = x.code == nullptr && y.code != nullptr;
  c.code_removed = x.code != nullptr && y.code == nullptr;
  c.code_diff = unified_diff(code_of(x), code_of(y));
  return c;
}

// Controls are matched by name first, then the rest by position.
void compare_controls(record_difference &d, const loaded_file &a,
                      const loaded_file &b) {
  const camera_config &x = a.record, &y = b.record;
  std::vector<std::ptrdiff_t> partner(x.controls_length, -1);
  std::vector<bool> taken(y.controls_length, false);
  for (std::size_t i = 0; i < x.controls_length; ++i) {
    if (x.controls[i].ctrl_name[0] == '\0')
      continue;
    for (std::size_t j = 0; j < y.controls_length; ++j)
      if (!taken[j] && std::strncmp(x.controls[i].ctrl_name,
                                    y.controls[j].ctrl_name, 128) == 0) {
        partner[i] = static_cast<std::ptrdiff_t>(j);
        taken[j] = true;
        break;
      }
  }
  std::size_t next = 0;
  for (std::size_t i = 0; i < x.controls_length; ++i) {
    if (partner[i] >= 0)
      continue;
    while (next < y.controls_length && taken[next])
      ++next;
    if (next < y.controls_length) {
      partner[i] = static_cast<std::ptrdiff_t>(next);
      taken[next] = true;
    }
  }
  for (std::size_t i = 0; i < x.controls_length; ++i) {
    if (partner[i] < 0) {
      control_change c =
          control_pair(change_op::remove, &x.controls[i], nullptr, i, 0);
      if (i < a.checked.origins.controls.size())
        c.old_line = a.checked.origins.controls[i];
      d.controls.push_back(std::move(c));
      continue;
    }
    control_change c =
        compare_control(a, i, b, static_cast<std::size_t>(partner[i]));
    if (!c.fields.empty() || !c.code_diff.empty() || c.code_added ||
        c.code_removed)
      d.controls.push_back(std::move(c));
  }
  for (std::size_t j = 0; j < y.controls_length; ++j)
    if (!taken[j]) {
      control_change c =
          control_pair(change_op::insert, nullptr, &y.controls[j], 0, j);
      if (j < b.checked.origins.controls.size())
        c.new_line = b.checked.origins.controls[j];
      d.controls.push_back(std::move(c));
    }
}

} // namespace

void load_for_comparison(loaded_file &file, std::string_view bytes) {
  file.checked = check_text(bytes, file.record, {false, true});
}

record_difference compare_records(const loaded_file &a, const loaded_file &b) {
  record_difference d;
  d.old_result = a.checked.report.parse.line;
  d.new_result = b.checked.report.parse.line;
  d.results_differ = d.old_result != d.new_result;
  d.camera =
      compare_fields(schema::record_kind::camera, &a.record, &b.record, &a, &b);
  compare_commands(d, a, b);
  compare_controls(d, a, b);
  return d;
}

std::string section_name(std::uint32_t code) {
  const schema::section_spec *s = schema::section_with_code(code);
  return s != nullptr ? std::string(s->name()) : spell_hex(code);
}

std::string spell_command(const config_entry &entry, std::uint16_t hex) {
  const schema::key_spec *key =
      schema::command_with_kind(entry.type & CONFIG_KEY_MASK);
  std::string out = key != nullptr ? std::string(key->name) : "?";
  for (unsigned i = 0; i < entry.params_length; ++i) {
    out += i == 0 ? " " : ", ";
    out += (hex >> i) & 1 ? spell_hex(entry.params[i])
                          : std::to_string(entry.params[i]);
  }
  return out;
}

} // namespace quelmix
