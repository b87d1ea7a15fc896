// SPDX-License-Identifier: MIT
#include "input.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/messages/describe.hpp"

namespace quelmix::tools {
namespace {

struct file_closer {
  bool owned;
  void operator()(std::FILE *f) const {
    if (owned)
      std::fclose(f);
  }
};

} // namespace

input read_input(const char *path) {
  input in;
  const bool standard_input = std::strcmp(path, "-") == 0;
  errno = 0;
  const std::unique_ptr<std::FILE, file_closer> stream(
      standard_input ? stdin : std::fopen(path, "rb"),
      file_closer{!standard_input});
  if (!stream) {
    in.error = input_error::cannot_open;
    in.system_error = errno;
    return in;
  }
  // A regular file's size is known: room for it at once, rather than a
  // string that doubles past it.
  struct stat status {};
  if (fstat(fileno(stream.get()), &status) == 0 && S_ISREG(status.st_mode) &&
      static_cast<std::size_t>(status.st_size) <= INPUT_LIMIT)
    in.bytes.reserve(static_cast<std::size_t>(status.st_size));
  // From the heap: a tool must run on a small stack too.
  constexpr std::size_t BLOCK = 64 * 1024;
  std::vector<char> block(BLOCK);
  std::size_t got = 0;
  while ((got = std::fread(block.data(), 1, BLOCK, stream.get())) > 0) {
    if (in.bytes.size() + got > INPUT_LIMIT) {
      in.error = input_error::too_large;
      in.bytes.clear();
      in.bytes.shrink_to_fit();
      return in;
    }
    in.bytes.append(block.data(), got);
  }
  if (std::ferror(stream.get()) != 0) {
    in.error = input_error::cannot_read;
    in.system_error = errno != 0 ? errno : EIO;
  }
  return in;
}

std::string input_error_words(const input &in) {
  switch (in.error) {
  case input_error::none:
    return "";
  case input_error::too_large:
    return "cannot read: larger than " + std::to_string(INPUT_LIMIT >> 20) +
           " MiB";
  case input_error::cannot_open:
  case input_error::cannot_read:
    break;
  }
  const parse_error error = in.error == input_error::cannot_open
                                ? parse_error::cannot_open
                                : parse_error::cannot_read;
  return std::string(describe_problem(error, load_error::none).words) + ": " +
         std::strerror(in.system_error);
}

std::string display_name(const char *path) {
  return std::strcmp(path, "-") == 0 ? "<stdin>" : path;
}

checked_text check_file(const char *path, camera_config &config,
                        std::string *bytes, check_options options) {
  input in = read_input(path);
  if (in.error == input_error::none) {
    checked_text checked = check_text(in.bytes, config, options);
    if (bytes != nullptr)
      *bytes = std::move(in.bytes);
    return checked;
  }
  checked_text failed = unreadable(in.error == input_error::cannot_open
                                       ? parse_error::cannot_open
                                       : parse_error::cannot_read,
                                   in.system_error);
  failed.result_reason = input_error_words(in);
  failed.diagnostics.front().message = failed.result_reason;
  return failed;
}

} // namespace quelmix::tools
