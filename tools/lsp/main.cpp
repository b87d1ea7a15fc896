// SPDX-License-Identifier: MIT
// quelmix-config-lsp: a Language Server Protocol 3.17 server for camera
// configuration files, over standard input and output.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.hpp"
#include "exit_status.hpp"
#include "framing.hpp"
#include "output.hpp"
#include "server.hpp"

namespace {

constexpr const char *USAGE =
    "Usage: quelmix-config-lsp [OPTION]...\n"
    "A language server for camera configuration files: the Language Server\n"
    "Protocol 3.17 over standard input and output (JSON-RPC with\n"
    "Content-Length framing, incremental document sync). It publishes every\n"
    "diagnostic quelmix-config-check reports, and answers hover, completion,\n"
    "document symbols, formatting, code actions, semantic tokens, folding\n"
    "ranges and inlay hints. An editor starts it; see\n"
    "quelmix-config-lsp(1) for the set-up of each editor.\n"
    "\n"
    "      --stdio            accepted and ignored (standard input and output\n"
    "                         are the only transport)\n"
    "  -h, --help             show this help and exit\n"
    "      --version          show the version and exit\n";

bool send(const std::vector<std::string> &bodies) {
  for (const std::string &body : bodies)
    if (!quelmix::tools::write_all(STDOUT_FILENO,
                                   quelmix::lsp::frame_message(body)))
      return false;
  return true;
}

// More input is waiting to be read: hold the diagnostics back until the
// burst it belongs to has been taken in.
bool input_waiting() {
  pollfd in{STDIN_FILENO, POLLIN, 0};
  return poll(&in, 1, 0) > 0;
}

// Reads frames until "exit" or the end of input; the exit status.
int serve() {
  quelmix::lsp::frame_reader frames;
  quelmix::lsp::server server;
  std::vector<char> chunk(64 * 1024); // from the heap: a small stack will do
  for (;;) {
    const ssize_t got = read(STDIN_FILENO, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      return quelmix::tools::EXIT_FOUND; // the editor went away without "exit"
    frames.feed(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
    while (auto message = frames.next()) {
      const bool sent = message->dropped.empty()
                            ? send(server.handle(message->body))
                            : send(server.dropped(message->dropped));
      if (!sent)
        return quelmix::tools::EXIT_FOUND;
      if (server.exit_status())
        return *server.exit_status();
    }
    if (!input_waiting() && !send(server.flush()))
      return quelmix::tools::EXIT_FOUND;
  }
}

} // namespace

int main(int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(USAGE, stdout);
      return 0;
    }
    if (arg == "--version") {
      quelmix::tools::print_version("quelmix-config-lsp");
      return 0;
    }
    if (arg != "--stdio") { // what some editors pass; stdio is all there is
      quelmix::tools::report_usage_error(
          "quelmix-config-lsp", "unknown option '" + std::string(arg) + "'");
      return quelmix::tools::EXIT_TROUBLE;
    }
  }
  return quelmix::tools::run_and_finish("quelmix-config-lsp", serve);
}
