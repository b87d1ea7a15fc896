// SPDX-License-Identifier: MIT
// quelmix_release_config: frees everything a load allocated and leaves a
// record ready for the next parse.
#include <gtest/gtest.h>

#include "support/counting_allocator.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

TEST(ReleaseConfig, FreesEverythingAndZeroes) {
  camera_config config{};
  arm_allocator();
  ASSERT_EQ(quelmix_parse_config(sample_path().c_str(), &config), 0);
  ASSERT_EQ(config.controls_length, 2u);
  quelmix_release_config(&config);
  const allocation_counters counted = disarm_allocator();
  EXPECT_GT(counted.calls, 0);
  EXPECT_EQ(counted.live_blocks, 0);
  EXPECT_EQ(counted.live_bytes, 0u);
  const camera_config zero{};
  EXPECT_EQ(describe_record(config), describe_record(zero));
  EXPECT_EQ(config.configs, nullptr);
  EXPECT_EQ(config.controls, nullptr);
}

TEST(ReleaseConfig, RecordHoldsOnlyTheNextFile) {
  camera_config config{};
  ASSERT_EQ(quelmix_parse_config(sample_path().c_str(), &config), 0);
  quelmix_release_config(&config);
  const temp_file second("[register parameter]\nREG = 7\n"
                         "[control parameter]\nDEF = 3\n");
  ASSERT_EQ(quelmix_parse_config(second.path(), &config), 0);
  EXPECT_EQ(describe_record(config),
            "cfg_mode=0 type= size=0x0 bit_width=0 format=0 i2c=0/0 "
            "trans_lvl=0\ncmd 3000001 7\ncontrol 0..0 step 0 def 3 "
            "reserved 0 '' '' code=null\n");
  quelmix_release_config(&config);
}

// A released record is as good as a fresh one: the next parse appends to
// nothing and leaves nothing of the first behind.
TEST(ReleaseConfig, ReleasedRecordLoadsLikeAFreshOne) {
  camera_config fresh{};
  ASSERT_EQ(quelmix_parse_config(sample_path().c_str(), &fresh), 0);
  camera_config reused{};
  ASSERT_EQ(quelmix_parse_config(sample_path().c_str(), &reused), 0);
  quelmix_release_config(&reused);
  quelmix_release_config(nullptr); // and NULL is no record at all
  ASSERT_EQ(quelmix_parse_config(sample_path().c_str(), &reused), 0);
  EXPECT_EQ(describe_record(reused), describe_record(fresh));
  quelmix_release_config(&reused);
  quelmix_release_config(&fresh);
}

} // namespace
} // namespace quelmix::test
