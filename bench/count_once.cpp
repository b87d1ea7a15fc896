// SPDX-License-Identifier: MIT
// One pass of one workload over a file, for instruction counts:
//   valgrind --tool=callgrind --toggle-collect='run_*'
//            quelmix-bench-once load|fgets|parse FILE
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "loader/loader.hpp"
#include "parser/parser.hpp"

namespace {

int ignore_event(void *, const char *, const char *, const char *) { return 1; }

} // namespace

// What a host does: load, walk the record once, release it.
extern "C" __attribute__((noinline)) int run_load(const char *path) {
  camera_config config;
  std::memset(&config, 0, sizeof config);
  const int result = quelmix_parse_config(path, &config);
  unsigned walked = 0;
  for (std::uint32_t i = 0; i < config.configs_length; ++i)
    for (unsigned j = 0; j < config.configs[i].params_length; ++j)
      walked += config.configs[i].params[j];
  for (std::uint32_t i = 0; i < config.controls_length; ++i)
    walked += static_cast<unsigned>(config.controls[i].def);
  quelmix_release_config(&config);
  volatile unsigned sink = walked; // the walk must not be optimised away
  (void)sink;
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
