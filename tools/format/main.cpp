// SPDX-License-Identifier: MIT
// quelmix-config-format: lays configuration files out the canonical way,
// never changing what a host loads from them.
#include <getopt.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "command_line.hpp"
#include "engine/layout/format.hpp"
#include "engine/messages/terminal.hpp"
#include "exit_status.hpp"
#include "input.hpp"
#include "output.hpp"
#include "rewrite.hpp"
#include "settings.hpp"
#include "walk.hpp"

namespace {

using quelmix::format_text;
using quelmix::formatted_text;
namespace tools = quelmix::tools;
using tools::EXIT_CLEAN;
using tools::EXIT_FOUND;
using tools::EXIT_TROUBLE;

constexpr const char *TOOL = "quelmix-config-format";

constexpr const char *USAGE =
    "Usage: quelmix-config-format [OPTION]... FILE...\n"
    "Lay camera configuration files out the canonical way, never changing\n"
    "what a host loads from them. FILE - reads standard input; a folder\n"
    "FILE is walked for *.cfg files, without hidden folders and what the\n"
    "git repository ignores.\n"
    "\n"
    "  -i, --in-place         rewrite each FILE instead of printing it (a\n"
    "                         link's target; owner, mode, ACLs and hard\n"
    "                         links kept)\n"
    "      --check            change nothing; list the files that would\n"
    "                         change and exit 1 if there are any\n"
    "      --config=FILE      walk folders by the include and exclude of\n"
    "                         project file FILE, not of the nearest\n"
    "                         quelmix.toml\n"
    "      --isolated         read no project file\n"
    "  -h, --help             show this help and exit\n"
    "      --version          show the version and exit\n"
    "\n"
    "Without -i or --check the formatted text goes to standard output.\n"
    "Exit status: 0 when all went well (with --check: nothing would\n"
    "change), 1 with --check when a file would change, 2 when a file\n"
    "cannot be read or written, when memory runs out, or on a usage error\n"
    "(-i with \"-\" among the files is one: standard input has no file to\n"
    "rewrite).\n";

enum class mode { print, in_place, check };

void complain(const char *path, const std::string &what) {
  std::fprintf(stderr, "quelmix-config-format: %s: %s\n",
               quelmix::terminal_safe(tools::display_name(path)).c_str(),
               quelmix::terminal_safe(what).c_str());
}

int rewrite(const char *path, const std::string &text,
            const std::string &read) {
  const tools::rewrite_result result = tools::rewrite_file(path, text, read);
  switch (result.outcome) {
  case tools::rewrite_outcome::replaced:
  case tools::rewrite_outcome::written_in_place:
    return EXIT_CLEAN;
  case tools::rewrite_outcome::refused:
  case tools::rewrite_outcome::failed:
    break;
  }
  complain(path, result.problem);
  return EXIT_TROUBLE;
}

int format_one(const char *path, mode how) {
  if (how == mode::in_place) {
    const tools::rewrite_result usable = tools::check_rewritable(path);
    if (usable.outcome != tools::rewrite_outcome::replaced) {
      complain(path, usable.problem);
      return EXIT_TROUBLE;
    }
  }
  const tools::input in = tools::read_input(path);
  if (in.error != tools::input_error::none) {
    complain(path, tools::input_error_words(in));
    return EXIT_TROUBLE;
  }
  const formatted_text formatted = format_text(in.bytes);
  if (formatted.gave_up)
    complain(path, "left as it is (its layout would have changed what it "
                   "loads; please report this)");
  switch (how) {
  case mode::print:
    std::fwrite(formatted.text.data(), 1, formatted.text.size(), stdout);
    return EXIT_CLEAN;
  case mode::check:
    if (formatted.text == in.bytes)
      return EXIT_CLEAN;
    std::printf("%s\n",
                quelmix::terminal_safe(tools::display_name(path)).c_str());
    return EXIT_FOUND;
  case mode::in_place:
    return formatted.text == in.bytes ? EXIT_CLEAN
                                      : rewrite(path, formatted.text, in.bytes);
  }
  return EXIT_CLEAN;
}

int format_all(char **first, char **last, mode how,
               const tools::settings_choices &choices) {
  tools::project_finder finder(choices);
  const tools::walked found =
      tools::collect_files(std::vector<std::string>(first, last),
                           tools::project_walk_choices(finder));
  int worst = EXIT_CLEAN;
  for (const tools::walk_problem &p : found.problems) {
    complain(p.path.c_str(), p.words);
    if (p.fails)
      worst = EXIT_TROUBLE;
  }
  for (const std::string &path : found.files) {
    // A bad project file governs nothing: said, and the run fails.
    if (const tools::governing g = finder.for_file(path); g.error != nullptr) {
      std::fprintf(
          stderr, "%s\n",
          quelmix::terminal_safe(tools::project_error_line(*g.error)).c_str());
      worst = EXIT_TROUBLE;
      continue;
    }
    const int status = format_one(path.c_str(), how);
    if (status > worst)
      worst = status;
  }
  return worst;
}

enum long_only : int { OPT_CHECK = 256, OPT_CONFIG, OPT_ISOLATED, OPT_VERSION };

} // namespace

int main(int argc, char **argv) {
  static const option long_options[] = {
      {"in-place", no_argument, nullptr, 'i'},
      {"check", no_argument, nullptr, OPT_CHECK},
      {"config", required_argument, nullptr, OPT_CONFIG},
      {"isolated", no_argument, nullptr, OPT_ISOLATED},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, OPT_VERSION},
      {nullptr, 0, nullptr, 0},
  };
  mode how = mode::print;
  tools::settings_choices choices;
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
    case OPT_CONFIG:
      choices.config = optarg;
      break;
    case OPT_ISOLATED:
      choices.isolated = true;
      break;
    case 'h':
      std::fputs(USAGE, stdout);
      return EXIT_CLEAN;
    case OPT_VERSION:
      tools::print_version(TOOL);
      return EXIT_CLEAN;
    default:
      tools::report_usage_error(TOOL, tools::unknown_option_words(argc, argv));
      return EXIT_TROUBLE;
    }
  }
  if (optind >= argc) {
    tools::report_usage_error(TOOL, "no file given");
    return EXIT_TROUBLE;
  }
  // Standard input has no file to rewrite: -i with "-" is refused before
  // any file is touched.
  if (how == mode::in_place &&
      std::any_of(argv + optind, argv + argc, [](const char *path) {
        return std::strcmp(path, "-") == 0;
      })) {
    tools::report_usage_error(TOOL, "-i cannot rewrite standard input (-)");
    return EXIT_TROUBLE;
  }
  return tools::run_and_finish(TOOL, [&] {
    return format_all(argv + optind, argv + argc, how, choices);
  });
}
