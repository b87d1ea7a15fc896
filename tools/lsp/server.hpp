// SPDX-License-Identifier: MIT
// The language server's state and its answer to each message. It never
// throws and never stops on what it receives: a message it cannot read
// gets a JSON-RPC error, and the server goes on.
//
// Changes are taken in as they come, but a document is analysed for its
// diagnostics only when the caller flushes, which the main loop does once
// no more input is waiting: a burst of changes is analysed once, for its
// latest version.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "document.hpp"
#include "project_settings.hpp"

namespace quelmix::lsp {

class server {
public:
  // Answers one message body; returns the bodies to send back (responses
  // and notifications), in order.
  std::vector<std::string> handle(std::string_view body);

  // Word of a frame the reader dropped: an error message for the user.
  std::vector<std::string> dropped(std::string_view why);

  // publishDiagnostics for every document changed, opened or closed since
  // the last flush, with the version it was analysed at.
  std::vector<std::string> flush();

  // Set once "exit" has arrived: the process's exit status (0 after a
  // "shutdown" request, 1 without one, as the protocol says).
  std::optional<int> exit_status() const { return exit_status_; }

  // How many times a document was analysed: once per version (and per
  // change of the user's settings), whatever was asked of it.
  std::size_t analyses() const { return analyses_; }

private:
  struct document {
    std::string text;
    long long version = 0;
    // The analysis of this version, made when first asked for and dropped
    // when the text or the settings change.
    std::unique_ptr<const analysis> analysed;
  };

  // The analysis of `d`'s current version, under the options for `uri`.
  const analysis &analysed(const std::string &uri, document &d);

  std::map<std::string, document, std::less<>> documents_;
  std::set<std::string, std::less<>> pending_; // to publish at the flush
  client_options options_;
  // Each document's options: its project file's, the editor's over them.
  document_settings projects_;
  std::vector<std::string> project_problems_; // to show at the flush
  const client_options &options_for(const std::string &uri) {
    return projects_.for_document(uri, options_, project_problems_);
  }
  bool initialized_ = false;
  bool shutting_down_ = false;
  std::optional<int> exit_status_;
  std::size_t analyses_ = 0;

  friend struct dispatcher;
};

} // namespace quelmix::lsp
