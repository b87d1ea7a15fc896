// SPDX-License-Identifier: MIT
// quelmix-bench-generate LINES [--crlf] [--code-lines N] > FILE
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config_generator.hpp"

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fputs("usage: quelmix-bench-generate LINES [--crlf] "
               "[--code-lines N]\n",
               stderr);
    return 2;
  }
  quelmix::bench::generator_options options;
  options.lines = std::strtoul(argv[1], nullptr, 10);
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--crlf") == 0)
      options.crlf = true;
    else if (std::strcmp(argv[i], "--code-lines") == 0 && i + 1 < argc)
      options.code_block_lines = std::strtoul(argv[++i], nullptr, 10);
  }
  const std::string text = quelmix::bench::generate_config(options);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}
