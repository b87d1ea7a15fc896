// SPDX-License-Identifier: MIT
#include "document.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <limits>

#include "positions.hpp"

namespace quelmix::lsp {
namespace {

// The record is scratch: released however the analysis ends.
struct scratch_record {
  camera_config value{};
  scratch_record() = default;
  scratch_record(const scratch_record &) = delete;
  scratch_record &operator=(const scratch_record &) = delete;
  ~scratch_record() { quelmix_release_config(&value); }
};

checked_text check(const std::string &text, const command_rules *rules) {
  scratch_record record;
  return check_text(text, record.value, {true, false, rules});
}

} // namespace

std::int64_t line_number(const json &line) {
  const auto value = line.get<std::int64_t>();
  return value < 0                                           ? 0
         : value == std::numeric_limits<std::int64_t>::max() ? value
                                                             : value + 1;
}

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

json analysis::position(std::int64_t number, std::size_t byte) const {
  return {{"line", number - 1}, {"character", character(number, byte)}};
}

place analysis::place_of(const json &position) const {
  // Past the end is one line past it: nothing there, and nothing to walk.
  const std::int64_t number = std::clamp<std::int64_t>(
      line_number(position.at("line")), 1, index.line_count() + 1);
  const auto units = position.at("character").get<std::size_t>();
  const std::string_view content = line(number);
  return {number, options.utf8 ? std::min(units, content.size())
                               : byte_offset(content, units)};
}

} // namespace quelmix::lsp
