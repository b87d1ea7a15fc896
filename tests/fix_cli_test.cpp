// SPDX-License-Identifier: MIT
// --fix as a user runs it: what each kind of input becomes, that a second
// --fix with the same options changes nothing, that no safe fix changes
// what a host loads beyond its line, and that a file the formatter accepts
// stays accepted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/compare/change_words.hpp"
#include "engine/compare/record_diff.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

tool_run run_checker(const std::string &arguments) {
  return run_tool(std::string("NO_COLOR= ") + QUELMIX_CHECKER, arguments);
}

tool_run run_formatter(const std::string &arguments) {
  return run_tool(std::string("NO_COLOR= ") + QUELMIX_FORMATTER, arguments);
}

const std::string CAMERA = "[camera parameter]\n";
const std::string REGISTERS = "[register parameter]\n";
const std::string CONTROL = "[control parameter]\nCTRL_NAME = gain\n";

// A comment line of exactly 1023 bytes (one piece of the library's) that
// starts with `start`, followed on the same physical line by `tail`.
std::string long_line(const std::string &start, const std::string &tail) {
  return start + std::string(1023 - start.size(), 'x') + tail + "\n";
}

struct fix_row {
  const char *name;
  const char *options; // besides the file
  std::string before, after;
};

// Runs each row twice: the first --fix gives `after`, the second leaves it.
void expect_rows(const fix_row *begin, const fix_row *end) {
  for (const fix_row *row = begin; row != end; ++row) {
    const temp_file file(row->before);
    const std::string arguments = std::string(row->options) + " " + file.path();
    const tool_run first = run_checker(arguments);
    EXPECT_NE(first.status, 2) << row->name << first.err;
    EXPECT_EQ(read_file(file.path()), row->after) << row->name << "\n"
                                                  << first.out;
    const tool_run second = run_checker(arguments);
    EXPECT_EQ(read_file(file.path()), row->after) << row->name << " again";
    EXPECT_EQ(second.out.find("fixed"), std::string::npos)
        << row->name << second.out;
  }
}

// A value that holds "//" or ";" inside a word is value text: no safe fix
// cuts it; the unsafe one, asked for, does what it says.
TEST(FixCli, SafeFixesDoNotCutValues) {
  const fix_row rows[] = {
      {"url in TYPE", "--fix", CAMERA + "TYPE = QX http://vendor.example/qx\n",
       CAMERA + "TYPE = QX http://vendor.example/qx\n"},
      {"double slash in FUNC_NAME", "--fix",
       CONTROL + "FUNC_NAME = lib//set_exposure\n",
       CONTROL + "FUNC_NAME = lib//set_exposure\n"},
      {"semicolon in a word", "--fix", CAMERA + "TYPE = a;b\n",
       CAMERA + "TYPE = a;b\n"},
      {"url, unsafe asked", "--fix --unsafe-fixes",
       CAMERA + "TYPE = QX http://vendor.example/qx\n",
       CAMERA + "TYPE = QX http: //vendor.example/qx\n"},
      {"hash after a blank stays a safe fix", "--fix",
       REGISTERS + "REG = 640 #rev B\n", REGISTERS + "REG = 640 ;rev B\n"},
  };
  expect_rows(std::begin(rows), std::end(rows));
}

// The fixes follow the warning options: a kind switched off is not fixed.
TEST(FixCli, AKindSwitchedOffIsNotFixed) {
  const std::string hash = REGISTERS + "REG = 640 #rev B\n";
  const std::string stale = CAMERA + "CFG_MODE = 1 ; quelmix: ignore\n";
  const std::string key = CAMERA + "cfg_mode = 1\n";
  const fix_row rows[] = {
      {"-Wno-comment-in-value", "-Wno-comment-in-value --fix", hash, hash},
      {"-w", "-w --fix", hash, hash},
      {"-w then -W", "-w -W --fix", hash, REGISTERS + "REG = 640 ;rev B\n"},
      {"-Wno-unused-suppression", "-Wno-unused-suppression --fix", stale,
       stale},
      {"-Wno-unknown-key", "--fix -Wno-unknown-key", key, key},
      {"others still fixed", "-Wno-unknown-key --fix", hash + key,
       REGISTERS + "REG = 640 ;rev B\n" + key},
  };
  expect_rows(std::begin(rows), std::end(rows));
}

// A line the library reads in pieces: no fix moves a piece's bytes into
// another; a "suppression" after "#" on a value line is value text.
TEST(FixCli, FixesKeepTheLibrarysPieces) {
  const std::string comment =
      long_line("; quelmix: ignore[leading-zero] ", "REG = 5") + "REG = 1\n";
  const std::string inline_comment =
      long_line("REG = 1 ; quelmix: ignore[leading-zero] words ", "REG = 5");
  const fix_row rows[] = {
      {"comment line read as two", "--fix", REGISTERS + comment,
       REGISTERS + comment},
      {"inline comment read as two", "--fix --unsafe-fixes",
       REGISTERS + inline_comment, REGISTERS + inline_comment},
      {"suppression after # in a text value", "--fix",
       CAMERA + "TYPE = QX720 #quelmix: ignore[value-cut]\n",
       CAMERA + "TYPE = QX720\n"},
  };
  expect_rows(std::begin(rows), std::end(rows));
  // What the checker says about the refused ones.
  const temp_file file(REGISTERS + comment);
  const tool_run r = run_checker(std::string("--fix ") + file.path());
  EXPECT_NE(r.out.find(":2: fix not applied: remove the suppression"),
            std::string::npos)
      << r.out;
}

// Removing a suppression removes the suppression alone.
TEST(FixCli, RemovingASuppressionKeepsTheAuthorsWords) {
  const fix_row rows[] = {
      {"inline with words", "--fix",
       REGISTERS + "REG = 1 ; quelmix: ignore[leading-zero] -- vendor says "
                   "keep 0x20 for rev B\n",
       REGISTERS + "REG = 1 ; -- vendor says keep 0x20 for rev B\n"},
      {"comment line with words", "--fix",
       REGISTERS + "; quelmix: ignore[leading-zero] from the vendor\nREG = 1\n",
       REGISTERS + "; from the vendor\nREG = 1\n"},
      {"bare with words", "--fix",
       REGISTERS + "REG = 1 ; quelmix: ignore because\n",
       REGISTERS + "REG = 1 ; because\n"},
      {"prose that starts alike", "--fix",
       REGISTERS + "; quelmix: ignored lines below are from the vendor\n"
                   "REG = 1\n",
       REGISTERS + "; quelmix: ignored lines below are from the vendor\n"
                   "REG = 1\n"},
      {"alone on its line", "--fix",
       REGISTERS + "; quelmix: ignore[leading-zero]\nREG = 1\n",
       REGISTERS + "REG = 1\n"},
      {"alone inline", "--fix", REGISTERS + "REG = 1 // quelmix: ignore\n",
       REGISTERS + "REG = 1\n"},
  };
  expect_rows(std::begin(rows), std::end(rows));
}

struct suppression_row {
  const char *name;
  std::string text;
  const char *silenced; // "-Wkind" that must not show, or ""
  const char *shown;    // "-Wkind" that must show
  bool warned;          // an unused-suppression warning
};

// One definition of a suppression: malformed ones silence nothing and are
// warned about; prose is prose.
TEST(FixCli, MalformedSuppressionsSilenceNothing) {
  const std::string big = "REG = 0x1FFFFFFFF\n";
  const suppression_row rows[] = {
      {"well formed",
       REGISTERS + "; quelmix: ignore[value-out-of-range]\n" + big,
       "[-Wvalue-out-of-range]", "", false},
      {"bare", REGISTERS + "; quelmix: ignore\n" + big,
       "[-Wvalue-out-of-range]", "", false},
      {"blank before [",
       REGISTERS + "; quelmix: ignore [value-out-of-range]\n" + big, "",
       "[-Wvalue-out-of-range]", true},
      {"unclosed", REGISTERS + "; quelmix: ignore[value-out-of-range\n" + big,
       "", "[-Wvalue-out-of-range]", true},
      {"prose", REGISTERS + "; quelmix: ignored-for-now[x]\n" + big, "",
       "[-Wvalue-out-of-range]", false},
      {"empty list", REGISTERS + "; quelmix: ignore[]\n" + big, "",
       "[-Wvalue-out-of-range]", true},
      {"unclosed and empty", REGISTERS + "; quelmix: ignore[\n" + big, "",
       "[-Wvalue-out-of-range]", true},
  };
  for (const suppression_row &row : rows) {
    const temp_file file(row.text);
    const tool_run r = run_checker(file.path());
    if (*row.silenced != '\0') {
      EXPECT_EQ(r.err.find(row.silenced), std::string::npos) << row.name;
    }
    if (*row.shown != '\0') {
      EXPECT_NE(r.err.find(row.shown), std::string::npos) << row.name;
    }
    EXPECT_EQ(r.err.find("[-Wunused-suppression]") != std::string::npos,
              row.warned)
        << row.name << r.err;
    EXPECT_EQ(r.err.find("no  there"), std::string::npos) << row.name;
  }
  const fix_row fixes[] = {
      {"blank before [ mended", "--fix",
       REGISTERS + "REG = 01 ; quelmix: ignore [leading-zero]\n",
       REGISTERS + "REG = 01 ; quelmix: ignore[leading-zero]\n"},
      {"unclosed mended", "--fix",
       REGISTERS + "REG = 01 ; quelmix: ignore[leading-zero\n",
       REGISTERS + "REG = 01 ; quelmix: ignore[leading-zero]\n"},
      {"mended, then found stale", "--fix",
       REGISTERS + "REG = 1 ; quelmix: ignore [leading-zero]\n",
       REGISTERS + "REG = 1\n"},
  };
  expect_rows(std::begin(fixes), std::end(fixes));
}

// The cases where rounds used to stop short or judge suppressions early.
TEST(FixCli, FixesComeToRest) {
  std::string stale = REGISTERS;
  for (int i = 0; i < 257; ++i)
    stale += "; quelmix: ignore[leading-zero]\n";
  stale += "REG = 1\n";
  const std::string commas = "REG = 1" + std::string(40, ',') + "2\n";
  const fix_row rows[] = {
      {"257 stale suppressions", "--fix", stale, REGISTERS + "REG = 1\n"},
      {"a run of empty values", "--fix --unsafe-fixes", REGISTERS + commas,
       REGISTERS + "REG = 1,2\n"},
      {"a suppression the section fix makes necessary", "--fix",
       "[Register Parameter]\nREG = 01 ; quelmix: ignore[leading-zero]\n",
       REGISTERS + "REG = 01 ; quelmix: ignore[leading-zero]\n"},
      {"the same with the unsafe fixes", "--fix --unsafe-fixes",
       "[Register Parameter]\nREG = 01 ; quelmix: ignore[leading-zero]\n",
       REGISTERS + "REG = 01 ; quelmix: ignore[leading-zero]\n"},
  };
  expect_rows(std::begin(rows), std::end(rows));
  const temp_file file("[Register Parameter]\nREG = 01 ; quelmix: "
                       "ignore[leading-zero]\n");
  run_checker(std::string("--fix ") + file.path());
  const tool_run r = run_checker(file.path());
  EXPECT_EQ(r.err, "");
}

// A file the formatter accepts is still accepted after --fix. The inputs
// are laid out by the formatter first, whatever its layout is.
TEST(FixCli, AFormattedFileStaysFormatted) {
  const std::string inputs[] = {
      "; quelmix: ignore\n\n" + CAMERA + "CFG_MODE = 1\n",
      CAMERA + "cfg_mode = 1 ; first\nWIDTH = 640 ; second\n",
      CAMERA + "WIDTH = 640 ; first\ncfg_mode = 1 ; second\n",
      "[Register Parameter]\nREG = 1 ; quelmix: ignore\nREG = 2\n",
      CAMERA + "CFG_MODE = 1\n\n; quelmix: ignore[leading-zero]\n\n" +
          REGISTERS + "REG = 1\n",
  };
  for (const std::string &input : inputs) {
    const tool_run laid = run_tool(QUELMIX_FORMATTER, "-", input);
    ASSERT_EQ(laid.status, 0) << input;
    const std::string &text = laid.out;
    const temp_file file(text);
    ASSERT_EQ(run_formatter(std::string("--check ") + file.path()).status, 0)
        << text;
    run_checker(std::string("--fix ") + file.path());
    EXPECT_NE(read_file(file.path()), text);
    EXPECT_EQ(run_formatter(std::string("--check ") + file.path()).status, 0)
        << text << "\nbecame\n"
        << read_file(file.path());
  }
}

// An unsafe fix that changed the record otherwise than its line promised
// is named with what it did: each change of the record, on one line, with
// the field, command or control and its value before and after.
struct effect_row {
  const char *name;
  std::string before, after;
  std::vector<std::string> named; // in this order, on the one line
};

TEST(FixCli, AnUnsafeFixIsNamedWithItsEffect) {
  const effect_row rows[] = {
      {"a camera field",
       CAMERA + "CFG_MODE = 0\n",
       CAMERA + "CFG_MODE = 1\n",
       {"camera parameter", "CFG_MODE", "0", "1"}},
      {"a text field",
       CAMERA + "TYPE = QX http://host\n",
       CAMERA + "TYPE = QX http:\n",
       {"TYPE", "\"QX http://host\"", "\"QX http:\""}},
      {"a command's values",
       REGISTERS + "REG = 0x3008\n",
       REGISTERS + "REG = 0x3008, 0x82\n",
       {"register parameter", "REG", "0x3008, 0x82", "0x3008"}},
      {"a command removed and a field changed",
       CAMERA + "CFG_MODE = 1\n" + REGISTERS + "REG = 5\nREG = 6\n",
       CAMERA + "CFG_MODE = 2\n" + REGISTERS + "REG = 5\n",
       {"CFG_MODE", "1", "2", "; ", "register parameter", "removed", "6"}},
      {"a control's field",
       CONTROL + "FUNC_NAME = set_gain\n",
       CONTROL + "FUNC_NAME = set_exposure\n",
       {"control parameter", "gain", "FUNC_NAME", "set_gain", "set_exposure"}},
  };
  for (const effect_row &row : rows) {
    loaded_file before, after;
    load_for_comparison(before, row.before);
    load_for_comparison(after, row.after);
    const std::string words =
        difference_in_one_line(compare_records(before, after));
    EXPECT_EQ(words.find('\n'), std::string::npos) << row.name;
    std::size_t at = 0;
    for (const std::string &part : row.named) {
      const std::size_t found = words.find(part, at);
      EXPECT_NE(found, std::string::npos)
          << row.name << ": " << part << " in " << words;
      at = found == std::string::npos ? at : found + part.size();
    }
  }
  loaded_file same, again;
  load_for_comparison(same, CAMERA + "CFG_MODE = 1\n");
  load_for_comparison(again, CAMERA + "CFG_MODE = 1 ; now commented\n");
  EXPECT_EQ(difference_in_one_line(compare_records(same, again)), "");
}

} // namespace
} // namespace quelmix::test
