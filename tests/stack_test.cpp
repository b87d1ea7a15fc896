// SPDX-License-Identifier: MIT
// A parse fits a small thread stack: run one on a thread whose stack is
// painted with a pattern and see how deep it reached.
#include <gtest/gtest.h>

#include <pthread.h>

#include <cstring>
#include <vector>

#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

constexpr std::size_t STACK_BYTES = 256 * 1024;
constexpr unsigned char PAINT = 0xA5;
[[maybe_unused]] constexpr std::size_t PROMISED =
    8 * 1024; // the header's promise

struct job {
  std::string path;
  int result = 0;
};

void *load(void *argument) {
  auto *j = static_cast<job *>(argument);
  scoped_config config;
  j->result = quelmix_parse_config(j->path.c_str(), config.get());
  return nullptr;
}

// Bytes of the stack the thread touched, from the top down (stacks grow
// down on x86-64).
[[maybe_unused]] std::size_t stack_used(const std::string &path) {
  std::vector<unsigned char> stack(STACK_BYTES, PAINT);
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstack(&attributes, stack.data(), stack.size());
  job j{path};
  pthread_t thread;
  EXPECT_EQ(pthread_create(&thread, &attributes, load, &j), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  EXPECT_GE(j.result, 0);
  std::size_t untouched = 0;
  while (untouched < stack.size() && stack[untouched] == PAINT)
    ++untouched;
  return stack.size() - untouched;
}

// Not built under the address sanitizer, whose frames are larger by design.
#if !defined(QUELMIX_TEST_UNDER_ASAN)
TEST(Stack, AParseFitsItsPromise) {
  // The thread's own start-up and the test's frames are measured too, so
  // the promise is checked with them included.
  const temp_file file("[camera parameter]\nSIZE = 1, 2\nTYPE = x\n"
                       "[register parameter]\nREG = 1, 2\nbad line\n"
                       "[control parameter]\n======CODE_BLOCK_START======\n"
                       "x\n======CODE_BLOCK_END======\n");
  for (const std::string &path : {sample_path(), std::string(file.path())}) {
    const std::size_t used = stack_used(path);
    EXPECT_LT(used, PROMISED) << path << ": " << used << " bytes";
    RecordProperty("stack_bytes", static_cast<int>(used));
  }
}
#endif

} // namespace
} // namespace quelmix::test
