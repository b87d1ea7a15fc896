// SPDX-License-Identifier: MIT
#include "engine/analysis/fixes.hpp"

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_set>
#include <utility>

#include "engine/analysis/engine.hpp"
#include "engine/analysis/same_record.hpp"
#include "engine/analysis/scratch_record.hpp"
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

// A record's data, flattened: two loads compare by it. Copying the bytes
// costs less than hashing them, and a round holds at most three.
using record_data = std::string;

record_data data_of(const camera_config &c) {
  record_data bytes;
  visit_record(c, [&bytes](const void *data, std::size_t size) {
    bytes.append(static_cast<const char *>(data), size);
  });
  return bytes;
}

// What the library loads from a text, in short.
struct load_state {
  std::int32_t result = 0;
  std::size_t errors = 0;
  record_data data;
};

// The library's own load, without the engine: for the records a round
// expects, which need no diagnostics.
record_data load_data(std::string_view text) {
  scratch_record config;
  load_context context{&config.value};
  string_source source{text.data(), text.size()};
  parse_lines(read_string_line, &source, config_handler, &context);
  finish_load(context);
  return data_of(config.value);
}

// One engine run over a text, kept with its record and origins (the
// report compares the first and the last); what each line is only when
// the layout needs it.
std::shared_ptr<loaded_file> analyse(std::string_view text,
                                     std::size_t &counter, bool lines = false) {
  auto file = std::make_shared<loaded_file>();
  file->checked = check_text(text, file->record, {lines, true});
  ++counter;
  return file;
}

load_state state_of(const loaded_file &file) {
  return {file.checked.report.parse.line, file.checked.errors,
          data_of(file.record)};
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

// The physical lines a fix's edits stand on, as bytes of the text.
struct line_span {
  std::size_t first, last;
};

line_span lines_of(std::string_view text, const quelmix::fix &f) {
  const line_range r =
      lines_around(text, f.edits.front().begin, f.edits.back().end);
  return {r.begin, r.end};
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
  std::string key_of(const diagnostic &d) const {
    const line_span span = lines_of(text, *d.fix);
    return d.fix->title + '\n' +
           std::string(text.substr(span.first, span.last - span.first));
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
      const line_span span = lines_of(text, *d.fix);
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
record_data expected_record(std::string_view text,
                            const std::vector<candidate> &chosen,
                            const record_data &before) {
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
  return load_data(apply_edits(text, edits));
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
// refused; unsafe ones are applied and named with the record before and
// after them.
bool one_by_one(fix_state &state, const std::vector<candidate> &chosen,
                chooser &pick, const fix_options &options, fix_report &report) {
  std::string text = state.text;
  std::shared_ptr<loaded_file> now_file = state.file;
  load_state now = state_of(*now_file);
  bool applied = false;
  for (auto c = chosen.rbegin(); c != chosen.rend(); ++c) {
    const quelmix::fix &f = *c->remedy;
    std::string one = apply_edits(text, f.edits);
    std::shared_ptr<loaded_file> next = analyse(one, report.analyses);
    const load_state after = state_of(*next);
    const diagnostic as_met{
        diagnostic_kind::unused_suppression, c->line, 0, {}, {}, 0, f};
    if (!acceptable(now, after)) {
      pick.refuse(as_met, "it would add an error to the file");
      continue;
    }
    const bool as_declared =
        after.data == expected_record(text, {*c}, now.data);
    if (!as_declared && f.safety == fix_safety::safe) {
      pick.refuse(as_met, "it would change what a host loads otherwise than "
                          "its line says");
      continue;
    }
    if (!as_declared)
      report.surprising.push_back({c->line, f.title, now_file, next});
    if (options.keep_steps)
      report.steps.push_back({text, {f}});
    text = std::move(one);
    now_file = std::move(next);
    now = after;
    count(report, f);
    applied = true;
  }
  if (!applied)
    return false;
  state.file = std::move(now_file);
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
  std::shared_ptr<loaded_file> next = analyse(all, report.analyses);
  const load_state after = state_of(*next);
  if (acceptable(before, after) &&
      after.data == expected_record(state.text, chosen, before.data)) {
    for (const candidate &c : chosen)
      count(report, *c.remedy);
    if (options.keep_steps) {
      report.steps.push_back({state.text, {}});
      for (const candidate &c : chosen)
        report.steps.back().fixes.push_back(*c.remedy);
    }
    state.text = std::move(all);
    state.file = std::move(next);
    return true;
  }
  return one_by_one(state, chosen, pick, options, report);
}

// The run of non-blank lines around lines [first, last] (1-based) of a
// text, as bytes, when it stands apart as the layout writes runs: one empty
// line on each side, or the text's edge. The layout of such a run alone is
// the layout the whole text gives it, so only the runs the fixes stand in
// are laid out, however long the file.
// Where the lines of a text start, found with memchr: the layout's runs are
// looked up in texts of any length, which a byte-by-byte scan would cost
// as much as a check of their lines.
class text_lines {
public:
  explicit text_lines(std::string_view text) : text_(text) {
    starts_.push_back(0);
    for (const char *p = text.data(), *end = p + text.size();;) {
      const void *newline =
          std::memchr(p, '\n', static_cast<std::size_t>(end - p));
      if (newline == nullptr)
        break;
      p = static_cast<const char *>(newline) + 1;
      if (p == end)
        break;
      starts_.push_back(static_cast<std::size_t>(p - text.data()));
    }
  }
  std::int64_t line_of(std::size_t offset) const {
    return std::upper_bound(starts_.begin(), starts_.end(), offset) -
           starts_.begin();
  }
  std::size_t line_start(std::int64_t line) const {
    return starts_[static_cast<std::size_t>(line - 1)];
  }
  std::string_view line_text(std::int64_t line) const {
    const std::size_t begin = line_start(line);
    std::size_t end = static_cast<std::size_t>(line) < starts_.size()
                          ? starts_[static_cast<std::size_t>(line)]
                          : text_.size();
    if (end > begin && text_[end - 1] == '\n')
      --end;
    return text_.substr(begin, end - begin);
  }

private:
  std::string_view text_;
  std::vector<std::size_t> starts_;
};

struct run_bytes {
  std::size_t begin = 0, end = 0;
  std::int64_t first = 0, last = 0;
  bool apart = false;
};

run_bytes run_around(std::string_view text, const text_lines &index,
                     const std::vector<line_info> &infos, std::int64_t first,
                     std::int64_t last) {
  const std::int64_t count = static_cast<std::int64_t>(infos.size());
  const auto blank = [&infos](std::int64_t line) {
    return infos[static_cast<std::size_t>(line - 1)].role == line_role::blank;
  };
  first = std::clamp<std::int64_t>(first, 1, count);
  last = std::clamp<std::int64_t>(last, first, count);
  while (first > 1 && !blank(first - 1))
    --first;
  while (last < count && !blank(last + 1))
    ++last;
  // Blank lines at the text's edges go with the run next to them: the
  // layout drops them.
  std::int64_t after = last;
  while (after < count && blank(after + 1))
    ++after;
  if (after == count)
    last = count;
  std::int64_t before = first;
  while (before > 1 && blank(before - 1))
    --before;
  if (before == 1)
    first = 1;
  const auto empty = [&](std::int64_t line) {
    const std::string_view t = index.line_text(line);
    return t.empty() || t == "\r";
  };
  run_bytes run;
  run.first = first;
  run.last = last;
  run.begin = index.line_start(first);
  run.end = last < count ? index.line_start(last + 1) : text.size();
  run.apart =
      (first == 1 || (first > 2 && empty(first - 1) && !blank(first - 2))) &&
      (last == count ||
       (last + 1 < count && empty(last + 1) && !blank(last + 2)));
  return run;
}

// The run laid out, or empty when it does not stand apart or holds only
// blank lines.
std::optional<std::string> lay_out_run(std::string_view text,
                                       const std::vector<line_info> &infos,
                                       const run_bytes &run) {
  if (!run.apart || run.begin >= run.end)
    return std::nullopt;
  const std::vector<line_info> part(infos.begin() + (run.first - 1),
                                    infos.begin() + run.last);
  return lay_out(text.substr(run.begin, run.end - run.begin), part);
}

// Bytes [begin, end) of `now` that differ from `was`, as lines of `now`
// and of `was` (the same common prefix and suffix on both sides).
struct changed_lines {
  std::int64_t was_first, was_last, now_first, now_last;
};

changed_lines changed(std::string_view was, const text_lines &was_index,
                      std::string_view now, const text_lines &now_index) {
  std::size_t prefix = 0;
  const std::size_t shorter = std::min(was.size(), now.size());
  while (prefix < shorter && was[prefix] == now[prefix])
    ++prefix;
  std::size_t suffix = 0;
  while (suffix < shorter - prefix &&
         was[was.size() - 1 - suffix] == now[now.size() - 1 - suffix])
    ++suffix;
  const auto lines = [](const text_lines &index, std::size_t begin,
                        std::size_t end, std::size_t size) {
    begin = std::min(begin, size == 0 ? 0 : size - 1);
    end = std::max(std::min(end, size), begin + 1);
    return std::pair{index.line_of(begin), index.line_of(end - 1)};
  };
  const auto [wf, wl] =
      lines(was_index, prefix, was.size() - suffix, was.size());
  const auto [nf, nl] =
      lines(now_index, prefix, now.size() - suffix, now.size());
  return {wf, wl, nf, nl};
}

// A text in the formatter's layout stays in it: the runs of lines the
// fixes stand in, if they were laid out, are laid out again, when the text
// then loads the same and leaves no fix to make but a suppression's (a
// layout that a fix would undo is not taken). True when that changed the
// text.
bool keep_layout(std::string_view original, const loaded_file &first,
                 fix_state &state, const fix_options &options,
                 fix_report &report, std::unordered_set<std::string> &refused) {
  if (state.text.empty() || original.empty())
    return false;
  const text_lines was_index(original), now_index(state.text);
  const changed_lines c = changed(original, was_index, state.text, now_index);
  const std::vector<line_info> &was_infos = first.checked.lines;
  const run_bytes was =
      run_around(original, was_index, was_infos, c.was_first, c.was_last);
  const std::optional<std::string> was_laid =
      lay_out_run(original, was_infos, was);
  if (!was_laid || *was_laid != original.substr(was.begin, was.end - was.begin))
    return false;
  if (state.file->checked.lines.empty())
    state.file = analyse(state.text, report.layout_analyses, true);
  const run_bytes now =
      run_around(state.text, now_index, state.file->checked.lines, c.now_first,
                 c.now_last);
  const std::optional<std::string> now_laid =
      lay_out_run(state.text, state.file->checked.lines, now);
  if (!now_laid)
    return false;
  std::string relaid =
      apply_edits(state.text, {{now.begin, now.end, *now_laid}});
  if (relaid == state.text)
    return false;
  std::shared_ptr<loaded_file> next =
      analyse(relaid, report.layout_analyses, true);
  const load_state before = state_of(*state.file), after = state_of(*next);
  if (before.data != after.data || before.result != after.result ||
      after.errors != before.errors)
    return false;
  chooser pick{relaid, next->checked, options, report, refused};
  if (!pick.choose(false).empty())
    return false;
  if (options.keep_steps)
    report.steps.push_back({state.text, {}});
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
  fix_state state{std::string(bytes), analyse(bytes, report.analyses, true)};
  report.before = state.file;
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
  } while (report.rounds > 0 && !report.oscillation &&
           keep_layout(bytes, *report.before, state, options, report, refused));
  report.text = std::move(state.text);
  report.after = std::move(state.file);
  return report;
}

std::string guard_one_fix(std::string_view text, const quelmix::fix &f) {
  if (f.edits.empty())
    return "it has no edit";
  if (const char *fault = local_fault(text, f))
    return fault;
  const record_data before = load_data(text);
  if (load_data(apply_edits(text, f.edits)) !=
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
