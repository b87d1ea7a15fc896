// SPDX-License-Identifier: MIT
#include "engine/messages/warnings.hpp"

#include "engine/messages/suggest.hpp"
#include "engine/messages/words.hpp"
#include "loader/schema.hpp"
#include "parser/text.hpp"

namespace quelmix {
namespace {

std::string did_you_mean(std::string_view name) {
  return "did you mean " + quoted(name) + "?";
}

// "register parameter||dev2": a known section kind with an unknown variant.
const schema::section_kind *known_kind(std::string_view section) {
  const std::size_t join = section.find(schema::VARIANT_JOIN);
  if (join == std::string_view::npos)
    return nullptr;
  for (const schema::section_kind &kind : schema::section_kinds)
    if (section.substr(0, join) == kind.name)
      return &kind;
  return nullptr;
}

warning_text unknown_section(const char *section) {
  const name_guess guess = guess_section(section);
  return {diagnostic_kind::unknown_section,
          "section " + quoted(section) + " is not known; its lines are ignored",
          guess.why};
}

warning_text unknown_key(const load_warning &w) {
  warning_text text{diagnostic_kind::unknown_key,
                    "key " + quoted(w.name) + " is not known in section " +
                        quoted(w.section) + "; the line is ignored",
                    ""};
  const auto *section = schema::find_section(w.section);
  if (section != nullptr)
    text.hint = guess_key(section->kind->keys, w.name).why;
  return text;
}

warning_text wrong_value_count(const load_warning &w) {
  std::string needs = std::to_string(w.fewest);
  if (w.most != w.fewest)
    needs += " or " + std::to_string(w.most);
  const std::string found =
      w.count > CONFIG_MAX_PARAMS
          ? "more than " + std::to_string(CONFIG_MAX_PARAMS)
          : std::to_string(w.count);
  return {diagnostic_kind::wrong_value_count,
          quoted(w.name) + " needs " + needs + " values, found " + found +
              "; the line is ignored",
          ""};
}

} // namespace

name_guess guess_section(std::string_view section) {
  const std::vector<std::string_view> names = section_names();
  const std::string_view trimmed = trim(section);
  if (trimmed != section && schema::find_section(trimmed) != nullptr)
    return {schema::find_section(trimmed)->name(), true,
            "blanks inside the brackets are part of the name; " +
                did_you_mean(trimmed)};
  if (const auto same = same_but_case(names, section))
    return {*same, true,
            "section names are case-sensitive; " + did_you_mean(*same)};
  if (const schema::section_kind *kind = known_kind(section))
    return {{}, false, quoted(kind->name) + " has no such variant"};
  if (const auto near = nearest_name(names, section))
    return {*near, false, did_you_mean(*near)};
  return {};
}

name_guess guess_key(schema::record_kind record, std::string_view key) {
  const std::vector<std::string_view> names = key_names(record);
  if (const auto same = same_but_case(names, key))
    return {*same, true, "keys are case-sensitive; " + did_you_mean(*same)};
  if (const auto near = nearest_name(names, key))
    return {*near, false, did_you_mean(*near)};
  return {};
}

warning_text describe_warning(const load_warning &w) {
  switch (w.kind) {
  case warning_kind::unknown_section:
    return unknown_section(w.section);
  case warning_kind::key_before_section:
    if (w.name == nullptr)
      return {diagnostic_kind::key_before_section,
              "code block before any section header is ignored", ""};
    return {diagnostic_kind::key_before_section,
            "key " + quoted(w.name) +
                " comes before any section header and is ignored",
            ""};
  case warning_kind::unknown_key:
    return unknown_key(w);
  case warning_kind::command_out_of_place:
    return {diagnostic_kind::command_out_of_place,
            "command " + quoted(w.name) + " in section " + quoted(w.section) +
                " is ignored",
            "commands belong in board and register sections"};
  case warning_kind::wrong_value_count:
    return wrong_value_count(w);
  case warning_kind::value_cut:
    return {diagnostic_kind::value_cut,
            quoted(w.name) + " is longer than " + std::to_string(w.count) +
                " bytes and was cut",
            ""};
  case warning_kind::key_repeated:
    return {diagnostic_kind::key_repeated,
            quoted(w.name) + " is set again; the earlier value is overwritten",
            ""};
  case warning_kind::code_block_ignored:
    return {diagnostic_kind::code_block_ignored,
            "code block in section " + quoted(w.section) + " is ignored",
            "only control sections hold code"};
  case warning_kind::code_block_replaced:
    break;
  case warning_kind::control_refused:
    return {diagnostic_kind::code_block_ignored,
            "this control's header was refused; the line goes nowhere", ""};
  }
  return {diagnostic_kind::code_block_replaced,
          "a second code block in this control replaces the first", ""};
}

} // namespace quelmix
