// SPDX-License-Identifier: MIT
#include "actions.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>

#include "engine/analysis/fixes.hpp"
#include "features.hpp"

namespace quelmix::lsp {
namespace {

// The protocol position of byte `offset` of the document.
json position_at(const analysis &a, std::size_t offset) {
  if (offset >= a.text.size() && !a.text.empty() && a.text.back() == '\n')
    return {{"line", a.line_count()}, {"character", 0}};
  const std::int64_t line = a.index.line_of(offset);
  return a.position(line, offset - a.index.line_start(line));
}

json text_edit_of(const analysis &a, const text_edit &e) {
  return {
      {"range",
       {{"start", position_at(a, e.begin)}, {"end", position_at(a, e.end)}}},
      {"newText", e.text}};
}

// Whether the client asked for actions of `kind` (all when it names none).
bool wanted(const json &context, const std::string &kind) {
  if (!context.contains("only"))
    return true;
  for (const json &only : context["only"]) {
    const std::string asked = only.get<std::string>();
    if (kind == asked || kind.rfind(asked + ".", 0) == 0)
      return true;
  }
  return false;
}

// A workspace edit of one document: versioned documentChanges when the
// client takes them (so an edit made for a version it no longer has is
// refused), else plain changes.
json document_edit(const analysis &a, const std::string &uri, long long version,
                   json edits) {
  if (!a.options.document_changes)
    return {{"changes", {{uri, std::move(edits)}}}};
  return {{"documentChanges",
           json::array({{{"textDocument", {{"uri", uri}, {"version", version}}},
                         {"edits", std::move(edits)}}})}};
}

json quick_fix_edit(const analysis &a, const std::string &uri,
                    long long version, const diagnostic &d) {
  json edits = json::array();
  for (const text_edit &e : d.fix->edits)
    edits.push_back(text_edit_of(a, e));
  return document_edit(a, uri, version, std::move(edits));
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

json quick_fix(const analysis &a, const std::string &uri, const diagnostic &d,
               std::size_t index, long long version) {
  json action = {{"title", d.fix->title},
                 {"kind", "quickfix"},
                 {"diagnostics", json::array({diagnostic_json(a, d)})},
                 {"isPreferred", d.fix->safety == fix_safety::safe}};
  if (a.options.resolve_edits)
    action["data"] = {{"uri", uri}, {"version", version}, {"fix", index}};
  else
    action["edit"] = quick_fix_edit(a, uri, version, d);
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

json fix_all_edit(const analysis &a, const std::string &uri, long long version,
                  const fix_report &fixed) {
  const json whole = {{"range",
                       {{"start", {{"line", 0}, {"character", 0}}},
                        {"end", position_at(a, a.text.size())}}},
                      {"newText", fixed.text}};
  return document_edit(a, uri, version, json::array({whole}));
}

// Listed when a safe fix is shown; the fixes themselves are applied (in
// rounds, with the engine run again) only when the edit is needed.
json fix_all(const analysis &a, const std::string &uri, long long version) {
  std::size_t safe = 0;
  for (const diagnostic &d : a.checked.diagnostics)
    safe += d.fix && d.fix->safety == fix_safety::safe &&
            a.options.warnings.shown(d);
  if (safe == 0)
    return nullptr;
  json action = {{"title", "Fix all safe problems"}, {"kind", "source.fixAll"}};
  if (a.options.resolve_edits) {
    action["data"] = {{"uri", uri}, {"version", version}, {"fix", "all"}};
    return action;
  }
  const fix_report fixed = apply_fixes(a.text, safe_shown(a));
  if (fixed.text == a.text)
    return nullptr;
  action["title"] =
      "Fix all safe problems (" + std::to_string(fixed.safe) + ")";
  action["edit"] = fix_all_edit(a, uri, version, fixed);
  return action;
}

} // namespace

json resolve_action(const analysis &a, json action, long long version) {
  const json data = action.value("data", json::object());
  if (data.value("version", version - 1) != version || !data.contains("fix"))
    return action;
  const std::string uri = data.at("uri").get<std::string>();
  const json &which = data.at("fix");
  if (which.is_string()) {
    const fix_report fixed = apply_fixes(a.text, safe_shown(a));
    if (fixed.text != a.text)
      action["edit"] = fix_all_edit(a, uri, version, fixed);
    return action;
  }
  const auto index = which.get<std::size_t>();
  if (index < a.checked.diagnostics.size() && a.checked.diagnostics[index].fix)
    action["edit"] =
        quick_fix_edit(a, uri, version, a.checked.diagnostics[index]);
  return action;
}

json code_actions(const analysis &a, const json &params, long long version) {
  const std::string uri =
      params.at("textDocument").at("uri").get<std::string>();
  const json &range = params.at("range");
  const auto first = line_number(range.at("start").at("line"));
  const auto last = line_number(range.at("end").at("line"));
  const json context = params.value("context", json::object());
  json actions = json::array();
  if (wanted(context, "quickfix"))
    for (std::size_t i = 0; i < a.checked.diagnostics.size(); ++i) {
      const diagnostic &d = a.checked.diagnostics[i];
      if (d.fix && d.line >= first && d.line <= last &&
          a.options.warnings.shown(d) && guarded(a, d))
        actions.push_back(quick_fix(a, uri, d, i, version));
    }
  if (wanted(context, "source.fixAll")) {
    json all = fix_all(a, uri, version);
    if (!all.is_null())
      actions.push_back(std::move(all));
  }
  return actions;
}

} // namespace quelmix::lsp
