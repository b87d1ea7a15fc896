// SPDX-License-Identifier: MIT
#include "terminal_output.hpp"

#include <cstring>

#include "engine/messages/words.hpp"
#include "engine/messages/terminal.hpp"

namespace quelmix::tools {
namespace {

// The colours GCC and clang use, so that a terminal looks familiar.
constexpr const char *BOLD = "\033[1m";
constexpr const char *RED = "\033[1;31m";
constexpr const char *MAGENTA = "\033[1;35m";
constexpr const char *CYAN = "\033[1;36m";
constexpr const char *GREEN = "\033[1;32m";
constexpr const char *RESET = "\033[0m";

struct painter {
  bool on;
  std::string paint(const char *colour, std::string_view text) const {
    if (!on)
      return std::string(text);
    return colour + std::string(text) + RESET;
  }
};

std::string contents(const camera_config &config) {
  return "camera \"" +
         terminal_safe(std::string_view(
             config.type, strnlen(config.type, sizeof config.type))) +
         "\", " + counted(config.configs_length, "command") + ", " +
         counted(config.controls_length, "control");
}

// Why the result is not the first bad line: a code block left open names
// the result instead, and the library counts 1023-byte pieces of a long
// line as lines.
std::string result_words(const checked_text &c) {
  std::string words =
      "the library returns " + std::to_string(c.report.parse.line);
  if (c.result_line > 0 && c.result_line != c.report.parse.line)
    words += " (line " + std::to_string(c.result_line) +
             " of the file: the library counts each 1023-byte piece of a "
             "long line as a line)";
  words += ": " + terminal_safe(c.result_reason);
  if (c.first_error_line > 0 && c.first_error_line != c.result_line)
    words += "; first bad line " + std::to_string(c.first_error_line);
  return words;
}

} // namespace

void print_diagnostic(std::FILE *out, std::string_view name,
                      const diagnostic &d, std::string_view source_line,
                      bool colour) {
  const painter p{colour};
  std::string where = terminal_safe(name);
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
      terminal_safe(d.message);
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
                 p.paint(CYAN, "note:").c_str(), terminal_safe(d.hint).c_str());
}

std::string summary_line(std::string_view name, const checked_text &checked,
                         std::size_t warnings, bool warnings_fail,
                         const camera_config &config) {
  std::string line = terminal_safe(name) + ": ";
  if (checked.errors > 0)
    return line + counted(checked.errors, "error") + ", " +
           counted(warnings, "warning") + "; " + result_words(checked);
  if (warnings == 0)
    return line + "ok: " + contents(config);
  if (warnings_fail)
    return line + "failed: warnings are errors, " +
           counted(warnings, "warning") + ": " + contents(config);
  return line + "ok, " + counted(warnings, "warning") + ": " + contents(config);
}

} // namespace quelmix::tools
