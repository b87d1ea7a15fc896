// SPDX-License-Identifier: MIT
// "Did you mean": the known name closest to a misspelt one.
#pragma once

#include <cstddef>
#include <string_view>

#include "loader/tables.hpp"

namespace quelmix {

// The number of single-byte insertions, deletions and substitutions that
// turn `a` into `b`.
std::size_t edit_distance(std::string_view a, std::string_view b);

// The name in `table` nearest to `name` when it is close enough to be a
// slip (at most 2 edits, and fewer than a third of the name), or null.
const char *nearest_name(const name_code *table, std::string_view name);

} // namespace quelmix
