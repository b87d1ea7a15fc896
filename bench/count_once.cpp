// SPDX-License-Identifier: MIT
// One pass of one workload over a file, for instruction counts:
//   valgrind --tool=callgrind --toggle-collect='run_*'
//            quelmix-bench-once load|general|fgets|store|parse FILE
// and, with --time first, the one run's wall time in nanoseconds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "loader/loader.hpp"
#include "parser/parser.hpp"
#include "store_loop.hpp"

namespace {

int ignore_event(void *, const char *, const char *, const char *) { return 1; }

} // namespace

namespace {

// Walks the record once, as a host reads it, and releases it.
void walk_and_release(camera_config &config) {
  unsigned walked = 0;
  for (std::uint32_t i = 0; i < config.configs_length; ++i)
    for (unsigned j = 0; j < config.configs[i].params_length; ++j)
      walked += config.configs[i].params[j];
  for (std::uint32_t i = 0; i < config.controls_length; ++i)
    walked += static_cast<unsigned>(config.controls[i].def);
  quelmix_release_config(&config);
  volatile unsigned sink = walked; // the walk must not be optimised away
  (void)sink;
}

} // namespace

// What a host does: load, walk the record once, release it.
extern "C" __attribute__((noinline)) int run_load(const char *path) {
  camera_config config;
  std::memset(&config, 0, sizeof config);
  const int result = quelmix_parse_config(path, &config);
  walk_and_release(config);
  return result;
}

// The same load with the handler called through its pointer, as the tools'
// analyses call it, rather than compiled into the parse loop.
extern "C" __attribute__((noinline)) int run_general(const char *path) {
  camera_config config;
  std::memset(&config, 0, sizeof config);
  quelmix::load_context context{&config};
  const int result =
      quelmix::parse_config_file(path, quelmix::config_handler, &context);
  quelmix::finish_load(context);
  walk_and_release(config);
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

// The floor for any loader of this record (store_loop.hpp).
extern "C" __attribute__((noinline)) int run_store(const char *path) {
  const long long walked = quelmix::bench::store_and_walk(path);
  volatile long long sink = walked;
  (void)sink;
  return walked < 0 ? -1 : 0;
}

extern "C" __attribute__((noinline)) int run_parse(const char *path) {
  return quelmix::parse_config_file(path, ignore_event, nullptr);
}

int run(const char *mode, const char *path) {
  if (std::strcmp(mode, "load") == 0)
    return run_load(path) < 0;
  if (std::strcmp(mode, "general") == 0)
    return run_general(path) < 0;
  if (std::strcmp(mode, "fgets") == 0)
    return run_fgets(path) < 0;
  if (std::strcmp(mode, "store") == 0)
    return run_store(path) < 0;
  if (std::strcmp(mode, "parse") == 0)
    return run_parse(path) < 0;
  return 2;
}

// With --time, prints the nanoseconds the one run took: what a program
// that loads a file once at start-up spends on it.
int main(int argc, char **argv) {
  const bool timed = argc == 4 && std::strcmp(argv[1], "--time") == 0;
  if (argc != 3 && !timed)
    return 2;
  const char *mode = argv[argc - 2];
  const char *path = argv[argc - 1];
  timespec start{}, end{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  const int status = run(mode, path);
  clock_gettime(CLOCK_MONOTONIC, &end);
  if (timed)
    std::printf("%lld\n", static_cast<long long>(end.tv_sec - start.tv_sec) *
                                  1000000000LL +
                              (end.tv_nsec - start.tv_nsec));
  return status;
}
