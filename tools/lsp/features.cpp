// SPDX-License-Identifier: MIT
#include "features.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>

#include "engine/analysis/entry_value.hpp"
#include "engine/layout/format.hpp"
#include "engine/messages/words.hpp"
#include "loader/schema.hpp"
#include "parser/parser.hpp"
#include "positions.hpp"

namespace quelmix::lsp {
namespace {

// LSP's CompletionItemKind and SymbolKind numbers.
constexpr int COMPLETION_MODULE = 9;
constexpr int COMPLETION_PROPERTY = 10;
constexpr int COMPLETION_KEYWORD = 14;
constexpr int SYMBOL_NAMESPACE = 3;
constexpr int SYMBOL_STRUCT = 23;

// The longest span a diagnostic covers: the piece of a line the library
// reads as one (so that a very long line costs linear time).
constexpr std::size_t LONGEST_SPAN = LINE_BUFFER_SIZE - 1;

bool is_word_byte(char c) {
  return c != ' ' && c != '\t' && c != ',' && c != ';' && c != '=' &&
         c != ':' && c != ']' && c != '\r' && c != '\0';
}

// The span a diagnostic covers: from its column to the end of the word
// there (at least one character, at most a piece).
std::size_t span_end(std::string_view text, std::size_t from) {
  const std::size_t limit = std::min(text.size(), from + LONGEST_SPAN);
  std::size_t end = from;
  while (end < limit && is_word_byte(text[end]))
    ++end;
  return end > from ? end : std::min(text.size(), from + 1);
}

// Hover text: markdown or plain, as the client takes it.
struct hover_text {
  bool markdown;
  std::string text;

  void strong(std::string_view words) {
    text += markdown ? "**" + std::string(words) + "**" : std::string(words);
  }
  void code(std::string_view words) {
    text += markdown ? "`" + std::string(words) + "`" : std::string(words);
  }
  void plain(std::string_view words) { text += words; }
  void paragraph() { text += "\n\n"; }
  json contents() const {
    return {{"kind", markdown ? "markdown" : "plaintext"}, {"value", text}};
  }
};

std::string bits_words(const schema::field_ref &field) {
  return std::to_string(8 * field.size) + "-bit " +
         (field.is_signed ? "signed" : "unsigned");
}

// What a key does with its value, said from its schema row.
void describe_conversion(hover_text &h, const schema::key_spec &key,
                         std::uint32_t section) {
  using schema::conversion;
  if (key.how == conversion::command) {
    h.plain("Appends a command to ");
    h.code("configs");
    h.plain(" with type " + spell_hex(section | key.command) + ": up to " +
            std::to_string(CONFIG_MAX_PARAMS) +
            " values, the low 32 bits of "
            "each kept; more make the line bad.");
    return;
  }
  const std::string bits = bits_words(key.field);
  h.plain("Sets ");
  h.code(key.field.name);
  switch (key.how) {
  case conversion::text:
    h.plain(", text of at most " + std::to_string(key.field.size - 1) +
            " bytes: longer text is cut.");
    return;
  case conversion::low_bits:
    h.plain(", a " + bits + " field: the number's low " +
            std::to_string(8 * key.field.size) + " bits are kept.");
    return;
  case conversion::saturated:
    h.plain(", a " + bits +
            " field: a number beyond its range is clamped to its limit.");
    return;
  case conversion::pair:
    h.plain(" and ");
    h.code(key.second.name);
    h.plain(", " + bits +
            " fields: exactly 2 values; another count changes nothing.");
    return;
  case conversion::byte_pair:
    h.plain(", a " + bits +
            " field: 1 or 2 values, the first its high byte and the second "
            "its low byte (the low 8 bits of each); a lone value is the high "
            "byte, and another count changes nothing.");
    return;
  case conversion::command:
    return; // said above
  }
}

std::string spell_stored(const schema::key_spec &key, std::int64_t value) {
  if (key.how == schema::conversion::command ||
      key.how == schema::conversion::byte_pair)
    return spell_hex(static_cast<std::uint64_t>(value));
  return std::to_string(value) +
         (value >= 10
              ? " (" + spell_hex(static_cast<std::uint64_t>(value)) + ")"
              : "");
}

// What this line stores, read back from a record the loader filled.
void describe_stored(hover_text &h, const entry_value &stored) {
  const schema::key_spec &key = *stored.key;
  if (!stored.stored) {
    h.plain("This line changes nothing.");
    return;
  }
  if (key.how == schema::conversion::text) {
    h.plain("This line stores ");
    h.code(stored.text);
    h.plain(".");
    return;
  }
  std::string words;
  for (std::size_t i = 0; i < stored.numbers.size(); ++i)
    words += (i == 0 ? "" : ", ") + spell_stored(key, stored.numbers[i]);
  if (key.how == schema::conversion::command)
    words = counted(stored.numbers.size(), "value") +
            (stored.numbers.empty() ? "" : ": " + words);
  h.plain("This line stores " + words + ".");
}

json range_of(const analysis &a, std::int64_t line, std::size_t begin,
              std::size_t end) {
  return {{"start", a.position(line, begin)}, {"end", a.position(line, end)}};
}

json header_hover(const analysis &a, std::int64_t line) {
  const line_info &info = *a.info(line);
  hover_text h{a.options.markdown, {}};
  const schema::section_spec *section = schema::section_with_code(info.section);
  if (section == nullptr) {
    h.strong("unknown section");
    h.paragraph();
    h.plain("Not a section the loader knows: its lines are ignored.");
  } else {
    h.strong("[" + std::string(section->name()) + "]");
    h.plain(" — " + std::string(section->kind->describes) + ".");
    h.paragraph();
    h.plain("Type code " + spell_hex(section->code()) + ". Keys:");
    for (const schema::key_spec &key : schema::keys)
      if (key.record == section->kind->keys)
        h.plain(" " + std::string(key.name));
    h.plain(".");
  }
  return {{"contents", h.contents()},
          {"range", range_of(a, line, info.name.begin - 1, info.name.end + 1)}};
}

json key_hover(const analysis &a, std::int64_t line) {
  const line_info &info = *a.info(line);
  const std::string_view content = a.index.line_text(line);
  const std::string_view key =
      content.substr(info.name.begin, info.name.end - info.name.begin);
  const std::string_view value =
      content.substr(info.value.begin, info.value.end - info.value.begin);
  hover_text h{a.options.markdown, {}};
  h.strong(key);
  const entry_value stored = load_entry(info.section, key, value);
  if (stored.key == nullptr) {
    h.paragraph();
    h.plain(info.section == 0
                ? "This section is not known: the line is ignored."
                : "Not a key of this section: the line is ignored.");
  } else {
    h.plain(" — " + std::string(stored.key->describes) + ".");
    h.paragraph();
    describe_conversion(h, *stored.key, info.section);
    h.paragraph();
    describe_stored(h, stored);
  }
  return {{"contents", h.contents()},
          {"range", range_of(a, line, info.name.begin, info.name.end)}};
}

json completion_item(std::string_view label, int kind,
                     std::string_view detail) {
  return {{"label", label}, {"kind", kind}, {"detail", detail}};
}

// The section a line is in, even a line the engine could not read yet.
std::uint32_t section_at(const analysis &a, std::int64_t line) {
  for (std::int64_t l = std::min(line, a.line_count()); l >= 1; --l) {
    const line_info *info = a.info(l);
    if (info != nullptr && (info->role == line_role::header || l < line))
      return info->section;
  }
  return 0;
}

// Section names after "[", with the "]" the header needs when the line
// has none after the cursor.
json section_items(const analysis &a, const place &at, std::size_t bracket) {
  const std::string_view content = a.line(at.line);
  const bool closed = content.find(']', at.byte) != std::string_view::npos;
  json items = json::array();
  for (const schema::section_spec &s : schema::sections) {
    json item = completion_item(s.name(), COMPLETION_MODULE, s.kind->describes);
    std::string text(s.name());
    if (!closed)
      text += ']';
    item["textEdit"] = {{"range", range_of(a, at.line, bracket + 1, at.byte)},
                        {"newText", text}};
    items.push_back(std::move(item));
  }
  return items;
}

json key_items(std::uint32_t section) {
  json items = json::array();
  const schema::record_kind record = schema::keys_of_section(section);
  for (const schema::key_spec &key : schema::keys)
    if (key.record == record)
      items.push_back(
          completion_item(key.name, COMPLETION_PROPERTY, key.describes));
  if (record == schema::record_kind::control) {
    items.push_back(completion_item(CODE_BLOCK_START, COMPLETION_KEYWORD,
                                    "code block start"));
    items.push_back(
        completion_item(CODE_BLOCK_END, COMPLETION_KEYWORD, "code block end"));
  }
  return items;
}

// One outline entry: a section from its header to the line before the
// next one.
struct outline_section {
  std::int64_t header = 0;
  std::int64_t last = 0;
  std::size_t commands = 0;
  std::string control_name;
};

outline_section scan_section(const analysis &a, std::int64_t header) {
  outline_section s;
  s.header = s.last = header;
  for (std::int64_t l = header + 1;
       l <= a.line_count() && a.info(l)->role != line_role::header; ++l) {
    s.last = l;
    const line_info &inner = *a.info(l);
    if (inner.role != line_role::entry)
      continue;
    const std::string_view content = a.index.line_text(l);
    const std::string_view name =
        content.substr(inner.name.begin, inner.name.end - inner.name.begin);
    const schema::key_spec *key =
        schema::find_key(schema::keys_of_section(inner.section), name);
    if (key == nullptr)
      continue;
    if (key->record == schema::record_kind::command)
      ++s.commands;
    else if (key->field.name == QUELMIX_FIELD(control_entry, ctrl_name).name)
      s.control_name = content.substr(inner.value.begin,
                                      inner.value.end - inner.value.begin);
  }
  return s;
}

json outline_entry(const analysis &a, const outline_section &s) {
  const line_info &info = *a.info(s.header);
  const std::string_view content = a.index.line_text(s.header);
  std::string name(
      content.substr(info.name.begin, info.name.end - info.name.begin));
  std::string detail;
  switch (schema::keys_of_section(info.section)) {
  case schema::record_kind::command:
    detail = counted(s.commands, "command");
    break;
  case schema::record_kind::control:
    detail = name;
    name = s.control_name.empty() ? "(unnamed control)" : s.control_name;
    break;
  case schema::record_kind::camera:
    detail = "camera";
    break;
  case schema::record_kind::none:
    detail = "unknown section";
    break;
  }
  if (name.empty())
    name = "(empty)";
  const bool control =
      schema::keys_of_section(info.section) == schema::record_kind::control;
  return {
      {"name", name},
      {"detail", detail},
      {"kind", control ? SYMBOL_STRUCT : SYMBOL_NAMESPACE},
      {"range",
       {{"start", a.position(s.header, 0)},
        {"end", a.position(s.last, a.line(s.last).size())}}},
      {"selectionRange", range_of(a, s.header, 0, a.line(s.header).size())}};
}

// Converts increasing byte offsets of one line to protocol characters in
// one pass, so that many diagnostics on a long line cost linear time.
class line_cursor {
public:
  line_cursor(const analysis &a, std::int64_t line)
      : a_(a), line_(line), text_(a.line(line)) {}

  std::size_t character(std::size_t byte) {
    byte = std::min(byte, text_.size());
    if (a_.options.utf8)
      return byte;
    if (byte < byte_) { // offsets go back only within a span: start again
      byte_ = 0;
      units_ = 0;
    }
    units_ += utf16_units(text_.substr(byte_), byte - byte_);
    byte_ = byte;
    return units_;
  }
  std::string_view text() const { return text_; }
  std::int64_t line() const { return line_; }

private:
  const analysis &a_;
  std::int64_t line_;
  std::string_view text_;
  std::size_t byte_ = 0, units_ = 0;
};

} // namespace

namespace {

// One diagnostic's protocol form, its range from `start` to `end`
// characters of its line.
json diagnostic_item(const analysis &a, const diagnostic &d, std::size_t start,
                     std::size_t end) {
  const bool error = a.options.warnings.fails(d);
  return {{"range",
           {{"start", {{"line", d.line - 1}, {"character", start}}},
            {"end", {{"line", d.line - 1}, {"character", end}}}}},
          {"severity", error ? 1 : 2},
          {"code", name_of(d.kind)},
          {"source", "quelmix"},
          {"message", d.hint.empty() ? d.message : d.message + "\n" + d.hint}};
}

} // namespace

json diagnostic_json(const analysis &a, const diagnostic &d) {
  const auto begin = static_cast<std::size_t>(d.column - 1);
  return diagnostic_item(a, d, a.character(d.line, begin),
                         a.character(d.line, span_end(a.line(d.line), begin)));
}

json diagnostics_of(const analysis &a) {
  json out = json::array();
  std::int64_t cursor_line = 0;
  std::optional<line_cursor> cursor;
  for (const diagnostic &d : a.checked.diagnostics) {
    if (d.line < 1 || !a.options.warnings.shown(d))
      continue;
    if (d.line != cursor_line) {
      cursor.emplace(a, d.line);
      cursor_line = d.line;
    }
    const auto begin = static_cast<std::size_t>(d.column - 1);
    const std::size_t start = cursor->character(begin);
    line_cursor end_cursor = *cursor;
    out.push_back(diagnostic_item(
        a, d, start, end_cursor.character(span_end(cursor->text(), begin))));
  }
  return out;
}

json hover_at(const analysis &a, const json &position) {
  const place at = a.place_of(position);
  const line_info *info = a.info(at.line);
  if (info == nullptr)
    return nullptr;
  if (info->role == line_role::header)
    return header_hover(a, at.line);
  if (info->role == line_role::entry && at.byte >= info->name.begin &&
      at.byte <= info->name.end)
    return key_hover(a, at.line);
  return nullptr;
}

json completion_at(const analysis &a, const json &position) {
  const place at = a.place_of(position);
  const std::string_view before = a.line(at.line).substr(0, at.byte);
  const std::size_t first = before.find_first_not_of(" \t");
  if (first != std::string_view::npos && before[first] == '[')
    return section_items(a, at, first);
  if (first != std::string_view::npos &&
      !std::all_of(before.begin() + static_cast<std::ptrdiff_t>(first),
                   before.end(), is_word_byte))
    return json::array(); // past the key: nothing to offer
  return key_items(section_at(a, at.line));
}

json symbols_of(const analysis &a) {
  json out = json::array();
  for (std::int64_t line = 1; line <= a.line_count(); ++line)
    if (a.info(line)->role == line_role::header)
      out.push_back(outline_entry(a, scan_section(a, line)));
  return out;
}

json formatting_edits(const analysis &a) {
  const formatted_text formatted = format_text(a.text);
  json edits = json::array();
  if (formatted.text == a.text)
    return edits;
  const std::int64_t last = a.line_count();
  // One edit for the whole text: simple, and exact whatever changed.
  json end = a.text.empty() || a.text.back() == '\n'
                 ? json{{"line", last}, {"character", 0}}
                 : a.position(last, a.index.line_text(last).size());
  edits.push_back(
      {{"range", {{"start", {{"line", 0}, {"character", 0}}}, {"end", end}}},
       {"newText", formatted.text}});
  return edits;
}

} // namespace quelmix::lsp
