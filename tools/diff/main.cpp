// SPDX-License-Identifier: MIT
// quelmix-config-diff: what changed for the camera between two files,
// compared as the records a host loads from them.
#include <getopt.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "command_line.hpp"
#include "engine/compare/record_diff.hpp"
#include "exit_status.hpp"
#include "input.hpp"
#include "output.hpp"
#include "report.hpp"
#include "engine/messages/terminal.hpp"

namespace {

using namespace quelmix;
using tools::EXIT_CLEAN;
using tools::EXIT_FOUND;
using tools::EXIT_TROUBLE;

constexpr const char *USAGE =
    "Usage: quelmix-config-diff [OPTION]... OLD NEW\n"
    "Compare the records a host loads from two camera configuration files:\n"
    "the camera fields, the commands of each section and variant (an\n"
    "ordered diff), the controls (matched by CTRL_NAME), and the results.\n"
    "Layout, comments and header spelling never show. - is standard input.\n"
    "\n"
    "      --stat             a summary: counts per section\n"
    "      --json             the differences as JSON\n"
    "      --color[=WHEN]     colour: auto (the default), always or never;\n"
    "                         NO_COLOR in the environment means never for\n"
    "                         auto\n"
    "      --git              take git's seven external-diff arguments\n"
    "                         (PATH OLD-FILE OLD-HEX OLD-MODE NEW-FILE\n"
    "                         NEW-HEX NEW-MODE) and exit 0 when it could\n"
    "                         compare\n"
    "  -h, --help             show this help and exit\n"
    "      --version          show the version and exit\n"
    "\n"
    "Exit status: 0 when the records (and results) are the same, 1 when they\n"
    "differ, 2 when a file cannot be read, when memory runs out, or on a\n"
    "usage error.\n"
    "See quelmix-config-diff(1), and docs/diff.md for git diff and git log "
    "-p.\n";

enum class style { text, stat, json };

struct options {
  style output = style::text;
  bool colour = false;
  bool git = false;
};

constexpr const char *TOOL = "quelmix-config-diff";

int usage_error(const std::string &message) {
  tools::report_usage_error(TOOL, message);
  return EXIT_TROUBLE;
}

// Reads and loads one side; false (with a message) when it cannot be read.
// `literal`: "-" is a file of that name, not standard input.
bool load_side(const char *path, const std::string &name, loaded_file &file,
               bool literal) {
  const std::string named =
      literal && std::strcmp(path, "-") == 0 ? "./-" : path;
  const tools::input in = tools::read_input(named.c_str());
  if (in.error != tools::input_error::none) {
    std::fprintf(stderr, "quelmix-config-diff: %s: %s\n",
                 quelmix::terminal_safe(name).c_str(),
                 tools::input_error_words(in).c_str());
    return false;
  }
  file.name = name;
  load_for_comparison(file, in.bytes);
  if (file.checked.report.parse.line != 0)
    std::fprintf(stderr,
                 "quelmix-config-diff: note: %s: the library returns %d: "
                 "%s\n",
                 quelmix::terminal_safe(name).c_str(),
                 file.checked.report.parse.line,
                 quelmix::terminal_safe(file.checked.result_reason).c_str());
  return true;
}

int compare(const char *old_path, const std::string &old_name,
            const char *new_path, const std::string &new_name,
            const options &opts) {
  loaded_file a, b;
  if (!load_side(old_path, old_name, a, opts.git) ||
      !load_side(new_path, new_name, b, opts.git))
    return EXIT_TROUBLE;
  const record_difference d = compare_records(a, b);
  std::string out;
  switch (opts.output) {
  case style::json:
    out = tools::difference_json(a, b, d);
    break;
  case style::stat:
    out = tools::difference_stat(d);
    break;
  case style::text:
    if (!d.same())
      out = tools::difference_text(a, b, d, opts.colour);
    break;
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return d.same() ? EXIT_CLEAN : EXIT_FOUND;
}

enum long_only : int {
  OPT_STAT = 256,
  OPT_JSON,
  OPT_COLOR,
  OPT_GIT,
  OPT_VERSION
};

// Fills `opts`; returns -1 to go on, or the exit status to leave with.
int parse_options(int argc, char **argv, options &opts) {
  static const option long_options[] = {
      {"stat", no_argument, nullptr, OPT_STAT},
      {"json", no_argument, nullptr, OPT_JSON},
      {"color", optional_argument, nullptr, OPT_COLOR},
      {"colour", optional_argument, nullptr, OPT_COLOR},
      {"git", no_argument, nullptr, OPT_GIT},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, OPT_VERSION},
      {nullptr, 0, nullptr, 0},
  };
  tools::colour_for("auto", STDOUT_FILENO, opts.colour);
  opterr = 0;
  for (int c;
       (c = getopt_long(argc, argv, "h", long_options, nullptr)) != -1;) {
    switch (c) {
    case OPT_STAT:
      opts.output = style::stat;
      break;
    case OPT_JSON:
      opts.output = style::json;
      break;
    case OPT_COLOR:
      if (!tools::colour_for(optarg, STDOUT_FILENO, opts.colour))
        return usage_error(
            std::string("--color takes auto, always or never, not '") + optarg +
            "'");
      break;
    case OPT_GIT:
      opts.git = true;
      break;
    case 'h':
      std::fputs(USAGE, stdout);
      return EXIT_CLEAN;
    case OPT_VERSION:
      tools::print_version(TOOL);
      return EXIT_CLEAN;
    default:
      return usage_error(tools::unknown_option_words(argc, argv));
    }
  }
  return -1;
}

// Where git's arguments start: after the first "--git" that comes before
// any "--" (argc when there is none). What follows it is git's, taken as it
// stands: a file may be named "-x.cfg" or "-".
int git_arguments(int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0)
      break;
    if (std::strcmp(argv[i], "--git") == 0)
      return i + 1;
  }
  return argc;
}

int run(int argc, char **argv) {
  options opts;
  const int literal = git_arguments(argc, argv);
  const int early = parse_options(literal, argv, opts);
  if (early >= 0)
    return early;
  if (opts.git) {
    if (optind != literal)
      return usage_error("--git comes after the options and before git's "
                         "seven arguments");
    optind = literal;
  }
  const int files = argc - optind;
  if (opts.git) {
    // git runs the driver with PATH OLD-FILE OLD-HEX OLD-MODE NEW-FILE
    // NEW-HEX NEW-MODE; /dev/null stands for a file that is not there.
    if (files != 7)
      return usage_error("--git takes git's seven external-diff arguments");
    const std::string path = argv[optind];
    const int status = compare(argv[optind + 1], "a/" + path, argv[optind + 4],
                               "b/" + path, opts);
    return status == EXIT_TROUBLE ? EXIT_TROUBLE : EXIT_CLEAN;
  }
  if (files != 2)
    return usage_error("give two files, OLD and NEW");
  if (std::strcmp(argv[optind], "-") == 0 &&
      std::strcmp(argv[optind + 1], "-") == 0)
    return usage_error("only one of OLD and NEW can be standard input");
  return compare(argv[optind], tools::display_name(argv[optind]),
                 argv[optind + 1], tools::display_name(argv[optind + 1]), opts);
}

} // namespace

int main(int argc, char **argv) {
  return tools::run_and_finish(TOOL, [&] { return run(argc, argv); });
}
