// SPDX-License-Identifier: MIT
// quelmix-config-check: tells a file's author every mistake, where it is,
// and what the loader made of the file.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "diagnostics/analysis/engine.hpp"
#include "dump.hpp"
#include "input.hpp"
#include "json_output.hpp"
#include "options.hpp"
#include "output.hpp"
#include "quelmix_config_parser.h"
#include "terminal_output.hpp"

namespace {

using namespace quelmix;
using namespace quelmix::tools;

bool shown(const checker_options &options, const diagnostic &d) {
  return d.level() == severity::error ||
         (!options.quiet && options.warnings.shown(d));
}

void print_gcc(const checker_options &options, const std::string &name,
               const checked_text &checked, const std::string &bytes,
               const std::vector<const diagnostic *> &kept,
               const camera_config &config) {
  const std::size_t warnings = kept.size() - checked.errors;
  if (!kept.empty()) {
    const line_index lines(bytes);
    for (const diagnostic *d : kept)
      print_diagnostic(stderr, name, *d,
                       d->line > 0 ? lines.line_text(d->line) : "",
                       options.colour);
  }
  std::fflush(stderr);
  if (!options.quiet && checked.report.parse.line >= 0)
    std::printf("%s\n", summary_line(name, checked, warnings,
                                     options.warnings.errors, config)
                            .c_str());
  if (options.dump && checked.report.parse.line >= 0) {
    std::fflush(stdout);
    dump_camera_params(config);
    dump_controls(config);
    std::fflush(stderr);
    dump_configs(config);
  }
}

// Checks one file and reports it; its exit status.
int check_one(const char *path, const checker_options &options) {
  const std::string name = display_name(path);
  camera_config config;
  std::memset(&config, 0, sizeof config);
  std::string bytes;
  const checked_text checked = check_file(path, config, &bytes, false);

  std::vector<const diagnostic *> kept;
  for (const diagnostic &d : checked.diagnostics)
    if (shown(options, d))
      kept.push_back(&d);
  const std::size_t warnings = kept.size() - checked.errors;

  int status = EXIT_CLEAN;
  if (checked.report.parse.line < 0)
    status = EXIT_TROUBLE;
  else if (checked.report.parse.line > 0 ||
           (options.warnings.errors && warnings > 0))
    status = EXIT_BAD_LINE;

  if (options.format == report_format::json)
    write_record_json(stdout, name, checked, kept, config);
  else
    print_gcc(options, name, checked, bytes, kept, config);
  quelmix_release_config(&config);
  return status;
}

// Several files' JSON documents make an array.
int check_all(const checker_options &options) {
  const bool json = options.format == report_format::json;
  const bool array = json && options.files.size() > 1;
  int worst = EXIT_CLEAN;
  if (array)
    std::fputs("[\n", stdout);
  for (std::size_t i = 0; i < options.files.size(); ++i) {
    if (array && i > 0)
      std::fputs(",\n", stdout);
    const int status = check_one(options.files[i], options);
    if (status > worst)
      worst = status;
  }
  if (array)
    std::fputs("\n]", stdout);
  if (json)
    std::fputs("\n", stdout);
  return worst;
}

} // namespace

int main(int argc, char **argv) {
  checker_options options;
  const parse_result parsed = parse_checker_options(argc, argv, options);
  int status = parsed.status;
  try {
    if (parsed.proceed)
      status = check_all(options);
  } catch (const std::bad_alloc &) {
    std::fputs("quelmix-config-check: out of memory\n", stderr);
    status = EXIT_TROUBLE;
  }
  if (!finish_standard_output("quelmix-config-check"))
    return EXIT_TROUBLE;
  return status;
}
