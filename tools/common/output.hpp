// SPDX-License-Identifier: MIT
// Writing that never claims success it did not have: every write checked,
// short writes retried, and the standard output flushed and closed with its
// error reported, so that `tool file > out && mv out file` can trust the
// exit status.
#pragma once

#include <cstdio>
#include <new>
#include <string>
#include <string_view>

namespace quelmix::tools {

// Writes all of `bytes` to `fd`, retrying short writes and interruptions
// (one write takes at most 1 GiB). False on failure, with the reason in
// errno (EIO for a write that wrote nothing and said nothing).
bool write_all(int fd, std::string_view bytes);

// Flushes and closes the standard output. On failure prints
// "TOOL: cannot write to standard output: REASON" to standard error and
// returns false.
bool finish_standard_output(const char *tool);

// Runs a tool's work and ends it: out of memory is "TOOL: out of memory"
// and exit status 2, and so is a standard output that cannot be written,
// whatever the work returned.
template <typename Work> int run_and_finish(const char *tool, Work &&work) {
  constexpr int TROUBLE = 2;
  int status = TROUBLE;
  try {
    status = work();
  } catch (const std::bad_alloc &) {
    std::fprintf(stderr, "%s: out of memory\n", tool);
  }
  return finish_standard_output(tool) ? status : TROUBLE;
}

// The words for errno `error`, never "Success": a failure without a
// reason of its own says "input/output error".
std::string error_words(int error);

} // namespace quelmix::tools
