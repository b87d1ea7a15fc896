// SPDX-License-Identifier: MIT
// The command-line checker: diagnostics as compilers print them, a summary
// per file, options anywhere, exit statuses.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "dump.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

using run_result = tool_run;

run_result run_checker(const std::string &arguments,
                       const std::string &input = "") {
  return run_tool(std::string("NO_COLOR= ") + QUELMIX_CHECKER, arguments,
                  input);
}

// "LINE:COLUMN: severity [-Wkind]" of every diagnostic line in `err`
// ("FILE:LINE:COLUMN: error: ..." or "...: warning: ... [-Wkind]").
std::vector<std::string> located(const std::string &err) {
  std::vector<std::string> out;
  std::istringstream lines(err);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t error = line.find(": error: ");
    const std::size_t warning = line.find(": warning: ");
    const std::size_t at = std::min(error, warning);
    if (at == std::string::npos)
      continue;
    // FILE:LINE:COLUMN before the severity; file names here have no ':'.
    const std::size_t first = line.find(':');
    if (first >= at)
      continue;
    std::string entry = line.substr(first + 1, at - first - 1) + ": " +
                        (at == error ? "error" : "warning");
    const std::size_t kind = line.rfind(" [-W");
    if (at == warning && kind != std::string::npos && line.back() == ']')
      entry += line.substr(kind);
    out.push_back(entry);
  }
  return out;
}

TEST(Checker, CleanSampleGetsOneSummaryLine) {
  const run_result r = run_checker(sample_path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, sample_path() +
                       ": ok: camera \"QX-720P sensor board\", 19 commands, "
                       "2 controls\n");
}

// --dump prints what the record dumps print (their formats are held to
// their golden files in dump_test.cpp), each part to its stream, and only
// when asked.
TEST(Checker, DumpsTheLoadedRecordWhenAsked) {
  const std::string text =
      "[camera parameter]\nTYPE = t\nSIZE = 2, 3\n[register parameter]\n"
      "REG = 1, 0x82\n[board parameter][dev2]\nDELAY = 5\n"
      "[register parameter]\nVRCMD =\n[control parameter]\nCTRL_NAME = c\n"
      "======CODE_BLOCK_START======\nrun()\n======CODE_BLOCK_END======\n";
  const temp_file file(text);
  scoped_config config;
  ASSERT_EQ(quelmix_parse_config(file.path(), config.get()), 0);
  std::FILE *err = std::tmpfile(), *out = std::tmpfile();
  dump_camera_params(config.value, err);
  dump_controls(config.value, err);
  dump_configs(config.value, err, out);
  const auto contents = [](std::FILE *f) {
    std::string bytes(static_cast<std::size_t>(std::ftell(f)), '\0');
    std::rewind(f);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    return bytes;
  };
  const std::string expected_err = contents(err), expected_out = contents(out);

  const run_result r = run_checker("-q --dump " + std::string(file.path()));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, expected_out);
  EXPECT_EQ(r.err, expected_err);
  EXPECT_EQ(run_checker("-q " + std::string(file.path())).out, "");
}

TEST(Checker, EveryDiagnosticWithSourceAndCaret) {
  const temp_file file("[camera parameter]\nbad\nI2C_ADDR = 0x10000\n"
                       "[register parameter]\nreg = 1\n[x\n");
  const run_result r = run_checker(file.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(located(r.err),
            (std::vector<std::string>{
                "2:1: error", "3:12: warning [-Wvalue-out-of-range]",
                "5:1: warning [-Wunknown-key]", "6:1: error"}));
  // The source line and a caret under the column.
  EXPECT_NE(r.err.find(" 3 | I2C_ADDR = 0x10000\n   |            ^\n"),
            std::string::npos)
      << r.err;
  // The hint as a note on the same place.
  EXPECT_NE(r.err.find(std::string(file.path()) + ":5:1: note: "),
            std::string::npos);
  EXPECT_NE(r.out.find("2 errors, 2 warnings; the library returns 2"),
            std::string::npos)
      << r.out;
}

TEST(Checker, SummaryNamesBothNumberingsWhenTheyDiffer) {
  const temp_file file("[other]\nK = " + std::string(2500, '=') + "\nk\n");
  const run_result r = run_checker(file.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("the library returns 5 (line 3 of the file"),
            std::string::npos)
      << r.out;
}

// A code block left open names the result in place of an earlier bad line,
// as the library has always done: the summary says why the number differs.
TEST(Checker, SummaryExplainsAResultThatIsNotTheFirstBadLine) {
  const temp_file file("garbage\n[control parameter]\n"
                       "======CODE_BLOCK_START======\nx\n");
  const run_result r = run_checker(file.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("the library returns 4: code block opened on line 3 "
                       "is never closed; first bad line 1\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(quelmix_parse_config(file.path(), nullptr), 4);
}

TEST(Checker, WarningsAsErrorsSayTheFileFailed) {
  const temp_file file("[camera parameter]\nTYPE = a\nTYPE = b\n");
  const run_result r = run_checker("-Werror " + std::string(file.path()));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find(": failed: warnings are errors, 1 warning"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("ok"), std::string::npos) << r.out;
}

struct option_case {
  const char *arguments; // FILE stands for the file's path
  int status;
  std::vector<std::string> diagnostics;
};

TEST(Checker, WarningOptions) {
  const temp_file file("[camera parameter]\nTYPE = a\nTYPE = b\nBIT_WIDTH = "
                       "256\n");
  const std::string repeated = "3:1: warning [-Wkey-repeated]";
  const std::string range = "4:13: warning [-Wvalue-out-of-range]";
  const option_case cases[] = {
      {"FILE", 0, {repeated, range}},
      {"-W FILE", 0, {repeated, range}},
      {"--warnings FILE", 0, {repeated, range}},
      {"-w FILE", 0, {}},
      {"-q FILE", 0, {}},
      {"-Wno-key-repeated FILE", 0, {range}},
      {"FILE -Wno-key-repeated -Wno-value-out-of-range", 0, {}},
      {"-Wno-key-repeated -Wkey-repeated FILE", 0, {repeated, range}},
      {"-Werror FILE", 1, {repeated, range}},
      {"--warnings=error FILE", 1, {repeated, range}},
      {"-Werror -Wno-error FILE", 0, {repeated, range}},
      {"-Werror -Wno-key-repeated -Wno-value-out-of-range FILE", 0, {}},
      {"-qW FILE", 0, {}},
  };
  for (const option_case &c : cases) {
    std::string arguments = c.arguments;
    arguments.replace(arguments.find("FILE"), 4, file.path());
    const run_result r = run_checker(arguments);
    EXPECT_EQ(r.status, c.status) << c.arguments;
    EXPECT_EQ(located(r.err), c.diagnostics) << c.arguments;
  }
}

TEST(Checker, QuietKeepsErrorsAndDropsTheSummary) {
  const temp_file file("[camera parameter]\nTYPE = a\nTYPE = b\nbad\n");
  const run_result r = run_checker(std::string(file.path()) + " -q");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(located(r.err), std::vector<std::string>{"4:1: error"});
  EXPECT_EQ(r.out, "");
}

TEST(Checker, StandardInput) {
  const run_result r = run_checker("-", "[camera parameter]\nk\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("<stdin>:2:1: error: ", 0), 0u) << r.err;
}

TEST(Checker, UnopenableAndUnreadableFiles) {
  run_result r = run_checker("/nonexistent/x.cfg");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("/nonexistent/x.cfg: error: cannot open: ", 0), 0u);
  r = run_checker("/proc/self/mem");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("/proc/self/mem: error: cannot read: ", 0), 0u)
      << r.err;
}

TEST(Checker, WorstStatusOfSeveralFiles) {
  const temp_file bad("k\n");
  EXPECT_EQ(run_checker("-q " + sample_path() + " " + bad.path()).status, 1);
  EXPECT_EQ(
      run_checker("-q " + std::string(bad.path()) + " /nonexistent").status, 2);
}

TEST(Checker, ColourOnlyWhenAsked) {
  const temp_file file("k\n");
  EXPECT_EQ(run_checker(file.path()).err.find('\033'), std::string::npos);
  EXPECT_NE(run_checker("--color=always " + std::string(file.path()))
                .err.find("\033["),
            std::string::npos);
  EXPECT_EQ(
      run_checker("--color=never " + std::string(file.path())).err.find('\033'),
      std::string::npos);
}

TEST(Checker, Usage) {
  const char *refused[] = {"",
                           "--bogus",
                           "-Wno-such-kind FILE",
                           "-Wno-missing-separator FILE",
                           "--color=pink FILE",
                           "-x FILE"};
  for (const char *arguments : refused)
    EXPECT_EQ(run_checker(arguments).status, 2) << arguments;
  const run_result help = run_checker("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: quelmix-config-check"), std::string::npos);
  const run_result version = run_checker("--vers"); // an abbreviation
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("quelmix-config-check 1.", 0), 0u);
}

// --fix mends the file in place, says what that did to the loaded record,
// reports what is left, and a second --fix changes nothing; --diff shows
// the same fixes and writes nothing.
TEST(Checker, FixAndDiff) {
  const std::string text = "[camera parameter]\ncfg_mode = 1\n"
                           "[register parameter]\nREG = 0x3008 0x82\n";
  const temp_file file(text);
  const std::string path = file.path();

  run_result r = run_checker("--diff --unsafe-fixes " + path);
  EXPECT_EQ(read_file(path), text); // nothing written
  EXPECT_NE(r.out.find("--- " + path + "\n+++ " + path +
                       "\n@@ -1,4 +1,4 @@\n"
                       " [camera parameter]\n-cfg_mode = 1\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("+REG = 0x3008, 0x82\n"), std::string::npos) << r.out;

  r = run_checker("--fix " + path);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file(path), "[camera parameter]\nCFG_MODE = 1\n"
                             "[register parameter]\nREG = 0x3008 0x82\n");
  EXPECT_NE(r.out.find(path + ": fixed 1 problem (1 safe, 0 unsafe); what a "
                              "host now loads:\n  camera parameter: CFG_MODE: "
                              "0 \u2192 1\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.err.find("[-Wtrailing-text]"), std::string::npos) << r.err;

  r = run_checker("--fix --unsafe-fixes " + path);
  EXPECT_NE(r.out.find("register parameter: command 1 REG now 2 values "
                       "(0x3008, 0x82), was 1 (0x3008)"),
            std::string::npos)
      << r.out;
  const std::string fixed = read_file(path);
  r = run_checker("--fix --unsafe-fixes " + path);
  EXPECT_EQ(read_file(path), fixed);
  EXPECT_EQ(r.out.find("fixed"), std::string::npos) << r.out;

  EXPECT_EQ(run_checker("--fix -", text).status, 2); // not in place
  EXPECT_EQ(run_checker("--unsafe-fixes " + path).status, 2);
}

} // namespace
} // namespace quelmix::test
