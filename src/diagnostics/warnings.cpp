#include "diagnostics/warnings.hpp"

#include <cstdio>
#include <cstring>

#include "loader/tables.hpp"
#include "parser/text.hpp"

namespace quelmix {
namespace {

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
  for (const name_code *s = section_table; s->name != nullptr; ++s) {
    const std::size_t length = static_cast<std::size_t>(bars - section);
    if (std::strlen(s->name) == length &&
        std::strncmp(s->name, section, length) == 0)
      return s->name;
  }
  return nullptr;
}

int unknown_section(const char *section, char *out, std::size_t size) {
  if (const char *name = known_when_trimmed(section))
    return std::snprintf(out, size,
                         "section \"%s\" is not known (blanks inside the "
                         "brackets are part of the name; did you mean "
                         "\"%s\"?)",
                         section, name);
  if (const char *name = same_but_case(section_table, section))
    return std::snprintf(out, size,
                         "section \"%s\" is not known (section names are "
                         "case-sensitive; did you mean \"%s\"?)",
                         section, name);
  if (const char *kind = known_kind(section))
    return std::snprintf(out, size,
                         "section \"%s\" is not known (\"%s\" has no such "
                         "variant); its lines are ignored",
                         section, kind);
  return std::snprintf(
      out, size, "section \"%s\" is not known; its lines are ignored", section);
}

int unknown_key(const load_warning &w, char *out, std::size_t size) {
  const name_code *keys = keys_of(w.section);
  if (const char *key = keys ? same_but_case(keys, w.name) : nullptr)
    return std::snprintf(out, size,
                         "key \"%s\" is not known in section \"%s\" (keys are "
                         "case-sensitive; did you mean \"%s\"?)",
                         w.name, w.section, key);
  return std::snprintf(out, size,
                       "key \"%s\" is not known in section \"%s\"; the line "
                       "is ignored",
                       w.name, w.section);
}

int wrong_value_count(const load_warning &w, char *out, std::size_t size) {
  char needs[32];
  if (w.fewest == w.most)
    std::snprintf(needs, sizeof needs, "%u", w.fewest);
  else
    std::snprintf(needs, sizeof needs, "%u or %u", w.fewest, w.most);
  if (w.count > CONFIG_MAX_PARAMS)
    return std::snprintf(out, size,
                         "\"%s\" needs %s values, found more than %d; the "
                         "line is ignored",
                         w.name, needs, CONFIG_MAX_PARAMS);
  return std::snprintf(out, size,
                       "\"%s\" needs %s values, found %u; the line is ignored",
                       w.name, needs, w.count);
}

} // namespace

int format_warning(const load_warning &w, char *out,
                   std::size_t size) noexcept {
  switch (w.kind) {
  case warning_kind::unknown_section:
    return unknown_section(w.section, out, size);
  case warning_kind::key_before_section:
    if (w.name == nullptr)
      return std::snprintf(out, size,
                           "code block before any section header "
                           "is ignored");
    return std::snprintf(out, size,
                         "key \"%s\" comes before any section header and is "
                         "ignored",
                         w.name);
  case warning_kind::unknown_key:
    return unknown_key(w, out, size);
  case warning_kind::command_out_of_place:
    return std::snprintf(out, size,
                         "command \"%s\" in section \"%s\" is ignored "
                         "(commands belong in board and register sections)",
                         w.name, w.section);
  case warning_kind::wrong_value_count:
    return wrong_value_count(w, out, size);
  case warning_kind::value_cut:
    return std::snprintf(out, size,
                         "\"%s\" is longer than %u bytes and was cut", w.name,
                         w.count);
  case warning_kind::key_repeated:
    return std::snprintf(out, size,
                         "\"%s\" is set again; the earlier value is "
                         "overwritten",
                         w.name);
  case warning_kind::code_block_ignored:
    return std::snprintf(out, size,
                         "code block in section \"%s\" is ignored (only "
                         "control sections hold code)",
                         w.section);
  case warning_kind::code_block_replaced:
    return std::snprintf(out, size,
                         "a second code block in this control replaces the "
                         "first");
  }
  return std::snprintf(out, size, "line ignored");
}

} // namespace quelmix
