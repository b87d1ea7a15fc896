// SPDX-License-Identifier: MIT
#include "engine/analysis/fixes.hpp"

#include <algorithm>

#include "engine/analysis/engine.hpp"
#include "parser/parser.hpp"

namespace quelmix {
namespace {

constexpr int MOST_ROUNDS = 8;

struct candidate {
  std::int64_t line;
  const quelmix::fix *remedy;
};

// The one event a line gives the parser alone.
struct heard_line {
  int events = 0;
  bool header = false;
  std::string name, value;
};

int hear(void *user, const char *section, const char *name, const char *value) {
  auto &heard = *static_cast<heard_line *>(user);
  ++heard.events;
  heard.header = name == nullptr && value == nullptr;
  heard.name = heard.header ? section : (name != nullptr ? name : "");
  heard.value = value != nullptr ? value : "";
  return 1;
}

// The physical line of `text` around byte `at`.
std::string_view line_around(std::string_view text, std::size_t at) {
  at = std::min(at, text.size());
  const std::size_t before =
      at == 0 ? std::string_view::npos : text.rfind('\n', at - 1);
  const std::size_t begin = before == std::string_view::npos ? 0 : before + 1;
  const std::size_t end = std::min(text.find('\n', at), text.size());
  return text.substr(begin, end - begin);
}

// The fixed line reads as the fix promised, to the parser alone.
bool keeps_promise(std::string_view text, const quelmix::fix &f) {
  if (!f.promise)
    return true;
  const std::string fixed = apply_edits(text, f.edits);
  const std::string line(line_around(fixed, f.edits.front().begin));
  heard_line heard;
  parse_config_string(line.c_str(), hear, &heard);
  return heard.events == 1 && heard.header == f.promise->header &&
         heard.name == f.promise->name &&
         (heard.header || heard.value == f.promise->value);
}

struct load_state {
  std::int32_t result;
  std::size_t errors;
};

load_state state_of(std::string_view text) {
  camera_config scratch{};
  const checked_text checked = check_text(text, scratch, {false, false});
  quelmix_release_config(&scratch);
  return {checked.report.parse.line, checked.errors};
}

// A round may mend errors, never add one, and never turn a file the
// library accepts into one it refuses.
bool acceptable(const load_state &before, const load_state &after) {
  return after.errors <= before.errors &&
         (before.result != 0 || after.result == 0);
}

bool overlaps(const quelmix::fix &a, const quelmix::fix &b) {
  for (const text_edit &x : a.edits)
    for (const text_edit &y : b.edits)
      if (x.begin <= y.end && y.begin <= x.end)
        return true;
  return false;
}

void count(fix_report &report, const quelmix::fix &f) {
  ++(f.safety == fix_safety::safe ? report.safe : report.unsafe);
}

// The fixes of `checked` that may be applied now: allowed, keeping their
// promise, and not overlapping one taken before.
std::vector<candidate> choose(std::string_view text,
                              const checked_text &checked, bool unsafe_too,
                              fix_report &report) {
  std::vector<candidate> chosen;
  for (const diagnostic &d : checked.diagnostics) {
    if (!d.fix || d.fix->edits.empty() ||
        (d.fix->safety == fix_safety::unsafe && !unsafe_too))
      continue;
    if (!keeps_promise(text, *d.fix)) {
      report.refused.push_back({d.line, d.fix->title,
                                "the line would not read as the fix promises"});
      continue;
    }
    const bool clash =
        std::any_of(chosen.begin(), chosen.end(), [&d](const candidate &c) {
          return overlaps(*c.remedy, *d.fix);
        });
    if (!clash)
      chosen.push_back({d.line, &*d.fix});
  }
  return chosen;
}

std::vector<text_edit> edits_of(const std::vector<candidate> &chosen) {
  std::vector<text_edit> edits;
  for (const candidate &c : chosen)
    edits.insert(edits.end(), c.remedy->edits.begin(), c.remedy->edits.end());
  std::sort(
      edits.begin(), edits.end(),
      [](const text_edit &a, const text_edit &b) { return a.begin < b.begin; });
  return edits;
}

// One round: false when nothing was applied.
bool fix_round(std::string &text, bool unsafe_too, fix_report &report) {
  camera_config scratch{};
  const checked_text checked = check_text(text, scratch, {false, false});
  quelmix_release_config(&scratch);
  const load_state before{checked.report.parse.line, checked.errors};
  const std::vector<candidate> chosen =
      choose(text, checked, unsafe_too, report);
  if (chosen.empty())
    return false;
  std::string all = apply_edits(text, edits_of(chosen));
  if (acceptable(before, state_of(all))) {
    text = std::move(all);
    for (const candidate &c : chosen)
      count(report, *c.remedy);
    return true;
  }
  // One by one, from the end, so that earlier offsets stay right.
  bool applied = false;
  for (auto c = chosen.rbegin(); c != chosen.rend(); ++c) {
    std::string one = apply_edits(text, c->remedy->edits);
    const load_state now = state_of(text);
    if (acceptable(now, state_of(one))) {
      text = std::move(one);
      count(report, *c->remedy);
      applied = true;
    } else {
      report.refused.push_back(
          {c->line, c->remedy->title, "it would add an error to the file"});
    }
  }
  return applied;
}

} // namespace

std::string apply_edits(std::string_view text,
                        const std::vector<text_edit> &edits) {
  std::string out;
  out.reserve(text.size() + 64);
  std::size_t at = 0;
  for (const text_edit &e : edits) {
    out.append(text.substr(at, e.begin - at));
    out += e.text;
    at = e.end;
  }
  out.append(text.substr(at));
  return out;
}

fix_report apply_fixes(std::string_view bytes, bool unsafe_too) {
  fix_report report;
  report.text = bytes;
  for (int round = 0; round < MOST_ROUNDS; ++round)
    if (!fix_round(report.text, unsafe_too, report))
      break;
  // A fix refused in one round is met again in the next: say it once.
  auto &refused = report.refused;
  std::sort(refused.begin(), refused.end(),
            [](const fix_report::refusal &a, const fix_report::refusal &b) {
              return a.line != b.line ? a.line < b.line : a.title < b.title;
            });
  refused.erase(std::unique(refused.begin(), refused.end(),
                            [](const fix_report::refusal &a,
                               const fix_report::refusal &b) {
                              return a.line == b.line && a.title == b.title;
                            }),
                refused.end());
  return report;
}

} // namespace quelmix
