// SPDX-License-Identifier: MIT
#include "options.hpp"

#include <algorithm>

namespace quelmix::lsp {
namespace {

bool offers(const std::vector<std::string> &list, std::string_view value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

void take_client_capabilities(const protocol::client_capabilities &client,
                              client_options &options) {
  options.utf8 = offers(client.position_encodings, "utf-8");
  if (client.hover_formats)
    options.markdown = offers(*client.hover_formats, "markdown");
  options.resolve_edits = offers(client.resolvable, "edit");
  options.watches_files = client.watches_files;
  options.document_changes = client.document_changes;
}

bool apply_settings(
    const std::optional<std::vector<protocol::checker_option>> &settings,
    client_options &options, std::string &problem) {
  options.warnings = tools::warning_options{};
  options.checker_options.clear();
  if (!settings)
    return true;
  for (const protocol::checker_option &item : *settings) {
    const std::string option = item.is_string ? item.text : "";
    if (tools::apply_warning_option(options.warnings, option))
      options.checker_options.push_back(option);
    else
      problem += (problem.empty() ? "unknown checker option '" : ", '") +
                 item.text + "'";
  }
  return problem.empty();
}

} // namespace quelmix::lsp
