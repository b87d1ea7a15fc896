// SPDX-License-Identifier: MIT
#include "json_string.hpp"

#include <cstdio>

#include "engine/messages/utf8.hpp"

namespace quelmix::tools {
namespace {

void append_escape(std::string &out, unsigned code) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\u%04x", code);
  out += escape;
}

} // namespace

void append_json_string(std::string &out, std::string_view bytes) {
  out += '"';
  for (std::size_t i = 0; i < bytes.size();) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x80) {
      const std::size_t length = utf8_sequence(bytes.substr(i));
      if (length == 0) {
        append_escape(out, c);
        ++i;
      } else {
        out.append(bytes.substr(i, length));
        i += length;
      }
      continue;
    }
    switch (c) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\t':
      out += "\\t";
      break;
    case '\r':
      out += "\\r";
      break;
    default:
      if (c < 0x20 || c == 0x7F)
        append_escape(out, c);
      else
        out += static_cast<char>(c);
    }
    ++i;
  }
  out += '"';
}

} // namespace quelmix::tools
