// SPDX-License-Identifier: MIT
#include "options.hpp"

#include <getopt.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "command_line.hpp"

namespace quelmix::tools {
namespace {

constexpr const char *USAGE =
    "Usage: quelmix-config-check [OPTION]... FILE...\n"
    "Load each camera configuration FILE as a host program would and report\n"
    "every mistake, where it is, and what the loader made of the file.\n"
    "FILE - reads standard input. A folder FILE is walked for *.cfg files,\n"
    "without hidden folders and what the git repository ignores.\n"
    "\n"
    "  -q, --quiet            print errors only (and warnings made errors;\n"
    "                         no other warnings, no summary)\n"
    "  -w                     print no warnings\n"
    "  -W, --warnings         report warnings (the default)\n"
    "  -Wno-KIND              do not report warnings of KIND\n"
    "  -WKIND                 report warnings of KIND again\n"
    "  -Werror, --warnings=error\n"
    "                         warnings fail the check too\n"
    "  -Wno-error             warnings do not fail the check (the default)\n"
    "  -Werror=KIND           warnings of KIND fail the check\n"
    "  -Wno-error=KIND        warnings of KIND do not fail the check\n"
    "      --format=FORMAT    how to report: gcc (the default), json, sarif\n"
    "                         (SARIF 2.1.0 for code scanning) or github\n"
    "                         (workflow commands: annotations)\n"
    "      --json             the same as --format=json: each file as JSON\n"
    "                         on standard output (an array for several)\n"
    "      --fix              apply the safe fixes in place, say what they\n"
    "                         did to the loaded record, then report what\n"
    "                         is left\n"
    "      --unsafe-fixes     with --fix or --diff: the unsafe fixes too\n"
    "      --diff             print the fixes as a unified diff instead of\n"
    "                         writing them\n"
    "      --dump             also print the record in the library's dump\n"
    "                         formats\n"
    "      --statistics       after the files, how many diagnostics of each\n"
    "                         kind were reported (on standard error with\n"
    "                         --format json, sarif or github)\n"
    "      --config=FILE      take the settings of project file FILE instead\n"
    "                         of the nearest quelmix.toml above each file\n"
    "      --isolated         read no project file\n"
    "      --show-settings=FILE\n"
    "                         print the settings that apply to FILE and\n"
    "                         where each comes from, and exit\n"
    "      --color[=WHEN]     colour diagnostics: auto (the default), always\n"
    "                         or never; NO_COLOR in the environment means\n"
    "                         never for auto\n"
    "  -h, --help             show this help and exit\n"
    "      --version          show the version and exit\n"
    "\n"
    "Diagnostics go to standard error as FILE:LINE:COLUMN: error: MESSAGE or\n"
    "FILE:LINE:COLUMN: warning: MESSAGE [-WKIND]; one summary line per file\n"
    "goes to standard output, and after several files a closing line.\n"
    "Exit status: 0 when every file loads without a bad line (after its\n"
    "fixes, with --fix), 1 when a file has a bad line (or a warning, with\n"
    "-Werror), 2 when a file cannot be opened, read or written, when memory\n"
    "runs out, or on a usage error.\n"
    "See quelmix-config-check(1) for every diagnostic kind.\n";

constexpr const char *TOOL = "quelmix-config-check";

parse_result usage_error(const std::string &message) {
  report_usage_error(TOOL, message);
  return {false, EXIT_TROUBLE};
}

bool format_for(std::string_view name, report_format &format) {
  if (name == "gcc")
    format = report_format::gcc;
  else if (name == "json")
    format = report_format::json;
  else if (name == "sarif")
    format = report_format::sarif;
  else if (name == "github")
    format = report_format::github;
  else
    return false;
  return true;
}

enum long_only : int {
  OPT_JSON = 256,
  OPT_FORMAT,
  OPT_FIX,
  OPT_UNSAFE_FIXES,
  OPT_DIFF,
  OPT_DUMP,
  OPT_STATISTICS,
  OPT_CONFIG,
  OPT_ISOLATED,
  OPT_SHOW_SETTINGS,
  OPT_COLOR,
  OPT_VERSION
};

} // namespace

parse_result parse_checker_options(int argc, char **argv,
                                   checker_options &options) {
  static const option long_options[] = {
      {"quiet", no_argument, nullptr, 'q'},
      {"warnings", optional_argument, nullptr, 'W'},
      {"json", no_argument, nullptr, OPT_JSON},
      {"format", required_argument, nullptr, OPT_FORMAT},
      {"fix", no_argument, nullptr, OPT_FIX},
      {"unsafe-fixes", no_argument, nullptr, OPT_UNSAFE_FIXES},
      {"diff", no_argument, nullptr, OPT_DIFF},
      {"dump", no_argument, nullptr, OPT_DUMP},
      {"statistics", no_argument, nullptr, OPT_STATISTICS},
      {"config", required_argument, nullptr, OPT_CONFIG},
      {"isolated", no_argument, nullptr, OPT_ISOLATED},
      {"show-settings", required_argument, nullptr, OPT_SHOW_SETTINGS},
      {"color", optional_argument, nullptr, OPT_COLOR},
      {"colour", optional_argument, nullptr, OPT_COLOR},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, OPT_VERSION},
      {nullptr, 0, nullptr, 0},
  };
  colour_for("auto", STDERR_FILENO, options.colour);
  bool fix = false, unsafe = false;
  opterr = 0; // our own words for a bad option
  for (int c;
       (c = getopt_long(argc, argv, ":qwW::h", long_options, nullptr)) != -1;) {
    switch (c) {
    case 'q':
      options.quiet = true;
      break;
    case 'w':
      apply_warning_option(options.warnings, "-w");
      options.project.warning_options.push_back("-w");
      break;
    case 'W': {
      const std::string option =
          optarg == nullptr ? "-W" : std::string("-W") + optarg;
      if (!apply_warning_option(options.warnings, option))
        return usage_error("unknown warning option '" + option + "'");
      options.project.warning_options.push_back(option);
      break;
    }
    case OPT_JSON:
      options.format = report_format::json;
      break;
    case OPT_FORMAT:
      if (!format_for(optarg, options.format))
        return usage_error(
            std::string("--format takes gcc, json, sarif or github, not '") +
            optarg + "'");
      break;
    case OPT_FIX:
      fix = true;
      break;
    case OPT_UNSAFE_FIXES:
      unsafe = true;
      break;
    case OPT_DIFF:
      options.diff = true;
      break;
    case OPT_DUMP:
      options.dump = true;
      break;
    case OPT_STATISTICS:
      options.statistics = true;
      break;
    case OPT_CONFIG:
      options.project.config = optarg;
      break;
    case OPT_ISOLATED:
      options.project.isolated = true;
      break;
    case OPT_SHOW_SETTINGS:
      options.show_settings = optarg;
      break;
    case OPT_COLOR:
      if (!colour_for(optarg, STDERR_FILENO, options.colour))
        return usage_error(
            std::string("--color takes auto, always or never, not '") + optarg +
            "'");
      break;
    case 'h':
      std::fputs(USAGE, stdout);
      return {false, EXIT_CLEAN};
    case OPT_VERSION:
      print_version(TOOL);
      return {false, EXIT_CLEAN};
    case ':':
      return usage_error("option '" + offending_option(argv) +
                         "' needs an argument");
    default:
      return usage_error(unknown_option_words(argc, argv));
    }
  }
  if (optind >= argc && options.show_settings == nullptr)
    return usage_error("no file given");
  if (options.project.config && options.project.isolated)
    return usage_error("--config and --isolated do not go together");
  if (unsafe && !fix && !options.diff)
    return usage_error("--unsafe-fixes goes with --fix or --diff");
  if (fix || options.diff)
    options.fixes = unsafe ? fix_mode::all : fix_mode::safe;
  options.files.assign(argv + optind, argv + argc);
  return {true, EXIT_CLEAN};
}

} // namespace quelmix::tools
