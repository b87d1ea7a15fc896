// SPDX-License-Identifier: MIT
// Edit scripts between two sequences (Myers' O((N+M)D) algorithm in linear
// space, with its middle snake, bounded for large differences), and
// unified diffs of
// text lines built on it: what the record diff, the checker's --diff and
// the code of controls are compared with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quelmix {

enum class edit_op : std::uint8_t { keep, remove, insert };

// One step: keep old[old_index] (== new[new_index]), remove
// old[old_index], or insert new[new_index].
struct edit {
  edit_op op;
  std::size_t old_index;
  std::size_t new_index;
};

// A script that turns `old_ids` into `new_ids`, equal elements being equal
// ids (see intern_lines). Elements that occur on one side only are set
// aside first (every shortest script removes or inserts them). The rest is
// searched exactly (Myers, O((N+M)D) time, O(N+M) space) as long as a box
// needs at most about a thousand edits, so that a script of that size or
// less is the shortest; a box that needs more is cut at the elements that
// occur once in each side of it (in the order both give them), and a box
// without such elements is listed as removed and inserted whole. So two
// large sequences compare in near-linear time, however much they differ.
std::vector<edit> diff_sequences(const std::vector<std::uint32_t> &old_ids,
                                 const std::vector<std::uint32_t> &new_ids);

// The lines of `text` (each without its "\n").
std::vector<std::string_view> split_text_lines(std::string_view text);

// `diff -u` of two texts, without the "---"/"+++" header: hunks with
// `context` lines around each change; empty when the texts are equal.
std::string unified_diff(std::string_view old_text, std::string_view new_text,
                         std::size_t context = 3);

} // namespace quelmix
