// SPDX-License-Identifier: MIT
// The command list's capacity between calls is what the growth rule
// promises (the count rounded up to the next multiple of 100), however the
// list grew inside the call, and whichever of its allocations failed.
#include <gtest/gtest.h>

#include <malloc.h>
#include <string>

#include "loader/loader.hpp"
#include "support/counting_allocator.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

std::size_t promised_entries(std::size_t count) {
  return 100 * (count / 100 + 1);
}

std::string commands(std::size_t count) {
  std::string text = "[register parameter]\n";
  for (std::size_t i = 0; i < count; ++i)
    text += "REG = " + std::to_string(i) + ", 0x1\n";
  return text;
}

// The block holds the promised entries and not a whole entry more (malloc
// rounds a request up by a few bytes).
void expect_promised_capacity(const camera_config &config,
                              const std::string &what) {
  const std::size_t usable = malloc_usable_size(config.configs);
  const std::size_t promised =
      promised_entries(config.configs_length) * sizeof(config_entry);
  EXPECT_GE(usable, promised) << what;
  EXPECT_LT(usable, promised + sizeof(config_entry)) << what;
}

TEST(CommandCapacity, IsTheRulesBetweenCalls) {
  for (std::size_t first : {1u, 99u, 100u, 101u, 199u, 200u, 1000u}) {
    const temp_file file(commands(first));
    scoped_config config;
    ASSERT_EQ(load_config_file(file.path(), config.get()).parse.line, 0);
    ASSERT_EQ(config->configs_length, first);
    expect_promised_capacity(config.value, std::to_string(first));
    // A second file appends and relies on the promise only.
    for (std::size_t second : {1u, 99u, 150u}) {
      scoped_config again;
      load_config_file(file.path(), again.get());
      const temp_file more(commands(second));
      ASSERT_EQ(load_config_file(more.path(), again.get()).parse.line, 0);
      ASSERT_EQ(again->configs_length, first + second);
      EXPECT_EQ(again->configs[first + second - 1].params[0], second - 1);
      expect_promised_capacity(again.value, std::to_string(first) + " + " +
                                                std::to_string(second));
    }
  }
}

// Each allocation of a 250-command load fails in turn, once: a failed
// doubling falls back to the rule's own step, a failed final trim keeps a
// larger block, and a line whose one-pass reading could not get room is
// read again by the general path, which asks again. So no single failure
// loses a line, and the capacity is never less than the rule's.
TEST(CommandCapacity, NoSingleAllocationFailureLosesALine) {
  const temp_file file(commands(250));
  arm_allocator();
  {
    scoped_config config;
    load_config_file(file.path(), config.get());
  }
  const long calls = disarm_allocator().calls;
  ASSERT_GE(calls, 5); // read block, 100, 200, 400 entries, the trim
  for (long k = 1; k <= calls; ++k) {
    scoped_config config;
    arm_allocator(k);
    const load_report report = load_config_file(file.path(), config.get());
    disarm_allocator();
    EXPECT_EQ(report.parse.line, 0) << "allocation " << k;
    ASSERT_EQ(config->configs_length, 250u) << "allocation " << k;
    EXPECT_GE(malloc_usable_size(config->configs),
              promised_entries(250) * sizeof(config_entry))
        << "allocation " << k;
  }
}

// Memory for a doubling is not to be had, but the rule's own step is: the
// list grows by that step and no line is refused.
TEST(CommandCapacity, FailedDoublingFallsBackToTheRulesStep) {
  const temp_file file(commands(250));
  scoped_config config;
  // 400 entries (the doubling at 201) fail; 300 (the rule's step) do not.
  arm_allocator(0, 350 * sizeof(config_entry));
  const load_report report = load_config_file(file.path(), config.get());
  disarm_allocator();
  EXPECT_EQ(report.parse.line, 0);
  EXPECT_EQ(config->configs_length, 250u);
  expect_promised_capacity(config.value, "250, doubling refused");
  // With even the rule's step refused, the 200th command (which the rule
  // grows the list for) and every one after it are refused.
  scoped_config starved;
  arm_allocator(0, 250 * sizeof(config_entry));
  const load_report refused = load_config_file(file.path(), starved.get());
  disarm_allocator();
  EXPECT_EQ(refused.parse.line, 201); // the header, then 199 commands
  EXPECT_EQ(starved->configs_length, 199u);
}

} // namespace
} // namespace quelmix::test
