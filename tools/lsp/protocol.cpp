// SPDX-License-Identifier: MIT
#include "protocol.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace quelmix::lsp::protocol {
namespace {

template <typename T> json array(const std::vector<T> &items) {
  json out = json::array();
  for (const T &item : items)
    out.push_back(item);
  return out;
}

// The strings of a JSON list (nothing when it is not a list).
std::vector<std::string> strings_of(const json &list) {
  std::vector<std::string> out;
  if (!list.is_array())
    return out;
  for (const json &item : list)
    if (item.is_string())
      out.push_back(item.get<std::string>());
  return out;
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

} // namespace

void to_json(json &out, const position &p) {
  out = {{"line", p.line}, {"character", p.character}};
}

void to_json(json &out, const range &r) {
  out = {{"start", r.start}, {"end", r.end}};
}

void to_json(json &out, const text_edit &e) {
  out = {{"range", e.where}, {"newText", e.new_text}};
}

void to_json(json &out, const diagnostic &d) {
  out = {{"range", d.where},
         {"severity", d.severity},
         {"code", d.code},
         {"source", "quelmix"},
         {"message", d.message}};
}

void to_json(json &out, const hover &h) {
  out = {{"contents",
          {{"kind", h.markdown ? "markdown" : "plaintext"}, {"value", h.text}}},
         {"range", h.where}};
}

void to_json(json &out, const completion_item &c) {
  out = {{"label", c.label}, {"kind", c.kind}, {"detail", c.detail}};
  if (c.edit)
    out["textEdit"] = *c.edit;
}

void to_json(json &out, const document_symbol &s) {
  out = {{"name", s.name},
         {"detail", s.detail},
         {"kind", s.kind},
         {"range", s.where},
         {"selectionRange", s.selection}};
}

void to_json(json &out, const folding_range &f) {
  out = {{"startLine", f.first}, {"endLine", f.last}, {"kind", f.kind}};
}

void to_json(json &out, const inlay_hint &h) {
  out = {{"position", h.where}, {"label", h.label}, {"paddingLeft", true}};
}

void to_json(json &out, const action_data &d) {
  out = {{"uri", d.uri}, {"version", d.version}};
  if (d.fix)
    out["fix"] = *d.fix;
  else
    out["fix"] = "all";
}

void to_json(json &out, const workspace_edit &e) {
  if (!e.version) {
    out = {{"changes", {{e.uri, array(e.edits)}}}};
    return;
  }
  out = {{"documentChanges",
          json::array(
              {{{"textDocument", {{"uri", e.uri}, {"version", *e.version}}},
                {"edits", array(e.edits)}}})}};
}

void to_json(json &out, const code_action &a) {
  out = {{"title", a.title}, {"kind", a.kind}};
  if (!a.diagnostics.empty())
    out["diagnostics"] = array(a.diagnostics);
  if (a.preferred)
    out["isPreferred"] = *a.preferred;
  if (a.edit)
    out["edit"] = *a.edit;
  if (a.data)
    out["data"] = *a.data;
}

json array_of(const std::vector<diagnostic> &items) { return array(items); }
json array_of(const std::vector<completion_item> &items) {
  return array(items);
}
json array_of(const std::vector<document_symbol> &items) {
  return array(items);
}
json array_of(const std::vector<folding_range> &items) { return array(items); }
json array_of(const std::vector<inlay_hint> &items) { return array(items); }
json array_of(const std::vector<text_edit> &items) { return array(items); }
json array_of(const std::vector<code_action> &items) { return array(items); }

json tokens_json(const std::vector<std::uint32_t> &data) {
  return {{"data", data}};
}

json legend_json(const std::vector<std::string> &types,
                 const std::vector<std::string> &modifiers) {
  return {{"tokenTypes", types}, {"tokenModifiers", modifiers}};
}

position position_of(const json &value) {
  return {value.at("line").get<std::int64_t>(),
          value.at("character").get<std::size_t>()};
}

action_request action_request_of(const json &params) {
  action_request r;
  r.uri = params.at("textDocument").at("uri").get<std::string>();
  const json &range = params.at("range");
  r.first = line_number(range.at("start").at("line").get<std::int64_t>());
  r.last = line_number(range.at("end").at("line").get<std::int64_t>());
  const json context = params.value("context", json::object());
  r.quick_fixes = wanted(context, "quickfix");
  r.fix_all = wanted(context, "source.fixAll");
  return r;
}

std::string resolve_uri(const json &action) {
  return action.value("data", json::object()).value("uri", std::string());
}

std::optional<action_data> resolve_request_of(const json &action,
                                              long long version) {
  const json data = action.value("data", json::object());
  if (data.value("version", version - 1) != version || !data.contains("fix"))
    return std::nullopt;
  action_data which{data.at("uri").get<std::string>(), version, std::nullopt};
  const json &fix = data.at("fix");
  if (!fix.is_string())
    which.fix = fix.get<std::size_t>();
  return which;
}

client_capabilities capabilities_of(const json &capabilities) {
  client_capabilities c;
  const json general = capabilities.value("general", json::object());
  c.position_encodings =
      strings_of(general.value("positionEncodings", json::array()));
  const json document = capabilities.value("textDocument", json::object());
  const json hover = document.value("hover", json::object());
  if (hover.contains("contentFormat"))
    c.hover_formats = strings_of(hover["contentFormat"]);
  c.resolvable = strings_of(document.value("codeAction", json::object())
                                .value("resolveSupport", json::object())
                                .value("properties", json::array()));
  c.watches_files = capabilities.value("workspace", json::object())
                        .value("didChangeWatchedFiles", json::object())
                        .value("dynamicRegistration", false);
  c.document_changes = capabilities.value("workspace", json::object())
                           .value("workspaceEdit", json::object())
                           .value("documentChanges", false);
  return c;
}

std::optional<std::vector<checker_option>>
checker_options_of(const json &settings) {
  if (!settings.is_object())
    return std::nullopt;
  if (settings.contains("quelmix"))
    return checker_options_of(settings["quelmix"]);
  const auto found = settings.find("checkerOptions");
  if (found == settings.end() || !found->is_array())
    return std::nullopt;
  std::vector<checker_option> out;
  for (const json &item : *found)
    out.push_back(item.is_string()
                      ? checker_option{item.get<std::string>(), true}
                      : checker_option{item.dump(), false});
  return out;
}

} // namespace quelmix::lsp::protocol
