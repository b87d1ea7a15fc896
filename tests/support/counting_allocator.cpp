// SPDX-License-Identifier: MIT
#include "support/counting_allocator.hpp"

#include <malloc.h>

extern "C" void *__real_malloc(std::size_t size);
extern "C" void *__real_realloc(void *old, std::size_t size);
extern "C" void __real_free(void *p);

namespace {

bool armed = false;
quelmix::test::allocation_counters counters;

bool should_fail(std::size_t size) {
  if (!armed)
    return false;
  ++counters.calls;
  return counters.calls == counters.fail_at ||
         (counters.fail_above > 0 && size > counters.fail_above);
}

void account(void *added, std::size_t removed_bytes, long block_change) {
  if (!armed)
    return;
  counters.live_blocks += block_change;
  counters.live_bytes -= removed_bytes;
  if (added != nullptr)
    counters.live_bytes += malloc_usable_size(added);
  if (counters.live_bytes > counters.peak_bytes)
    counters.peak_bytes = counters.live_bytes;
}

} // namespace

extern "C" void *__wrap_malloc(std::size_t size) {
  if (should_fail(size))
    return nullptr;
  void *p = __real_malloc(size);
  if (p != nullptr)
    account(p, 0, 1);
  return p;
}

extern "C" void *__wrap_realloc(void *old, std::size_t size) {
  if (should_fail(size))
    return nullptr;
  const std::size_t old_bytes =
      (armed && old != nullptr) ? malloc_usable_size(old) : 0;
  void *p = __real_realloc(old, size);
  if (p != nullptr)
    account(p, old_bytes, old == nullptr ? 1 : 0);
  return p;
}

extern "C" void __wrap_free(void *p) {
  if (p != nullptr)
    account(nullptr, armed ? malloc_usable_size(p) : 0, -1);
  __real_free(p);
}

namespace quelmix::test {

void arm_allocator(long fail_at, std::size_t fail_above) {
  counters = allocation_counters{};
  counters.fail_at = fail_at;
  counters.fail_above = fail_above;
  armed = true;
}

allocation_counters disarm_allocator() {
  armed = false;
  return counters;
}

} // namespace quelmix::test
