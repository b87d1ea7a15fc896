// SPDX-License-Identifier: MIT
#include "diagnostics/suggest.hpp"

#include <algorithm>
#include <vector>

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

const char *nearest_name(const name_code *table, std::string_view name) {
  const char *best = nullptr;
  std::size_t best_distance = 3; // more than 2 edits is no slip
  for (; table->name != nullptr; ++table) {
    const std::size_t distance = edit_distance(name, table->name);
    if (distance > 0 && distance < best_distance &&
        distance * 3 < std::string_view(table->name).size()) {
      best = table->name;
      best_distance = distance;
    }
  }
  return best;
}

} // namespace quelmix
