// SPDX-License-Identifier: MIT
// The record diff on two related inputs: a file and the same file with
// lines dropped, doubled or with a digit changed (chosen by the bytes
// before the input's first NUL). A file against itself shows nothing; two
// files that load the same record with the same result show nothing, and
// two that show nothing hold the same commands and as many controls
// (controls are matched by name, so their order may differ); each
// section's changes account for both sides' commands; and every change in
// place keeps its key (and its target).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/compare/record_diff.hpp"
#include "record_checks.hpp"

namespace {

using namespace quelmix;

// `text` edited line by line as `plan` says (its bytes taken in turn).
std::string related(const std::string &text, const std::string &plan) {
  std::string out;
  std::size_t line = 0;
  for (std::size_t begin = 0; begin < text.size(); ++line) {
    std::size_t end = text.find('\n', begin);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string piece = text.substr(begin, end - begin);
    begin = end;
    const unsigned op =
        plan.empty() ? (line % 7 == 3 ? 1u : 0u)
                     : static_cast<unsigned char>(plan[line % plan.size()]) % 5;
    if (op == 1)
      continue; // dropped
    if (op == 2)
      out += piece; // doubled
    if (op == 3) {
      const std::size_t digit = piece.find_last_of("0123456789");
      if (digit != std::string::npos)
        piece[digit] = static_cast<char>('0' + (piece[digit] - '0' + 1) % 10);
    }
    out += piece;
  }
  return out;
}

void check_counts(const record_difference &d, const loaded_file &a,
                  const loaded_file &b) {
  for (const section_changes &s : d.commands) {
    std::size_t old_count = 0, new_count = 0;
    for (std::uint32_t i = 0; i < a.record.configs_length; ++i)
      old_count += (a.record.configs[i].type & ~CONFIG_KEY_MASK) == s.section;
    for (std::uint32_t i = 0; i < b.record.configs_length; ++i)
      new_count += (b.record.configs[i].type & ~CONFIG_KEY_MASK) == s.section;
    fuzz::require(s.inserted + s.removed + s.changed == s.changes.size());
    fuzz::require(s.removed + s.changed <= old_count);
    fuzz::require(old_count - s.removed + s.inserted == new_count);
    for (const command_change &c : s.changes) {
      if (c.op != change_op::change)
        continue;
      fuzz::require(c.old_entry->type == c.new_entry->type);
      fuzz::require(!first_value_is_target(*c.old_entry) ||
                    c.old_entry->params[0] == c.new_entry->params[0]);
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  const std::string input(reinterpret_cast<const char *>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string plan =
      nul == std::string::npos ? std::string() : input.substr(0, nul);
  const std::string text =
      nul == std::string::npos ? input : input.substr(nul + 1);
  loaded_file a, b, again;
  load_for_comparison(a, text);
  load_for_comparison(b, related(text, plan));
  load_for_comparison(again, text);
  fuzz::require(compare_records(a, again).same());
  const record_difference d = compare_records(a, b);
  const bool alike = same_record(a.record, b.record) &&
                     a.checked.report.parse.line == b.checked.report.parse.line;
  fuzz::require(!alike || d.same());
  fuzz::require(d.same() == compare_records(b, a).same());
  if (d.same()) {
    const camera_config &x = a.record, &y = b.record;
    fuzz::require(x.configs_length == y.configs_length &&
                  x.controls_length == y.controls_length);
    for (std::uint32_t i = 0; i < x.configs_length; ++i) {
      const config_entry &e = x.configs[i], &f = y.configs[i];
      fuzz::require(e.type == f.type && e.params_length == f.params_length);
      for (unsigned k = 0; k < e.params_length; ++k)
        fuzz::require(e.params[k] == f.params[k]);
    }
  }
  check_counts(d, a, b);
  return 0;
}
