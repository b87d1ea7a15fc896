// SPDX-License-Identifier: MIT
// The language server on arbitrary input: the bytes as a framed message
// stream, as one message body, and as a document that every request is
// made on, then edited in place. Nothing it receives may crash it or throw
// out of it.
#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "framing.hpp"
#include "server.hpp"

namespace {

using json = nlohmann::json;

std::string request(int id, const char *method, json params) {
  return json{{"jsonrpc", "2.0"},
              {"id", id},
              {"method", method},
              {"params", std::move(params)}}
      .dump(-1, ' ', false, json::error_handler_t::replace);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  quelmix::lsp::server server;
  server.handle(request(1, "initialize", json::object()));

  quelmix::lsp::frame_reader frames;
  frames.feed(bytes);
  while (auto message = frames.next())
    if (message->dropped.empty())
      server.handle(message->body);
  server.handle(bytes);
  server.flush();

  // The bytes as a document (text that is not UTF-8 is replaced, as a
  // client's JSON would be), and every request at a few places in it.
  const std::string uri = "file:///fuzz.cfg";
  server.handle(json{
      {"jsonrpc", "2.0"},
      {"method", "textDocument/didOpen"},
      {"params",
       {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", bytes}}}}}}
                    .dump(-1, ' ', false, json::error_handler_t::replace));
  server.flush(); // its diagnostics
  const json document = {{"uri", uri}};
  int id = 2;
  for (int line : {0, 2}) {
    for (int character : {0, 5}) {
      const json at = {
          {"textDocument", document},
          {"position", {{"line", line}, {"character", character}}}};
      server.handle(request(id++, "textDocument/hover", at));
      server.handle(request(id++, "textDocument/completion", at));
    }
  }
  server.handle(request(id++, "textDocument/documentSymbol",
                        {{"textDocument", document}}));
  server.handle(
      request(id++, "textDocument/formatting", {{"textDocument", document}}));
  const json whole = {{"start", {{"line", 0}, {"character", 0}}},
                      {"end", {{"line", 1000000}, {"character", 0}}}};
  server.handle(request(id++, "textDocument/codeAction",
                        {{"textDocument", document},
                         {"range", whole},
                         {"context", {{"diagnostics", json::array()}}}}));
  server.handle(request(id++, "textDocument/semanticTokens/full",
                        {{"textDocument", document}}));
  server.handle(request(id++, "textDocument/semanticTokens/range",
                        {{"textDocument", document}, {"range", whole}}));
  server.handle(
      request(id++, "textDocument/foldingRange", {{"textDocument", document}}));
  server.handle(request(id++, "textDocument/inlayHint",
                        {{"textDocument", document}, {"range", whole}}));

  // An edit in the middle of the document, as incremental sync sends it.
  json edit = {{"range",
                {{"start", {{"line", 1}, {"character", 3}}},
                 {"end", {{"line", 2}, {"character", 1}}}}},
               {"text", bytes.substr(0, 16)}};
  json change = {{"jsonrpc", "2.0"},
                 {"method", "textDocument/didChange"},
                 {"params",
                  {{"textDocument", {{"uri", uri}, {"version", 2}}},
                   {"contentChanges", json::array({std::move(edit)})}}}};
  server.handle(change.dump(-1, ' ', false, json::error_handler_t::replace));
  server.flush();
  server.handle(request(id++, "shutdown", nullptr));
  return 0;
}
