// SPDX-License-Identifier: MIT
#include "diagnostics/warnings.hpp"

#include <cstring>
#include <string_view>

#include "diagnostics/suggest.hpp"
#include "loader/tables.hpp"
#include "parser/parser.hpp"
#include "parser/text.hpp"

namespace quelmix {
namespace {

// Appends rather than `"\"" + std::string(...)`, which GCC 12 at -O3
// warns about wrongly (-Wrestrict).
std::string quoted(std::string_view text) {
  std::string out(1, '"');
  out.append(text);
  out += '"';
  return out;
}

// The first name in `table` equal to `name` but for letter case.
const char *same_but_case(const name_code *table, const char *name) noexcept {
  for (; table->name != nullptr; ++table) {
    if (equals_ignoring_case(table->name, name))
      return table->name;
  }
  return nullptr;
}

// The keys a section takes, found through the loader's own tables.
const name_code *keys_of(const char *section) noexcept {
  switch (lookup_code(section_table, section) & CONFIG_SECTION_MASK) {
  case CONFIG_TYPE_CAMERA:
    return camera_key_table;
  case CONFIG_TYPE_CONTROL:
    return control_key_table;
  case 0:
    return nullptr;
  default:
    return register_key_table;
  }
}

// A section name with its outer blanks dropped, if it then is known.
const char *known_when_trimmed(const char *section) noexcept {
  char trimmed[SECTION_NAME_SIZE];
  const char *begin = skip_leading_space(section);
  const std::size_t length = strnlen(begin, sizeof trimmed - 1);
  std::memcpy(trimmed, begin, length);
  trimmed[length] = '\0';
  strip_trailing_space(trimmed);
  if (std::strcmp(trimmed, section) == 0)
    return nullptr; // no blanks to blame
  return lookup_name(section_table, lookup_code(section_table, trimmed));
}

// "register parameter||dev2": a known section kind with an unknown variant.
const char *known_kind(const char *section) noexcept {
  const char *bars = std::strstr(section, "||");
  if (bars == nullptr)
    return nullptr;
  const std::string_view kind(section,
                              static_cast<std::size_t>(bars - section));
  for (const name_code *s = section_table; s->name != nullptr; ++s)
    if (kind == s->name)
      return s->name;
  return nullptr;
}

std::string did_you_mean(const char *name) {
  return "did you mean " + quoted(name) + "?";
}

warning_text unknown_section(const char *section) {
  warning_text text{"unknown-section",
                    "section " + quoted(section) +
                        " is not known; its lines are ignored",
                    ""};
  if (const char *name = known_when_trimmed(section))
    text.hint = "blanks inside the brackets are part of the name; " +
                did_you_mean(name);
  else if (const char *same = same_but_case(section_table, section))
    text.hint = "section names are case-sensitive; " + did_you_mean(same);
  else if (const char *kind = known_kind(section))
    text.hint = quoted(kind) + " has no such variant";
  else if (const char *near = nearest_name(section_table, section))
    text.hint = did_you_mean(near);
  return text;
}

warning_text unknown_key(const load_warning &w) {
  warning_text text{"unknown-key",
                    "key " + quoted(w.name) + " is not known in section " +
                        quoted(w.section) + "; the line is ignored",
                    ""};
  const name_code *keys = keys_of(w.section);
  if (keys == nullptr)
    return text;
  if (const char *same = same_but_case(keys, w.name))
    text.hint = "keys are case-sensitive; " + did_you_mean(same);
  else if (const char *near = nearest_name(keys, w.name))
    text.hint = did_you_mean(near);
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
  return {"wrong-value-count",
          quoted(w.name) + " needs " + needs + " values, found " + found +
              "; the line is ignored",
          ""};
}

} // namespace

warning_text describe_warning(const load_warning &w) {
  switch (w.kind) {
  case warning_kind::unknown_section:
    return unknown_section(w.section);
  case warning_kind::key_before_section:
    if (w.name == nullptr)
      return {"key-before-section",
              "code block before any section header is ignored", ""};
    return {"key-before-section",
            "key " + quoted(w.name) +
                " comes before any section header and is ignored",
            ""};
  case warning_kind::unknown_key:
    return unknown_key(w);
  case warning_kind::command_out_of_place:
    return {"command-out-of-place",
            "command " + quoted(w.name) + " in section " + quoted(w.section) +
                " is ignored",
            "commands belong in board and register sections"};
  case warning_kind::wrong_value_count:
    return wrong_value_count(w);
  case warning_kind::value_cut:
    return {"value-cut",
            quoted(w.name) + " is longer than " + std::to_string(w.count) +
                " bytes and was cut",
            ""};
  case warning_kind::key_repeated:
    return {"key-repeated",
            quoted(w.name) + " is set again; the earlier value is overwritten",
            ""};
  case warning_kind::code_block_ignored:
    return {"code-block-ignored",
            "code block in section " + quoted(w.section) + " is ignored",
            "only control sections hold code"};
  case warning_kind::code_block_replaced:
    return {"code-block-replaced",
            "a second code block in this control replaces the first", ""};
  }
  return {"unknown-key", "line ignored", ""};
}

} // namespace quelmix
