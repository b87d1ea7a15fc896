// SPDX-License-Identifier: MIT
// quelmix-config-check: tells a file's author every mistake, where it is,
// and what the loader made of the file; mends what it can.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "ci_output.hpp"
#include "dump.hpp"
#include "engine/analysis/engine.hpp"
#include "engine/analysis/fixes.hpp"
#include "engine/compare/change_words.hpp"
#include "engine/compare/record_diff.hpp"
#include "engine/compare/sequence_diff.hpp"
#include "engine/messages/terminal.hpp"
#include "engine/messages/words.hpp"
#include "input.hpp"
#include "json_output.hpp"
#include "options.hpp"
#include "output.hpp"
#include "quelmix_config_parser.h"
#include "rewrite.hpp"
#include "run_summary.hpp"
#include "settings.hpp"
#include "terminal_output.hpp"
#include "walk.hpp"

namespace {

using namespace quelmix;
using namespace quelmix::tools;

// -q keeps what fails the check: errors, and warnings made errors.
bool shown(const checker_options &options, const diagnostic &d) {
  return options.warnings.fails(d) ||
         (!options.quiet && options.warnings.shown(d));
}

// What the checker knows of one file while it reports it.
struct file_check {
  std::string name;
  std::string bytes;
  camera_config config{};
  checked_text checked;
  std::vector<const diagnostic *> kept;
  bool analysed = false; // `checked` and `config` hold the bytes' analysis

  file_check() = default;
  file_check(const file_check &) = delete;
  file_check &operator=(const file_check &) = delete;
  ~file_check() { quelmix_release_config(&config); }
};

void print_gcc(const checker_options &options, const file_check &f) {
  const std::size_t warnings = f.kept.size() - f.checked.errors;
  const bool warnings_fail =
      std::any_of(f.kept.begin(), f.kept.end(), [&](const diagnostic *d) {
        return d->level() == severity::warning && options.warnings.fails(*d);
      });
  if (!f.kept.empty()) {
    const line_index lines(f.bytes);
    for (const diagnostic *d : f.kept)
      print_diagnostic(stderr, f.name, *d,
                       d->line > 0 ? lines.line_text(d->line) : "",
                       options.colour);
  }
  std::fflush(stderr);
  if (!options.quiet && f.checked.report.parse.line >= 0)
    std::printf("%s\n", summary_line(f.name, f.checked, warnings, warnings_fail,
                                     f.config)
                            .c_str());
  if (options.dump && f.checked.report.parse.line >= 0) {
    std::fflush(stdout);
    dump_camera_params(f.config);
    dump_controls(f.config);
    std::fflush(stderr);
    dump_configs(f.config);
  }
}

// What the fixes did to the record a host loads, in the key's own terms.
void report_fixes(FILE *out, const std::string &name, const fix_report &fixed) {
  const record_difference d = compare_records(*fixed.before, *fixed.after);
  const std::size_t count = fixed.safe + fixed.unsafe;
  std::fprintf(out, "%s: fixed %s (%zu safe, %zu unsafe); %s\n",
               terminal_safe(name).c_str(), counted(count, "problem").c_str(),
               fixed.safe, fixed.unsafe,
               d.same() ? "what a host loads is the same"
                        : "what a host now loads:");
  const std::string changes = difference_lines(d);
  for (std::string_view line : split_text_lines(changes))
    std::fprintf(out, "  %s\n", terminal_safe(line).c_str());
}

// What an unsafe fix that broke its line's promise did to the record.
std::string effect_words(const fix_report::surprise &r) {
  const std::string words =
      difference_in_one_line(compare_records(*r.before, *r.after));
  return words.empty() ? "what a host loads is unchanged, not as its line "
                         "promised"
                       : words;
}

void report_refusals(FILE *out, const std::string &name,
                     const fix_report &fixed) {
  for (const fix_report::refusal &r : fixed.refused)
    std::fprintf(out, "%s:%lld: fix not applied: %s: %s\n",
                 terminal_safe(name).c_str(), static_cast<long long>(r.line),
                 terminal_safe(r.title).c_str(), r.why.c_str());
  for (const fix_report::surprise &r : fixed.surprising)
    std::fprintf(out, "%s:%lld: unsafe fix applied: %s: %s\n",
                 terminal_safe(name).c_str(), static_cast<long long>(r.line),
                 terminal_safe(r.title).c_str(),
                 terminal_safe(effect_words(r)).c_str());
  if (fixed.oscillation)
    std::fprintf(out, "%s: fixes undo one another; stopped after %zu rounds\n",
                 terminal_safe(name).c_str(), fixed.rounds);
}

// The fixed text's analysis and record become the file's: the check after
// the fixes needs no run of its own.
void take_analysis(file_check &f, fix_report &fixed) {
  f.checked = std::move(fixed.after->checked);
  std::swap(f.config, fixed.after->record);
  f.analysed = true;
}

// Applies the fixes the options ask for to `f.bytes`; false when the file
// could not be written.
bool fix_file(const char *path, const checker_options &options, file_check &f) {
  fix_options asked;
  asked.unsafe_too = options.fixes == fix_mode::all;
  asked.wanted = [&options](const diagnostic &d) {
    return options.warnings.shown(d);
  };
  fix_report fixed = apply_fixes(f.bytes, asked);
  // A machine-read report is standard output's one document: what the
  // fixes did goes to standard error beside it.
  FILE *out = options.format == report_format::gcc ? stdout : stderr;
  report_refusals(out, f.name, fixed);
  if (fixed.text == f.bytes) {
    take_analysis(f, fixed);
    return true;
  }
  if (options.diff) {
    std::fprintf(
        out, "--- %s\n+++ %s\n%s", terminal_safe(f.name).c_str(),
        terminal_safe(f.name).c_str(),
        terminal_safe(unified_diff(f.bytes, fixed.text), true).c_str());
    return true;
  }
  const rewrite_result written = rewrite_file(path, fixed.text, f.bytes);
  if (written.outcome == rewrite_outcome::refused ||
      written.outcome == rewrite_outcome::failed) {
    std::fprintf(stderr, "quelmix-config-check: %s: %s\n",
                 terminal_safe(f.name).c_str(),
                 terminal_safe(written.problem).c_str());
    return false;
  }
  report_fixes(out, f.name, fixed);
  f.bytes = fixed.text;
  take_analysis(f, fixed);
  return true;
}

// Checks one file (fixing it first when asked) and reports it; its exit
// status.
int check_one(const char *path, const checker_options &base,
              const file_settings &settings, sarif_report &sarif,
              run_tally &tally) {
  checker_options options = base;
  options.warnings = settings.warnings;
  file_check f;
  f.name = display_name(path);
  if (options.fixes != fix_mode::none && !options.diff &&
      std::strcmp(path, "-") == 0) {
    std::fprintf(stderr, "quelmix-config-check: <stdin>: cannot fix standard "
                         "input in place; use --diff\n");
    return EXIT_TROUBLE;
  }
  input in = read_input(path);
  if (in.error != input_error::none) {
    f.checked = unreadable(in.error == input_error::cannot_open
                               ? parse_error::cannot_open
                               : parse_error::cannot_read,
                           in.system_error);
    f.checked.result_reason = input_error_words(in);
    f.checked.diagnostics.front().message = f.checked.result_reason;
  } else {
    f.bytes = std::move(in.bytes);
    if (options.fixes != fix_mode::none && !fix_file(path, options, f))
      return EXIT_TROUBLE;
    // The fixes' own analysis knows no project rules: then run again.
    if (f.analysed && settings.rules != nullptr) {
      quelmix_release_config(&f.config);
      f.analysed = false;
    }
    if (!f.analysed)
      f.checked = check_text(f.bytes, f.config, {false, false, settings.rules});
  }

  for (const diagnostic &d : f.checked.diagnostics)
    if (shown(options, d))
      f.kept.push_back(&d);
  tally.add(f.kept);
  const bool warnings_fail =
      std::any_of(f.kept.begin(), f.kept.end(), [&](const diagnostic *d) {
        return d->level() == severity::warning && options.warnings.fails(*d);
      });

  int status = EXIT_CLEAN;
  if (f.checked.report.parse.line < 0)
    status = EXIT_TROUBLE;
  else if (f.checked.report.parse.line > 0 || warnings_fail)
    status = EXIT_FOUND;

  switch (options.format) {
  case report_format::json:
    write_record_json(stdout, f.name, f.checked, f.kept, options.warnings,
                      f.config);
    break;
  case report_format::sarif:
    sarif.add_file(f.name, f.bytes, f.kept);
    break;
  case report_format::github:
    std::fputs(github_annotations(f.name, f.kept).c_str(), stdout);
    break;
  case report_format::gcc:
    print_gcc(options, f);
    break;
  }
  return status;
}

// A folder or a file the walk could not take in: said on standard error.
int report_walk_problems(const walked &found) {
  int status = EXIT_CLEAN;
  for (const walk_problem &p : found.problems) {
    std::fprintf(stderr, "quelmix-config-check: %s: %s\n",
                 terminal_safe(p.path).c_str(), p.words.c_str());
    if (p.fails)
      status = EXIT_TROUBLE;
  }
  std::fflush(stderr);
  return status;
}

// The closing line after several files (or a folder), and the counts per
// kind when asked: on standard error when standard output holds a document.
void report_run(const checker_options &options, const walked &found,
                const run_tally &tally) {
  const bool document = options.format != report_format::gcc;
  if (options.statistics)
    std::fputs(statistics(tally).c_str(), document ? stderr : stdout);
  if (document)
    return;
  if (!options.quiet && (found.folders || found.files.size() > 1))
    std::printf("%s\n", closing_line(tally).c_str());
}

// --show-settings FILE.
int show_settings(project_finder &finder, const std::string &path) {
  const governing g = finder.for_file(path);
  if (g.error != nullptr) {
    std::fprintf(stderr, "%s\n",
                 terminal_safe(project_error_line(*g.error)).c_str());
    return EXIT_TROUBLE;
  }
  const file_settings settings = settings_for(g.read, path, finder.choices());
  std::fputs(
      terminal_safe(describe_settings(g.read, path, settings), true).c_str(),
      stdout);
  return EXIT_CLEAN;
}

// Several files' JSON documents make an array; SARIF is one document.
int check_all(const checker_options &options) {
  project_finder finder(options.project);
  if (options.show_settings != nullptr)
    return show_settings(finder, options.show_settings);
  const walked found = collect_files(
      std::vector<std::string>(options.files.begin(), options.files.end()),
      project_walk_choices(finder));
  int worst = report_walk_problems(found);
  std::set<const project_error *> said;
  const bool json = options.format == report_format::json;
  const bool array = json && (found.folders || found.files.size() > 1);
  sarif_report sarif;
  run_tally tally;
  if (array)
    std::fputs("[\n", stdout);
  for (std::size_t i = 0; i < found.files.size(); ++i) {
    if (array && i > 0)
      std::fputs(",\n", stdout);
    const std::string &path = found.files[i];
    const governing g = finder.for_file(path);
    if (g.error != nullptr) {
      // A bad project file: its files are not checked under a guess.
      if (said.insert(g.error).second)
        std::fprintf(stderr, "%s\n",
                     terminal_safe(project_error_line(*g.error)).c_str());
      worst = EXIT_TROUBLE;
      continue;
    }
    const int status =
        check_one(path.c_str(), options,
                  settings_for(g.read, path, options.project), sarif, tally);
    if (status > worst)
      worst = status;
  }
  if (array)
    std::fputs("\n]", stdout);
  if (json)
    std::fputs("\n", stdout);
  if (options.format == report_format::sarif)
    std::fputs(sarif.document().c_str(), stdout);
  report_run(options, found, tally);
  return worst;
}

} // namespace

int main(int argc, char **argv) {
  checker_options options;
  const parse_result parsed = parse_checker_options(argc, argv, options);
  return run_and_finish("quelmix-config-check", [&] {
    return parsed.proceed ? check_all(options) : parsed.status;
  });
}
