// SPDX-License-Identifier: MIT
// quelmix-config-check: tells a file's author every mistake, where it is,
// and what the loader made of the file.
#include <getopt.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/analysis/engine.hpp"
#include "dump.hpp"
#include "input.hpp"
#include "json_output.hpp"
#include "quelmix_config_parser.h"
#include "terminal_output.hpp"

namespace {

using quelmix::diagnostic;
using quelmix::severity;

constexpr int EXIT_CLEAN = 0;
constexpr int EXIT_BAD_LINE = 1;
constexpr int EXIT_UNREADABLE = 2;
constexpr int KEEP_GOING = -1;

constexpr const char *USAGE =
    "Usage: quelmix-config-check [OPTION]... FILE...\n"
    "Load each camera configuration FILE as a host program would and report\n"
    "every mistake, where it is, and what the loader made of the file.\n"
    "FILE - reads standard input.\n"
    "\n"
    "  -q, --quiet            print errors only (no warnings, no summary)\n"
    "  -w                     print no warnings\n"
    "  -W, --warnings         report warnings (the default)\n"
    "  -Wno-KIND              do not report warnings of KIND\n"
    "  -WKIND                 report warnings of KIND again\n"
    "  -Werror, --warnings=error\n"
    "                         warnings fail the check too\n"
    "  -Wno-error             warnings do not fail the check (the default)\n"
    "      --json             print each file as JSON on standard output\n"
    "                         (an array for several files)\n"
    "      --dump             also print the record in the library's dump\n"
    "                         formats\n"
    "      --color[=WHEN]     colour diagnostics: auto (the default), always\n"
    "                         or never; NO_COLOR in the environment means\n"
    "                         never for auto\n"
    "  -h, --help             show this help and exit\n"
    "      --version          show the version and exit\n"
    "\n"
    "Diagnostics go to standard error as FILE:LINE:COLUMN: error: MESSAGE or\n"
    "FILE:LINE:COLUMN: warning: MESSAGE [-WKIND]; one summary line per file\n"
    "goes to standard output.\n"
    "Exit status: 0 when every file loads without a bad line, 1 when a file\n"
    "has a bad line (or a warning, with -Werror), 2 when a file cannot be\n"
    "opened or read, or on a usage error.\n";

struct options {
  bool quiet = false;
  bool warnings = true;
  bool warnings_fail = false;
  bool json = false;
  bool dump = false;
  bool colour = false;
  std::set<quelmix::diagnostic_kind> disabled; // warning kinds
};

int usage_error(const std::string &message) {
  std::fprintf(stderr, "quelmix-config-check: %s\n", message.c_str());
  std::fputs("Try 'quelmix-config-check --help'.\n", stderr);
  return EXIT_UNREADABLE;
}

// -W, -WKIND, -Wno-KIND, -Werror, -Wno-error; returns false for an unknown
// warning option.
bool apply_warning_option(options &opts, const char *argument) {
  if (argument == nullptr || *argument == '\0') {
    opts.warnings = true;
    return true;
  }
  std::string_view word = argument;
  const bool negated = word.rfind("no-", 0) == 0;
  if (negated)
    word.remove_prefix(3);
  if (word == "error") {
    opts.warnings_fail = !negated;
    if (!negated)
      opts.warnings = true;
    return true;
  }
  const auto kind = quelmix::kind_named(word);
  if (!kind || quelmix::info(*kind).level != severity::warning)
    return false;
  if (negated)
    opts.disabled.insert(*kind);
  else
    opts.disabled.erase(*kind);
  return true;
}

bool colour_for(const char *when, bool &colour) {
  const std::string_view w = when != nullptr ? when : "auto";
  if (w == "always") {
    colour = true;
  } else if (w == "never") {
    colour = false;
  } else if (w == "auto") {
    const char *no_colour = std::getenv("NO_COLOR");
    colour = isatty(STDERR_FILENO) != 0 &&
             (no_colour == nullptr || *no_colour == '\0');
  } else {
    return false;
  }
  return true;
}

enum long_only : int { OPT_JSON = 256, OPT_DUMP, OPT_COLOR, OPT_VERSION };

// Fills `opts`; returns KEEP_GOING with `first_file` set, or the exit status
// to leave with.
int parse_options(int argc, char **argv, options &opts, int &first_file) {
  static const option long_options[] = {
      {"quiet", no_argument, nullptr, 'q'},
      {"warnings", optional_argument, nullptr, 'W'},
      {"json", no_argument, nullptr, OPT_JSON},
      {"dump", no_argument, nullptr, OPT_DUMP},
      {"color", optional_argument, nullptr, OPT_COLOR},
      {"colour", optional_argument, nullptr, OPT_COLOR},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, OPT_VERSION},
      {nullptr, 0, nullptr, 0},
  };
  colour_for("auto", opts.colour);
  opterr = 0; // our own words for a bad option
  int c = 0;
  while ((c = getopt_long(argc, argv, ":qwW::h", long_options, nullptr)) !=
         -1) {
    switch (c) {
    case 'q':
      opts.quiet = true;
      break;
    case 'w':
      opts.warnings = false;
      break;
    case 'W':
      if (!apply_warning_option(opts, optarg))
        return usage_error(std::string("unknown warning option '-W") + optarg +
                           "'");
      break;
    case OPT_JSON:
      opts.json = true;
      break;
    case OPT_DUMP:
      opts.dump = true;
      break;
    case OPT_COLOR:
      if (!colour_for(optarg, opts.colour))
        return usage_error(std::string("--color takes auto, always or never, "
                                       "not '") +
                           optarg + "'");
      break;
    case 'h':
      std::fputs(USAGE, stdout);
      return EXIT_CLEAN;
    case OPT_VERSION:
      std::printf("quelmix-config-check %d.%d.%d\n",
                  QUELMIX_CONFIG_PARSER_VERSION_MAJOR,
                  QUELMIX_CONFIG_PARSER_VERSION_MINOR,
                  QUELMIX_CONFIG_PARSER_VERSION_PATCH);
      return EXIT_CLEAN;
    case ':':
      return usage_error(std::string("option '") + argv[optind - 1] +
                         "' needs an argument");
    default:
      return usage_error(std::string("unknown option '") + argv[optind - 1] +
                         "'");
    }
  }
  if (optind >= argc)
    return usage_error("no file given");
  first_file = optind;
  return KEEP_GOING;
}

bool shown(const options &opts, const diagnostic &d) {
  if (d.level() == severity::error)
    return true;
  return opts.warnings && !opts.quiet && opts.disabled.count(d.kind) == 0;
}

std::string plural(std::size_t count, const char *word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

// "sample.cfg: ok: camera QX-720P, 19 commands, 2 controls", or what is
// wrong and the library's result.
std::string summary(std::string_view name, const quelmix::checked_text &c,
                    std::size_t warnings, const camera_config &config) {
  std::string line(name);
  line += ": ";
  const std::string contents =
      "camera \"" + std::string(config.type, strnlen(config.type, 50)) +
      "\", " + plural(config.configs_length, "command") + ", " +
      plural(config.controls_length, "control");
  if (c.errors == 0) {
    line +=
        warnings == 0 ? "ok: " : "ok, " + plural(warnings, "warning") + ": ";
    return line + contents;
  }
  line += plural(c.errors, "error") + ", " + plural(warnings, "warning") +
          "; the library returns " + std::to_string(c.report.parse.line);
  if (c.result_line > 0 && c.result_line != c.report.parse.line)
    line += " (line " + std::to_string(c.result_line) +
            " of the file: the library counts each 1023-byte piece of a "
            "long line as a line)";
  return line;
}

struct file_outcome {
  int status = EXIT_CLEAN;
  std::string json;
};

file_outcome check_one(const char *path, const options &opts) {
  const std::string_view name =
      std::strcmp(path, "-") == 0 ? "<stdin>" : std::string_view(path);
  camera_config config;
  std::memset(&config, 0, sizeof config);
  std::string bytes;
  const quelmix::checked_text checked =
      quelmix::tools::check_file(path, config, &bytes);
  const quelmix::line_index lines(bytes);

  std::vector<const diagnostic *> kept;
  for (const diagnostic &d : checked.diagnostics)
    if (shown(opts, d))
      kept.push_back(&d);
  const std::size_t warnings = kept.size() - checked.errors;

  file_outcome outcome;
  if (checked.report.parse.line < 0)
    outcome.status = EXIT_UNREADABLE;
  else if (checked.report.parse.line > 0)
    outcome.status = EXIT_BAD_LINE;
  else if (opts.warnings_fail && warnings > 0)
    outcome.status = EXIT_BAD_LINE;

  if (opts.json) {
    outcome.json = quelmix::tools::record_json(name, checked, kept, config);
  } else {
    for (const diagnostic *d : kept)
      quelmix::tools::print_diagnostic(
          stderr, name, *d, d->line > 0 ? lines.line_text(d->line) : "",
          opts.colour);
    std::fflush(stderr);
    if (!opts.quiet && checked.report.parse.line >= 0)
      std::printf("%s\n", summary(name, checked, warnings, config).c_str());
    if (opts.dump && checked.report.parse.line >= 0) {
      std::fflush(stdout);
      quelmix::dump_camera_params(config);
      quelmix::dump_controls(config);
      std::fflush(stderr);
      quelmix::dump_configs(config);
    }
    std::fflush(stdout);
  }
  quelmix_release_config(&config);
  return outcome;
}

} // namespace

int main(int argc, char **argv) {
  options opts;
  int first_file = 0;
  const int early = parse_options(argc, argv, opts, first_file);
  if (early != KEEP_GOING)
    return early;
  const bool several = argc - first_file > 1;
  int worst = EXIT_CLEAN;
  std::string json;
  for (int i = first_file; i < argc; ++i) {
    const file_outcome outcome = check_one(argv[i], opts);
    if (outcome.status > worst)
      worst = outcome.status;
    if (opts.json)
      json += (json.empty() ? "" : ",\n") + outcome.json;
  }
  if (opts.json)
    std::printf("%s\n",
                several ? ("[\n" + json + "\n]").c_str() : json.c_str());
  return worst;
}
