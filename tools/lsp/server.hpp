// SPDX-License-Identifier: MIT
// The language server's state and its answer to each message. It never
// throws and never stops on what it receives: a message it cannot read
// gets a JSON-RPC error, and the server goes on.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelmix::lsp {

class server {
public:
  // Answers one message body; returns the bodies to send back (responses
  // and notifications), in order.
  std::vector<std::string> handle(std::string_view body);

  // Set once "exit" has arrived: the process's exit status (0 after a
  // "shutdown" request, 1 without one, as the protocol says).
  std::optional<int> exit_status() const { return exit_status_; }

private:
  struct document {
    std::string text;
    long long version = 0;
  };

  std::map<std::string, document, std::less<>> documents_;
  bool initialized_ = false;
  bool shutting_down_ = false;
  std::optional<int> exit_status_;

  friend struct dispatcher;
};

} // namespace quelmix::lsp
