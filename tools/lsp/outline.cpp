// SPDX-License-Identifier: MIT
#include "outline.hpp"

#include "engine/messages/words.hpp"
#include "loader/schema.hpp"

namespace quelmix::lsp {
namespace {

// LSP's SymbolKind numbers.
constexpr int SYMBOL_NAMESPACE = 3;
constexpr int SYMBOL_STRUCT = 23;

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

protocol::document_symbol outline_entry(const analysis &a,
                                        const outline_section &s) {
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
  return {std::move(name),
          std::move(detail),
          control ? SYMBOL_STRUCT : SYMBOL_NAMESPACE,
          {a.position(s.header, 0), a.position(s.last, a.line(s.last).size())},
          a.range(s.header, 0, a.line(s.header).size())};
}

} // namespace

std::vector<protocol::document_symbol> symbols_of(const analysis &a) {
  std::vector<protocol::document_symbol> out;
  for (std::int64_t line = 1; line <= a.line_count(); ++line)
    if (a.info(line)->role == line_role::header)
      out.push_back(outline_entry(a, scan_section(a, line)));
  return out;
}

} // namespace quelmix::lsp
