// SPDX-License-Identifier: MIT
#include "framing.hpp"

#include <cctype>
#include <cstdlib>

namespace quelmix::lsp {
namespace {

// The Content-Length of a header block, or nothing when it has none that
// makes sense.
std::optional<std::size_t> content_length(std::string_view headers) {
  constexpr std::string_view NAME = "content-length:";
  std::optional<std::size_t> length;
  while (!headers.empty()) {
    const std::size_t end = headers.find("\r\n");
    const std::string_view line = headers.substr(0, end);
    headers.remove_prefix(end == std::string_view::npos ? headers.size()
                                                        : end + 2);
    if (line.size() < NAME.size())
      continue;
    bool named = true;
    for (std::size_t i = 0; i < NAME.size(); ++i)
      named =
          named && std::tolower(static_cast<unsigned char>(line[i])) == NAME[i];
    if (!named)
      continue;
    std::string_view digits = line.substr(NAME.size());
    while (!digits.empty() && (digits[0] == ' ' || digits[0] == '\t'))
      digits.remove_prefix(1);
    std::size_t value = 0;
    if (digits.empty() || digits.size() > 10)
      return std::nullopt;
    for (char c : digits) {
      if (c < '0' || c > '9')
        return std::nullopt;
      value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    length = value;
  }
  if (length && *length > MAX_BODY)
    return std::nullopt;
  return length;
}

} // namespace

std::optional<std::string> frame_reader::next() {
  for (;;) {
    const std::size_t end = buffer_.find("\r\n\r\n");
    if (end == std::string::npos) {
      // Headers are short; a long run without an end is garbage.
      if (buffer_.size() > 64 * 1024) {
        buffer_.clear();
        ++dropped_;
      }
      return std::nullopt;
    }
    const std::optional<std::size_t> length =
        content_length(std::string_view(buffer_).substr(0, end));
    if (!length) {
      buffer_.erase(0, end + 4);
      ++dropped_;
      continue;
    }
    const std::size_t body = end + 4;
    if (buffer_.size() - body < *length)
      return std::nullopt;
    std::string message = buffer_.substr(body, *length);
    buffer_.erase(0, body + *length);
    return message;
  }
}

std::string frame(std::string_view body) {
  std::string out = "Content-Length: " + std::to_string(body.size());
  out += "\r\n\r\n";
  out.append(body);
  return out;
}

} // namespace quelmix::lsp
