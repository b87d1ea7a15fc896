// SPDX-License-Identifier: MIT
// JSON-RPC messages framed as the Language Server Protocol frames them:
// "Content-Length: N\r\n" (other headers allowed), "\r\n", then N bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quelmix::lsp {

// The largest body accepted (a document of a few megabytes fits easily).
inline constexpr std::size_t MAX_BODY = 64 * 1024 * 1024;

// What the reader hands on: a message body, or word of a frame it dropped.
struct frame {
  std::string body;
  std::string dropped; // why a frame was dropped; empty for a body
};

// Bytes go in as they arrive; whole message bodies come out. A frame whose
// header makes no sense (no usable Content-Length, one over MAX_BODY) is
// dropped and reported, and the reader finds the next "Content-Length:"
// header, discarding what stands before it, so that one bad frame never
// makes the server deaf. Memory stays bounded while it searches.
class frame_reader {
public:
  void feed(std::string_view bytes) { buffer_.append(bytes); }
  std::optional<frame> next();

private:
  bool resynchronise();

  std::string buffer_;
  bool searching_ = false; // looking for the next header after a bad one
};

// A message body with its header, ready to write.
std::string frame_message(std::string_view body);

} // namespace quelmix::lsp
