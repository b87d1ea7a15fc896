// SPDX-License-Identifier: MIT
#include "project_settings.hpp"

namespace quelmix::lsp {
namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

} // namespace

std::string path_of_uri(const std::string &uri) {
  constexpr std::string_view scheme = "file://";
  if (uri.compare(0, scheme.size(), scheme) != 0)
    return "";
  std::string path;
  for (std::size_t i = scheme.size(); i < uri.size(); ++i) {
    const int high = i + 2 < uri.size() ? hex_digit(uri[i + 1]) : -1;
    const int low = i + 2 < uri.size() ? hex_digit(uri[i + 2]) : -1;
    if (uri[i] == '%' && high >= 0 && low >= 0) {
      path += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      path += uri[i];
    }
  }
  // "file://host/path" names a path on the host; only local files count.
  return !path.empty() && path.front() == '/' ? path : "";
}

void document_settings::projects_changed() {
  settled_.clear();
  said_.clear();
  finder_.forget();
}

const client_options &
document_settings::for_document(const std::string &uri,
                                const client_options &client,
                                std::vector<std::string> &problems) {
  const auto known = settled_.find(uri);
  if (known != settled_.end())
    return known->second;
  client_options &options = settled_[uri];
  options = client;
  const std::string path = path_of_uri(uri);
  if (path.empty())
    return options;
  const tools::governing g = finder_.for_file(path);
  if (g.error != nullptr) {
    const std::string line = tools::project_error_line(*g.error);
    if (said_.insert(line).second)
      problems.push_back(line);
    return options;
  }
  if (g.read == nullptr)
    return options;
  const tools::file_settings settled = tools::settings_for(
      g.read, path, tools::settings_choices{{}, false, client.checker_options});
  options.warnings = settled.warnings;
  options.rules = settled.rules;
  return options;
}

} // namespace quelmix::lsp
