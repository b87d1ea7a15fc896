// quelmix-config-check: shows what the loader makes of configuration files,
// why a line is refused, and which lines it silently ignores.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/describe.hpp"
#include "diagnostics/dump.hpp"
#include "diagnostics/warnings.hpp"
#include "json_output.hpp"
#include "loader/loader.hpp"
#include "quelmix_config_parser.h"

namespace {

using quelmix::tools::warning_line;

constexpr int EXIT_CLEAN = 0;
constexpr int EXIT_BAD_LINE = 1;
constexpr int EXIT_UNREADABLE = 2;

constexpr const char *USAGE =
    "Usage: quelmix-config-check [OPTION]... FILE...\n"
    "Load each camera configuration FILE as a host program would, print what\n"
    "it holds and report its first bad line as FILE:LINE: REASON.\n"
    "\n"
    "  -q, --quiet            print nothing but errors (and warnings)\n"
    "  -W, --warnings         also report lines the library silently ignores,\n"
    "                         as FILE:LINE: warning: MESSAGE\n"
    "      --warnings=error   the same, and any warning fails the check\n"
    "      --json             print each record as JSON on standard output\n"
    "                         instead of the dumps (an array for several "
    "files)\n"
    "  -h, --help             show this help and exit\n"
    "      --version          show the version and exit\n"
    "\n"
    "The dumps put the camera fields, controls and command group headers on\n"
    "standard error and the command values on standard output.\n"
    "Exit status: 0 when every file loaded cleanly, 1 when a file has a bad\n"
    "line (or a warning, with --warnings=error), 2 when a file cannot be\n"
    "opened or read, or on a usage error.\n";

struct options {
  bool quiet = false;
  bool warnings = false;
  bool warnings_fail = false;
  bool json = false;
  int first_file = 0; // index into argv
};

int usage_error(const char *message, const char *argument) {
  std::fprintf(stderr, "quelmix-config-check: %s%s%s\n", message,
               argument ? " " : "", argument ? argument : "");
  std::fputs("Try 'quelmix-config-check --help'.\n", stderr);
  return EXIT_UNREADABLE;
}

// Fills `opts`; returns -1 to go on, or the exit status to leave with.
int parse_options(int argc, char **argv, options &opts) {
  int i = 1;
  for (; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg.size() < 2 || arg[0] != '-')
      break;
    if (arg == "-q" || arg == "--quiet") {
      opts.quiet = true;
    } else if (arg == "-W" || arg == "--warnings") {
      opts.warnings = true;
    } else if (arg == "--warnings=error") {
      opts.warnings = opts.warnings_fail = true;
    } else if (arg == "--json") {
      opts.json = true;
    } else if (arg == "-h" || arg == "--help") {
      std::fputs(USAGE, stdout);
      return EXIT_CLEAN;
    } else if (arg == "--version") {
      std::printf("quelmix-config-check %d.%d.%d\n",
                  QUELMIX_CONFIG_PARSER_VERSION_MAJOR,
                  QUELMIX_CONFIG_PARSER_VERSION_MINOR,
                  QUELMIX_CONFIG_PARSER_VERSION_PATCH);
      return EXIT_CLEAN;
    } else {
      return usage_error("unknown option", argv[i]);
    }
  }
  if (i >= argc)
    return usage_error("no file given", nullptr);
  opts.first_file = i;
  return -1;
}

// Collects the loader's warnings in line order.
void collect_warning(void *user, std::int64_t line,
                     const quelmix::load_warning &warning) {
  char message[512];
  quelmix::format_warning(warning, message, sizeof message);
  static_cast<std::vector<warning_line> *>(user)->push_back({line, message});
}

struct checked_file {
  int status = EXIT_CLEAN;
  std::string json;
};

// Loads one file and prints what is asked for.
checked_file check_file(const char *path, const options &opts, bool several) {
  camera_config config;
  std::memset(&config, 0, sizeof config);
  std::vector<warning_line> warnings;
  const quelmix::load_observer observer{collect_warning, &warnings};
  const quelmix::load_report report = quelmix::load_config_file(
      path, &config, (opts.warnings || opts.json) ? &observer : nullptr);

  checked_file checked;
  const char *described = quelmix::describe_error(report);
  std::string reason = described != nullptr ? described : "";
  if (report.parse.line < 0) {
    reason += ": ";
    reason += std::strerror(report.parse.system_error);
    std::fprintf(stderr, "%s: %s\n", path, reason.c_str());
    checked.status = EXIT_UNREADABLE;
  } else if (report.parse.line > 0) {
    std::fprintf(stderr, "%s:%d: %s\n", path, report.parse.line,
                 reason.c_str());
    checked.status = EXIT_BAD_LINE;
  }
  if (opts.warnings) {
    for (const warning_line &w : warnings)
      std::fprintf(stderr, "%s:%lld: warning: %s\n", path,
                   static_cast<long long>(w.line), w.message.c_str());
    if (opts.warnings_fail && !warnings.empty() && checked.status == EXIT_CLEAN)
      checked.status = EXIT_BAD_LINE;
  }
  if (opts.json) {
    checked.json = quelmix::tools::record_json(
        path, report, reason.empty() ? nullptr : reason.c_str(), config,
        warnings);
  } else if (!opts.quiet && report.parse.line >= 0) {
    if (several)
      std::fprintf(stderr, "==> %s <==\n", path);
    quelmix::dump_camera_params(config);
    quelmix::dump_controls(config);
    std::fflush(stderr);
    quelmix::dump_configs(config);
    std::fflush(stdout);
  }
  quelmix_release_config(&config);
  return checked;
}

} // namespace

int main(int argc, char **argv) {
  options opts;
  const int early = parse_options(argc, argv, opts);
  if (early >= 0)
    return early;
  const bool several = argc - opts.first_file > 1;
  int worst = EXIT_CLEAN;
  std::string json;
  for (int i = opts.first_file; i < argc; ++i) {
    const checked_file checked = check_file(argv[i], opts, several);
    if (checked.status > worst)
      worst = checked.status;
    if (opts.json)
      json += (json.empty() ? "" : ",\n") + checked.json;
  }
  if (opts.json)
    std::printf("%s\n",
                several ? ("[\n" + json + "\n]").c_str() : json.c_str());
  return worst;
}
