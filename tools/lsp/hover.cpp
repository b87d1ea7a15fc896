// SPDX-License-Identifier: MIT
#include "hover.hpp"

#include "engine/messages/words.hpp"
#include "loader/schema.hpp"
#include "parser/parser.hpp"

namespace quelmix::lsp {
namespace {

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

// What this line stored, as the analysis kept it.
void describe_stored(hover_text &h, const schema::key_spec &key,
                     const stored_value &stored) {
  if (stored.key == nullptr) {
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

protocol::hover header_hover(const analysis &a, std::int64_t line) {
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
  return {h.markdown, std::move(h.text),
          a.range(line, info.name.begin - 1, info.name.end + 1)};
}

protocol::hover key_hover(const analysis &a, std::int64_t line) {
  const line_info &info = *a.info(line);
  const std::string_view content = a.index.line_text(line);
  const std::string_view key =
      content.substr(info.name.begin, info.name.end - info.name.begin);
  hover_text h{a.options.markdown, {}};
  h.strong(key);
  const schema::key_spec *known =
      schema::find_key(schema::keys_of_section(info.section), key);
  if (known == nullptr) {
    h.paragraph();
    h.plain(info.section == 0
                ? "This section is not known: the line is ignored."
                : "Not a key of this section: the line is ignored.");
  } else {
    h.plain(" — " + std::string(known->describes) + ".");
    h.paragraph();
    describe_conversion(h, *known, info.section);
    h.paragraph();
    describe_stored(h, *known, stored_by(a.checked, line));
  }
  return {h.markdown, std::move(h.text),
          a.range(line, info.name.begin, info.name.end)};
}

} // namespace

std::optional<protocol::hover> hover_at(const analysis &a,
                                        const protocol::position &position) {
  const place at = a.place_of(position);
  const line_info *info = a.info(at.line);
  if (info == nullptr)
    return std::nullopt;
  if (info->role == line_role::header)
    return header_hover(a, at.line);
  if (info->role == line_role::entry && at.byte >= info->name.begin &&
      at.byte <= info->name.end)
    return key_hover(a, at.line);
  return std::nullopt;
}

} // namespace quelmix::lsp
