// SPDX-License-Identifier: MIT
// What the tools' command lines have in common: the words of a usage
// error, --version, --color's choice, and naming the option getopt_long
// refused as the user wrote it.
#pragma once

#include <string>

namespace quelmix::tools {

// Prints "TOOL: MESSAGE" (made safe for a terminal) and "Try 'TOOL --help'."
// to standard error.
void report_usage_error(const char *tool, const std::string &message);

// Prints "TOOL MAJOR.MINOR.PATCH" to standard output.
void print_version(const char *tool);

// --color=WHEN: "always", "never" or "auto" (also for a null `when`): a
// terminal on `fd` and no NO_COLOR (or an empty one) in the environment.
// False, `colour` untouched, for any other word.
bool colour_for(const char *when, int fd, bool &colour);

// The option getopt_long just stopped at, as the user wrote it: a letter
// inside a cluster ("-dash.cfg" is -d, -a, ...) is named alone.
std::string offending_option(char **argv);

// "unknown option '-d'", and for a letter inside a cluster, which argument
// it was in and how to name a file that starts with "-".
std::string unknown_option_words(int argc, char **argv);

} // namespace quelmix::tools
