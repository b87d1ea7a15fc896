// SPDX-License-Identifier: MIT
// The tools' bounds and the editor's responsiveness:
//  - checker/long_line/N: the engine and the checker's rendering of every
//    diagnostic of a file whose one line is N bytes (each 1023-byte piece
//    is a bad line), which must grow linearly in N;
//  - lsp/long_line/N: the server's diagnostics for the same document;
//  - lsp/change_to_publish/LINES: a didChange of a generated document of
//    LINES lines, up to the publishDiagnostics it causes;
//  - lsp/burst_200/LINES: 200 changes sent at once, up to the one
//    publication for the latest version;
//  - lsp/open_to_diagnostics/LINES: a didOpen up to its first diagnostics;
//  - lsp/keystroke/LINES: one character typed (an incremental change), then
//    a hover, a screen's tokens and hints and the publication, as an editor
//    asks after a keystroke: counts the analyses per keystroke (want: 1);
//  - lsp/hover, completion, tokens_range_60, inlay_hints_60,
//    code_actions_line on LINES: one request on an analysed version (goal:
//    each median under 2 ms and at most 1/20 of open_to_diagnostics);
//  - diff/commands/N: two files of N commands loaded and compared.
// Each long-line family reports its fitted complexity (want: N).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "config_generator.hpp"
#include "diagnostics.hpp"
#include "document.hpp"
#include "engine/analysis/engine.hpp"
#include "engine/compare/record_diff.hpp"
#include "server.hpp"
#include "terminal_output.hpp"

namespace {

using json = nlohmann::json;

std::string long_line_document(std::size_t bytes) {
  return "[camera parameter]\nTYPE = " + std::string(bytes, 'x') + "\n";
}

void checker_long_line(benchmark::State &state) {
  const std::string text =
      long_line_document(static_cast<std::size_t>(state.range(0)));
  std::FILE *sink = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    camera_config config{};
    const quelmix::checked_text checked =
        quelmix::check_text(text, config, {false, false});
    const quelmix::line_index lines(text);
    for (const quelmix::diagnostic &d : checked.diagnostics)
      quelmix::tools::print_diagnostic(
          sink, "f.cfg", d, d.line > 0 ? lines.line_text(d.line) : "", false);
    quelmix_release_config(&config);
  }
  std::fclose(sink);
  state.SetComplexityN(state.range(0));
}
BENCHMARK(checker_long_line)
    ->Name("checker/long_line")
    ->RangeMultiplier(4)
    ->Range(256 << 10, 4 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void lsp_long_line(benchmark::State &state) {
  const std::string text =
      long_line_document(static_cast<std::size_t>(state.range(0)));
  const quelmix::lsp::client_options options;
  for (auto _ : state) {
    const quelmix::lsp::analysis a(text, options);
    benchmark::DoNotOptimize(quelmix::lsp::diagnostics_of(a));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(lsp_long_line)
    ->Name("lsp/long_line")
    ->RangeMultiplier(4)
    ->Range(256 << 10, 4 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

std::string message(const char *method, json params, int id = 0) {
  json m = {{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
  if (id > 0)
    m["id"] = id;
  return m.dump();
}

std::string change(const std::string &text, int version) {
  return message(
      "textDocument/didChange",
      {{"textDocument", {{"uri", "file:///b.cfg"}, {"version", version}}},
       {"contentChanges", json::array({{{"text", text}}})}});
}

// A server with the document open and its first diagnostics published.
quelmix::lsp::server opened(const std::string &text,
                            json capabilities = json::object()) {
  quelmix::lsp::server server;
  server.handle(message("initialize", {{"capabilities", capabilities}}, 1));
  server.handle(
      message("textDocument/didOpen",
              {{"textDocument",
                {{"uri", "file:///b.cfg"}, {"version", 1}, {"text", text}}}}));
  server.flush();
  return server;
}

void lsp_change_to_publish(benchmark::State &state) {
  const std::string text = quelmix::bench::generate_config(
      {static_cast<std::size_t>(state.range(0)), false, 8});
  quelmix::lsp::server server = opened(text);
  int version = 2;
  for (auto _ : state) {
    server.handle(change(text, version++));
    benchmark::DoNotOptimize(server.flush());
  }
}
BENCHMARK(lsp_change_to_publish)
    ->Name("lsp/change_to_publish")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

void lsp_burst(benchmark::State &state) {
  const std::string text = quelmix::bench::generate_config(
      {static_cast<std::size_t>(state.range(0)), false, 8});
  quelmix::lsp::server server = opened(text);
  std::vector<std::string> burst;
  for (int v = 0; v < 200; ++v)
    burst.push_back(change(text + "; edit " + std::to_string(v) + "\n", v));
  for (auto _ : state) {
    for (const std::string &body : burst)
      server.handle(body);
    const auto published = server.flush();
    if (published.size() != 1)
      state.SkipWithError("a burst must be published once");
  }
}
BENCHMARK(lsp_burst)
    ->Name("lsp/burst_200")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// Opening a document of LINES lines up to its first diagnostics: the cost
// the requests below are measured against.
void lsp_open_to_diagnostics(benchmark::State &state) {
  const std::string text = quelmix::bench::generate_config(
      {static_cast<std::size_t>(state.range(0)), false, 8});
  for (auto _ : state)
    benchmark::DoNotOptimize(opened(text));
}
BENCHMARK(lsp_open_to_diagnostics)
    ->Name("lsp/open_to_diagnostics")
    ->Arg(100000)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// One character typed and taken back in turn on the middle line, then what
// an editor asks for around it; `analyses` counts the engine runs per
// keystroke.
void lsp_keystroke(benchmark::State &state) {
  const auto lines = static_cast<int>(state.range(0));
  const std::string text = quelmix::bench::generate_config(
      {static_cast<std::size_t>(lines), false, 8});
  quelmix::lsp::server server = opened(text);
  const json doc = {{"uri", "file:///b.cfg"}};
  const json at = {{"line", lines / 2}, {"character", 0}};
  const json after = {{"line", lines / 2}, {"character", 1}};
  const json screen = {{"start", {{"line", lines / 2}, {"character", 0}}},
                       {"end", {{"line", lines / 2 + 60}, {"character", 0}}}};
  const std::string asks[] = {
      message("textDocument/hover", {{"textDocument", doc}, {"position", at}},
              2),
      message("textDocument/semanticTokens/range",
              {{"textDocument", doc}, {"range", screen}}, 3),
      message("textDocument/inlayHint",
              {{"textDocument", doc}, {"range", screen}}, 4)};
  int version = 2;
  const std::size_t before = server.analyses();
  for (auto _ : state) {
    const bool typing = version % 2 == 0;
    const json range = {{"start", at}, {"end", typing ? at : after}};
    server.handle(message(
        "textDocument/didChange",
        {{"textDocument", {{"uri", "file:///b.cfg"}, {"version", version++}}},
         {"contentChanges",
          json::array({{{"range", range}, {"text", typing ? ";" : ""}}})}}));
    for (const std::string &ask : asks)
      benchmark::DoNotOptimize(server.handle(ask));
    benchmark::DoNotOptimize(server.flush());
  }
  state.counters["analyses"] =
      benchmark::Counter(static_cast<double>(server.analyses() - before),
                         benchmark::Counter::kAvgIterations);
}
BENCHMARK(lsp_keystroke)
    ->Name("lsp/keystroke")
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

json in_document(json params) {
  params["textDocument"] = {{"uri", "file:///b.cfg"}};
  return params;
}

json lines_range(int first, int last) {
  return {{"start", {{"line", first}, {"character", 0}}},
          {"end", {{"line", last}, {"character", 0}}}};
}

// One request on the middle of an analysed document of LINES lines: a
// line's hover, completion, code actions, a screen's tokens and hints.
std::string request_at(const std::string &kind, int middle) {
  const json here = {{"line", middle}, {"character", 1}};
  if (kind == "hover")
    return message("textDocument/hover", in_document({{"position", here}}), 2);
  if (kind == "completion")
    return message(
        "textDocument/completion",
        in_document({{"position", {{"line", middle}, {"character", 0}}}}), 2);
  if (kind == "tokens")
    return message("textDocument/semanticTokens/range",
                   in_document({{"range", lines_range(middle, middle + 60)}}),
                   2);
  if (kind == "hints")
    return message("textDocument/inlayHint",
                   in_document({{"range", lines_range(middle, middle + 60)}}),
                   2);
  return message("textDocument/codeAction",
                 in_document({{"range", lines_range(middle, middle)},
                              {"context", {{"diagnostics", json::array()}}}}),
                 2);
}

void lsp_request(benchmark::State &state, const std::string &kind) {
  const auto lines = static_cast<std::size_t>(state.range(0));
  const std::string text = quelmix::bench::generate_config({lines, false, 8});
  // A client that resolves code actions' edits, as VS Code does.
  const json resolves = {
      {"textDocument",
       {{"codeAction",
         {{"resolveSupport", {{"properties", json::array({"edit"})}}}}}}}};
  quelmix::lsp::server server = opened(text, resolves);
  const std::string request = request_at(kind, static_cast<int>(lines / 2));
  for (auto _ : state)
    benchmark::DoNotOptimize(server.handle(request));
  if (server.analyses() != 1)
    state.SkipWithError("a request analysed the document again");
}
BENCHMARK_CAPTURE(lsp_request, hover, std::string("hover"))
    ->Name("lsp/hover")
    ->Arg(100000)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(lsp_request, completion, std::string("completion"))
    ->Name("lsp/completion")
    ->Arg(100000)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(lsp_request, tokens, std::string("tokens"))
    ->Name("lsp/tokens_range_60")
    ->Arg(100000)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(lsp_request, hints, std::string("hints"))
    ->Name("lsp/inlay_hints_60")
    ->Arg(100000)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(lsp_request, actions, std::string("actions"))
    ->Name("lsp/code_actions_line")
    ->Arg(100000)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// Two files of N commands: one inserted in the middle and every
// hundredth value changed, compared as records.
void diff_commands(benchmark::State &state) {
  const auto commands = static_cast<int>(state.range(0));
  std::string old_text = "[register parameter]\n", new_text = old_text;
  for (int i = 0; i < commands; ++i) {
    old_text += "REG = " + std::to_string(i) + ", 7\n";
    new_text +=
        "REG = " + std::to_string(i) + (i % 100 == 0 ? ", 8\n" : ", 7\n");
    if (i == commands / 2)
      new_text += "DELAY = 10\n";
  }
  for (auto _ : state) {
    quelmix::loaded_file a, b;
    quelmix::load_for_comparison(a, old_text);
    quelmix::load_for_comparison(b, new_text);
    benchmark::DoNotOptimize(quelmix::compare_records(a, b));
  }
}
BENCHMARK(diff_commands)
    ->Name("diff/commands")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// The record diff at its worst for an exact search: two files of N
// commands that share none (range 1 == 0), or every value changed (1).
// Goal: 100,000 commands compare in under a second either way.
void diff_all_changed(benchmark::State &state) {
  const auto commands = static_cast<int>(state.range(0));
  const bool same_registers = state.range(1) != 0;
  std::string old_text = "[register parameter]\n", new_text = old_text;
  for (int i = 0; i < commands; ++i) {
    old_text += "REG = " + std::to_string(i) + ", 7\n";
    new_text += "REG = " + std::to_string(same_registers ? i : i + commands) +
                (same_registers ? ", 8\n" : ", 7\n");
  }
  for (auto _ : state) {
    quelmix::loaded_file a, b;
    quelmix::load_for_comparison(a, old_text);
    quelmix::load_for_comparison(b, new_text);
    benchmark::DoNotOptimize(quelmix::compare_records(a, b));
  }
}
BENCHMARK(diff_all_changed)
    ->Name("diff/all_changed")
    ->ArgNames({"commands", "same_registers"})
    ->Args({20000, 0})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
