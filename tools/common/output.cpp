// SPDX-License-Identifier: MIT
#include "output.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quelmix::tools {

bool write_all(int fd, std::string_view bytes) {
  constexpr std::size_t MOST = std::size_t{1} << 30;
  while (!bytes.empty()) {
    const ssize_t wrote = write(fd, bytes.data(), std::min(bytes.size(), MOST));
    if (wrote < 0 && errno == EINTR)
      continue;
    if (wrote <= 0) {
      if (wrote == 0)
        errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return true;
}

std::string error_words(int error) {
  return std::strerror(error != 0 ? error : EIO);
}

bool finish_standard_output(const char *tool) {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
  const int flush_error = errno;
  errno = 0;
  const bool closed = std::fclose(stdout) == 0;
  const int error = !flushed ? flush_error : errno;
  if (flushed && closed)
    return true;
  std::fprintf(stderr, "%s: cannot write to standard output: %s\n", tool,
               error_words(error).c_str());
  return false;
}

} // namespace quelmix::tools
