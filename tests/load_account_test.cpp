// SPDX-License-Identifier: MIT
// The loader's own account of every event: stored (which part of the
// record, by index), ignored (why) or refused (why), checked against the
// record the same load leaves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/analysis/engine.hpp"
#include "loader/loader.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

struct account_recorder {
  std::vector<event_account> accounts;
  static void warned(void *, const load_warning &) noexcept {}
  static void told(void *user, const event_account &account) noexcept {
    static_cast<account_recorder *>(user)->accounts.push_back(account);
  }
};

// One event's account in short: "stored command 1", "ignored
// unknown_key", "refused too_many_values", "read".
std::string shown(const event_account &a) {
  switch (a.outcome) {
  case event_outcome::read:
    return "read";
  case event_outcome::ignored:
    return "ignored " + std::to_string(static_cast<int>(a.ignored));
  case event_outcome::refused:
    return "refused " + std::to_string(static_cast<int>(a.refused));
  case event_outcome::stored:
    break;
  }
  std::string key;
  if (a.part == stored_part::camera_key || a.part == stored_part::control_key)
    key = " " + std::string(schema::keys[a.key].name);
  return "stored " + std::to_string(static_cast<int>(a.part)) + " " +
         std::to_string(a.index) + key;
}

std::string ignored(warning_kind why) {
  return "ignored " + std::to_string(static_cast<int>(why));
}
std::string refused(load_error why) {
  return "refused " + std::to_string(static_cast<int>(why));
}
std::string stored(stored_part part, unsigned index, const char *key = "") {
  return "stored " + std::to_string(static_cast<int>(part)) + " " +
         std::to_string(index) + (*key != '\0' ? std::string(" ") + key : "");
}

std::vector<std::string> accounts_of(const std::string &text,
                                     camera_config *config) {
  account_recorder recorder;
  const load_observer observer{account_recorder::warned, account_recorder::told,
                               &recorder};
  load_string(text, config, &observer);
  std::vector<std::string> out;
  for (const event_account &a : recorder.accounts)
    out.push_back(shown(a));
  return out;
}

struct account_case {
  std::string text;
  std::vector<std::string> expected;
};

const std::string code_start = "======CODE_BLOCK_START======\n";
const std::string code_end = "======CODE_BLOCK_END======\n";

TEST(LoadAccount, EachEventSaysWhatItDid) {
  using enum stored_part;
  const std::vector<account_case> cases = {
      {"[camera parameter]\nBIT_WIDTH = 8\nTYPE = board\n",
       {"read", stored(camera_key, 0, "BIT_WIDTH"),
        stored(camera_key, 0, "TYPE")}},
      // A repeated key and a cut text still store; a wrong count does not.
      {"[camera parameter]\nSIZE = 1\nSIZE = 1, 2\nSIZE = 3, 4\n",
       {"read", ignored(warning_kind::wrong_value_count),
        stored(camera_key, 0, "SIZE"), stored(camera_key, 0, "SIZE")}},
      {"[camera parameter]\nTYPE = " + std::string(200, 'x') + "\n",
       {"read", stored(camera_key, 0, "TYPE")}},
      {"KEY = 1\n[nowhere]\nKEY = 2\n[camera parameter]\nNOPE = 1\nREG = 1\n",
       {ignored(warning_kind::key_before_section),
        ignored(warning_kind::unknown_section),
        ignored(warning_kind::unknown_section), "read",
        ignored(warning_kind::unknown_key),
        ignored(warning_kind::command_out_of_place)}},
      {"[register parameter]\nREG = 1, 2\nDELAY = 5\nBIT_WIDTH = 1\n"
       "REG = 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\nREG = 3\n",
       {"read", stored(command, 0), stored(command, 1),
        ignored(warning_kind::unknown_key),
        refused(load_error::too_many_values), stored(command, 2)}},
      {"[control parameter]\nCTRL_NAME = a\n[control parameter]\nDEF = 1\n" +
           code_start + "x\n" + code_end + code_start + "y\n" + code_end +
           "NOPE = 1\n",
       {stored(control, 0), stored(control_key, 0, "CTRL_NAME"),
        stored(control, 1), stored(control_key, 1, "DEF"), stored(code, 1),
        stored(code, 1), ignored(warning_kind::unknown_key)}},
      {"[board parameter]\n" + code_start + "x\n" + code_end,
       {"read", ignored(warning_kind::code_block_ignored)}},
  };
  for (const account_case &c : cases) {
    scoped_config config;
    EXPECT_EQ(accounts_of(c.text, config.get()), c.expected) << c.text;
  }
}

TEST(LoadAccount, WithoutARecordEveryEventIsRefused) {
  account_recorder recorder;
  const load_observer observer{account_recorder::warned, account_recorder::told,
                               &recorder};
  load_context context;
  context.config = nullptr;
  context.observer = &observer;
  EXPECT_EQ(config_handler(&context, "camera parameter", nullptr, nullptr), 0);
  ASSERT_EQ(recorder.accounts.size(), 1u);
  EXPECT_EQ(shown(recorder.accounts[0]), refused(load_error::no_record));
}

// What the account says was stored is exactly what the record holds: one
// stored command per entry of the list, in order, and one opened control
// per control.
TEST(LoadAccount, StoredPartsAreTheRecords) {
  scoped_config config;
  account_recorder recorder;
  const load_observer observer{account_recorder::warned, account_recorder::told,
                               &recorder};
  load_string(read_file(sample_path()), config.get(), &observer);
  std::uint32_t commands = 0, controls = 0;
  for (const event_account &a : recorder.accounts) {
    if (a.part == stored_part::command) {
      EXPECT_EQ(a.index, commands++);
    }
    if (a.part == stored_part::control) {
      EXPECT_EQ(a.index, controls++);
    }
    if (a.part == stored_part::control_key || a.part == stored_part::code) {
      EXPECT_EQ(a.index + 1, controls);
    }
  }
  EXPECT_EQ(commands, config->configs_length);
  EXPECT_EQ(controls, config->controls_length);
}

// The origins a record diff shows come from the account: a code block the
// loader ignores is no control's code, and a key of a control is that
// control's.
TEST(LoadAccount, OriginsFollowTheAccount) {
  const std::string text = "[control parameter]\nDEF = 1\n" + code_start +
                           "x\n" + code_end + "[board parameter]\n" +
                           code_start + "y\n" + code_end +
                           "[control parameter]\nDEF = 2\n";
  scoped_config config;
  const checked_text checked =
      check_text(text, *config.get(), check_options{true, true});
  EXPECT_EQ(checked.origins.controls, (std::vector<std::int64_t>{1, 10}));
  EXPECT_EQ(checked.origins.codes, (std::vector<std::int64_t>{3, 0}));
}

// The analysis keeps, per line, what the loader said of its event and what
// it stored as the record held it right after that line: a later line
// that overwrites the field changes the record, not the earlier line's
// value; numbers are the record's (low bits, clamped), not the spelling.
TEST(LoadAccount, EachLineKeepsWhatItStored) {
  struct row {
    std::int64_t line;
    bool heard;
    event_outcome outcome;
    const char *key; // the stored key's name; null: nothing stored
    std::vector<std::int64_t> numbers;
    const char *text;
    std::uint32_t diagnostics;
  };
  const std::string text = "[camera parameter]\n"       // 1
                           "BIT_WIDTH = 8\n"            // 2
                           "BIT_WIDTH = 0x10 ; again\n" // 3
                           "TYPE = imx\n"               // 4
                           "SIZE = 640, 480\n"          // 5
                           "SIZE = 1\n"                 // 6
                           "FOO = 1\n"                  // 7
                           "; a comment\n"              // 8
                           "BIT_WIDTH = 08\n"           // 9
                           "[register parameter]\n"     // 10
                           "REG = 1, 0x1ffffffff\n"     // 11
                           "[control parameter]\n"      // 12
                           "CTRL_NAME = gain\n"         // 13
                           "MIN_VALUE = 1\n"            // 14
                           "MIN_VALUE = 2\n"            // 15
                           "MAX_VALUE = 10\n"
                           "STEP = 1\n"
                           "DEF = 2\n";
  const row rows[] = {
      {1, true, event_outcome::read, nullptr, {}, "", 0},
      {2, true, event_outcome::stored, "BIT_WIDTH", {8}, "", 0},
      {3, true, event_outcome::stored, "BIT_WIDTH", {16}, "", 1},
      {4, true, event_outcome::stored, "TYPE", {}, "imx", 0},
      {5, true, event_outcome::stored, "SIZE", {640, 480}, "", 0},
      {6, true, event_outcome::ignored, nullptr, {}, "", 1},
      {7, true, event_outcome::ignored, nullptr, {}, "", 1},
      {8, false, event_outcome::read, nullptr, {}, "", 0},
      {9, true, event_outcome::stored, "BIT_WIDTH", {8}, "", 2},
      {11, true, event_outcome::stored, "REG", {1, 0xffffffff}, "", 1},
      {12, true, event_outcome::stored, nullptr, {}, "", 0},
      {13, true, event_outcome::stored, "CTRL_NAME", {}, "gain", 0},
      {14, true, event_outcome::stored, "MIN_VALUE", {1}, "", 0},
      {15, true, event_outcome::stored, "MIN_VALUE", {2}, "", 0},
  };
  scoped_config config;
  const checked_text checked = check_text(text, *config.get());
  for (const row &r : rows) {
    SCOPED_TRACE(r.line);
    const line_info &info =
        checked.lines.at(static_cast<std::size_t>(r.line - 1));
    EXPECT_EQ(info.heard, r.heard);
    if (r.heard) {
      EXPECT_EQ(info.account.outcome, r.outcome);
    }
    EXPECT_EQ(info.diagnostic_count, r.diagnostics);
    for (std::uint32_t i = 0; i < info.diagnostic_count; ++i)
      EXPECT_EQ(checked.diagnostics.at(info.first_diagnostic + i).line, r.line);
    const stored_value stored = stored_by(checked, r.line);
    if (r.key == nullptr) {
      EXPECT_EQ(stored.key, nullptr);
      continue;
    }
    ASSERT_NE(stored.key, nullptr);
    EXPECT_EQ(stored.key->name, r.key);
    EXPECT_EQ(stored.numbers, r.numbers);
    EXPECT_EQ(stored.text, r.text);
  }
  // The record holds the last line's value; each line kept its own.
  EXPECT_EQ(config->bit_width, 8u);
  std::size_t with_diagnostics = 0;
  for (const line_info &info : checked.lines)
    with_diagnostics += info.diagnostic_count;
  EXPECT_EQ(with_diagnostics, checked.diagnostics.size());
}

} // namespace
} // namespace quelmix::test
