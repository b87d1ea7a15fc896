// SPDX-License-Identifier: MIT
// Reading a whole configuration file, or standard input, for a tool.
#pragma once

#include <cstddef>
#include <string>

#include "engine/analysis/engine.hpp"

namespace quelmix::tools {

// The largest input a tool reads: far beyond any camera's configuration,
// and small enough that a tool's memory stays bounded (its analysis takes a
// small multiple of the input). /dev/zero or a runaway pipe stop here.
inline constexpr std::size_t INPUT_LIMIT = 256u * 1024 * 1024;

// Why an input could not be read.
enum class input_error { none, cannot_open, cannot_read, too_large };

struct input {
  std::string bytes;
  input_error error = input_error::none;
  int system_error = 0; // errno of cannot_open or cannot_read
};

// Reads a whole file, or standard input for "-".
input read_input(const char *path);

// The words for a failed read, as every tool says them ("cannot open:
// No such file or directory", "larger than 256 MiB").
std::string input_error_words(const input &in);

// The file as the user called it: "<stdin>" for "-".
std::string display_name(const char *path);

// read_input and check_text; a file that cannot be read gives the
// library's -1 and one cannot-open or cannot-read diagnostic.
checked_text check_file(const char *path, camera_config &config,
                        std::string *bytes = nullptr,
                        check_options options = {});

} // namespace quelmix::tools
