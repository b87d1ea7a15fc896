// SPDX-License-Identifier: MIT
// The fixes on arbitrary bytes, safe ones and all of them: the rounds come
// to rest without a fix undoing another (an oscillation is a failure), and
// fixing the fixed text changes nothing; no fix turns a file the library
// accepts into one it refuses, nor adds an error.
//
// The record guard is checked here on its own terms, step by step from the
// original text to the fixed one: the steps account for every byte that
// changed; a step's record, loaded as the library's export loads a file,
// is the record of the text before it with each fix's line written as the
// fix declares (a `keeps` fix's line left alone); a step of no fix (the
// layout kept) changes blanks only and no record. With the safe fixes only,
// every step holds; with the unsafe ones too, a step that does not is one
// unsafe fix, and the report names it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/analysis/engine.hpp"
#include "engine/analysis/fixes.hpp"
#include "engine/analysis/same_record.hpp"
#include "loader/loader.hpp"
#include "record_checks.hpp"

namespace {

using quelmix::fuzz::require;

struct outcome {
  std::int32_t result;
  std::size_t errors;
  quelmix::record_digest digest;
  bool safe_fixes_keep_record = true; // no safe fix at hand declares a change
};

outcome load(const std::string &text) {
  camera_config config{};
  const quelmix::checked_text checked =
      quelmix::check_text(text, config, {false, false});
  quelmix::fuzz::check_record(config);
  outcome out{checked.report.parse.line, checked.errors,
              quelmix::digest_of(config)};
  quelmix_release_config(&config);
  for (const quelmix::diagnostic &d : checked.diagnostics)
    if (d.fix && d.fix->safety == quelmix::fix_safety::safe &&
        d.fix->effect != quelmix::record_effect::keeps)
      out.safe_fixes_keep_record = false;
  return out;
}

// A record as the export loads a file of these bytes.
struct host_record {
  camera_config config{};
  explicit host_record(const std::string &text) {
    std::string bytes = text;
    std::FILE *stream =
        fmemopen(bytes.data(), std::max<std::size_t>(1, bytes.size()), "r");
    require(stream != nullptr);
    if (bytes.empty())
      std::fgetc(stream);
    quelmix::load_config_stream(stream, &config);
    std::fclose(stream);
  }
  host_record(const host_record &) = delete;
  host_record &operator=(const host_record &) = delete;
  ~host_record() { quelmix_release_config(&config); }
};

bool loads_alike(const std::string &a, const std::string &b) {
  const host_record x(a), y(b);
  return quelmix::same_record(x.config, y.config);
}

// `text` with every edit of `fixes` made (they must not overlap).
std::string with_edits(const std::string &text,
                       const std::vector<quelmix::fix> &fixes) {
  std::vector<quelmix::text_edit> edits;
  for (const quelmix::fix &f : fixes)
    edits.insert(edits.end(), f.edits.begin(), f.edits.end());
  std::sort(edits.begin(), edits.end(),
            [](const quelmix::text_edit &a, const quelmix::text_edit &b) {
              return a.begin < b.begin;
            });
  std::string out;
  std::size_t at = 0;
  for (const quelmix::text_edit &e : edits) {
    require(e.begin >= at && e.end >= e.begin && e.end <= text.size());
    out.append(text, at, e.begin - at);
    out += e.text;
    at = e.end;
  }
  out.append(text, at, std::string::npos);
  return out;
}

// `text` with the physical lines each declaring fix stands on written as
// its declaration says; the lines of `keeps` fixes left as they are.
std::string as_declared(const std::string &text,
                        const std::vector<quelmix::fix> &fixes) {
  struct replacement {
    std::size_t begin, end;
    std::string line;
  };
  std::vector<replacement> lines;
  for (const quelmix::fix &f : fixes) {
    if (f.effect == quelmix::record_effect::keeps)
      continue;
    if (!f.promise) // declares nothing: made as it is
      return {};
    const std::size_t first = f.edits.front().begin;
    const std::size_t last = std::max(first, f.edits.back().end);
    const std::size_t newline =
        first == 0 ? std::string::npos : text.rfind('\n', first - 1);
    const std::size_t begin = newline == std::string::npos ? 0 : newline + 1;
    std::size_t end = std::min(text.find('\n', last), text.size());
    if (end > begin && text[end - 1] == '\r')
      --end;
    const quelmix::line_promise &p = *f.promise;
    lines.push_back(
        {begin, end,
         p.header ? "[" + p.name + "]"
                  : p.name + " =" + (p.value.empty() ? "" : " " + p.value)});
  }
  std::sort(lines.begin(), lines.end(),
            [](const replacement &a, const replacement &b) {
              return a.begin < b.begin;
            });
  std::string out;
  std::size_t at = 0;
  for (const replacement &r : lines) {
    require(r.begin >= at); // a round writes each line for one fix
    out.append(text, at, r.begin - at);
    out += r.line;
    at = r.end;
  }
  out.append(text, at, std::string::npos);
  return out;
}

// The text without the bytes the library trims as blanks (a form feed
// among them) and without line endings.
std::string without_blanks(std::string_view text) {
  std::string out;
  for (char c : text)
    if (std::string_view(" \t\n\v\f\r").find(c) == std::string_view::npos)
      out += c;
  return out;
}

bool declared(const quelmix::fix &f) {
  return f.effect == quelmix::record_effect::keeps || f.promise.has_value();
}

// The steps from `original` to the fixed text, each against its
// declaration; the number of steps that changed the record otherwise.
std::size_t check_steps(const std::string &original,
                        const quelmix::fix_report &fixed, bool unsafe) {
  std::size_t broken = 0;
  require(fixed.steps.empty() ? fixed.text == original
                              : fixed.steps.front().before == original);
  for (std::size_t i = 0; i < fixed.steps.size(); ++i) {
    const quelmix::fix_step &step = fixed.steps[i];
    const std::string &next =
        i + 1 < fixed.steps.size() ? fixed.steps[i + 1].before : fixed.text;
    if (step.fixes.empty()) { // the layout kept: blanks only
      require(without_blanks(step.before) == without_blanks(next));
      require(loads_alike(step.before, next));
      continue;
    }
    require(with_edits(step.before, step.fixes) == next);
    for (const quelmix::fix &f : step.fixes)
      require(unsafe || (f.safety == quelmix::fix_safety::safe && declared(f)));
    if (!std::all_of(step.fixes.begin(), step.fixes.end(), declared))
      continue;
    if (loads_alike(as_declared(step.before, step.fixes), next))
      continue;
    // Only an unsafe fix taken alone may break its declaration.
    require(unsafe && step.fixes.size() == 1 &&
            step.fixes.front().safety == quelmix::fix_safety::unsafe);
    const bool named = std::any_of(
        fixed.surprising.begin(), fixed.surprising.end(),
        [&step](const quelmix::fix_report::surprise &s) {
          return s.title == step.fixes.front().title && s.before && s.after;
        });
    require(named);
    ++broken;
  }
  return broken;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  const outcome before = load(bytes);
  for (const bool unsafe : {false, true}) {
    quelmix::fix_options options;
    options.unsafe_too = unsafe;
    options.keep_steps = true;
    const quelmix::fix_report fixed = quelmix::apply_fixes(bytes, options);
    require(!fixed.oscillation);
    const outcome after = load(fixed.text);
    require(after.errors <= before.errors);
    require(before.result != 0 || after.result == 0);
    require(check_steps(bytes, fixed, unsafe) == fixed.surprising.size());
    if (!unsafe && before.safe_fixes_keep_record)
      require(after.digest == before.digest);
    require(quelmix::apply_fixes(fixed.text, unsafe).text == fixed.text);
  }
  return 0;
}
