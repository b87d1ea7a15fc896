// SPDX-License-Identifier: MIT
// What changed for the camera between two loads: the records as a host
// gets them, compared field by field, command by command in each section
// and variant (an ordered sequence diff, so that one inserted line is one
// insertion), control by control (matched by CTRL_NAME), and the results.
// Layout, comments and how a header is joined never show; a value that
// turned into a comment does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/analysis/engine.hpp"
#include "loader/schema.hpp"

namespace quelmix {

// One side of a comparison: a record, its check (with origins and what
// each line is), the file's name and its text, so that values can be shown
// as the file spells them.
struct loaded_file {
  std::string name;
  std::string text;
  std::optional<line_index> lines;
  camera_config record{};
  checked_text checked;

  loaded_file() = default;
  loaded_file(const loaded_file &) = delete;
  loaded_file &operator=(const loaded_file &) = delete;
  ~loaded_file() { quelmix_release_config(&record); }
};

// Loads `bytes` for comparison.
void load_for_comparison(loaded_file &file, std::string_view bytes);

enum class change_op : std::uint8_t { insert, remove, change };

// A field of the camera or of a control that differs. Numbers as the
// header declares the field; text for text keys.
struct field_change {
  const schema::key_spec *key;
  std::string_view field; // the record field ("width")
  std::int64_t old_number = 0, new_number = 0;
  std::string old_text, new_text;
  bool hex = false; // the file wrote the number in hex
  std::int64_t old_line = 0, new_line = 0;
  // The numbers as the line that set them writes them ("0x0036"); empty
  // where that is not known or the text is more than a number.
  std::string old_spelling, new_spelling;
};

// A command inserted, removed, or changed in place: the same key and the
// same first value (e.g. the same register), or for a DELAY, a DELAY in
// the same place.
struct command_change {
  change_op op;
  const config_entry *old_entry = nullptr, *new_entry = nullptr;
  std::size_t old_index = 0, new_index = 0; // positions in `configs`
  std::int64_t old_line = 0, new_line = 0;
  std::uint16_t old_hex = 0, new_hex = 0; // values written in hex
  // Each value as its line writes it ("0x0200"), one per stored value;
  // empty when a value's text is more than a number.
  std::vector<std::string> old_spelled, new_spelled;
};

// Whether a command's first value names what it writes to (a register, a
// VRCMD's command), so that a change keeps it: all but DELAY.
bool first_value_is_target(const config_entry &entry);

// The commands of one section and variant.
struct section_changes {
  std::uint32_t section; // the section code
  std::vector<command_change> changes;
  std::size_t inserted = 0, removed = 0, changed = 0;
};

struct control_change {
  change_op op = change_op::change;
  const control_entry *old_control = nullptr, *new_control = nullptr;
  std::size_t old_index = 0, new_index = 0;
  std::int64_t old_line = 0, new_line = 0;
  std::vector<field_change> fields;
  std::string code_diff; // unified diff of the code texts, or empty
  bool code_added = false, code_removed = false;
};

struct record_difference {
  bool results_differ = false;
  std::int32_t old_result = 0, new_result = 0;
  std::vector<field_change> camera;
  std::vector<section_changes> commands;
  // The order of the sections that both files hold, when it differs.
  bool order_differs = false;
  std::vector<std::uint32_t> old_order, new_order;
  std::vector<control_change> controls;

  bool same() const {
    return !results_differ && camera.empty() && commands.empty() &&
           !order_differs && controls.empty();
  }
};

record_difference compare_records(const loaded_file &old_file,
                                  const loaded_file &new_file);

// A section code's name ("register parameter||dev3||inf2").
std::string section_name(std::uint32_t code);

// A command as a file would write it: "REG 0x3008, 0x82" (values in hex
// where `hex` says the file wrote them so).
std::string spell_command(const config_entry &entry, std::uint16_t hex);

// Value `i` of a command as its file writes it: the spelling when known,
// else the number (in hex where `hex` says so).
std::string spell_value(const config_entry &entry, std::uint16_t hex,
                        const std::vector<std::string> &spelled, unsigned i);

} // namespace quelmix
