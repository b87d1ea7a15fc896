// SPDX-License-Identifier: MIT
#include "engine/compare/record_diff.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <map>
#include <string_view>
#include <unordered_map>

#include "engine/compare/sequence_diff.hpp"
#include "engine/messages/words.hpp"
#include "loader/convert.hpp"
#include "loader/fields.hpp"

namespace quelmix {
namespace {

std::uint32_t section_of(const config_entry &e) {
  return e.type & ~CONFIG_KEY_MASK;
}

// The value of the entry on physical line `line` as the parser delivered
// it; empty when the line is not one whole entry.
std::string_view value_on_line(const loaded_file &f, std::int64_t line) {
  const auto &lines = f.checked.lines;
  if (!f.lines || line < 1 || line > static_cast<std::int64_t>(lines.size()))
    return {};
  const line_info &info = lines[static_cast<std::size_t>(line - 1)];
  if (info.role != line_role::entry || !info.whole)
    return {};
  return f.lines->line_text(line).substr(info.value.begin,
                                         info.value.end - info.value.begin);
}

// The numbers of a value as it writes them, piece by piece as the loader
// splits it; a piece that is more than one number (or none) is empty.
std::vector<std::string> spelled_numbers(std::string_view value) {
  const std::string text(value);
  std::vector<std::string> out;
  for (const char *p = skip_empty_pieces(text.c_str()); *p != '\0';
       p = skip_empty_pieces(piece_end(p))) {
    const number_scan scan = scan_number(p);
    const char *end = piece_end(p);
    const char *rest = scan.end;
    while (rest != end && (*rest == ' ' || *rest == '\t'))
      ++rest;
    const bool clean = scan.digits != scan.end && rest == end;
    out.push_back(clean ? std::string(scan.begin, scan.end) : std::string());
  }
  return out;
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
  std::vector<std::string> spelled(std::size_t i) const {
    std::vector<std::string> out =
        spelled_numbers(value_on_line(file, line(i)));
    out.resize(at(i).params_length);
    return out;
  }
};

// What a removal and an insertion must share to read as one change in
// place ("REG 0x3008: 0x82 -> 0x02", "DELAY: 10 -> 20"): the section and
// key, and the first value where it names a target. Commands without one
// never pair.
std::optional<std::string> target_of(const config_entry &e) {
  std::string key(reinterpret_cast<const char *>(&e.type), sizeof e.type);
  if (!first_value_is_target(e))
    return key;
  if (e.params_length == 0)
    return std::nullopt;
  key.append(reinterpret_cast<const char *>(&e.params[0]), sizeof e.params[0]);
  return key;
}

command_change side_change(change_op op, const command_side &old_side,
                           std::size_t i, const command_side &new_side,
                           std::size_t j) {
  command_change c{};
  c.op = op;
  if (op != change_op::insert) {
    c.old_entry = &old_side.at(i);
    c.old_index = old_side.positions[i];
    c.old_line = old_side.line(i);
    c.old_hex = old_side.hex(i);
    c.old_spelled = old_side.spelled(i);
  }
  if (op != change_op::remove) {
    c.new_entry = &new_side.at(j);
    c.new_index = new_side.positions[j];
    c.new_line = new_side.line(j);
    c.new_hex = new_side.hex(j);
    c.new_spelled = new_side.spelled(j);
  }
  return c;
}

// The removals and insertions of one stretch between kept commands, with
// pairs of the same target turned into changes: each removal pairs with
// the first insertion of its target not yet passed, and the insertions
// before that one are listed before the change.
void add_stretch(section_changes &out, const command_side &a,
                 const std::vector<std::size_t> &removed, const command_side &b,
                 const std::vector<std::size_t> &inserted) {
  // The insertions of each target, in order, and how many of them have
  // been passed.
  std::unordered_map<std::string,
                     std::pair<std::vector<std::size_t>, std::size_t>>
      by_target;
  by_target.reserve(inserted.size());
  for (std::size_t j = 0; j < inserted.size(); ++j)
    if (const auto target = target_of(b.at(inserted[j])))
      by_target[*target].first.push_back(j);
  std::size_t next = 0; // every insertion before it is listed
  for (std::size_t i : removed) {
    std::optional<std::size_t> match;
    if (const auto target = target_of(a.at(i))) {
      const auto found = by_target.find(*target);
      if (found != by_target.end()) {
        auto &[list, passed] = found->second;
        while (passed < list.size() && list[passed] < next)
          ++passed;
        if (passed < list.size())
          match = list[passed++];
      }
    }
    if (!match) {
      out.changes.push_back(side_change(change_op::remove, a, i, b, 0));
      continue;
    }
    for (; next < *match; ++next)
      out.changes.push_back(
          side_change(change_op::insert, a, 0, b, inserted[next]));
    out.changes.push_back(
        side_change(change_op::change, a, i, b, inserted[*match]));
    next = *match + 1;
  }
  for (; next < inserted.size(); ++next)
    out.changes.push_back(
        side_change(change_op::insert, a, 0, b, inserted[next]));
}

section_changes compare_section(std::uint32_t section, const command_side &a,
                                const command_side &b) {
  std::unordered_map<std::string, std::uint32_t> ids;
  const auto id_of = [&ids](const config_entry &e) {
    return ids.emplace(content_of(e), static_cast<std::uint32_t>(ids.size()))
        .first->second;
  };
  ids.reserve(a.positions.size() + b.positions.size());
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

// Where each key of one side's record was set: a line per key (0: not
// set), by index in schema::keys.
using key_lines = std::array<std::int64_t, schema::KEY_COUNT>;

key_lines camera_lines(const loaded_file &f) {
  key_lines out{};
  std::copy(std::begin(f.checked.origins.camera_line),
            std::end(f.checked.origins.camera_line), out.begin());
  return out;
}

// The lines of a control's keys: the entries from its header to the next
// header (the last one of a key is what the record holds).
key_lines control_lines(const loaded_file &f, std::size_t control) {
  key_lines out{};
  const auto &headers = f.checked.origins.controls;
  const auto &lines = f.checked.lines;
  if (control >= headers.size() || !f.lines)
    return out;
  for (auto line = static_cast<std::size_t>(headers[control]);
       line < lines.size() && lines[line].role != line_role::header; ++line) {
    const line_info &info = lines[line];
    if (info.role != line_role::entry || !info.whole)
      continue;
    const std::string_view name =
        f.lines->line_text(static_cast<std::int64_t>(line) + 1)
            .substr(info.name.begin, info.name.end - info.name.begin);
    if (const schema::key_spec *key =
            schema::find_key(schema::record_kind::control, name))
      out[schema::index_of(*key)] = static_cast<std::int64_t>(line) + 1;
  }
  return out;
}

// A field's number as the line that set it writes it: the n-th number of
// a pair, all numbers of a byte pair, the number of any other key.
std::string field_spelling(const loaded_file &f, std::int64_t line,
                           const schema::key_spec &key, bool second) {
  const std::vector<std::string> numbers =
      spelled_numbers(value_on_line(f, line));
  if (key.how == schema::conversion::pair)
    return numbers.size() == 2 ? numbers[second ? 1 : 0] : std::string();
  if (numbers.empty() || numbers.size() > 2 ||
      (numbers.size() == 2 && key.how != schema::conversion::byte_pair))
    return {};
  std::string out;
  for (const std::string &n : numbers) {
    if (n.empty())
      return {};
    out += (out.empty() ? "" : ", ") + n;
  }
  return out;
}

// One side of a field comparison: a record of the kind, the file it came
// from and where each key was set.
struct field_side {
  const void *record;
  const loaded_file &file;
  const key_lines &lines;
};

// The fields of a record kind's keys that differ between two records.
std::vector<field_change> compare_fields(schema::record_kind kind,
                                         const field_side &a,
                                         const field_side &b) {
  std::vector<field_change> out;
  for (const schema::key_spec &key : schema::keys) {
    if (key.record != kind)
      continue;
    const std::size_t index = schema::index_of(key);
    const std::int64_t old_line = a.lines[index], new_line = b.lines[index];
    if (key.how == schema::conversion::text) {
      const std::string x(
          text_field(a.record, key.field),
          strnlen(text_field(a.record, key.field), key.field.size));
      const std::string y(
          text_field(b.record, key.field),
          strnlen(text_field(b.record, key.field), key.field.size));
      if (x != y)
        out.push_back({&key,
                       key.field.name,
                       0,
                       0,
                       x,
                       y,
                       false,
                       old_line,
                       new_line,
                       {},
                       {}});
      continue;
    }
    const bool hex = kind == schema::record_kind::camera &&
                     (b.file.checked.origins.camera_hex[index] ||
                      a.file.checked.origins.camera_hex[index]);
    for (const schema::field_ref *field : {&key.field, &key.second}) {
      if (field->size == 0)
        continue;
      const std::int64_t x = read_number(a.record, *field);
      const std::int64_t y = read_number(b.record, *field);
      if (x == y)
        continue;
      const bool second = field == &key.second;
      out.push_back({&key,
                     field->name,
                     x,
                     y,
                     {},
                     {},
                     hex,
                     old_line,
                     new_line,
                     field_spelling(a.file, old_line, key, second),
                     field_spelling(b.file, new_line, key, second)});
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
  const key_lines old_lines = control_lines(a, i),
                  new_lines = control_lines(b, j);
  c.fields = compare_fields(schema::record_kind::control, {&x, a, old_lines},
                            {&y, b, new_lines});
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
  file.text.assign(bytes);
  file.lines.emplace(file.text);
  file.checked = check_text(file.text, file.record, {true, true});
}

record_difference compare_records(const loaded_file &a, const loaded_file &b) {
  record_difference d;
  d.old_result = a.checked.report.parse.line;
  d.new_result = b.checked.report.parse.line;
  d.results_differ = d.old_result != d.new_result;
  const key_lines old_lines = camera_lines(a), new_lines = camera_lines(b);
  d.camera =
      compare_fields(schema::record_kind::camera, {&a.record, a, old_lines},
                     {&b.record, b, new_lines});
  compare_commands(d, a, b);
  compare_controls(d, a, b);
  return d;
}

std::string section_name(std::uint32_t code) {
  const schema::section_spec *s = schema::section_with_code(code);
  return s != nullptr ? std::string(s->name()) : spell_hex(code);
}

bool first_value_is_target(const config_entry &entry) {
  return (entry.type & CONFIG_KEY_MASK) != CONFIG_KEY_DELAY;
}

std::string spell_value(const config_entry &entry, std::uint16_t hex,
                        const std::vector<std::string> &spelled, unsigned i) {
  if (i < spelled.size() && !spelled[i].empty())
    return spelled[i];
  return (hex >> i) & 1 ? spell_hex(entry.params[i])
                        : std::to_string(entry.params[i]);
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
