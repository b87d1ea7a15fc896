// SPDX-License-Identifier: MIT
#include "completion.hpp"

#include <algorithm>

#include "engine/messages/span.hpp"
#include "loader/schema.hpp"
#include "parser/parser.hpp"

namespace quelmix::lsp {
namespace {

// LSP's CompletionItemKind numbers.
constexpr int COMPLETION_MODULE = 9;
constexpr int COMPLETION_PROPERTY = 10;
constexpr int COMPLETION_KEYWORD = 14;

using item_list = std::vector<protocol::completion_item>;

protocol::completion_item item(std::string_view label, int kind,
                               std::string_view detail) {
  return {std::string(label), kind, std::string(detail), std::nullopt};
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
item_list section_items(const analysis &a, const place &at,
                        std::size_t bracket) {
  const std::string_view content = a.line(at.line);
  const bool closed = content.find(']', at.byte) != std::string_view::npos;
  item_list items;
  for (const schema::section_spec &s : schema::sections) {
    protocol::completion_item i =
        item(s.name(), COMPLETION_MODULE, s.kind->describes);
    std::string text(s.name());
    if (!closed)
      text += ']';
    i.edit = protocol::text_edit{a.range(at.line, bracket + 1, at.byte),
                                 std::move(text)};
    items.push_back(std::move(i));
  }
  return items;
}

item_list key_items(std::uint32_t section) {
  item_list items;
  const schema::record_kind record = schema::keys_of_section(section);
  for (const schema::key_spec &key : schema::keys)
    if (key.record == record)
      items.push_back(item(key.name, COMPLETION_PROPERTY, key.describes));
  if (record == schema::record_kind::control) {
    items.push_back(
        item(CODE_BLOCK_START, COMPLETION_KEYWORD, "code block start"));
    items.push_back(item(CODE_BLOCK_END, COMPLETION_KEYWORD, "code block end"));
  }
  return items;
}

} // namespace

item_list completion_at(const analysis &a, const protocol::position &position) {
  const place at = a.place_of(position);
  const std::string_view before = a.line(at.line).substr(0, at.byte);
  const std::size_t first = before.find_first_not_of(" \t");
  if (first != std::string_view::npos && before[first] == '[')
    return section_items(a, at, first);
  if (first != std::string_view::npos &&
      !std::all_of(before.begin() + static_cast<std::ptrdiff_t>(first),
                   before.end(), is_word_byte))
    return {}; // past the key: nothing to offer
  return key_items(section_at(a, at.line));
}

} // namespace quelmix::lsp
