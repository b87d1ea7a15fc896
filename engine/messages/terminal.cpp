// SPDX-License-Identifier: MIT
#include "engine/messages/terminal.hpp"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine/messages/utf8.hpp"
#include "parser/text.hpp"

namespace quelmix {
namespace {

constexpr std::size_t WINDOW = 120; // display columns shown of a long line

void escape_byte(std::string &out, unsigned char byte) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "<%02X>", byte);
  out += escaped;
}

// The code point of the valid UTF-8 sequence `s`.
char32_t code_point(std::string_view s) {
  const auto byte = [&s](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(s[i]));
  };
  if (s.size() == 2)
    return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
  if (s.size() == 3)
    return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
  return (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 |
         (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
}

// Characters a terminal shows as nothing, or that turn the text around
// them: bidirectional controls (U+202E makes "cfg.exe" of "exe.cfg"),
// zero-width characters, a byte-order mark inside a line and the other
// invisible format characters. A reader cannot see them, so they are
// shown as their bytes, as control bytes are.
bool invisible(char32_t c) {
  return c == 0x00AD || c == 0x061C || c == 0x180E ||
         (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF ||
         (c >= 0xFFF9 && c <= 0xFFFB) || (c >= 0x1D173 && c <= 0x1D17A) ||
         (c >= 0xE0000 && c <= 0xE007F);
}

// The character at `i` as a terminal may see it, appended to `out`;
// returns the bytes it took and adds its display width to `width`.
std::size_t append_character(std::string &out, std::string_view text,
                             std::size_t i, bool keep_newlines,
                             std::size_t &width) {
  const auto byte = static_cast<unsigned char>(text[i]);
  if (byte == '\t' || (byte == '\n' && keep_newlines)) {
    out += static_cast<char>(byte);
    width += 1;
    return 1;
  }
  if (byte < 0x20 || byte == 0x7F) {
    escape_byte(out, byte);
    width += 4;
    return 1;
  }
  if (byte < 0x80) {
    out += static_cast<char>(byte);
    width += 1;
    return 1;
  }
  const std::size_t length = utf8_sequence(text.substr(i));
  const bool c1 = length == 2 && byte == 0xC2 &&
                  static_cast<unsigned char>(text[i + 1]) < 0xA0;
  if (length == 0 || c1 || invisible(code_point(text.substr(i, length)))) {
    const std::size_t bytes = length == 0 ? 1 : length;
    for (std::size_t k = 0; k < bytes; ++k)
      escape_byte(out, static_cast<unsigned char>(text[i + k]));
    width += 4 * bytes;
    return bytes;
  }
  out.append(text.substr(i, length));
  width += 1;
  return length;
}

// The first byte at or after `i` that starts a character.
std::size_t character_start(std::string_view text, std::size_t i) {
  while (i < text.size() &&
         (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
    ++i;
  return i;
}

} // namespace

std::string terminal_safe(std::string_view text, bool keep_newlines) {
  std::string out;
  out.reserve(text.size());
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();)
    i += append_character(out, text, i, keep_newlines, width);
  return out;
}

std::string displayed_line(std::string_view line, std::int64_t column,
                           std::size_t &caret) {
  const std::size_t target =
      column > 0 ? std::min(static_cast<std::size_t>(column - 1), line.size())
                 : 0;
  // Only the bytes that can reach the window are looked at: a character
  // takes at least one column, so WINDOW bytes either side will do.
  const std::size_t start =
      starts_with_byte_order_mark(line) ? BYTE_ORDER_MARK.size() : 0;
  std::size_t from = target > WINDOW ? target - WINDOW : 0;
  from = character_start(line, std::max(from, start));
  const std::size_t to = std::min(line.size(), target + WINDOW);

  struct cell {
    std::string text;
    std::size_t width;
  };
  std::vector<cell> cells;
  std::size_t caret_cell = 0, column_of_cell = 0;
  bool caret_set = false;
  for (std::size_t i = from; i < to;) {
    if (!caret_set && i >= target) {
      caret_cell = cells.size();
      caret_set = true;
    }
    cell c{{}, 0};
    if (line[i] == '\t') {
      c.width = 8 - column_of_cell % 8;
      c.text.assign(c.width, ' ');
      ++i;
    } else {
      i += append_character(c.text, line, i, false, c.width);
    }
    column_of_cell += c.width;
    cells.push_back(std::move(c));
  }
  if (!caret_set)
    caret_cell = cells.size();

  // A short line whole; of a long one about WINDOW columns with the caret in
  // the middle, "..." marking what is cut on either side.
  std::size_t first = caret_cell, before = 0;
  const bool whole =
      from == start && to == line.size() && column_of_cell <= WINDOW;
  while (first > 0 && (whole || before + cells[first - 1].width <= WINDOW / 2))
    before += cells[--first].width;
  std::string shown = first > 0 || from > start ? "..." : "";
  caret = shown.size() + before;
  std::size_t width = 0, last = first;
  for (; last < cells.size() && width + cells[last].width <= WINDOW; ++last) {
    width += cells[last].width;
    shown += cells[last].text;
  }
  if (last < cells.size() || to < line.size())
    shown += "...";
  return shown;
}

} // namespace quelmix
