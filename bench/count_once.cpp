// SPDX-License-Identifier: MIT
// One pass of one workload over a file, for instruction counts:
//   valgrind --tool=callgrind --toggle-collect='run_*'
//            quelmix-bench-once load|fgets|parse FILE
#include <cstdio>
#include <cstring>

#include "loader/loader.hpp"
#include "parser/parser.hpp"

namespace {

int ignore_event(void *, const char *, const char *, const char *) { return 1; }

} // namespace

extern "C" __attribute__((noinline)) int run_load(const char *path) {
  camera_config config;
  std::memset(&config, 0, sizeof config);
  const int result = quelmix_parse_config(path, &config);
  quelmix_release_config(&config);
  return result;
}

// The reference: a bare fgets loop that touches each line.
extern "C" __attribute__((noinline)) int run_fgets(const char *path) {
  std::FILE *stream = std::fopen(path, "r");
  if (stream == nullptr)
    return -1;
  char line[1024];
  unsigned touched = 0;
  while (std::fgets(line, sizeof line, stream) != nullptr)
    touched += static_cast<unsigned char>(line[0]);
  std::fclose(stream);
  return static_cast<int>(touched & 1);
}

extern "C" __attribute__((noinline)) int run_parse(const char *path) {
  return quelmix::parse_config_file(path, ignore_event, nullptr);
}

int main(int argc, char **argv) {
  if (argc != 3)
    return 2;
  if (std::strcmp(argv[1], "load") == 0)
    return run_load(argv[2]) < 0;
  if (std::strcmp(argv[1], "fgets") == 0)
    return run_fgets(argv[2]) < 0;
  if (std::strcmp(argv[1], "parse") == 0)
    return run_parse(argv[2]) < 0;
  return 2;
}
