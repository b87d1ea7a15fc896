// SPDX-License-Identifier: MIT
#include "features.hpp"

#include <cstdio>
#include <cstring>

#include "diagnostics/engine.hpp"
#include "diagnostics/format.hpp"
#include "loader/convert.hpp"
#include "loader/tables.hpp"
#include "positions.hpp"

namespace quelmix::lsp {
namespace {

// The engine's view of one version of a document.
struct analysis {
  explicit analysis(const std::string &text)
      : index(text), checked(check(text)) {}

  static checked_text check(const std::string &text) {
    camera_config record{};
    checked_text checked = check_text(text, record);
    quelmix_release_config(&record);
    return checked;
  }

  std::string_view line(std::int64_t number) const {
    if (number < 1 || number > index.line_count())
      return {};
    std::string_view text = index.line_text(number);
    if (!text.empty() && text.back() == '\r')
      text.remove_suffix(1);
    return text;
  }

  const line_info *info(std::int64_t number) const {
    if (number < 1 || static_cast<std::size_t>(number) > checked.lines.size())
      return nullptr;
    return &checked.lines[static_cast<std::size_t>(number - 1)];
  }

  json position(std::int64_t number, std::size_t byte) const {
    return {{"line", number - 1},
            {"character", utf16_units(line(number), byte)}};
  }

  line_index index;
  checked_text checked;
};

// 1-based line and byte offset of a protocol position.
struct place {
  std::int64_t line;
  std::size_t byte;
};

place place_of(const analysis &a, const json &position) {
  const std::int64_t line = position.at("line").get<std::int64_t>() + 1;
  const auto units = position.at("character").get<std::size_t>();
  return {line, byte_offset(a.line(line), units)};
}

bool is_word_byte(char c) {
  return c != ' ' && c != '\t' && c != ',' && c != ';' && c != '=' &&
         c != ':' && c != ']' && c != '\r' && c != '\0';
}

// The span a diagnostic covers: from its column to the end of the word
// there (at least one character, at most the line).
std::size_t span_end(std::string_view text, std::size_t from) {
  std::size_t end = from;
  while (end < text.size() && is_word_byte(text[end]))
    ++end;
  return end > from ? end : std::min(text.size(), from + 1);
}

std::string hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX",
                static_cast<unsigned long long>(value));
  return text;
}

std::string reading(std::int64_t value) {
  return std::to_string(value) + " (" + hex(static_cast<std::uint64_t>(value)) +
         ")";
}

struct key_doc {
  const char *key;
  const char *sets;
};

// What each key sets in the record and what happens to what does not fit.
constexpr key_doc CAMERA_DOCS[] = {
    {"CFG_MODE", "`cfg_mode`, a 32-bit signed field: the low 32 bits of the "
                 "number are kept"},
    {"TYPE", "`type`, text of at most 49 bytes: longer text is cut"},
    {"SIZE", "`width` and `height`, 32 bits each: exactly two values; any "
             "other count changes nothing"},
    {"BIT_WIDTH", "`bit_width`, 8 bits: the low 8 bits are kept"},
    {"FORMAT", "`format`, 16 bits: the first value in the high byte, the "
               "second (optional) in the low byte; a third value makes the "
               "line change nothing"},
    {"I2C_MODE", "`i2c_mode`, 8 bits: the low 8 bits are kept"},
    {"I2C_ADDR", "`i2c_addr`, 16 bits: the low 16 bits are kept"},
    {"TRANS_LVL", "`trans_lvl`, a 32-bit signed field: the low 32 bits are "
                  "kept"},
};

constexpr key_doc CONTROL_DOCS[] = {
    {"MIN_VALUE", "`min_value`, 64 bits: saturated at the 64-bit limits"},
    {"MAX_VALUE", "`max_value`, 64 bits: saturated at the 64-bit limits"},
    {"STEP", "`step`, a 32-bit signed field: the low 32 bits are kept"},
    {"DEF", "`def`, the default, 64 bits: saturated at the 64-bit limits"},
    {"CTRL_NAME", "`ctrl_name`, text of at most 127 bytes: longer is cut"},
    {"FUNC_NAME", "`func_name`, text of at most 127 bytes: longer is cut"},
};

template <std::size_t N>
const char *find_doc(const key_doc (&docs)[N], std::string_view key) {
  for (const key_doc &d : docs)
    if (key == d.key)
      return d.sets;
  return nullptr;
}

std::string section_words(std::uint32_t code) {
  switch (code & CONFIG_SECTION_MASK) {
  case CONFIG_TYPE_CAMERA:
    return "The camera's parameters: CFG_MODE, TYPE, SIZE, BIT_WIDTH, "
           "FORMAT, I2C_MODE, I2C_ADDR, TRANS_LVL.";
  case CONFIG_TYPE_BOARD:
    return "Board commands (REG, VRCMD, DELAY), appended to `configs` in "
           "file order.";
  case CONFIG_TYPE_REGISTER:
    return "Register commands (REG, VRCMD, DELAY), appended to `configs` in "
           "file order.";
  case CONFIG_TYPE_CONTROL:
    return "One control: MIN_VALUE, MAX_VALUE, STEP, DEF, CTRL_NAME, "
           "FUNC_NAME and a code block; each such header adds a control.";
  default:
    return "Not a section the loader knows: its lines are ignored.";
  }
}

json markdown(const std::string &text) {
  return {{"kind", "markdown"}, {"value", text}};
}

json header_hover(const analysis &a, std::int64_t line) {
  const line_info &info = *a.info(line);
  const char *name = lookup_name(section_table, info.section);
  std::string text = "**[" + std::string(name ? name : "?") + "]**";
  if (info.section == 0)
    text = "**unknown section**";
  text += "\n\n" + section_words(info.section);
  if (info.section != 0)
    text += "\n\nType code " + hex(info.section) + ".";
  const std::string_view content = a.line(line);
  const std::size_t begin = content.find('[');
  return {{"contents", markdown(text)},
          {"range",
           {{"start",
             a.position(line, begin == std::string_view::npos ? 0 : begin)},
            {"end", a.position(line, content.size())}}}};
}

// How the loader reads `value` for `key`, in decimal and hexadecimal.
std::string value_words(std::uint32_t section, const std::string &key,
                        const std::string &value) {
  const std::uint32_t kind = section & CONFIG_SECTION_MASK;
  const bool list =
      kind == CONFIG_TYPE_BOARD || kind == CONFIG_TYPE_REGISTER ||
      (kind == CONFIG_TYPE_CAMERA && (key == "SIZE" || key == "FORMAT"));
  if (key == "TYPE" || key == "CTRL_NAME" || key == "FUNC_NAME")
    return "The loader reads the text `" + value + "`.";
  if (!list)
    return "The loader reads " + reading(parse_int64(value.c_str())) + ".";
  value_list values{};
  const bool fits = parse_value_list(value.c_str(), values);
  std::string text = "The loader reads " + std::to_string(values.count) +
                     (values.count == 1 ? " value" : " values");
  for (unsigned i = 0; i < values.count; ++i)
    text += (i == 0 ? ": " : ", ") +
            reading(static_cast<std::int64_t>(values.values[i]));
  if (!fits)
    text += " and more: a command takes at most 16";
  return text + ".";
}

json key_hover(const analysis &a, std::int64_t line) {
  const line_info &info = *a.info(line);
  const std::string_view content = a.index.line_text(line);
  const std::string key(
      content.substr(info.name_begin, info.name_end - info.name_begin));
  const std::string value(
      content.substr(info.value_begin, info.value_end - info.value_begin));
  const std::uint32_t kind = info.section & CONFIG_SECTION_MASK;
  std::string sets;
  if (kind == CONFIG_TYPE_CAMERA) {
    if (const char *d = find_doc(CAMERA_DOCS, key))
      sets = d;
  } else if (kind == CONFIG_TYPE_CONTROL) {
    if (const char *d = find_doc(CONTROL_DOCS, key))
      sets = d;
  } else if (kind != 0) {
    if (const std::uint32_t command =
            lookup_code(register_key_table, key.c_str()))
      sets = "A command appended to `configs`, type " +
             hex(info.section | command) +
             ": up to 16 values, each kept as 32 bits; 17 or more make "
             "the line bad.";
  }
  if (sets.empty())
    sets = kind == 0 ? "This section is not known: the line is ignored."
                     : "Not a key of this section: the line is ignored.";
  std::string text = "**" + key + "**\n\n" + sets;
  if (text.back() != '.')
    text += '.';
  if (kind != 0 && sets.rfind("Not a key", 0) != 0)
    text += "\n\n" + value_words(info.section, key, value);
  return {{"contents", markdown(text)},
          {"range",
           {{"start", a.position(line, info.name_begin)},
            {"end", a.position(line, info.name_end)}}}};
}

json completion_item(const char *label, int kind, const char *detail) {
  return {{"label", label}, {"kind", kind}, {"detail", detail}};
}

constexpr int KIND_PROPERTY = 10;
constexpr int KIND_KEYWORD = 14;
constexpr int KIND_MODULE = 9;

// The section a line is in, even a line the engine could not read yet.
std::uint32_t section_at(const analysis &a, std::int64_t line) {
  for (std::int64_t l = line; l >= 1; --l) {
    const line_info *info = a.info(l);
    if (info != nullptr && (info->role == line_role::header || l < line))
      return info->section;
  }
  return 0;
}

} // namespace

json diagnostics_of(const std::string &text) {
  const analysis a(text);
  json out = json::array();
  for (const diagnostic &d : a.checked.diagnostics) {
    if (d.line < 1)
      continue;
    const std::string_view content = a.line(d.line);
    const std::size_t begin =
        std::min(static_cast<std::size_t>(d.column - 1), content.size());
    json item = {
        {"range",
         {{"start", a.position(d.line, begin)},
          {"end", a.position(d.line, span_end(content, begin))}}},
        {"severity", d.level == severity::error ? 1 : 2},
        {"code", d.kind},
        {"source", "quelmix"},
        {"message", d.hint.empty() ? d.message : d.message + "\n" + d.hint}};
    out.push_back(std::move(item));
  }
  return out;
}

json hover_at(const std::string &text, const json &position) {
  const analysis a(text);
  const place at = place_of(a, position);
  const line_info *info = a.info(at.line);
  if (info == nullptr)
    return nullptr;
  if (info->role == line_role::header)
    return header_hover(a, at.line);
  if (info->role == line_role::entry && at.byte >= info->name_begin &&
      at.byte <= info->name_end)
    return key_hover(a, at.line);
  return nullptr;
}

json completion_at(const std::string &text, const json &position) {
  const analysis a(text);
  const place at = place_of(a, position);
  const std::string_view before = a.line(at.line).substr(0, at.byte);
  std::size_t first = 0;
  while (first < before.size() &&
         (before[first] == ' ' || before[first] == '\t'))
    ++first;
  json items = json::array();
  if (first < before.size() && before[first] == '[') {
    for (const name_code *s = section_table; s->name != nullptr; ++s)
      items.push_back(completion_item(s->name, KIND_MODULE, "section"));
    return items;
  }
  for (std::size_t i = first; i < before.size(); ++i)
    if (!is_word_byte(before[i]))
      return items; // past the key: nothing to offer
  const std::uint32_t section = section_at(a, at.line);
  const name_code *keys = nullptr;
  switch (section & CONFIG_SECTION_MASK) {
  case CONFIG_TYPE_CAMERA:
    keys = camera_key_table;
    break;
  case CONFIG_TYPE_CONTROL:
    keys = control_key_table;
    break;
  case CONFIG_TYPE_BOARD:
  case CONFIG_TYPE_REGISTER:
    keys = register_key_table;
    break;
  default:
    break;
  }
  for (const name_code *k = keys; k != nullptr && k->name != nullptr; ++k)
    items.push_back(completion_item(k->name, KIND_PROPERTY, "key"));
  if ((section & CONFIG_SECTION_MASK) == CONFIG_TYPE_CONTROL) {
    items.push_back(completion_item(
        "======CODE_BLOCK_START======", KIND_KEYWORD, "code block start"));
    items.push_back(completion_item("======CODE_BLOCK_END======", KIND_KEYWORD,
                                    "code block end"));
  }
  return items;
}

json symbols_of(const std::string &text) {
  const analysis a(text);
  json out = json::array();
  const std::int64_t count = static_cast<std::int64_t>(a.checked.lines.size());
  for (std::int64_t line = 1; line <= count; ++line) {
    const line_info &info = *a.info(line);
    if (info.role != line_role::header)
      continue;
    std::int64_t last = line;
    std::size_t commands = 0;
    std::string control_name;
    for (std::int64_t l = line + 1;
         l <= count && a.info(l)->role != line_role::header; ++l) {
      last = l;
      const line_info &inner = *a.info(l);
      if (inner.role != line_role::entry)
        continue;
      const std::string_view content = a.index.line_text(l);
      const std::string key(
          content.substr(inner.name_begin, inner.name_end - inner.name_begin));
      if (lookup_code(register_key_table, key.c_str()) != 0)
        ++commands;
      if (key == "CTRL_NAME")
        control_name = std::string(content.substr(
            inner.value_begin, inner.value_end - inner.value_begin));
    }
    const std::string_view header = a.line(line);
    const std::size_t open = header.find('[');
    const std::size_t close = header.rfind(']');
    std::string name(
        header.substr(open + 1, close == std::string_view::npos || close < open
                                    ? std::string_view::npos
                                    : close - open - 1));
    std::string detail;
    const std::uint32_t kind = info.section & CONFIG_SECTION_MASK;
    if (kind == CONFIG_TYPE_BOARD || kind == CONFIG_TYPE_REGISTER) {
      detail =
          std::to_string(commands) + (commands == 1 ? " command" : " commands");
    } else if (kind == CONFIG_TYPE_CONTROL) {
      detail = name;
      name = control_name.empty() ? "(unnamed control)" : control_name;
    } else if (kind == CONFIG_TYPE_CAMERA) {
      detail = "camera";
    } else {
      detail = "unknown section";
    }
    if (name.empty())
      name = "(empty)";
    out.push_back(
        {{"name", name},
         {"detail", detail},
         {"kind", kind == CONFIG_TYPE_CONTROL ? 23 : 3}, // Struct, Namespace
         {"range",
          {{"start", a.position(line, 0)},
           {"end", a.position(last, a.line(last).size())}}},
         {"selectionRange",
          {{"start", a.position(line, 0)},
           {"end", a.position(line, header.size())}}}});
  }
  return out;
}

json formatting_edits(const std::string &text) {
  const formatted_text formatted = format_text(text);
  json edits = json::array();
  if (formatted.text == text)
    return edits;
  const analysis a(text);
  const std::int64_t last = a.index.line_count();
  // One edit for the whole text: simple, and exact whatever changed.
  json end = text.empty() || text.back() == '\n'
                 ? json{{"line", last}, {"character", 0}}
                 : a.position(last, a.index.line_text(last).size());
  edits.push_back(
      {{"range", {{"start", {{"line", 0}, {"character", 0}}}, {"end", end}}},
       {"newText", formatted.text}});
  return edits;
}

} // namespace quelmix::lsp
