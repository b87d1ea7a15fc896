// SPDX-License-Identifier: MIT
#include "document.hpp"

#include <algorithm>

#include "engine/analysis/scratch_record.hpp"
#include "positions.hpp"

namespace quelmix::lsp {
namespace {

checked_text check(const std::string &text, const command_rules *rules) {
  scratch_record record;
  return check_text(text, record.value, {true, false, rules});
}

} // namespace

analysis::analysis(const std::string &document, const client_options &opts)
    : text(document), options(opts), index(document),
      checked(check(document, opts.rules)) {}

std::string_view analysis::line(std::int64_t number) const {
  if (number < 1 || number > index.line_count())
    return {};
  std::string_view content = index.line_text(number);
  if (!content.empty() && content.back() == '\r')
    content.remove_suffix(1);
  return content;
}

const line_info *analysis::info(std::int64_t number) const {
  if (number < 1 || static_cast<std::size_t>(number) > checked.lines.size())
    return nullptr;
  return &checked.lines[static_cast<std::size_t>(number - 1)];
}

std::size_t analysis::character(std::int64_t number, std::size_t byte) const {
  const std::string_view content = line(number);
  byte = std::min(byte, content.size());
  return options.utf8 ? byte : utf16_units(content, byte);
}

protocol::position analysis::position(std::int64_t number,
                                      std::size_t byte) const {
  return {number - 1, character(number, byte)};
}

protocol::range analysis::range(std::int64_t number, std::size_t begin,
                                std::size_t end) const {
  return {position(number, begin), position(number, end)};
}

place analysis::place_of(const protocol::position &position) const {
  // Past the end is one line past it: nothing there, and nothing to walk.
  const std::int64_t number = std::clamp<std::int64_t>(
      protocol::line_number(position.line), 1, index.line_count() + 1);
  const std::size_t units = position.character;
  const std::string_view content = line(number);
  return {number, options.utf8 ? std::min(units, content.size())
                               : byte_offset(content, units)};
}

} // namespace quelmix::lsp
