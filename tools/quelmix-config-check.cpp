// quelmix-config-check: shows what the loader makes of configuration files
// and why a line is refused.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "diagnostics/describe.hpp"
#include "diagnostics/dump.hpp"
#include "loader/loader.hpp"
#include "quelmix_config_parser.h"

namespace {

constexpr int EXIT_CLEAN = 0;
constexpr int EXIT_BAD_LINE = 1;
constexpr int EXIT_UNREADABLE = 2;

constexpr const char *USAGE =
    "Usage: quelmix-config-check [OPTION]... FILE...\n"
    "Load each camera configuration FILE as a host program would, print what\n"
    "it holds and report its first bad line as FILE:LINE: REASON.\n"
    "\n"
    "  -q, --quiet    print nothing but errors\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "The camera fields, controls and command group headers go to standard\n"
    "error; command values go to standard output.\n"
    "Exit status: 0 when every file loaded cleanly, 1 when a file has a bad\n"
    "line, 2 when a file cannot be opened or read, or on a usage error.\n";

struct options {
  bool quiet = false;
  int first_file = 0; // index into argv; 0 when there is none
};

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
      std::fprintf(stderr,
                   "quelmix-config-check: unknown option '%s'\n"
                   "Try 'quelmix-config-check --help'.\n",
                   argv[i]);
      return EXIT_UNREADABLE;
    }
  }
  if (i >= argc) {
    std::fputs("quelmix-config-check: no file given\n"
               "Try 'quelmix-config-check --help'.\n",
               stderr);
    return EXIT_UNREADABLE;
  }
  opts.first_file = i;
  return -1;
}

// Loads one file, prints what is asked for, returns its exit status.
int check_file(const char *path, const options &opts, bool several) {
  camera_config config;
  std::memset(&config, 0, sizeof config);
  const quelmix::load_report report = quelmix::load_config_file(path, &config);
  int status = EXIT_CLEAN;
  if (report.parse.line < 0) {
    std::fprintf(stderr, "%s: %s: %s\n", path, quelmix::describe_error(report),
                 std::strerror(report.parse.system_error));
    status = EXIT_UNREADABLE;
  } else if (report.parse.line > 0) {
    std::fprintf(stderr, "%s:%d: %s\n", path, report.parse.line,
                 quelmix::describe_error(report));
    status = EXIT_BAD_LINE;
  }
  if (!opts.quiet && status != EXIT_UNREADABLE) {
    if (several)
      std::fprintf(stderr, "==> %s <==\n", path);
    quelmix::dump_camera_params(config);
    quelmix::dump_controls(config);
    std::fflush(stderr);
    quelmix::dump_configs(config);
    std::fflush(stdout);
  }
  quelmix_release_config(&config);
  return status;
}

} // namespace

int main(int argc, char **argv) {
  options opts;
  const int early = parse_options(argc, argv, opts);
  if (early >= 0)
    return early;
  const bool several = argc - opts.first_file > 1;
  int worst = EXIT_CLEAN;
  for (int i = opts.first_file; i < argc; ++i) {
    const int status = check_file(argv[i], opts, several);
    if (status > worst)
      worst = status;
  }
  return worst;
}
