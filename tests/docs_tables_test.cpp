// SPDX-License-Identifier: MIT
// The documentation's reference tables say what the code says: the file
// format page's sections and keys (field, C type, conversion, how many
// values) are the schema's, and the checker page's diagnostic kinds
// (severity, fix class) are the engine's, no more and no fewer; each kind's
// example line on that page is where the engine reports that kind.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/analysis/engine.hpp"
#include "engine/messages/kinds.hpp"
#include "loader/schema.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

using row = std::vector<std::string>;

std::string page_text(const std::string &name) {
  std::ifstream file(QUELMIX_TESTS_DIR "/../docs/" + name);
  EXPECT_TRUE(file.good()) << name;
  return {std::istreambuf_iterator<char>(file), {}};
}

// A table row's cells, trimmed, with "\|" read as "|" and the backticks
// of a code span dropped.
row cells_of(std::string_view line) {
  row cells;
  std::string cell;
  for (std::size_t i = 1; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '|') {
      cell += '|';
      ++i;
    } else if (line[i] == '|') {
      const auto first = cell.find_first_not_of(' ');
      const auto last = cell.find_last_not_of(' ');
      cells.push_back(first == std::string::npos
                          ? ""
                          : cell.substr(first, last - first + 1));
      cell.clear();
    } else if (line[i] != '`') {
      cell += line[i];
    }
  }
  return cells;
}

// The rows of the table whose header row starts with `| first |`, by the
// first cell.
std::map<std::string, row> table(const std::string &text,
                                 std::string_view first) {
  std::map<std::string, row> rows;
  const std::string header = "| " + std::string(first) + " |";
  std::size_t at = text.find("\n" + header);
  EXPECT_NE(at, std::string::npos) << header;
  if (at == std::string::npos)
    return rows;
  at = text.find('\n', at + 1); // the header row
  at = text.find('\n', at + 1); // the |---| row
  while (at != std::string::npos && text.compare(at + 1, 1, "|") == 0) {
    const std::size_t end = text.find('\n', at + 1);
    const row cells = cells_of(text.substr(at + 1, end - at - 1));
    if (!cells.empty())
      rows[cells.front()] = cells;
    at = end;
  }
  return rows;
}

std::string c_type(const schema::field_ref &field, schema::conversion how) {
  if (how == schema::conversion::text)
    return "char[" + std::to_string(field.size) + "]";
  return std::string(field.is_signed ? "int" : "uint") +
         std::to_string(8 * field.size) + "_t";
}

std::string conversion_name(schema::conversion how) {
  switch (how) {
  case schema::conversion::text:
    return "text";
  case schema::conversion::low_bits:
    return "low_bits";
  case schema::conversion::saturated:
    return "saturated";
  case schema::conversion::pair:
    return "pair";
  case schema::conversion::byte_pair:
    return "byte_pair";
  case schema::conversion::command:
    return "command";
  }
  return "?";
}

std::string value_count(const schema::key_spec &key) {
  if (key.fewest == key.most)
    return std::to_string(key.fewest);
  return std::to_string(key.fewest) +
         (key.most - key.fewest == 1 ? " or " : " to ") +
         std::to_string(key.most);
}

std::string sections_taking(schema::record_kind record) {
  std::set<std::string> names;
  for (const schema::section_kind &kind : schema::section_kinds)
    if (kind.keys == record)
      names.insert(std::string(kind.name));
  if (names.size() == 1)
    return *names.begin();
  std::string joined; // "board, register" for the command sections
  for (const std::string &name : names)
    joined += (joined.empty() ? "" : ", ") + name.substr(0, name.find(' '));
  return joined;
}

std::string field_names(const schema::key_spec &key) {
  std::string names(key.field.name);
  if (!key.second.name.empty())
    names += ", " + std::string(key.second.name);
  return names;
}

TEST(DocsTables, FileFormatKeysAreTheSchemasKeys) {
  const auto rows = table(page_text("file-format.md"), "key");
  std::set<std::string> documented;
  for (const auto &entry : rows)
    documented.insert(entry.first);
  std::set<std::string> known;
  for (const schema::key_spec &key : schema::keys) {
    const std::string name(key.name);
    known.insert(name);
    const auto found = rows.find(name);
    if (found == rows.end())
      continue;
    const row &cells = found->second;
    ASSERT_GE(cells.size(), 6u) << name;
    EXPECT_EQ(cells[1], sections_taking(key.record)) << name;
    EXPECT_EQ(cells[2], field_names(key)) << name;
    EXPECT_EQ(cells[3], c_type(key.field, key.how)) << name;
    EXPECT_EQ(cells[4], conversion_name(key.how)) << name;
    EXPECT_EQ(cells[5], value_count(key)) << name;
  }
  EXPECT_EQ(documented, known);
}

TEST(DocsTables, FileFormatSectionsAreTheSchemasSections) {
  const auto rows = table(page_text("file-format.md"), "section");
  std::map<std::string, std::string> documented;
  for (const auto &entry : rows)
    documented[entry.first] = entry.second.size() > 1 ? entry.second[1] : "";
  std::map<std::string, std::string> known;
  for (const schema::section_spec &section : schema::sections) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X",
                  static_cast<unsigned>(section.code()));
    known[std::string(section.name())] = code;
  }
  EXPECT_EQ(documented, known);
}

std::string severity_name(severity level) {
  return level == severity::error ? "error" : "warning";
}

// The fix column starts with the class, or names both when it varies.
std::string fix_class_of(const std::string &cell) {
  const bool safe = cell.rfind("safe", 0) == 0 ||
                    cell.find(", safe") != std::string::npos ||
                    cell.find("), safe") != std::string::npos;
  const bool unsafe = cell.find("unsafe") != std::string::npos;
  if (safe && unsafe)
    return "varies";
  if (unsafe)
    return "unsafe";
  return safe ? "safe" : cell;
}

std::string fix_class_name(fix_class fixes) {
  switch (fixes) {
  case fix_class::none:
    return "none";
  case fix_class::safe:
    return "safe";
  case fix_class::unsafe:
    return "unsafe";
  case fix_class::varies:
    return "varies";
  }
  return "?";
}

TEST(DocsTables, CheckerKindsAreTheEnginesKinds) {
  const auto rows = table(page_text("checker.md"), "kind");
  // A row may name several kinds ("cannot-open, cannot-read").
  std::map<std::string, row> by_kind;
  for (const auto &entry : rows) {
    std::string names = entry.first;
    for (std::size_t start = 0; start <= names.size();) {
      std::size_t end = names.find(", ", start);
      if (end == std::string::npos)
        end = names.size();
      by_kind[names.substr(start, end - start)] = entry.second;
      start = end + 2;
    }
  }
  std::set<std::string> documented;
  for (const auto &entry : by_kind)
    documented.insert(entry.first);
  std::set<std::string> known;
  for (const kind_info &info : kinds) {
    const std::string name(info.name);
    known.insert(name);
    const auto found = by_kind.find(name);
    if (found == by_kind.end())
      continue;
    ASSERT_GE(found->second.size(), 3u) << name;
    EXPECT_EQ(found->second[1], severity_name(info.level)) << name;
    EXPECT_EQ(fix_class_of(found->second[2]), fix_class_name(info.fixes))
        << name;
  }
  EXPECT_EQ(documented, known);
}

// The fenced block that follows `<!-- file: NAME -->` on a page.
std::string file_block(const std::string &text, const std::string &name) {
  const std::size_t marker = text.find("<!-- file: " + name + " -->");
  EXPECT_NE(marker, std::string::npos) << name;
  if (marker == std::string::npos)
    return "";
  const std::size_t start = text.find('\n', text.find("```", marker)) + 1;
  return text.substr(start, text.find("\n```", start) + 1 - start);
}

TEST(DocsTables, CheckerExampleLinesShowTheirKinds) {
  const std::string text = page_text("checker.md");
  scoped_config config;
  const checked_text checked =
      check_text(file_block(text, "every-kind.cfg"), config.value);
  std::map<std::string, std::set<std::int64_t>> reported;
  for (const diagnostic &d : checked.diagnostics)
    reported[std::string(kinds[static_cast<std::size_t>(d.kind)].name)].insert(
        d.line);
  int examples = 0;
  for (const auto &[name, cells] : table(text, "kind")) {
    const std::string &where = cells.back();
    if (where.empty() || where[0] < '0' || where[0] > '9')
      continue; // a kind no text file can show
    ++examples;
    // "34–36": a block from its first line to its last.
    const std::int64_t first = std::stoll(where);
    const std::size_t dash = where.find_first_not_of("0123456789");
    const std::int64_t last =
        dash == std::string::npos
            ? first
            : std::stoll(where.substr(where.find_first_of("0123456789", dash)));
    const auto &lines = reported[name];
    EXPECT_NE(lines.lower_bound(first), lines.upper_bound(last))
        << name << " is not reported on line " << where;
  }
  EXPECT_GT(examples, 20);
}

} // namespace
} // namespace quelmix::test
