// SPDX-License-Identifier: MIT
#include "command_line.hpp"

#include <getopt.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "quelmix_config_parser.h"
#include "engine/messages/terminal.hpp"

namespace quelmix::tools {
namespace {

// The argument a short option stands in: getopt has moved past it only if
// the option was its last letter.
const char *cluster_of(int argc, char **argv) {
  if (optind < argc && argv[optind][0] == '-' && argv[optind][1] != '-' &&
      std::strchr(argv[optind], optopt) != nullptr)
    return argv[optind];
  return argv[optind - 1];
}

bool is_short_option(int option) { return option > 0 && option < 256; }

} // namespace

void report_usage_error(const char *tool, const std::string &message) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", tool,
               terminal_safe(message).c_str(), tool);
}

void print_version(const char *tool) {
  std::printf("%s %d.%d.%d\n", tool, QUELMIX_CONFIG_PARSER_VERSION_MAJOR,
              QUELMIX_CONFIG_PARSER_VERSION_MINOR,
              QUELMIX_CONFIG_PARSER_VERSION_PATCH);
}

bool colour_for(const char *when, int fd, bool &colour) {
  const std::string_view w = when != nullptr ? when : "auto";
  if (w == "always" || w == "never") {
    colour = w == "always";
    return true;
  }
  if (w != "auto")
    return false;
  const char *no_colour = std::getenv("NO_COLOR");
  colour = isatty(fd) != 0 && (no_colour == nullptr || *no_colour == '\0');
  return true;
}

std::string offending_option(char **argv) {
  if (is_short_option(optopt))
    return std::string("-") + static_cast<char>(optopt);
  return argv[optind - 1];
}

std::string unknown_option_words(int argc, char **argv) {
  std::string words = "unknown option '" + offending_option(argv) + "'";
  if (is_short_option(optopt)) {
    const std::string argument = cluster_of(argc, argv);
    if (argument.size() > 2)
      words += " (in '" + argument +
               "'; a file whose name starts with '-' is ./" + argument +
               " or comes after --)";
  }
  return words;
}

} // namespace quelmix::tools
