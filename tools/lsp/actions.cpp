// SPDX-License-Identifier: MIT
#include "actions.hpp"

#include <algorithm>

#include "diagnostics.hpp"
#include "engine/analysis/fixes.hpp"

namespace quelmix::lsp {
namespace {

// The protocol position of byte `offset` of the document.
protocol::position position_at(const analysis &a, std::size_t offset) {
  if (offset >= a.text.size() && !a.text.empty() && a.text.back() == '\n')
    return {a.line_count(), 0};
  const std::int64_t line = a.index.line_of(offset);
  return a.position(line, offset - a.index.line_start(line));
}

protocol::text_edit edit_of(const analysis &a, const text_edit &e) {
  return {{position_at(a, e.begin), position_at(a, e.end)}, e.text};
}

// A workspace edit of one document, versioned when the client takes
// versioned documentChanges.
protocol::workspace_edit
document_edit(const analysis &a, const std::string &uri, long long version) {
  protocol::workspace_edit out{uri, {}, std::nullopt};
  if (a.options.document_changes)
    out.version = version;
  return out;
}

protocol::workspace_edit quick_fix_edit(const analysis &a,
                                        const std::string &uri,
                                        long long version,
                                        const diagnostic &d) {
  protocol::workspace_edit out = document_edit(a, uri, version);
  for (const text_edit &e : d.fix->edits)
    out.edits.push_back(edit_of(a, e));
  return out;
}

// A quick fix on a line the library reads in pieces (or with a NUL byte)
// is offered only when the record guard lets it stand; elsewhere its line
// is all it touches, which its promise covers.
bool guarded(const analysis &a, const diagnostic &d) {
  const line_info *info = a.info(d.line);
  if (info != nullptr && info->whole)
    return true;
  return guard_one_fix(a.text, *d.fix).empty();
}

protocol::code_action quick_fix(const analysis &a, const std::string &uri,
                                const diagnostic &d, std::size_t index,
                                long long version) {
  protocol::code_action action;
  action.title = d.fix->title;
  action.kind = "quickfix";
  action.diagnostics.push_back(diagnostic_of(a, d));
  action.preferred = d.fix->safety == fix_safety::safe;
  if (a.options.resolve_edits)
    action.data = protocol::action_data{uri, version, index};
  else
    action.edit = quick_fix_edit(a, uri, version, d);
  return action;
}

// The safe fixes of the diagnostics the user's warning options show.
fix_options safe_shown(const analysis &a) {
  fix_options options;
  options.wanted = [&a](const diagnostic &d) {
    return a.options.warnings.shown(d);
  };
  return options;
}

protocol::workspace_edit fix_all_edit(const analysis &a, const std::string &uri,
                                      long long version,
                                      const fix_report &fixed) {
  protocol::workspace_edit out = document_edit(a, uri, version);
  out.edits.push_back({{{0, 0}, position_at(a, a.text.size())}, fixed.text});
  return out;
}

// Listed when a safe fix is shown; the fixes themselves are applied (in
// rounds, with the engine run again) only when the edit is needed.
std::optional<protocol::code_action>
fix_all(const analysis &a, const std::string &uri, long long version) {
  std::size_t safe = 0;
  for (const diagnostic &d : a.checked.diagnostics)
    safe += d.fix && d.fix->safety == fix_safety::safe &&
            a.options.warnings.shown(d);
  if (safe == 0)
    return std::nullopt;
  protocol::code_action action;
  action.title = "Fix all safe problems";
  action.kind = "source.fixAll";
  if (a.options.resolve_edits) {
    action.data = protocol::action_data{uri, version, std::nullopt};
    return action;
  }
  const fix_report fixed = apply_fixes(a.text, safe_shown(a));
  if (fixed.text == a.text)
    return std::nullopt;
  action.title += " (" + std::to_string(fixed.safe) + ")";
  action.edit = fix_all_edit(a, uri, version, fixed);
  return action;
}

} // namespace

std::optional<protocol::workspace_edit>
resolve_edit(const analysis &a, const protocol::action_data &which,
             long long version) {
  if (which.version != version)
    return std::nullopt;
  if (!which.fix) {
    const fix_report fixed = apply_fixes(a.text, safe_shown(a));
    if (fixed.text == a.text)
      return std::nullopt;
    return fix_all_edit(a, which.uri, version, fixed);
  }
  const std::size_t index = *which.fix;
  if (index < a.checked.diagnostics.size() && a.checked.diagnostics[index].fix)
    return quick_fix_edit(a, which.uri, version, a.checked.diagnostics[index]);
  return std::nullopt;
}

std::vector<protocol::code_action>
code_actions(const analysis &a, const protocol::action_request &request,
             long long version) {
  std::vector<protocol::code_action> actions;
  if (request.quick_fixes)
    for (std::size_t i = 0; i < a.checked.diagnostics.size(); ++i) {
      const diagnostic &d = a.checked.diagnostics[i];
      if (d.fix && d.line >= request.first && d.line <= request.last &&
          a.options.warnings.shown(d) && guarded(a, d))
        actions.push_back(quick_fix(a, request.uri, d, i, version));
    }
  if (request.fix_all)
    if (auto all = fix_all(a, request.uri, version))
      actions.push_back(std::move(*all));
  return actions;
}

} // namespace quelmix::lsp
