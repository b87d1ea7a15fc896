// SPDX-License-Identifier: MIT
// Every allocation a load makes is made to fail in turn. Each time the load
// must either absorb the failure (the read block falls back to line reads,
// a doubling of the command list to the growth rule's own step, a final
// trim keeps the larger block) and load the full record, or report a bad
// line (never 0 for a file it did not fully take in) and leave a record
// that holds a subset of the full one in file order; and leak nothing once
// the record is released.
#include <gtest/gtest.h>

#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

#include "loader/loader.hpp"
#include "support/counting_allocator.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

// A control whose code could not be stored matches the full one but for it.
bool same_item(const std::string &got, const std::string &full) {
  const std::string no_code = "code=null";
  if (got.size() >= no_code.size() &&
      got.compare(got.size() - no_code.size(), no_code.size(), no_code) == 0)
    return full.rfind(got.substr(0, got.size() - 4), 0) == 0;
  return got == full;
}

// True when every line of `part` appears in `whole`, in the same order.
bool is_ordered_subset(const std::vector<std::string> &part,
                       const std::vector<std::string> &whole) {
  std::size_t at = 0;
  for (const std::string &line : part) {
    while (at < whole.size() && !same_item(line, whole[at]))
      ++at;
    if (at == whole.size())
      return false;
    ++at;
  }
  return true;
}

struct load_run {
  load_report report;
  std::string record;
  long calls;
};

load_run load_with_failure(const std::string &path, long fail_at) {
  camera_config config{};
  arm_allocator(fail_at);
  const load_report report = load_config_file(path.c_str(), &config);
  const std::string record = describe_record(config);
  quelmix_release_config(&config);
  const allocation_counters counted = disarm_allocator();
  EXPECT_EQ(counted.live_blocks, 0)
      << "leak with allocation " << fail_at << " failing";
  return {report, record, counted.calls};
}

void check_every_allocation_failing(const std::string &path) {
  const load_run full = load_with_failure(path, 0);
  ASSERT_EQ(full.report.parse.line, 0);
  ASSERT_GT(full.calls, 0);
  const std::vector<std::string> full_lines = lines_of(full.record);
  long absorbed = 0;
  for (long k = 1; k <= full.calls; ++k) {
    const load_run run = load_with_failure(path, k);
    if (run.report.parse.line == 0) {
      EXPECT_EQ(run.record, full.record) << "allocation " << k;
      ++absorbed;
      continue;
    }
    EXPECT_GT(run.report.parse.line, 0) << "allocation " << k;
    EXPECT_TRUE(run.report.parse.error == parse_error::out_of_memory ||
                run.report.error == load_error::out_of_memory)
        << "allocation " << k;
    EXPECT_NE(run.record, full.record) << "allocation " << k;
    const std::vector<std::string> got = lines_of(run.record);
    EXPECT_EQ(got.at(0), full_lines.at(0)) << "camera fields, allocation " << k;
    EXPECT_TRUE(is_ordered_subset(got, full_lines))
        << "allocation " << k << ":\n"
        << run.record;
  }
  // At least the read block is absorbed, and at least one failure is not.
  EXPECT_GE(absorbed, 1);
  EXPECT_LT(absorbed, full.calls);
  std::printf("%ld allocations made to fail in turn for %s, %ld absorbed\n",
              full.calls, path.c_str(), absorbed);
}

TEST(AllocationFailure, EveryAllocationOfTheSample) {
  check_every_allocation_failing(sample_path());
}

// Regrowth of the command list, and of long code blocks, fail too.
TEST(AllocationFailure, EveryAllocationOfALargerFile) {
  std::string text = "[control parameter]\n======CODE_BLOCK_START======\n";
  for (int i = 0; i < 40; ++i)
    text += "code line number " + std::to_string(i) + "\n";
  text += "======CODE_BLOCK_END======\n[register parameter]\n";
  for (int i = 0; i < 250; ++i)
    text += "REG = " + std::to_string(i) + ", 1\n";
  text += "[control parameter]\nDEF = 1\n[control parameter]\n";
  const temp_file file(text);
  check_every_allocation_failing(file.path());
}

// Without an allocation of its own (the allocator here fails them), the
// loader's account of every event.
struct fixed_recorder {
  event_account accounts[128];
  std::size_t count = 0;
  static void warned(void *, const load_warning &) noexcept {}
  static void told(void *user, const event_account &account) noexcept {
    auto &self = *static_cast<fixed_recorder *>(user);
    if (self.count < std::size(self.accounts))
      self.accounts[self.count++] = account;
  }
};

// Memory running out anywhere: the account refuses exactly the lines that
// failed for it, says "stored" only for what the record holds, and puts no
// key of a control whose header failed into the control before it.
TEST(AllocationFailure, TheAccountSaysWhatMemoryCost) {
  const std::string text = read_file(sample_path());
  arm_allocator();
  {
    camera_config config{};
    load_string(text, &config);
    quelmix_release_config(&config);
  }
  const long calls = disarm_allocator().calls;
  for (long k = 1; k <= calls; ++k) {
    fixed_recorder recorder;
    const load_observer observer{fixed_recorder::warned, fixed_recorder::told,
                                 &recorder};
    camera_config config{};
    arm_allocator(k);
    const load_report report = load_string(text, &config, &observer);
    disarm_allocator();
    ASSERT_LT(recorder.count, std::size(recorder.accounts));
    std::uint32_t commands = 0, controls = 0;
    bool refused_for_memory = false, control_open = false;
    for (std::size_t i = 0; i < recorder.count; ++i) {
      const event_account &a = recorder.accounts[i];
      refused_for_memory =
          refused_for_memory || (a.outcome == event_outcome::refused &&
                                 a.refused == load_error::out_of_memory);
      if (a.part == stored_part::command) {
        EXPECT_EQ(a.index, commands++) << "allocation " << k;
      }
      if (a.part == stored_part::control) {
        EXPECT_EQ(a.index, controls++) << "allocation " << k;
        control_open = true;
      }
      if (a.outcome == event_outcome::refused)
        control_open = false;
      if (a.part == stored_part::control_key || a.part == stored_part::code) {
        EXPECT_TRUE(control_open) << "allocation " << k;
        EXPECT_EQ(a.index + 1, controls) << "allocation " << k;
      }
    }
    EXPECT_EQ(commands, config.configs_length) << "allocation " << k;
    EXPECT_EQ(controls, config.controls_length) << "allocation " << k;
    EXPECT_EQ(refused_for_memory, report.error == load_error::out_of_memory)
        << "allocation " << k;
    quelmix_release_config(&config);
  }
}

} // namespace
} // namespace quelmix::test
