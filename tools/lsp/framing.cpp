// SPDX-License-Identifier: MIT
#include "framing.hpp"

#include <algorithm>

namespace quelmix::lsp {
namespace {

constexpr std::string_view NAME = "content-length:";
constexpr std::size_t LONGEST_HEADER_BLOCK = 64 * 1024;

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool starts_with_name(std::string_view text) {
  return text.size() >= NAME.size() &&
         std::equal(NAME.begin(), NAME.end(), text.begin(),
                    [](char a, char b) { return a == lower(b); });
}

// Where the next "Content-Length:" starts (in any letter case), or npos.
std::size_t find_name(std::string_view text, std::size_t from) {
  for (std::size_t at = from; at + NAME.size() <= text.size(); ++at)
    if (lower(text[at]) == 'c' && starts_with_name(text.substr(at)))
      return at;
  return std::string_view::npos;
}

struct header {
  std::optional<std::size_t> length; // none: no usable Content-Length
  std::string problem;
  // Two Content-Length lines: which one is meant cannot be told, and
  // taking either may swallow the next message.
  bool ambiguous = false;
};

// The digits of a Content-Length line: at most 10, nothing else.
std::optional<std::size_t> parse_length(std::string_view digits) {
  while (!digits.empty() && (digits[0] == ' ' || digits[0] == '\t'))
    digits.remove_prefix(1);
  while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t'))
    digits.remove_suffix(1);
  if (digits.empty() || digits.size() > 10)
    return std::nullopt;
  std::size_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9')
      return std::nullopt;
    value = value * 10 + static_cast<std::size_t>(c - '0');
  }
  return value;
}

header read_header(std::string_view headers) {
  header h;
  bool named = false;
  while (!headers.empty()) {
    const std::size_t end = headers.find("\r\n");
    const std::string_view line = headers.substr(0, end);
    headers.remove_prefix(end == std::string_view::npos ? headers.size()
                                                        : end + 2);
    if (!starts_with_name(line))
      continue;
    h.ambiguous = named;
    if (h.ambiguous)
      break;
    named = true;
    h.length = parse_length(line.substr(NAME.size()));
  }
  if (h.ambiguous) {
    h.problem = "a message header with two Content-Length lines was dropped";
    h.length.reset();
  } else if (!named)
    h.problem = "a message header without Content-Length was dropped";
  else if (!h.length)
    h.problem = "a message header with a Content-Length that is not a "
                "number was dropped";
  else if (*h.length > MAX_BODY) {
    h.problem = "a message of " + std::to_string(*h.length) +
                " bytes is over the limit of " +
                std::to_string(MAX_BODY >> 20) + " MiB and was dropped";
    h.length.reset();
  }
  return h;
}

} // namespace

// Drops what stands before the next header; false until one is in sight
// (only a tail that may be the start of one is kept meanwhile).
bool frame_reader::resynchronise() {
  const std::size_t at = find_name(buffer_, 0);
  if (at == std::string::npos) {
    const std::size_t keep = std::min(buffer_.size(), NAME.size() - 1);
    buffer_.erase(0, buffer_.size() - keep);
    return false;
  }
  buffer_.erase(0, at);
  searching_ = false;
  return true;
}

std::optional<frame> frame_reader::next() {
  if (searching_ && !resynchronise())
    return std::nullopt;
  const std::size_t end = buffer_.find("\r\n\r\n");
  if (end == std::string::npos) {
    if (buffer_.size() <= LONGEST_HEADER_BLOCK)
      return std::nullopt;
    buffer_.erase(0, 1); // headers are short; a long run without an end
    searching_ = true;
    return frame{{}, "a message header longer than 64 KiB was dropped"};
  }
  const header h = read_header(std::string_view(buffer_).substr(0, end));
  if (h.ambiguous) {
    buffer_.erase(0, end + 4); // its body, if any, is searched through
    searching_ = true;
    return frame{{}, h.problem};
  }
  // Bytes before a header that belong to no message: start at the header.
  const std::size_t later =
      find_name(std::string_view(buffer_).substr(0, end), 1);
  if (!h.length && later != std::string::npos) {
    buffer_.erase(0, later);
    return frame{{}, "bytes before a message header were dropped"};
  }
  if (!h.length) {
    buffer_.erase(0, end + 4); // its body, if any, is searched through
    searching_ = true;
    return frame{{}, h.problem};
  }
  const std::size_t body = end + 4;
  if (buffer_.size() - body < *h.length)
    return std::nullopt;
  frame message{buffer_.substr(body, *h.length), {}};
  buffer_.erase(0, body + *h.length);
  return message;
}

std::string frame_message(std::string_view body) {
  std::string out = "Content-Length: " + std::to_string(body.size());
  out += "\r\n\r\n";
  out.append(body);
  return out;
}

} // namespace quelmix::lsp
