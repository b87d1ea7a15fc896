// SPDX-License-Identifier: MIT
// Writing that never claims success it did not have: every write checked,
// short writes retried, and the standard output flushed and closed with its
// error reported, so that `tool file > out && mv out file` can trust the
// exit status.
#pragma once

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

// The words for errno `error`, never "Success": a failure without a
// reason of its own says "input/output error".
std::string error_words(int error);

} // namespace quelmix::tools
