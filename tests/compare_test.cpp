// SPDX-License-Identifier: MIT
// Comparing two loads: the sequence diff under everything (shortest
// scripts, checked against a plain dynamic programme), unified diffs, and
// record differences on pairs of small files.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "config_generator.hpp"
#include "engine/analysis/same_record.hpp"
#include "engine/compare/record_diff.hpp"
#include "engine/compare/sequence_diff.hpp"
#include "engine/layout/format.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

std::size_t longest_common_subsequence(const std::vector<std::uint32_t> &a,
                                       const std::vector<std::uint32_t> &b) {
  std::vector<std::vector<std::size_t>> table(
      a.size() + 1, std::vector<std::size_t>(b.size() + 1, 0));
  for (std::size_t i = 1; i <= a.size(); ++i)
    for (std::size_t j = 1; j <= b.size(); ++j)
      table[i][j] = a[i - 1] == b[j - 1]
                        ? table[i - 1][j - 1] + 1
                        : std::max(table[i - 1][j], table[i][j - 1]);
  return table[a.size()][b.size()];
}

// The script turns a into b, in order, with as few edits as can be.
TEST(SequenceDiff, ShortestScriptThatTurnsOldIntoNew) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 400; ++round) {
    const auto make = [&random] {
      std::vector<std::uint32_t> v(random() % 40);
      for (auto &x : v)
        x = static_cast<std::uint32_t>(random() % (1 + random() % 6));
      return v;
    };
    const std::vector<std::uint32_t> a = make(), b = make();
    const std::vector<edit> script = diff_sequences(a, b);
    std::vector<std::uint32_t> rebuilt;
    std::size_t kept = 0, next_old = 0, next_new = 0;
    for (const edit &e : script) {
      if (e.op == edit_op::keep) {
        ASSERT_EQ(a[e.old_index], b[e.new_index]);
        ASSERT_EQ(e.old_index, next_old);
        ASSERT_EQ(e.new_index, next_new);
        ++next_old, ++next_new, ++kept;
        rebuilt.push_back(a[e.old_index]);
      } else if (e.op == edit_op::remove) {
        ASSERT_EQ(e.old_index, next_old);
        ++next_old;
      } else {
        ASSERT_EQ(e.new_index, next_new);
        ++next_new;
        rebuilt.push_back(b[e.new_index]);
      }
    }
    EXPECT_EQ(rebuilt, b);
    EXPECT_EQ(next_old, a.size());
    EXPECT_EQ(kept, longest_common_subsequence(a, b)) << "round " << round;
  }
}

// Rebuilds `b` from `a` and the script; the number of kept elements.
std::size_t check_script(const std::vector<std::uint32_t> &a,
                         const std::vector<std::uint32_t> &b,
                         const std::vector<edit> &script) {
  std::vector<std::uint32_t> rebuilt;
  std::size_t kept = 0, next_old = 0;
  for (const edit &e : script) {
    if (e.op != edit_op::insert) {
      EXPECT_EQ(e.old_index, next_old);
      ++next_old;
    }
    if (e.op == edit_op::keep) {
      EXPECT_EQ(a[e.old_index], b[e.new_index]);
      ++kept;
    }
    if (e.op != edit_op::remove)
      rebuilt.push_back(b[e.new_index]);
  }
  EXPECT_EQ(rebuilt, b);
  EXPECT_EQ(next_old, a.size());
  return kept;
}

// Large inputs: still a script that turns a into b; the fewest edits when
// they are few, however long the sequences; and within reach when every
// element differs or the sides share only repeated elements.
TEST(SequenceDiff, LargeSequences) {
  std::mt19937 random(7);
  std::vector<std::uint32_t> a(60000);
  for (std::size_t i = 0; i < a.size(); ++i)
    a[i] = static_cast<std::uint32_t>(i % 3 == 0 ? 1 : i); // 1 repeats
  struct large_case {
    const char *name;
    std::vector<std::uint32_t> b;
    std::size_t least_kept;
  };
  std::vector<large_case> cases;
  {
    auto b = a; // 300 scattered insertions of a repeated element
    for (int k = 0; k < 300; ++k)
      b.insert(b.begin() + static_cast<std::ptrdiff_t>(random() % b.size()), 1);
    cases.push_back({"scattered insertions", b, a.size()});
  }
  {
    auto b = a; // every non-repeated element replaced
    for (auto &x : b)
      x = x == 1 ? 1 : x + 1000000;
    cases.push_back({"every value changed", b, a.size() / 3});
  }
  {
    std::vector<std::uint32_t> b(a.size());
    for (std::size_t i = 0; i < b.size(); ++i)
      b[i] = static_cast<std::uint32_t>(2000000 + i);
    cases.push_back({"nothing shared", b, 0});
  }
  {
    auto b = a; // two long runs swapped: more edits than an exact search
    std::rotate(b.begin(), b.begin() + 25000, b.end());
    cases.push_back({"runs swapped", b, 25000});
  }
  for (const large_case &c : cases)
    EXPECT_GE(check_script(a, c.b, diff_sequences(a, c.b)), c.least_kept)
        << c.name;
}

TEST(SequenceDiff, UnifiedDiffLikeDiffU) {
  EXPECT_EQ(unified_diff("a\nb\nc\n", "a\nb\nc\n"), "");
  EXPECT_EQ(unified_diff("a\nb\nc\n", "a\nB\nc\n"),
            "@@ -1,3 +1,3 @@\n a\n-b\n+B\n c\n");
  EXPECT_EQ(unified_diff("", "x\n"), "@@ -0,0 +1 @@\n+x\n");
  std::string many, changed;
  for (int i = 0; i < 20; ++i) {
    many += std::to_string(i) + "\n";
    changed += (i == 2 || i == 17 ? "x" : std::to_string(i)) + "\n";
  }
  EXPECT_EQ(unified_diff(many, changed),
            "@@ -1,6 +1,6 @@\n 0\n 1\n-2\n+x\n 3\n 4\n 5\n"
            "@@ -15,6 +15,6 @@\n 14\n 15\n 16\n-17\n+x\n 18\n 19\n");
}

// The differences in short words: "camera SIZE.width 1280>1920",
// "SECTION + REG 1,2 @9", "SECTION ~ REG 1,2>1,3", "order", "control ...".
std::vector<std::string> summary(const std::string &old_text,
                                 const std::string &new_text) {
  loaded_file a, b;
  load_for_comparison(a, old_text);
  load_for_comparison(b, new_text);
  const record_difference d = compare_records(a, b);
  std::vector<std::string> out;
  if (d.results_differ)
    out.push_back("result " + std::to_string(d.old_result) + ">" +
                  std::to_string(d.new_result));
  for (const field_change &f : d.camera)
    out.push_back(
        "camera " + std::string(f.key->name) + "." + std::string(f.field) +
        " " +
        (f.old_text.empty() && f.new_text.empty()
             ? std::to_string(f.old_number) + ">" + std::to_string(f.new_number)
             : f.old_text + ">" + f.new_text));
  const auto values = [](const config_entry *e) {
    std::string v;
    for (unsigned i = 0; e != nullptr && i < e->params_length; ++i)
      v += (i ? "," : "") + std::to_string(e->params[i]);
    return v;
  };
  for (const section_changes &s : d.commands)
    for (const command_change &c : s.changes)
      out.push_back(
          section_name(s.section) + " " +
          (c.op == change_op::insert
               ? "+ " + values(c.new_entry) + " @" + std::to_string(c.new_line)
           : c.op == change_op::remove
               ? "- " + values(c.old_entry) + " @" + std::to_string(c.old_line)
               : "~ " + values(c.old_entry) + ">" + values(c.new_entry)));
  if (d.order_differs)
    out.push_back("order");
  for (const control_change &c : d.controls) {
    std::string line = c.op == change_op::insert   ? "control +"
                       : c.op == change_op::remove ? "control -"
                                                   : "control ~";
    for (const field_change &f : c.fields)
      line += " " + std::string(f.key->name);
    if (!c.code_diff.empty())
      line += " code";
    out.push_back(line);
  }
  return out;
}

struct pair_case {
  const char *name;
  std::string old_text, new_text;
  std::vector<std::string> expected;
};

const std::string START = "======CODE_BLOCK_START======\n";
const std::string END = "======CODE_BLOCK_END======\n";
const std::string BASE =
    "[camera parameter]\nSIZE = 1280, 720\n"
    "[register parameter][dev3][inf2]\nREG = 0x3008, 0x82\n"
    "REG = 0x3009, 1\n[board parameter]\nDELAY = 5\n"
    "[control parameter]\nCTRL_NAME = Brightness\n"
    "MAX_VALUE = 64\n" +
    START + "w(1)\n" + END;

TEST(RecordDiff, PairsOfFiles) {
  std::string five_hundred = "[register parameter]\n", with_insertion;
  for (int i = 0; i < 500; ++i) {
    five_hundred += "REG = " + std::to_string(i) + ", 7\n";
    if (i == 250)
      with_insertion = five_hundred + "REG = 9999, 7\n";
  }
  with_insertion = five_hundred.substr(0, with_insertion.size() - 14) +
                   "REG = 9999, 7\n" +
                   five_hundred.substr(with_insertion.size() - 14);
  const pair_case cases[] = {
      {"same", BASE, BASE, {}},
      {"reformat and comments",
       BASE,
       "; a comment\n[camera parameter]\n\nSIZE=1280,720  ; w, h\n"
       "[register parameter||dev3||inf2]\nREG: 0x3008,0x82\nREG = 0x3009 , 1\n"
       "\n\n[board parameter]\n  DELAY = 5\n[control parameter]\n"
       "CTRL_NAME = Brightness\nMAX_VALUE = 0x40\n" +
           START + "w(1)\n" + END,
       {}},
      {"a comment that swallowed a value",
       BASE,
       "[camera parameter]\nSIZE = 1280, 720\n[register "
       "parameter][dev3][inf2]\n"
       "REG = 0x3008 ;, 0x82\nREG = 0x3009, 1\n[board parameter]\nDELAY = 5\n"
       "[control parameter]\nCTRL_NAME = Brightness\nMAX_VALUE = 64\n" +
           START + "w(1)\n" + END,
       {"register parameter||dev3||inf2 ~ 12296,130>12296"}},
      {"an insertion among 500 commands",
       five_hundred,
       with_insertion,
       {"register parameter + 9999,7 @253"}},
      {"a moved section",
       "[board parameter]\nREG = 1\n[register parameter]\nREG = 2\n",
       "[register parameter]\nREG = 2\n[board parameter]\nREG = 1\n",
       {"order"}},
      {"a control renamed, its code changed",
       BASE,
       "[camera parameter]\nSIZE = 1920, 720\n[register "
       "parameter][dev3][inf2]\n"
       "REG = 0x3008, 0x82\nREG = 0x3009, 1\n[board parameter]\nDELAY = 5\n"
       "[control parameter]\nCTRL_NAME = Contrast\nMAX_VALUE = 64\n" +
           START + "w(2)\n" + END,
       {"camera SIZE.width 1280>1920", "control ~ CTRL_NAME code"}},
      {"results that differ",
       "[register parameter]\nREG = 1\n",
       "[register parameter]\nREG = 1\nbad line\n",
       {"result 0>3"}},
      {"removed and added",
       "[register parameter]\nREG = 1\nDELAY = 2\n[control parameter]\n",
       "[register parameter]\nREG = 1\nVRCMD = 3\n",
       {"register parameter - 2 @3", "register parameter + 3 @3", "control -"}},
  };
  for (const pair_case &c : cases)
    EXPECT_EQ(summary(c.old_text, c.new_text), c.expected) << c.name;
}

// Changes in the file's own terms: values as each line spells them, a
// changed DELAY as one change, each field with its own line.
TEST(RecordDiff, ValuesAsTheFileSpellsThem) {
  const struct {
    const char *name;
    std::string old_text, new_text;
    std::vector<std::string> expected; // op, spelled values, lines
  } cases[] = {
      {"a register's value",
       "[register parameter]\nREG = 0x0200, 0x0004\n",
       "[register parameter]\n\nREG = 0x0200,0x0005 ; note\n",
       {"~ 0x0200,0x0004 > 0x0200,0x0005 @2,3"}},
      {"a changed DELAY in place",
       "[board parameter]\nREG = 1, 2\nDELAY = 10\nREG = 3, 4\n",
       "[board parameter]\nREG = 1, 2\nDELAY = 0x14\nREG = 3, 4\n",
       {"~ 10 > 0x14 @3,3"}},
      {"two DELAYs, one changed",
       "[board parameter]\nDELAY = 1\nREG = 1, 2\nDELAY = 2\n",
       "[board parameter]\nDELAY = 1\nREG = 1, 2\nDELAY = 3\n",
       {"~ 2 > 3 @4,4"}},
      {"a DELAY for a REG is no change",
       "[board parameter]\nREG = 1, 2\n",
       "[board parameter]\nDELAY = 2\n",
       {"- 1,2 @2", "+ 2 @2"}},
      {"text that is more than a number shows the stored value",
       "[register parameter]\nREG = 0x10, 7 units\n",
       "[register parameter]\nREG = 0x10, 8\n",
       {"~ 0x10,7 > 0x10,8 @2,2"}},
      {"camera fields",
       "[camera parameter]\nI2C_ADDR = 0x0036\nSIZE = 0x500, 720\n",
       "[camera parameter]\nSIZE = 0x780, 720\nI2C_ADDR = 0x0037\n",
       {"camera SIZE 0x500 > 0x780 @3,2",
        "camera I2C_ADDR 0x0036 > 0x0037 @2,3"}},
      {"a control's fields on their own lines",
       "[control parameter]\nCTRL_NAME = a\nSTEP = 1\nDEF = 0x10\n",
       "[control parameter]\nCTRL_NAME = a\nDEF = 0x11\n\nSTEP = 2\n",
       {"control STEP 1 > 2 @3,5", "control DEF 0x10 > 0x11 @4,3"}},
  };
  for (const auto &c : cases) {
    loaded_file a, b;
    load_for_comparison(a, c.old_text);
    load_for_comparison(b, c.new_text);
    const record_difference d = compare_records(a, b);
    std::vector<std::string> got;
    const auto spelled = [](const config_entry *e, std::uint16_t hex,
                            const std::vector<std::string> &words) {
      std::string v;
      for (unsigned i = 0; e != nullptr && i < e->params_length; ++i)
        v += (i ? "," : "") + spell_value(*e, hex, words, i);
      return v;
    };
    for (const field_change &f : d.camera)
      got.push_back("camera " + std::string(f.key->name) + " " +
                    f.old_spelling + " > " + f.new_spelling + " @" +
                    std::to_string(f.old_line) + "," +
                    std::to_string(f.new_line));
    for (const section_changes &s : d.commands)
      for (const command_change &ch : s.changes)
        got.push_back(
            ch.op == change_op::insert
                ? "+ " + spelled(ch.new_entry, ch.new_hex, ch.new_spelled) +
                      " @" + std::to_string(ch.new_line)
            : ch.op == change_op::remove
                ? "- " + spelled(ch.old_entry, ch.old_hex, ch.old_spelled) +
                      " @" + std::to_string(ch.old_line)
                : "~ " + spelled(ch.old_entry, ch.old_hex, ch.old_spelled) +
                      " > " +
                      spelled(ch.new_entry, ch.new_hex, ch.new_spelled) + " @" +
                      std::to_string(ch.old_line) + "," +
                      std::to_string(ch.new_line));
    for (const control_change &ch : d.controls)
      for (const field_change &f : ch.fields)
        got.push_back("control " + std::string(f.key->name) + " " +
                      f.old_spelling + " > " + f.new_spelling + " @" +
                      std::to_string(f.old_line) + "," +
                      std::to_string(f.new_line));
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

// A file compared with itself, or with its own formatting, shows nothing.
TEST(RecordDiff, NothingForTheSameRecord) {
  std::vector<std::string> texts = {read_file(sample_path())};
  for (std::size_t lines : {50u, 800u, 5000u})
    texts.push_back(bench::generate_config({lines, false, 8}));
  texts.push_back(bench::generate_config({300, true, 3}));
  for (const std::string &text : texts) {
    EXPECT_EQ(summary(text, text), std::vector<std::string>{});
    EXPECT_EQ(summary(text, format_text(text).text),
              std::vector<std::string>{});
  }
}

// The exact comparison and the digest tell apart records that differ in
// any one thing, and agree on texts that load alike.
TEST(SameRecord, OneDifferenceAnywhereIsSeen) {
  const std::string base = "[camera parameter]\nTYPE = a\nSIZE = 1, 2\n"
                           "[register parameter]\nREG = 1, 2\n"
                           "[control parameter]\nCTRL_NAME = c\nSTEP = 1\n"
                           "======CODE_BLOCK_START======\nx\n"
                           "======CODE_BLOCK_END======\n";
  const struct {
    std::string from, to;
  } changes[] = {
      {"TYPE = a", "TYPE = b"},  {"SIZE = 1, 2", "SIZE = 1, 3"},
      {"REG = 1, 2", "REG = 1"}, {"REG = 1, 2", "DELAY = 1, 2"},
      {"STEP = 1", "STEP = 2"},  {"CTRL_NAME = c", "FUNC_NAME = c"},
      {"\nx\n", "\ny\n"},        {"REG = 1, 2\n", ""},
  };
  scoped_config original;
  load_string(base, original.get());
  for (const auto &change : changes) {
    std::string text = base;
    text.replace(text.find(change.from), change.from.size(), change.to);
    scoped_config changed;
    load_string(text, changed.get());
    EXPECT_FALSE(same_record(original.value, changed.value)) << change.to;
    EXPECT_FALSE(digest_of(original.value) == digest_of(changed.value))
        << change.to;
  }
  scoped_config alike;
  load_string("[camera parameter]\nTYPE=a ; note\nSIZE=1,2\n" +
                  base.substr(base.find("[register")),
              alike.get());
  EXPECT_TRUE(same_record(original.value, alike.value));
  EXPECT_TRUE(digest_of(original.value) == digest_of(alike.value));
}

} // namespace
} // namespace quelmix::test
