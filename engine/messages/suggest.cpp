// SPDX-License-Identifier: MIT
#include "engine/messages/suggest.hpp"

#include <algorithm>

#include "parser/text.hpp"

namespace quelmix {

// The classic two-row dynamic programme; names are short.
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> previous(b.size() + 1), current(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j)
    previous[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t substitute =
          previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitute});
    }
    std::swap(previous, current);
  }
  return previous[b.size()];
}

std::vector<std::string_view> section_names() {
  std::vector<std::string_view> names;
  for (const schema::section_spec &s : schema::sections)
    names.push_back(s.name());
  return names;
}

std::vector<std::string_view> key_names(schema::record_kind record) {
  std::vector<std::string_view> names;
  for (const schema::key_spec &key : schema::keys)
    if (key.record == record)
      names.push_back(key.name);
  return names;
}

std::optional<std::string_view>
nearest_name(const std::vector<std::string_view> &candidates,
             std::string_view name) {
  constexpr std::size_t SLIP = 2; // more edits than this is no slip
  std::optional<std::string_view> best;
  std::size_t best_distance = SLIP + 1;
  for (std::string_view candidate : candidates) {
    if (name.size() > candidate.size() + SLIP ||
        candidate.size() > name.size() + SLIP)
      continue; // too far apart in length alone
    const std::size_t distance = edit_distance(name, candidate);
    if (distance > 0 && distance < best_distance &&
        distance * 3 < candidate.size()) {
      best = candidate;
      best_distance = distance;
    }
  }
  return best;
}

std::optional<std::string_view>
same_but_case(const std::vector<std::string_view> &candidates,
              std::string_view name) {
  for (std::string_view candidate : candidates)
    if (candidate.size() == name.size() &&
        std::equal(candidate.begin(), candidate.end(), name.begin(),
                   [](char a, char b) {
                     return to_lower_ascii(a) == to_lower_ascii(b);
                   }))
      return candidate;
  return std::nullopt;
}

} // namespace quelmix
