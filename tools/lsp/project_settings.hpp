// SPDX-License-Identifier: MIT
// Each document's settings: the project file that governs its path (the
// nearest quelmix.toml above it), with the editor's checker options over
// it, as the checker settles them for a file. Project files are read
// again when the client says one changed (workspace/didChangeWatchedFiles)
// and when a document is opened.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "document.hpp"
#include "settings.hpp"

namespace quelmix::lsp {

class document_settings {
public:
  // The options for the document at `uri`; a bad project file's error is
  // added to `problems` once.
  const client_options &for_document(const std::string &uri,
                                     const client_options &client,
                                     std::vector<std::string> &problems);
  // The editor's settings changed: settle every document again.
  void client_changed() { settled_.clear(); }
  // A project file may have changed: read them again.
  void projects_changed();

private:
  tools::project_finder finder_{tools::settings_choices{}};
  std::map<std::string, client_options, std::less<>> settled_;
  std::set<std::string> said_;
};

// The local path of a file: URI, percent-decoded; empty for another scheme.
std::string path_of_uri(const std::string &uri);

} // namespace quelmix::lsp
