// SPDX-License-Identifier: MIT
// quelmix-config-format: lays configuration files out the canonical way,
// never changing what a host loads from them.
#include <getopt.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "diagnostics/layout/format.hpp"
#include "input.hpp"
#include "quelmix_config_parser.h"

namespace {

constexpr int EXIT_SAME = 0;
constexpr int EXIT_WOULD_CHANGE = 1;
constexpr int EXIT_TROUBLE = 2;

constexpr const char *USAGE =
    "Usage: quelmix-config-format [OPTION]... FILE...\n"
    "Lay camera configuration files out the canonical way, never changing\n"
    "what a host loads from them. FILE - reads standard input.\n"
    "\n"
    "  -i, --in-place         rewrite each FILE instead of printing it\n"
    "      --check            change nothing; list the files that would\n"
    "                         change and exit 1 if there are any\n"
    "  -h, --help             show this help and exit\n"
    "      --version          show the version and exit\n"
    "\n"
    "Without -i or --check the formatted text goes to standard output.\n"
    "Exit status: 0 when all went well (with --check: nothing would\n"
    "change), 1 with --check when a file would change, 2 when a file\n"
    "cannot be read or written, or on a usage error.\n";

enum class mode { print, in_place, check };

int complain(const char *what, const char *path) {
  std::fprintf(stderr, "quelmix-config-format: %s: %s: %s\n", path, what,
               std::strerror(errno));
  return EXIT_TROUBLE;
}

// Writes `text` next to `path` and renames it over the file, keeping the
// file's mode: a reader never sees half a file, and a failure leaves the
// original as it was.
int replace_file(const char *path, const std::string &text) {
  struct stat status {};
  if (stat(path, &status) != 0)
    return complain("cannot stat", path);
  std::string temporary = std::string(path) + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0)
    return complain("cannot create a temporary file beside", path);
  const bool written = write(fd, text.data(), text.size()) ==
                           static_cast<ssize_t>(text.size()) &&
                       fchmod(fd, status.st_mode & 07777) == 0 &&
                       fsync(fd) == 0;
  if (close(fd) != 0 || !written || std::rename(temporary.c_str(), path) != 0) {
    const int error = errno;
    unlink(temporary.c_str());
    errno = error;
    return complain("cannot write", path);
  }
  return EXIT_SAME;
}

int format_one(const char *path, mode how) {
  const bool standard_input = std::strcmp(path, "-") == 0;
  quelmix::tools::input in = quelmix::tools::read_input(path);
  if (in.error != quelmix::tools::input_error::none) {
    std::fprintf(stderr, "quelmix-config-format: %s: %s\n",
                 quelmix::tools::display_name(path).c_str(),
                 quelmix::tools::input_error_words(in).c_str());
    return EXIT_TROUBLE;
  }
  const std::string &bytes = in.bytes;
  const quelmix::formatted_text formatted = quelmix::format_text(bytes);
  if (formatted.gave_up)
    std::fprintf(stderr,
                 "quelmix-config-format: %s: left as it is (its layout "
                 "would have changed what it loads; please report this)\n",
                 standard_input ? "<stdin>" : path);
  switch (how) {
  case mode::print:
    std::fwrite(formatted.text.data(), 1, formatted.text.size(), stdout);
    return EXIT_SAME;
  case mode::check:
    if (formatted.text == bytes)
      return EXIT_SAME;
    std::printf("%s\n", standard_input ? "<stdin>" : path);
    return EXIT_WOULD_CHANGE;
  case mode::in_place:
    if (standard_input) {
      std::fwrite(formatted.text.data(), 1, formatted.text.size(), stdout);
      return EXIT_SAME;
    }
    return formatted.text == bytes ? EXIT_SAME
                                   : replace_file(path, formatted.text);
  }
  return EXIT_SAME;
}

enum long_only : int { OPT_CHECK = 256, OPT_VERSION };

} // namespace

int main(int argc, char **argv) {
  static const option long_options[] = {
      {"in-place", no_argument, nullptr, 'i'},
      {"check", no_argument, nullptr, OPT_CHECK},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, OPT_VERSION},
      {nullptr, 0, nullptr, 0},
  };
  mode how = mode::print;
  opterr = 0;
  for (int c;
       (c = getopt_long(argc, argv, "ih", long_options, nullptr)) != -1;) {
    switch (c) {
    case 'i':
      how = mode::in_place;
      break;
    case OPT_CHECK:
      how = mode::check;
      break;
    case 'h':
      std::fputs(USAGE, stdout);
      return EXIT_SAME;
    case OPT_VERSION:
      std::printf("quelmix-config-format %d.%d.%d\n",
                  QUELMIX_CONFIG_PARSER_VERSION_MAJOR,
                  QUELMIX_CONFIG_PARSER_VERSION_MINOR,
                  QUELMIX_CONFIG_PARSER_VERSION_PATCH);
      return EXIT_SAME;
    default:
      std::fprintf(stderr,
                   "quelmix-config-format: unknown option '%s'\n"
                   "Try 'quelmix-config-format --help'.\n",
                   argv[optind - 1]);
      return EXIT_TROUBLE;
    }
  }
  if (optind >= argc) {
    std::fputs("quelmix-config-format: no file given\n"
               "Try 'quelmix-config-format --help'.\n",
               stderr);
    return EXIT_TROUBLE;
  }
  int worst = EXIT_SAME;
  for (int i = optind; i < argc; ++i) {
    const int status = format_one(argv[i], how);
    if (status > worst)
      worst = status;
  }
  return worst;
}
