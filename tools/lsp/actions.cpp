// SPDX-License-Identifier: MIT
#include "actions.hpp"

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

json quick_fix(const analysis &a, const std::string &uri, const diagnostic &d) {
  json edits = json::array();
  for (const text_edit &e : d.fix->edits)
    edits.push_back(text_edit_of(a, e));
  return {{"title", d.fix->title},
          {"kind", "quickfix"},
          {"diagnostics", json::array({diagnostic_json(a, d)})},
          {"isPreferred", d.fix->safety == fix_safety::safe},
          {"edit", {{"changes", {{uri, edits}}}}}};
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

json fix_all(const analysis &a, const std::string &uri) {
  fix_options options;
  options.wanted = [&a](const diagnostic &d) {
    return a.options.warnings.shown(d);
  };
  const fix_report fixed = apply_fixes(a.text, options);
  if (fixed.text == a.text)
    return nullptr;
  const json whole = {{"range",
                       {{"start", {{"line", 0}, {"character", 0}}},
                        {"end", position_at(a, a.text.size())}}},
                      {"newText", fixed.text}};
  return {
      {"title", "Fix all safe problems (" + std::to_string(fixed.safe) + ")"},
      {"kind", "source.fixAll"},
      {"edit", {{"changes", {{uri, json::array({whole})}}}}}};
}

} // namespace

json code_actions(const analysis &a, const json &params) {
  const std::string uri =
      params.at("textDocument").at("uri").get<std::string>();
  const json &range = params.at("range");
  const auto first = range.at("start").at("line").get<std::int64_t>() + 1;
  const auto last = range.at("end").at("line").get<std::int64_t>() + 1;
  const json context = params.value("context", json::object());
  json actions = json::array();
  if (wanted(context, "quickfix"))
    for (const diagnostic &d : a.checked.diagnostics)
      if (d.fix && d.line >= first && d.line <= last &&
          a.options.warnings.shown(d) && guarded(a, d))
        actions.push_back(quick_fix(a, uri, d));
  if (wanted(context, "source.fixAll")) {
    json all = fix_all(a, uri);
    if (!all.is_null())
      actions.push_back(std::move(all));
  }
  return actions;
}

} // namespace quelmix::lsp
