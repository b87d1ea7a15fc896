// SPDX-License-Identifier: MIT
// JSON-RPC messages framed as the Language Server Protocol frames them:
// "Content-Length: N\r\n" (other headers allowed), "\r\n", then N bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quelmix::lsp {

// Bytes go in as they arrive; whole message bodies come out.
class frame_reader {
public:
  void feed(std::string_view bytes) { buffer_.append(bytes); }

  // The next body, or nothing until more bytes arrive. A header block
  // without a usable Content-Length is dropped (and counted), so that a
  // garbled frame never stops the server.
  std::optional<std::string> next();

  std::size_t dropped() const { return dropped_; }

private:
  std::string buffer_;
  std::size_t dropped_ = 0;
};

// A message body with its header, ready to write.
std::string frame(std::string_view body);

// The largest body accepted (a document of a few megabytes fits easily).
inline constexpr std::size_t MAX_BODY = 64 * 1024 * 1024;

} // namespace quelmix::lsp
