// SPDX-License-Identifier: MIT
// The language server analyses a document once per version: every request
// on that version is answered from the one analysis, and a change, a
// reopening or new settings make the next one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ci_output.hpp"
#include "server.hpp"

namespace quelmix::lsp {
namespace {

const char *const URI = "file:///a.cfg";

std::string message(const char *method, json params, int id = 0) {
  json m = {{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
  if (id > 0)
    m["id"] = id;
  return m.dump();
}

json at(int line, int character) {
  return {{"line", line}, {"character", character}};
}

json document() { return {{"uri", URI}}; }

json range(int first, int last) {
  return {{"start", at(first, 0)}, {"end", at(last, 0)}};
}

// Every kind of request the server answers about a document.
std::vector<std::string> every_request() {
  const json doc = document();
  return {
      message("textDocument/hover",
              {{"textDocument", doc}, {"position", at(1, 1)}}, 2),
      message("textDocument/completion",
              {{"textDocument", doc}, {"position", at(2, 0)}}, 3),
      message("textDocument/documentSymbol", {{"textDocument", doc}}, 4),
      message("textDocument/formatting",
              {{"textDocument", doc}, {"options", json::object()}}, 5),
      message("textDocument/codeAction",
              {{"textDocument", doc},
               {"range", range(0, 5)},
               {"context", {{"diagnostics", json::array()}}}},
              6),
      message("textDocument/semanticTokens/full", {{"textDocument", doc}}, 7),
      message("textDocument/semanticTokens/range",
              {{"textDocument", doc}, {"range", range(0, 3)}}, 8),
      message("textDocument/foldingRange", {{"textDocument", doc}}, 9),
      message("textDocument/inlayHint",
              {{"textDocument", doc}, {"range", range(0, 5)}}, 10),
  };
}

// Each reply carries a result, not an error.
void ask_everything(server &s) {
  for (const std::string &request : every_request())
    for (const std::string &reply : s.handle(request))
      EXPECT_FALSE(json::parse(reply).contains("error")) << reply;
}

std::string change(int version, const std::string &text) {
  return message("textDocument/didChange",
                 {{"textDocument", {{"uri", URI}, {"version", version}}},
                  {"contentChanges", json::array({{{"text", text}}})}});
}

TEST(LspServer, OneAnalysisPerVersion) {
  const std::string text = "[camera parameter]\nBIT_WIDTH = 08\nSIZE = 1\n"
                           "[register parameter]\nREG = 1, 2\n";
  server s;
  s.handle(message("initialize", {{"capabilities", json::object()}}, 1));
  s.handle(message(
      "textDocument/didOpen",
      {{"textDocument", {{"uri", URI}, {"version", 1}, {"text", text}}}}));
  EXPECT_EQ(s.analyses(), 0u); // nothing asked yet
  s.flush();
  ask_everything(s);
  ask_everything(s);
  EXPECT_EQ(s.analyses(), 1u);

  // A burst of changes: the publication analyses the latest version once,
  // and the requests after it reuse it.
  for (int v = 2; v < 6; ++v)
    s.handle(change(v, text + "; " + std::to_string(v) + "\n"));
  s.flush();
  ask_everything(s);
  EXPECT_EQ(s.analyses(), 2u);

  // Requests before the publication make the analysis it then reuses.
  s.handle(change(6, text));
  ask_everything(s);
  s.flush();
  EXPECT_EQ(s.analyses(), 3u);

  // New settings change what is reported: one more analysis.
  s.handle(message(
      "workspace/didChangeConfiguration",
      {{"settings",
        {{"quelmix",
          {{"checkerOptions", json::array({"-Wno-leading-zero"})}}}}}}));
  s.flush();
  ask_everything(s);
  EXPECT_EQ(s.analyses(), 4u);
}

// The answers from the kept analysis are the answers a fresh one gives.
TEST(LspServer, AnswersFromTheKeptAnalysisAreFreshOnes) {
  const std::string text = "[camera parameter]\nBIT_WIDTH = 08\n";
  const auto replies = [&](const std::string &edited) {
    server s;
    s.handle(message("initialize", {{"capabilities", json::object()}}, 1));
    s.handle(message(
        "textDocument/didOpen",
        {{"textDocument", {{"uri", URI}, {"version", 1}, {"text", text}}}}));
    ask_everything(s);
    if (!edited.empty())
      s.handle(change(2, edited));
    std::vector<std::string> out;
    for (const std::string &request : every_request())
      for (const std::string &reply : s.handle(request))
        out.push_back(reply);
    return out;
  };
  const std::string edited = "[camera parameter]\nSIZE = 1\nBIT_WIDTH = 9\n";
  server fresh;
  fresh.handle(message("initialize", {{"capabilities", json::object()}}, 1));
  fresh.handle(message(
      "textDocument/didOpen",
      {{"textDocument", {{"uri", URI}, {"version", 2}, {"text", edited}}}}));
  std::vector<std::string> expected;
  for (const std::string &request : every_request())
    for (const std::string &reply : fresh.handle(request))
      expected.push_back(reply);
  EXPECT_EQ(replies(edited), expected);
}

// The server's diagnostic ranges and SARIF's regions follow one span rule:
// from the column to the end of the word there (a key stops before its
// "=", a header's name before its "]"), at least one character.
TEST(LspServer, DiagnosticRangesAreSarifRegions) {
  struct row {
    const char *text;
    int line;       // 0-based, of the first diagnostic
    int start, end; // its characters
  };
  const row rows[] = {
      {"[camera parameter]\nFOO=1\n", 1, 0, 3},
      {"[camera parameter]\nFOO : 1\n", 1, 0, 3},
      {"[camera parameter]\nBIT_WIDTH = 08\n", 1, 12, 14},
      {"[camera parameter]\nBIT_WIDTH = 08 ; c\n", 1, 12, 14},
      {"[Bad]x\n", 0, 0, 4},
      {"[register parameter]\nREG = 1,,2\n", 1, 8, 9},
      {"[camera parameter]\nNAME\u00e9=1\n", 1, 0, 5},
  };
  for (const row &r : rows) {
    server s;
    s.handle(message("initialize", {{"capabilities", json::object()}}, 1));
    s.handle(message(
        "textDocument/didOpen",
        {{"textDocument", {{"uri", URI}, {"version", 1}, {"text", r.text}}}}));
    const json published = json::parse(s.flush().at(0));
    const json &first = published["params"]["diagnostics"].at(0)["range"];
    EXPECT_EQ(first["start"]["line"], r.line) << r.text;
    EXPECT_EQ(first["start"]["character"], r.start) << r.text;
    EXPECT_EQ(first["end"]["character"], r.end) << r.text;

    camera_config record{};
    const checked_text checked = check_text(r.text, record);
    quelmix_release_config(&record);
    std::vector<const diagnostic *> shown;
    for (const diagnostic &d : checked.diagnostics)
      shown.push_back(&d);
    tools::sarif_report sarif;
    sarif.add_file("a.cfg", r.text, shown);
    const json region =
        json::parse(sarif.document())["runs"][0]["results"][0]["locations"][0]
                                     ["physicalLocation"]["region"];
    // SARIF counts code points from 1; the server UTF-16 units from 0
    // (the same on these lines).
    EXPECT_EQ(region["startLine"], r.line + 1) << r.text;
    EXPECT_EQ(region["startColumn"], r.start + 1) << r.text;
    EXPECT_EQ(region["endColumn"], r.end + 1) << r.text;
  }
}

} // namespace
} // namespace quelmix::lsp
