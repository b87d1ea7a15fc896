// SPDX-License-Identifier: MIT
// Deterministic configuration files of the dialect, for benchmarks and
// differential tests: the same arguments give the same bytes every time.
#pragma once

#include <cstddef>
#include <string>

namespace quelmix::bench {

struct generator_options {
  std::size_t lines = 300;          // about this many lines
  bool crlf = false;                // end lines with "\r\n"
  std::size_t code_block_lines = 8; // lines per control's code block
};

std::string generate_config(const generator_options &options);

} // namespace quelmix::bench
