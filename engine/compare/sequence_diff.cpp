// SPDX-License-Identifier: MIT
#include "engine/compare/sequence_diff.hpp"

#include <algorithm>
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
};

// Myers' middle snake of `b`: the forward search from the top left and the
// backward search from the bottom right meet on it.
snake middle_snake(const ids &a, const ids &b, const box &r, frontiers &f) {
  const auto n = static_cast<std::ptrdiff_t>(r.old_size());
  const auto m = static_cast<std::ptrdiff_t>(r.new_size());
  const std::ptrdiff_t delta = n - m;
  const bool odd = (delta & 1) != 0;
  const std::ptrdiff_t most = (n + m + 1) / 2;
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
        return {r.old_begin + static_cast<std::size_t>(x0),
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
        return {r.old_begin + static_cast<std::size_t>(n - x),
                r.new_begin + static_cast<std::size_t>(m - y),
                r.old_begin + static_cast<std::size_t>(n - x0),
                r.new_begin + static_cast<std::size_t>(m - y0)};
    }
  }
  return {r.old_begin, r.new_begin, r.old_begin, r.new_begin}; // unreachable
}

void keep(std::vector<edit> &out, std::size_t x, std::size_t y,
          std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    out.push_back({edit_op::keep, x + i, y + i});
}

// The script of `r`, appended to `out` in order. Recursion halves the edits
// each time, so its depth stays near log2(D).
void diff_box(const ids &a, const ids &b, box r, frontiers &f,
              std::vector<edit> &out) {
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
  if (r.old_size() == 0 || r.new_size() == 0) {
    for (std::size_t x = r.old_begin; x < r.old_end; ++x)
      out.push_back({edit_op::remove, x, r.new_begin});
    for (std::size_t y = r.new_begin; y < r.new_end; ++y)
      out.push_back({edit_op::insert, r.old_end, y});
  } else {
    const snake s = middle_snake(a, b, r, f);
    diff_box(a, b, {r.old_begin, s.x, r.new_begin, s.y}, f, out);
    keep(out, s.x, s.y, s.u - s.x);
    diff_box(a, b, {s.u, r.old_end, s.v, r.new_end}, f, out);
  }
  keep(out, r.old_end, r.new_end, suffix);
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
  std::vector<edit> out;
  out.reserve(std::max(old_ids.size(), new_ids.size()));
  const std::size_t span = old_ids.size() + new_ids.size() + 2;
  frontiers f{std::vector<std::ptrdiff_t>(2 * span + 2),
              std::vector<std::ptrdiff_t>(2 * span + 2),
              static_cast<std::ptrdiff_t>(span)};
  diff_box(old_ids, new_ids, {0, old_ids.size(), 0, new_ids.size()}, f, out);
  // Within each run of changes, what goes before what comes, as diff -u
  // shows them.
  for (auto run = out.begin(); run != out.end();) {
    const auto end = std::find_if(
        run, out.end(), [](const edit &e) { return e.op == edit_op::keep; });
    if (run != end) {
      std::size_t old_start = run->old_index, new_start = run->new_index;
      for (auto e = run; e != end; ++e) {
        old_start = std::min(old_start, e->old_index);
        new_start = std::min(new_start, e->new_index);
      }
      const auto inserts = std::stable_partition(
          run, end, [](const edit &e) { return e.op == edit_op::remove; });
      const auto removed = static_cast<std::size_t>(inserts - run);
      for (auto e = run; e != end; ++e) {
        if (e->op == edit_op::remove)
          e->new_index = new_start;
        else
          e->old_index = old_start + removed;
      }
    }
    run = end == out.end() ? end : end + 1;
  }
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
