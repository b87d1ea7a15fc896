// SPDX-License-Identifier: MIT
#include "inlay_hints.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/messages/words.hpp"
#include "loader/convert.hpp"

namespace quelmix::lsp {
namespace {

struct written {
  std::int64_t value;
  bool hex;
};

// The numbers as the file writes them, split as the loader splits lists.
std::vector<written> written_numbers(const std::string &value, bool list) {
  std::vector<written> out;
  if (!list) {
    const number_scan scan = scan_number(value.c_str());
    out.push_back({scan.value, scan.hex});
    return out;
  }
  for (const char *p = skip_empty_pieces(value.c_str()); *p != '\0';
       p = skip_empty_pieces(piece_end(p))) {
    const number_scan scan = scan_number(p);
    out.push_back({scan.value, scan.hex});
  }
  return out;
}

// Why a stored number differs from the number written.
std::string reason(const schema::key_spec &key, std::int64_t wrote,
                   std::int64_t stored) {
  if (wrote == stored)
    return "";
  if (key.how == schema::conversion::saturated)
    return " (clamped)";
  return " (low " + std::to_string(schema::value_bits(key)) + " bits)";
}

// The hint's label for an entry, or empty when the spelling says it.
std::string label(const schema::key_spec &key, const stored_value &stored,
                  const std::vector<written> &wrote) {
  using schema::conversion;
  if (stored.key == nullptr || key.how == conversion::text || wrote.empty())
    return "";
  if (key.how == conversion::byte_pair) // two spellings make one field
    return "= " + spell_hex(static_cast<std::uint64_t>(stored.numbers[0]),
                            2 * key.field.size);
  std::string text;
  bool needed = false;
  for (std::size_t i = 0; i < stored.numbers.size() && i < wrote.size(); ++i) {
    const std::int64_t value = stored.numbers[i];
    const bool hex = wrote[i].hex || key.how == conversion::command;
    const bool differs = value != wrote[i].value;
    // A hex spelling of a camera or control number reads as decimal too.
    needed = needed || differs ||
             (wrote[i].hex && key.how != conversion::command && value >= 10);
    std::string shown = differs && hex && value >= 0
                            ? spell_hex(static_cast<std::uint64_t>(value))
                            : std::to_string(value);
    text += (i == 0 ? "" : ", ") + shown + reason(key, wrote[i].value, value);
  }
  return needed ? "= " + text : "";
}

} // namespace

std::vector<protocol::inlay_hint>
inlay_hints(const analysis &a, std::int64_t first, std::int64_t last) {
  std::vector<protocol::inlay_hint> out;
  last = std::min(last, a.line_count());
  for (std::int64_t number = std::max<std::int64_t>(first, 1); number <= last;
       ++number) {
    const line_info &info = *a.info(number);
    if (info.role != line_role::entry || !info.whole)
      continue;
    const stored_value stored = stored_by(a.checked, number);
    if (stored.key == nullptr)
      continue;
    const std::string value(a.index.line_text(number).substr(
        info.value.begin, info.value.end - info.value.begin));
    const std::string text =
        label(*stored.key, stored,
              written_numbers(value, schema::takes_list(*stored.key)));
    if (text.empty())
      continue;
    out.push_back({a.position(number, info.value.end), text});
  }
  return out;
}

} // namespace quelmix::lsp
