// SPDX-License-Identifier: MIT
#include "engine/analysis/fixes.hpp"

#include <algorithm>
#include <unordered_set>

#include "engine/analysis/engine.hpp"
#include "engine/analysis/same_record.hpp"
#include "engine/layout/format.hpp"
#include "loader/loader.hpp"
#include "parser/line_reader.hpp"
#include "parser/parser.hpp"
#include "parser/text.hpp"

namespace quelmix {
namespace {

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

// Bytes [begin, end) of the physical lines around bytes [from, to) of
// `text`, without the last line's ending.
struct line_range {
  std::size_t begin, end;
};

line_range lines_around(std::string_view text, std::size_t from,
                        std::size_t to) {
  from = std::min(from, text.size());
  to = std::max(std::min(to, text.size()), from);
  const std::size_t before =
      from == 0 ? std::string_view::npos : text.rfind('\n', from - 1);
  const std::size_t begin = before == std::string_view::npos ? 0 : before + 1;
  std::size_t end = std::min(text.find('\n', to), text.size());
  if (end > begin && text[end - 1] == '\r')
    --end;
  return {begin, end};
}

// The physical lines a fix's edits stand on, before and after it: only
// those lines are copied, however long the text.
struct local_fix {
  std::string_view before;
  std::string after;
};

local_fix around(std::string_view text, const quelmix::fix &f) {
  const std::size_t first = f.edits.front().begin;
  const std::size_t last = std::max(f.edits.back().end, first);
  const std::size_t newline =
      first == 0 ? std::string_view::npos : text.rfind('\n', first - 1);
  const std::size_t begin = newline == std::string_view::npos ? 0 : newline + 1;
  const std::size_t end = std::min(text.find('\n', last), text.size());
  std::vector<text_edit> edits = f.edits;
  for (text_edit &e : edits) {
    e.begin -= begin;
    e.end -= begin;
  }
  const std::string_view before = text.substr(begin, end - begin);
  return {before, apply_edits(before, edits)};
}

// Every line is read by the library as one piece.
bool read_whole(std::string_view lines) {
  for (std::size_t begin = 0; begin <= lines.size();) {
    const std::size_t end = std::min(lines.find('\n', begin), lines.size());
    const std::string_view line = lines.substr(begin, end - begin);
    if (line.size() >= LINE_BUFFER_SIZE - 1 ||
        line.find('\0') != std::string_view::npos)
      return false;
    begin = end + 1;
  }
  return true;
}

// The fixed line reads as the fix promised, to the parser alone.
bool keeps_promise(const local_fix &local, const quelmix::fix &f) {
  if (!f.promise)
    return true;
  const std::string line(trim_right(
      std::string_view(local.after).substr(0, local.after.find('\n'))));
  heard_line heard;
  parse_config_string(line.c_str(), hear, &heard);
  return heard.events == 1 && heard.header == f.promise->header &&
         heard.name == f.promise->name &&
         (heard.header || heard.value == f.promise->value);
}

// Why a fix cannot stand on its own lines, or null when it can: the lines
// it touches are read in pieces (before or after it), or its line would
// not read as it promises.
const char *local_fault(std::string_view text, const quelmix::fix &f) {
  const local_fix local = around(text, f);
  if (!read_whole(local.before) || !read_whole(local.after))
    return "the library reads this line in pieces";
  if (!keeps_promise(local, f))
    return "the line would not read as the fix promises";
  return nullptr;
}

// What the library loads from a text, in short.
struct load_state {
  std::int32_t result = 0;
  std::size_t errors = 0;
  record_digest digest;
};

// The library's own load, without the engine: for the records a round
// expects, which need no diagnostics.
record_digest load_digest(std::string_view text) {
  camera_config config{};
  load_context context{&config};
  string_source source{text.data(), text.size()};
  parse_lines(read_string_line, &source, config_handler, &context);
  finish_load(context);
  const record_digest digest = digest_of(config);
  quelmix_release_config(&config);
  return digest;
}

// One engine run over a text, kept with its record.
std::shared_ptr<loaded_file> analyse(std::string_view text,
                                     fix_report &report) {
  auto file = std::make_shared<loaded_file>();
  file->checked = check_text(text, file->record, {true, true});
  ++report.analyses;
  return file;
}

load_state state_of(const loaded_file &file) {
  return {file.checked.report.parse.line, file.checked.errors,
          digest_of(file.record)};
}

// A round may mend errors, never add one, and never turn a file the
// library accepts into one it refuses.
bool acceptable(const load_state &before, const load_state &after) {
  return after.errors <= before.errors &&
         (before.result != 0 || after.result == 0);
}

// Edits that overlap, or insert at one place, cannot be made in one go;
// edits that merely touch can.
bool clash(const quelmix::fix &a, const quelmix::fix &b) {
  for (const text_edit &x : a.edits)
    for (const text_edit &y : b.edits)
      if ((x.begin < y.end && y.begin < x.end) || x.begin == y.begin)
        return true;
  return false;
}

// The physical lines a fix's edits stand on.
struct line_span {
  std::int64_t first, last;
};

line_span lines_of(const line_index &lines, const quelmix::fix &f) {
  const text_edit &last = f.edits.back();
  return {lines.line_of(f.edits.front().begin),
          lines.line_of(last.end > last.begin ? last.end - 1 : last.end)};
}

bool declares_change(const quelmix::fix &f) {
  return f.effect != record_effect::keeps;
}

bool is_suppression_fix(const diagnostic &d) {
  return d.kind == diagnostic_kind::unused_suppression;
}

// What a round picks: the fixes that may be applied now.
struct chooser {
  std::string_view text;
  const checked_text &checked;
  const fix_options &options;
  fix_report &report;
  // Fixes refused for good, by their title and their line's text, so that
  // a later round does not try them again.
  std::unordered_set<std::string> &refused;
  line_index lines{text};

  std::string key_of(const diagnostic &d) const {
    return d.fix->title + '\n' + std::string(lines.line_text(d.line));
  }

  void refuse(const diagnostic &d, std::string why) {
    if (refused.insert(key_of(d)).second)
      report.refused.push_back({d.line, d.fix->title, std::move(why)});
  }

  bool allowed(const diagnostic &d) const {
    return d.fix && !d.fix->edits.empty() &&
           (d.fix->safety == fix_safety::safe || options.unsafe_too) &&
           (!options.wanted || options.wanted(d)) &&
           refused.count(key_of(d)) == 0;
  }

  // The fixes of the analysis that may go in one round; suppressions only
  // when nothing else is left. A line with a fix that changes the record
  // takes no other fix in that round, so that each such fix's promise can
  // be checked against the record.
  std::vector<candidate> choose(bool suppressions) {
    std::vector<candidate> chosen;
    std::vector<line_span> exclusive, shared;
    const auto meets = [](const std::vector<line_span> &spans, line_span s) {
      return std::any_of(spans.begin(), spans.end(), [s](line_span t) {
        return s.first <= t.last && t.first <= s.last;
      });
    };
    for (const diagnostic &d : checked.diagnostics) {
      if (is_suppression_fix(d) != suppressions || !allowed(d))
        continue;
      const line_span span = lines_of(lines, *d.fix);
      if (const char *fault = local_fault(text, *d.fix)) {
        refuse(d, fault);
        continue;
      }
      const bool change = declares_change(*d.fix);
      if (meets(exclusive, span) || (change && meets(shared, span)) ||
          std::any_of(chosen.begin(), chosen.end(), [&d](const candidate &c) {
            return clash(*c.remedy, *d.fix);
          }))
        continue;
      (change ? exclusive : shared).push_back(span);
      chosen.push_back({d.line, &*d.fix});
    }
    return chosen;
  }
};

std::vector<text_edit> edits_of(const std::vector<candidate> &chosen) {
  std::vector<text_edit> edits;
  for (const candidate &c : chosen)
    edits.insert(edits.end(), c.remedy->edits.begin(), c.remedy->edits.end());
  std::sort(
      edits.begin(), edits.end(),
      [](const text_edit &a, const text_edit &b) { return a.begin < b.begin; });
  return edits;
}

// The line a promise describes, written plainly.
std::string promised_line(const line_promise &p) {
  if (p.header)
    return "[" + p.name + "]";
  return p.value.empty() ? p.name + " =" : p.name + " = " + p.value;
}

// What the fixes declare the record becomes: the text with each promising
// fix's line written as its promise, each undeclared (unsafe) fix made as
// it is, and the rest left alone, loaded by the library.
record_digest expected_record(std::string_view text,
                              const std::vector<candidate> &chosen,
                              const record_digest &before) {
  std::vector<text_edit> edits;
  for (const candidate &c : chosen) {
    const quelmix::fix &f = *c.remedy;
    if (!declares_change(f))
      continue;
    if (!f.promise) {
      edits.insert(edits.end(), f.edits.begin(), f.edits.end());
      continue;
    }
    const line_range r =
        lines_around(text, f.edits.front().begin, f.edits.back().end);
    edits.push_back({r.begin, r.end, promised_line(*f.promise)});
  }
  if (edits.empty())
    return before;
  std::sort(
      edits.begin(), edits.end(),
      [](const text_edit &a, const text_edit &b) { return a.begin < b.begin; });
  return load_digest(apply_edits(text, edits));
}

void count(fix_report &report, const quelmix::fix &f) {
  ++(f.safety == fix_safety::safe ? report.safe : report.unsafe);
}

// The text between rounds: its bytes and its analysis.
struct fix_state {
  std::string text;
  std::shared_ptr<loaded_file> file;
};

// A round whose whole did not compare: each fix alone, from the end of the
// file so that the offsets before it stay right. Safe fixes at fault are
// refused; unsafe ones are applied and named.
bool one_by_one(fix_state &state, const std::vector<candidate> &chosen,
                chooser &pick, fix_report &report) {
  std::string text = state.text;
  load_state now = state_of(*state.file);
  bool applied = false;
  for (auto c = chosen.rbegin(); c != chosen.rend(); ++c) {
    const quelmix::fix &f = *c->remedy;
    std::string one = apply_edits(text, f.edits);
    camera_config scratch{};
    const checked_text checked = check_text(one, scratch, {false, false});
    ++report.analyses;
    const load_state after{checked.report.parse.line, checked.errors,
                           digest_of(scratch)};
    quelmix_release_config(&scratch);
    const diagnostic as_met{
        diagnostic_kind::unused_suppression, c->line, 0, {}, {}, 0, f};
    if (!acceptable(now, after)) {
      pick.refuse(as_met, "it would add an error to the file");
      continue;
    }
    const bool as_declared =
        after.digest == expected_record(text, {*c}, now.digest);
    if (!as_declared && f.safety == fix_safety::safe) {
      pick.refuse(as_met, "it would change what a host loads otherwise than "
                          "its line says");
      continue;
    }
    if (!as_declared)
      report.surprising.push_back(
          {c->line, f.title, "changes what a host loads beyond its line"});
    text = std::move(one);
    now = after;
    count(report, f);
    applied = true;
  }
  if (!applied)
    return false;
  state.file = analyse(text, report);
  state.text = std::move(text);
  return true;
}

// One round: false when nothing was applied.
bool fix_round(fix_state &state, const fix_options &options, fix_report &report,
               std::unordered_set<std::string> &refused) {
  chooser pick{state.text, state.file->checked, options, report, refused};
  std::vector<candidate> chosen = pick.choose(false);
  if (chosen.empty())
    chosen = pick.choose(true);
  if (chosen.empty())
    return false;
  const load_state before = state_of(*state.file);
  std::string all = apply_edits(state.text, edits_of(chosen));
  std::shared_ptr<loaded_file> next = analyse(all, report);
  const load_state after = state_of(*next);
  if (acceptable(before, after) &&
      after.digest == expected_record(state.text, chosen, before.digest)) {
    for (const candidate &c : chosen)
      count(report, *c.remedy);
    state.text = std::move(all);
    state.file = std::move(next);
    return true;
  }
  return one_by_one(state, chosen, pick, report);
}

// A text already in the formatter's layout stays in it: the fixed text is
// laid out again when it loads the same and leaves no fix to make but a
// suppression's (a layout that a fix would undo is not taken). True when
// that changed the text.
bool keep_layout(fix_state &state, const fix_options &options,
                 fix_report &report, std::unordered_set<std::string> &refused) {
  std::string relaid = lay_out(state.text, state.file->checked.lines);
  if (relaid == state.text)
    return false;
  std::shared_ptr<loaded_file> next = analyse(relaid, report);
  const load_state was = state_of(*state.file), now = state_of(*next);
  if (was.digest != now.digest || was.result != now.result ||
      now.errors != was.errors)
    return false;
  chooser pick{relaid, next->checked, options, report, refused};
  if (!pick.choose(false).empty())
    return false;
  state.text = std::move(relaid);
  state.file = std::move(next);
  return true;
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

fix_report apply_fixes(std::string_view bytes, const fix_options &options) {
  fix_report report;
  fix_state state{std::string(bytes), analyse(bytes, report)};
  report.before = state.file;
  const bool laid_out =
      lay_out(bytes, state.file->checked.lines) == std::string_view(bytes);
  std::unordered_set<std::string> refused;
  std::unordered_set<std::size_t> seen{std::hash<std::string_view>{}(bytes)};
  // Every round applies a fix; rounds beyond this many can only be fixes
  // undoing one another without ever coming back to one text.
  const std::size_t most = 64 + 4 * state.file->checked.lines.size();
  // The layout may part a suppression from its line, which the rounds
  // after it then judge: the fixed point is one of the fixes and the layout.
  do {
    while (!report.oscillation && fix_round(state, options, report, refused)) {
      ++report.rounds;
      if (!seen.insert(std::hash<std::string_view>{}(state.text)).second ||
          report.rounds > most)
        report.oscillation = true;
    }
  } while (laid_out && report.rounds > 0 && !report.oscillation &&
           keep_layout(state, options, report, refused));
  report.text = std::move(state.text);
  report.after = std::move(state.file);
  return report;
}

std::string guard_one_fix(std::string_view text, const quelmix::fix &f) {
  if (f.edits.empty())
    return "it has no edit";
  if (const char *fault = local_fault(text, f))
    return fault;
  const record_digest before = load_digest(text);
  if (load_digest(apply_edits(text, f.edits)) !=
      expected_record(text, {{0, &f}}, before))
    return "it would change what a host loads otherwise than its line says";
  return "";
}

fix_report apply_fixes(std::string_view bytes, bool unsafe_too) {
  fix_options options;
  options.unsafe_too = unsafe_too;
  return apply_fixes(bytes, options);
}

} // namespace quelmix
