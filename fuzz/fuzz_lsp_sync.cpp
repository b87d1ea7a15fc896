// SPDX-License-Identifier: MIT
// The language server's incremental sync: a document edited in the server
// (ranges anywhere, past a line's end, across CRLF line endings) publishes
// the same diagnostics as the text those edits make, opened fresh. The
// input is a document and, after its first NUL byte, the edits: five bytes
// each (start line, start character, end line, end character, and how many
// bytes of the document to insert).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "record_checks.hpp"
#include "server.hpp"

namespace {

using json = nlohmann::json;

std::string message(const char *method, json params) {
  return json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}
      .dump();
}

// Where a UTF-8 position lands in `text`: lines end at "\n", and a
// character past a line's end stays before its line ending ("\r\n" too).
std::size_t offset_of(const std::string &text, std::size_t line,
                      std::size_t character) {
  std::size_t start = 0;
  for (std::size_t l = 0; l < line; ++l) {
    const std::size_t newline = text.find('\n', start);
    if (newline == std::string::npos)
      return text.size();
    start = newline + 1;
  }
  std::size_t end = text.find('\n', start);
  if (end == std::string::npos)
    end = text.size();
  else if (end > start && text[end - 1] == '\r')
    --end;
  return start + std::min(character, end - start);
}

json diagnostics_of(const std::vector<std::string> &published,
                    std::string_view uri) {
  json found;
  for (const std::string &body : published) {
    const json m = json::parse(body);
    if (m["params"]["uri"] == uri)
      found = m["params"]["diagnostics"];
  }
  return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  std::string input(reinterpret_cast<const char *>(data), size);
  for (char &c : input) // JSON carries text; positions count bytes
    if (static_cast<unsigned char>(c) >= 0x80)
      c = '?';
  const std::size_t nul = input.find('\0');
  std::string text = input.substr(0, nul);
  const std::string edits =
      nul == std::string::npos ? std::string() : input.substr(nul + 1);

  quelmix::lsp::server server;
  server.handle(json{
      {"jsonrpc", "2.0"},
      {"id", 1},
      {"method", "initialize"},
      {"params",
       {{"capabilities", {{"general", {{"positionEncodings", {"utf-8"}}}}}}}}}
                    .dump());
  const std::string edited = "file:///edited.cfg", fresh = "file:///fresh.cfg";
  server.handle(message(
      "textDocument/didOpen",
      {{"textDocument", {{"uri", edited}, {"version", 1}, {"text", text}}}}));
  json changes = json::array();
  for (std::size_t i = 0; i + 5 <= edits.size() && i < 5 * 16; i += 5) {
    const auto byte = [&](std::size_t k) {
      return static_cast<std::size_t>(static_cast<unsigned char>(edits[i + k]));
    };
    const std::size_t start_line = byte(0) % 8, start_character = byte(1) % 24;
    const std::size_t end_line = start_line + byte(2) % 3;
    const std::size_t end_character = byte(3) % 24;
    const std::string inserted = text.substr(0, byte(4) % 12);
    const std::size_t begin = offset_of(text, start_line, start_character);
    const std::size_t end =
        std::max(begin, offset_of(text, end_line, end_character));
    text.replace(begin, end - begin, inserted);
    changes.push_back(
        {{"range",
          {{"start", {{"line", start_line}, {"character", start_character}}},
           {"end", {{"line", end_line}, {"character", end_character}}}}},
         {"text", inserted}});
  }
  server.handle(message("textDocument/didChange",
                        {{"textDocument", {{"uri", edited}, {"version", 2}}},
                         {"contentChanges", changes}}));
  server.handle(message(
      "textDocument/didOpen",
      {{"textDocument", {{"uri", fresh}, {"version", 1}, {"text", text}}}}));
  const std::vector<std::string> published = server.flush();
  quelmix::fuzz::require(diagnostics_of(published, edited) ==
                         diagnostics_of(published, fresh));
  return 0;
}
