// SPDX-License-Identifier: MIT
#include "engine/compare/sequence_diff.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>

namespace quelmix {
namespace {

using ids = std::vector<std::uint32_t>;

// A part of the two sequences still to compare.
struct box {
  std::size_t old_begin, old_end, new_begin, new_end;
  std::size_t old_size() const { return old_end - old_begin; }
  std::size_t new_size() const { return new_end - new_begin; }
};

// A run of equal elements that an optimal script passes through, from
// (x, y) to (u, v) in old and new indices.
struct snake {
  std::size_t x, y, u, v;
};

// The forward and backward frontiers of the middle-snake search, indexed by
// diagonal k = x - y offset by `offset`.
struct frontiers {
  std::vector<std::ptrdiff_t> forward, backward;
  std::ptrdiff_t offset;
  // How many anchored boxes enclose the one at hand: a bound keeps the
  // stack shallow on inputs made to nest them.
  int anchoring = 0;
};

// Myers' middle snake of `r`: the forward search from the top left and the
// backward search from the bottom right meet on it. None when the two
// searches have not met after `bound` steps each: the box differs too much
// for an exact search to be worth its cost.
std::optional<snake> middle_snake(const ids &a, const ids &b, const box &r,
                                  frontiers &f, std::ptrdiff_t bound) {
  const auto n = static_cast<std::ptrdiff_t>(r.old_size());
  const auto m = static_cast<std::ptrdiff_t>(r.new_size());
  const std::ptrdiff_t delta = n - m;
  const bool odd = (delta & 1) != 0;
  const std::ptrdiff_t most = std::min((n + m + 1) / 2, bound);
  const auto at_a = [&](std::ptrdiff_t x) {
    return a[r.old_begin + static_cast<std::size_t>(x)];
  };
  const auto at_b = [&](std::ptrdiff_t y) {
    return b[r.new_begin + static_cast<std::size_t>(y)];
  };
  auto &fw = f.forward;
  auto &bw = f.backward;
  const std::ptrdiff_t o = f.offset;
  fw[static_cast<std::size_t>(o + 1)] = 0;
  bw[static_cast<std::size_t>(o + 1)] = 0;
  for (std::ptrdiff_t d = 0; d <= most; ++d) {
    for (std::ptrdiff_t k = -d; k <= d; k += 2) {
      const auto i = static_cast<std::size_t>(o + k);
      std::ptrdiff_t x = (k == -d || (k != d && fw[i - 1] < fw[i + 1]))
                             ? fw[i + 1]
                             : fw[i - 1] + 1;
      std::ptrdiff_t y = x - k;
      const std::ptrdiff_t x0 = x, y0 = y;
      while (x < n && y < m && at_a(x) == at_b(y))
        ++x, ++y;
      fw[i] = x;
      const std::ptrdiff_t back = delta - k; // the same diagonal, reversed
      if (odd && back >= -(d - 1) && back <= d - 1 &&
          x + bw[static_cast<std::size_t>(o + back)] >= n)
        return snake{r.old_begin + static_cast<std::size_t>(x0),
                     r.new_begin + static_cast<std::size_t>(y0),
                     r.old_begin + static_cast<std::size_t>(x),
                     r.new_begin + static_cast<std::size_t>(y)};
    }
    for (std::ptrdiff_t k = -d; k <= d; k += 2) {
      const auto i = static_cast<std::size_t>(o + k);
      std::ptrdiff_t x = (k == -d || (k != d && bw[i - 1] < bw[i + 1]))
                             ? bw[i + 1]
                             : bw[i - 1] + 1;
      std::ptrdiff_t y = x - k;
      const std::ptrdiff_t x0 = x, y0 = y;
      while (x < n && y < m && at_a(n - 1 - x) == at_b(m - 1 - y))
        ++x, ++y;
      bw[i] = x;
      const std::ptrdiff_t forth = delta - k;
      if (!odd && forth >= -d && forth <= d &&
          x + fw[static_cast<std::size_t>(o + forth)] >= n)
        return snake{r.old_begin + static_cast<std::size_t>(n - x),
                     r.new_begin + static_cast<std::size_t>(m - y),
                     r.old_begin + static_cast<std::size_t>(n - x0),
                     r.new_begin + static_cast<std::size_t>(m - y0)};
    }
  }
  return std::nullopt;
}

// Pairs of equal elements that the script keeps, (old, new), in order.
using pairs = std::vector<std::pair<std::size_t, std::size_t>>;

void keep(pairs &out, std::size_t x, std::size_t y, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    out.emplace_back(x + i, y + i);
}

// How far the exact search of one box may go before it gives up: far
// enough that every script of up to 2 * SEARCH_BOUND edits is found
// exactly, near enough that a box of N elements costs O(N * SEARCH_BOUND)
// at worst.
constexpr std::ptrdiff_t SEARCH_BOUND = 512;

void match_box(const ids &a, const ids &b, box r, frontiers &f, pairs &out);

// A box the exact search gave up on: the elements that occur once in each
// side of it and in the same order on both (the longest such chain, by
// patience sorting) are kept, and what lies between two of them is matched
// on its own. Without such elements the box is left as it is: all of its
// old side removed, all of its new side inserted.
void match_by_anchors(const ids &a, const ids &b, const box &r, frontiers &f,
                      pairs &out) {
  constexpr int MOST_ANCHORING = 16;
  if (f.anchoring == MOST_ANCHORING)
    return;
  std::unordered_map<std::uint32_t, std::pair<std::size_t, std::size_t>> seen;
  constexpr std::size_t NONE = static_cast<std::size_t>(-1);
  for (std::size_t x = r.old_begin; x < r.old_end; ++x) {
    auto &s = seen.try_emplace(a[x], 0, NONE).first->second;
    s.first = s.first == 0 ? x + 1 : NONE; // old position + 1, or NONE
  }
  std::vector<std::pair<std::size_t, std::size_t>> unique; // (new, old)
  for (std::size_t y = r.new_begin; y < r.new_end; ++y) {
    const auto it = seen.find(b[y]);
    if (it == seen.end() || it->second.first == NONE)
      continue;
    it->second.second = it->second.second == NONE ? y : NONE - 1;
  }
  for (const auto &[id, s] : seen)
    if (s.first != NONE && s.second < NONE - 1)
      unique.emplace_back(s.first - 1, s.second);
  std::sort(unique.begin(), unique.end());
  // The longest chain of (old, new) rising in both.
  std::vector<std::size_t> tops, before(unique.size(), NONE);
  for (std::size_t i = 0; i < unique.size(); ++i) {
    const auto at = std::lower_bound(
        tops.begin(), tops.end(), unique[i].second,
        [&](std::size_t t, std::size_t y) { return unique[t].second < y; });
    if (at != tops.begin())
      before[i] = *(at - 1);
    if (at == tops.end())
      tops.push_back(i);
    else
      *at = i;
  }
  std::vector<std::size_t> chain;
  for (std::size_t i = tops.empty() ? NONE : tops.back(); i != NONE;
       i = before[i])
    chain.push_back(i);
  std::reverse(chain.begin(), chain.end());
  std::size_t x = r.old_begin, y = r.new_begin;
  ++f.anchoring;
  for (std::size_t i : chain) {
    const auto [u, v] = unique[i];
    match_box(a, b, {x, u, y, v}, f, out);
    out.emplace_back(u, v);
    x = u + 1;
    y = v + 1;
  }
  if (!chain.empty())
    match_box(a, b, {x, r.old_end, y, r.new_end}, f, out);
  --f.anchoring;
}

// The pairs of `r`, appended to `out` in order. Recursion halves the edits
// each time, so its depth stays near log2(D).
void match_box(const ids &a, const ids &b, box r, frontiers &f, pairs &out) {
  std::size_t prefix = 0;
  while (r.old_begin + prefix < r.old_end && r.new_begin + prefix < r.new_end &&
         a[r.old_begin + prefix] == b[r.new_begin + prefix])
    ++prefix;
  keep(out, r.old_begin, r.new_begin, prefix);
  r.old_begin += prefix;
  r.new_begin += prefix;
  std::size_t suffix = 0;
  while (r.old_end - suffix > r.old_begin && r.new_end - suffix > r.new_begin &&
         a[r.old_end - suffix - 1] == b[r.new_end - suffix - 1])
    ++suffix;
  r.old_end -= suffix;
  r.new_end -= suffix;
  if (r.old_size() != 0 && r.new_size() != 0) {
    if (const std::optional<snake> s = middle_snake(a, b, r, f, SEARCH_BOUND)) {
      match_box(a, b, {r.old_begin, s->x, r.new_begin, s->y}, f, out);
      keep(out, s->x, s->y, s->u - s->x);
      match_box(a, b, {s->u, r.old_end, s->v, r.new_end}, f, out);
    } else {
      match_by_anchors(a, b, r, f, out);
    }
  }
  keep(out, r.old_end, r.new_end, suffix);
}

// The positions of the elements of `x` that occur somewhere in `y`: no
// script keeps any other, so the search never needs to see them.
std::vector<std::size_t> shared_positions(const ids &x, const ids &y) {
  std::unordered_map<std::uint32_t, bool> in_y;
  in_y.reserve(y.size());
  for (std::uint32_t id : y)
    in_y.emplace(id, true);
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < x.size(); ++i)
    if (in_y.count(x[i]) != 0)
      out.push_back(i);
  return out;
}

// Interns lines: equal lines get equal ids.
std::pair<ids, ids> intern(const std::vector<std::string_view> &a,
                           const std::vector<std::string_view> &b) {
  std::unordered_map<std::string_view, std::uint32_t> seen;
  const auto id_of = [&seen](std::string_view line) {
    return seen.emplace(line, static_cast<std::uint32_t>(seen.size()))
        .first->second;
  };
  ids x, y;
  for (std::string_view line : a)
    x.push_back(id_of(line));
  for (std::string_view line : b)
    y.push_back(id_of(line));
  return {x, y};
}

std::string hunk_range(std::size_t first, std::size_t count) {
  // As diff -u: "start,count", the start 1-based (the line before an empty
  // range), and ",1" left out.
  std::string out = std::to_string(count == 0 ? first : first + 1);
  if (count != 1)
    out += "," + std::to_string(count);
  return out;
}

} // namespace

std::vector<edit> diff_sequences(const ids &old_ids, const ids &new_ids) {
  // Elements found only on one side are removed or inserted by every
  // shortest script: set them aside, match the rest, and map back.
  const std::vector<std::size_t> old_shared =
      shared_positions(old_ids, new_ids);
  const std::vector<std::size_t> new_shared =
      shared_positions(new_ids, old_ids);
  ids a, b;
  a.reserve(old_shared.size());
  b.reserve(new_shared.size());
  for (std::size_t i : old_shared)
    a.push_back(old_ids[i]);
  for (std::size_t j : new_shared)
    b.push_back(new_ids[j]);
  const std::size_t span = a.size() + b.size() + 2;
  frontiers f{std::vector<std::ptrdiff_t>(2 * span + 2),
              std::vector<std::ptrdiff_t>(2 * span + 2),
              static_cast<std::ptrdiff_t>(span)};
  pairs kept;
  match_box(a, b, {0, a.size(), 0, b.size()}, f, kept);
  // Each run of changes lists its removals before its insertions, as
  // diff -u shows them.
  std::vector<edit> out;
  out.reserve(old_ids.size() + new_ids.size());
  std::size_t x = 0, y = 0;
  const auto changes_up_to = [&](std::size_t u, std::size_t v) {
    for (; x < u; ++x)
      out.push_back({edit_op::remove, x, y});
    for (; y < v; ++y)
      out.push_back({edit_op::insert, u, y});
  };
  for (const auto &[i, j] : kept) {
    const std::size_t u = old_shared[i], v = new_shared[j];
    changes_up_to(u, v);
    out.push_back({edit_op::keep, u, v});
    ++x, ++y;
  }
  changes_up_to(old_ids.size(), new_ids.size());
  return out;
}

std::vector<std::string_view> split_text_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos)
      end = text.size();
    lines.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  return lines;
}

std::string unified_diff(std::string_view old_text, std::string_view new_text,
                         std::size_t context) {
  const std::vector<std::string_view> a = split_text_lines(old_text);
  const std::vector<std::string_view> b = split_text_lines(new_text);
  const auto [x, y] = intern(a, b);
  const std::vector<edit> script = diff_sequences(x, y);
  std::string out;
  const std::size_t n = script.size();
  for (std::size_t i = 0; i < n;) {
    if (script[i].op == edit_op::keep) {
      ++i;
      continue;
    }
    // A hunk: the changes from here on that stand at most 2 * context
    // kept lines apart, with `context` kept lines around them.
    std::size_t j = i;
    for (;;) {
      while (j < n && script[j].op != edit_op::keep)
        ++j;
      std::size_t k = j;
      while (k < n && script[k].op == edit_op::keep)
        ++k;
      if (k == n || k - j > 2 * context)
        break;
      j = k;
    }
    const std::size_t first = i > context ? i - context : 0;
    const std::size_t last = std::min(n, j + context);
    std::size_t old_count = 0, new_count = 0;
    for (std::size_t k = first; k < last; ++k) {
      old_count += script[k].op != edit_op::insert;
      new_count += script[k].op != edit_op::remove;
    }
    out += "@@ -" + hunk_range(script[first].old_index, old_count) + " +" +
           hunk_range(script[first].new_index, new_count) + " @@\n";
    for (std::size_t k = first; k < last; ++k) {
      const edit &e = script[k];
      out += e.op == edit_op::keep ? ' ' : e.op == edit_op::remove ? '-' : '+';
      out += e.op == edit_op::insert ? b[e.new_index] : a[e.old_index];
      out += '\n';
    }
    i = last;
  }
  return out;
}

} // namespace quelmix
