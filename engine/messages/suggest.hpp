// SPDX-License-Identifier: MIT
// "Did you mean": the known name closest to a misspelt one, among the
// schema's section names or the keys a section takes.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "loader/schema.hpp"

namespace quelmix {

// The number of single-byte insertions, deletions and substitutions that
// turn `a` into `b`.
std::size_t edit_distance(std::string_view a, std::string_view b);

// The candidates a name is compared with.
std::vector<std::string_view> section_names();
std::vector<std::string_view> key_names(schema::record_kind record);

// The candidate nearest to `name` when it is close enough to be a slip (at
// most 2 edits, and fewer than a third of the candidate), or nothing.
std::optional<std::string_view>
nearest_name(const std::vector<std::string_view> &candidates,
             std::string_view name);

// The candidate equal to `name` but for ASCII letter case, or nothing.
std::optional<std::string_view>
same_but_case(const std::vector<std::string_view> &candidates,
              std::string_view name);

} // namespace quelmix
