// SPDX-License-Identifier: MIT
#include "options.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace quelmix::lsp {
namespace {

bool offers(const json &list, const char *value) {
  return list.is_array() &&
         std::any_of(list.begin(), list.end(), [value](const json &item) {
           return item.is_string() && item.get<std::string>() == value;
         });
}

// The list of checker options in settings, wherever the client put it.
const json *checker_options(const json &settings) {
  if (!settings.is_object())
    return nullptr;
  if (settings.contains("quelmix"))
    return checker_options(settings["quelmix"]);
  const auto found = settings.find("checkerOptions");
  return found != settings.end() && found->is_array() ? &*found : nullptr;
}

} // namespace

void take_client_capabilities(const json &capabilities,
                              client_options &options) {
  const json general = capabilities.value("general", json::object());
  options.utf8 =
      offers(general.value("positionEncodings", json::array()), "utf-8");
  const json hover = capabilities.value("textDocument", json::object())
                         .value("hover", json::object());
  if (hover.contains("contentFormat"))
    options.markdown = offers(hover["contentFormat"], "markdown");
  const json resolvable = capabilities.value("textDocument", json::object())
                              .value("codeAction", json::object())
                              .value("resolveSupport", json::object())
                              .value("properties", json::array());
  options.resolve_edits = offers(resolvable, "edit");
  const json watched = capabilities.value("workspace", json::object())
                           .value("didChangeWatchedFiles", json::object());
  options.watches_files = watched.value("dynamicRegistration", false);
  const json edits = capabilities.value("workspace", json::object())
                         .value("workspaceEdit", json::object());
  options.document_changes = edits.value("documentChanges", false);
}

bool apply_settings(const json &settings, client_options &options,
                    std::string &problem) {
  options.warnings = tools::warning_options{};
  options.checker_options.clear();
  const json *list = checker_options(settings);
  if (list == nullptr)
    return true;
  for (const json &item : *list) {
    const std::string option = item.is_string() ? item.get<std::string>() : "";
    if (!tools::apply_warning_option(options.warnings, option))
      problem += (problem.empty() ? "unknown checker option '" : ", '") +
                 (item.is_string() ? option : item.dump()) + "'";
    else
      options.checker_options.push_back(option);
  }
  return problem.empty();
}

} // namespace quelmix::lsp
