// SPDX-License-Identifier: MIT
#include "terminal_output.hpp"

#include <string>

#include "utf8.hpp"

namespace quelmix::tools {
namespace {

// The colours GCC and clang use, so that a terminal looks familiar.
constexpr const char *BOLD = "\033[1m";
constexpr const char *RED = "\033[1;31m";
constexpr const char *MAGENTA = "\033[1;35m";
constexpr const char *CYAN = "\033[1;36m";
constexpr const char *GREEN = "\033[1;32m";
constexpr const char *RESET = "\033[0m";

constexpr std::size_t WINDOW = 120; // display columns shown of a long line

struct painter {
  bool on;
  std::string paint(const char *colour, std::string_view text) const {
    if (!on)
      return std::string(text);
    return colour + std::string(text) + RESET;
  }
};

} // namespace

std::string displayed_line(std::string_view line, std::int64_t column,
                           std::size_t &caret) {
  std::string shown;
  caret = 0;
  const std::size_t target =
      column > 0 ? static_cast<std::size_t>(column - 1) : 0;
  for (std::size_t i = 0; i < line.size();) {
    if (i == target)
      caret = shown.size();
    const auto c = static_cast<unsigned char>(line[i]);
    std::size_t take = 1;
    if (c == '\t') {
      shown.append(8 - shown.size() % 8, ' ');
    } else if (c >= 0x80 && (take = utf8_sequence(line.substr(i))) > 0) {
      shown.append(line.substr(i, take));
    } else if (c < 0x20 || c >= 0x7F) {
      take = 1;
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "<%02X>", c);
      shown += escaped;
    } else {
      shown += static_cast<char>(c);
    }
    i += take;
  }
  if (target >= line.size())
    caret = shown.size();
  if (shown.size() <= WINDOW)
    return shown;
  // A window around the caret; multi-byte characters at its edges may be
  // cut, which a terminal shows as one odd glyph at worst.
  const std::size_t begin = caret > WINDOW / 2 ? caret - WINDOW / 2 : 0;
  std::string window = begin > 0 ? "..." : "";
  window += shown.substr(begin, WINDOW);
  if (begin + WINDOW < shown.size())
    window += "...";
  caret = caret - begin + (begin > 0 ? 3 : 0);
  return window;
}

void print_diagnostic(std::FILE *out, std::string_view name,
                      const diagnostic &d, std::string_view source_line,
                      bool colour) {
  const painter p{colour};
  std::string where(name);
  if (d.line > 0) { // appended piece by piece (GCC 12 -O3 -Wrestrict)
    where += ':';
    where += std::to_string(d.line);
    where += ':';
    where += std::to_string(d.column);
  }
  const bool error = d.level() == severity::error;
  std::string text =
      p.paint(BOLD, where + ":") + " " +
      p.paint(error ? RED : MAGENTA, error ? "error:" : "warning:") + " " +
      d.message;
  if (!error)
    text += std::string(" [") +
            p.paint(MAGENTA, "-W" + std::string(name_of(d.kind))) + "]";
  std::fprintf(out, "%s\n", text.c_str());
  if (d.line > 0) {
    std::size_t caret = 0;
    const std::string shown = displayed_line(source_line, d.column, caret);
    const std::string number = std::to_string(d.line);
    const std::string gutter(number.size(), ' ');
    std::fprintf(out, " %s | %s\n", number.c_str(), shown.c_str());
    std::fprintf(out, " %s | %s%s\n", gutter.c_str(),
                 std::string(caret, ' ').c_str(), p.paint(GREEN, "^").c_str());
  }
  if (!d.hint.empty())
    std::fprintf(out, "%s %s %s\n", p.paint(BOLD, where + ":").c_str(),
                 p.paint(CYAN, "note:").c_str(), d.hint.c_str());
}

} // namespace quelmix::tools
