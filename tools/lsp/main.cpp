// SPDX-License-Identifier: MIT
// quelmix-config-lsp: a Language Server Protocol 3.17 server for camera
// configuration files, over standard input and output.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "framing.hpp"
#include "quelmix_config_parser.h"
#include "server.hpp"

namespace {

constexpr const char *USAGE =
    "Usage: quelmix-config-lsp [OPTION]...\n"
    "A language server for camera configuration files: the Language Server\n"
    "Protocol 3.17 over standard input and output (JSON-RPC with\n"
    "Content-Length framing, full-document sync). It publishes every\n"
    "diagnostic quelmix-config-check reports, and answers hover, completion,\n"
    "document symbols and formatting. An editor starts it; see README.\n"
    "\n"
    "      --stdio            accepted and ignored (standard input and output\n"
    "                         are the only transport)\n"
    "  -h, --help             show this help and exit\n"
    "      --version          show the version and exit\n";

bool write_all(const std::string &bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
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
      std::printf("quelmix-config-lsp %d.%d.%d\n",
                  QUELMIX_CONFIG_PARSER_VERSION_MAJOR,
                  QUELMIX_CONFIG_PARSER_VERSION_MINOR,
                  QUELMIX_CONFIG_PARSER_VERSION_PATCH);
      return 0;
    }
    if (arg == "--stdio")
      continue; // what some editors pass; standard I/O is all there is
    std::fprintf(stderr,
                 "quelmix-config-lsp: unknown option '%s'\n"
                 "Try 'quelmix-config-lsp --help'.\n",
                 argv[i]);
    return 2;
  }
  quelmix::lsp::frame_reader frames;
  quelmix::lsp::server server;
  char chunk[64 * 1024];
  for (;;) {
    const ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      return 1; // the editor went away without "exit"
    frames.feed(std::string_view(chunk, static_cast<std::size_t>(got)));
    while (auto body = frames.next()) {
      for (const std::string &reply : server.handle(*body))
        if (!write_all(quelmix::lsp::frame(reply)))
          return 1;
      if (server.exit_status())
        return *server.exit_status();
    }
  }
}
