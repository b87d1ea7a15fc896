// SPDX-License-Identifier: MIT
// A test-only allocator: the memory test binary is linked with
// -Wl,--wrap=malloc,--wrap=realloc,--wrap=free, so the library's calls come
// here. While armed it counts calls, can fail the Nth one or every request
// above a size, and tracks the blocks and bytes live and the peak.
#pragma once

#include <cstddef>

namespace quelmix::test {

struct allocation_counters {
  long calls = 0;
  long fail_at = 0;           // 1-based call to fail; 0 fails none
  std::size_t fail_above = 0; // fail every larger request; 0: no limit
  long live_blocks = 0;
  std::size_t live_bytes = 0;
  std::size_t peak_bytes = 0;
};

// Arms the counters (fresh) until disarm(); returns what they counted.
void arm_allocator(long fail_at = 0, std::size_t fail_above = 0);
allocation_counters disarm_allocator();

} // namespace quelmix::test
