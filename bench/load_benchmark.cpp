// SPDX-License-Identifier: MIT
// Loading generated configuration files, side by side with a bare fgets
// loop over the same files (the reference), the parser alone, and the value
// conversions alone; each benchmark is named WORKLOAD/FILE. "load" is what
// a host does: load, walk the record once, release it. The hot workloads
// repeat in this process; the cold ones ("cold_load", "cold_fgets") run
// each iteration as a fresh process that does its work once
// (quelmix-bench-once --time), timed inside that process, as a program that
// loads one file at start-up sees it. After the runs, each workload's time
// as a ratio to the fgets loop over the same file (hot to hot, cold to
// cold) is printed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include "config_generator.hpp"
#include "loader/convert.hpp"
#include "loader/loader.hpp"
#include "parser/parser.hpp"
#include "store_loop.hpp"

namespace {

struct bench_file {
  std::string name;
  std::string path;
  std::size_t bytes;
  std::size_t lines;
};

std::vector<bench_file> &files() {
  static std::vector<bench_file> all;
  return all;
}

void write_file(const std::string &dir, const std::string &name,
                const quelmix::bench::generator_options &options) {
  const std::string text = quelmix::bench::generate_config(options);
  const std::string path = dir + "/" + name + ".cfg";
  std::FILE *out = std::fopen(path.c_str(), "wb");
  if (out == nullptr ||
      std::fwrite(text.data(), 1, text.size(), out) != text.size()) {
    std::perror(path.c_str());
    std::exit(1);
  }
  std::fclose(out);
  std::size_t lines = 0;
  for (char c : text)
    lines += c == '\n';
  files().push_back({name, path, text.size(), lines});
}

void make_files(const std::string &dir) {
  write_file(dir, "typical_300", {300, false, 8});
  write_file(dir, "lines_10k", {10000, false, 8});
  write_file(dir, "lines_100k", {100000, false, 8});
  write_file(dir, "lines_100k_crlf", {100000, true, 8});
  write_file(dir, "lines_1m", {1000000, false, 8});
  write_file(dir, "long_code_blocks", {3000, false, 2000});
}

void set_counters(benchmark::State &state, const bench_file &file) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(file.bytes));
  state.counters["lines/s"] = benchmark::Counter(
      static_cast<double>(file.lines) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}

void BM_Load(benchmark::State &state) {
  const bench_file &file = files()[static_cast<std::size_t>(state.range(0))];
  for (auto _ : state) {
    camera_config config;
    std::memset(&config, 0, sizeof config);
    benchmark::DoNotOptimize(quelmix_parse_config(file.path.c_str(), &config));
    unsigned walked = 0;
    for (std::uint32_t i = 0; i < config.configs_length; ++i)
      for (unsigned j = 0; j < config.configs[i].params_length; ++j)
        walked += config.configs[i].params[j];
    benchmark::DoNotOptimize(walked);
    quelmix_release_config(&config);
  }
  set_counters(state, file);
  state.SetLabel(file.name);
}

void BM_Fgets(benchmark::State &state) {
  const bench_file &file = files()[static_cast<std::size_t>(state.range(0))];
  for (auto _ : state) {
    std::FILE *stream = std::fopen(file.path.c_str(), "r");
    char line[1024];
    unsigned touched = 0;
    while (std::fgets(line, sizeof line, stream) != nullptr)
      touched += static_cast<unsigned char>(line[0]);
    std::fclose(stream);
    benchmark::DoNotOptimize(touched);
  }
  set_counters(state, file);
  state.SetLabel(file.name);
}

// The floor for any loader of this record: the fgets loop that also stores
// a fresh 72-byte entry per command line in a doubling array, walks and
// frees it (store_loop.hpp, shared with quelmix-bench-once's cold runs).
void BM_Store(benchmark::State &state) {
  const bench_file &file = files()[static_cast<std::size_t>(state.range(0))];
  for (auto _ : state) {
    const long long walked = quelmix::bench::store_and_walk(file.path.c_str());
    benchmark::DoNotOptimize(walked);
  }
  set_counters(state, file);
  state.SetLabel(file.name);
}

int ignore_event(void *, const char *, const char *, const char *) { return 1; }

void BM_ParseOnly(benchmark::State &state) {
  const bench_file &file = files()[static_cast<std::size_t>(state.range(0))];
  for (auto _ : state)
    benchmark::DoNotOptimize(
        quelmix::parse_config_file(file.path.c_str(), ignore_event, nullptr));
  set_counters(state, file);
  state.SetLabel(file.name);
}

void BM_Conversions(benchmark::State &state) {
  const char *const values[] = {"0x3008, 0x82",         "10",
                                "0x01, 0x0001, 0x0000", "-64",
                                "1920, 1080",           "0xFFFF"};
  for (auto _ : state) {
    for (const char *value : values) {
      quelmix::value_list list;
      benchmark::DoNotOptimize(quelmix::parse_value_list(value, list));
      benchmark::DoNotOptimize(list);
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 6);
}

std::string &once_program() {
  static std::string path;
  return path;
}

// One run of `mode` over the file in a fresh process; its own measurement
// of the work, in seconds.
double run_once(const char *mode, const bench_file &file) {
  const std::string command =
      once_program() + " --time " + mode + " " + file.path;
  std::FILE *child = popen(command.c_str(), "r");
  double nanoseconds = 0;
  if (child == nullptr || std::fscanf(child, "%lf", &nanoseconds) != 1 ||
      pclose(child) != 0) {
    std::fprintf(stderr, "cannot run %s\n", command.c_str());
    std::exit(1);
  }
  return nanoseconds / 1e9;
}

void BM_Cold(benchmark::State &state, const char *mode) {
  const bench_file &file = files()[static_cast<std::size_t>(state.range(0))];
  for (auto _ : state)
    state.SetIterationTime(run_once(mode, file));
  set_counters(state, file);
}

void register_benchmarks() {
  for (std::size_t i = 0; i < files().size(); ++i) {
    const auto index = static_cast<std::int64_t>(i);
    const std::string on = "/" + files()[i].name;
    benchmark::RegisterBenchmark(("fgets_loop" + on).c_str(), BM_Fgets)
        ->Arg(index);
    benchmark::RegisterBenchmark(("store_loop" + on).c_str(), BM_Store)
        ->Arg(index);
    benchmark::RegisterBenchmark(("load" + on).c_str(), BM_Load)->Arg(index);
    benchmark::RegisterBenchmark(("parse_only" + on).c_str(), BM_ParseOnly)
        ->Arg(index);
    if (files()[i].lines < 10000 ||
        files()[i].name.find("crlf") != std::string::npos)
      continue;
    for (const char *mode : {"fgets", "store", "load"})
      benchmark::RegisterBenchmark((std::string("cold_") +
                                    (mode[0] == 'f'   ? "fgets_loop"
                                     : mode[0] == 's' ? "store_loop"
                                                      : "load") +
                                    on)
                                       .c_str(),
                                   BM_Cold, mode)
          ->Arg(index)
          ->UseManualTime()
          ->Iterations(files()[i].lines >= 1000000 ? 5 : 20);
  }
  benchmark::RegisterBenchmark("conversions", BM_Conversions);
}

// Prints the usual table, then each run's time as a ratio to the fgets
// loop over the same file (medians when repetitions are asked for).
class ratio_reporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
        continue;
      // WORKLOAD/FILE/ARG..., the ARG being the file's index.
      const std::string name = run.run_name.str();
      const auto slash = name.find('/');
      const auto next = name.find('/', slash + 1);
      if (slash == std::string::npos || next == std::string::npos)
        continue;
      times_[name.substr(slash + 1, next - slash - 1)][name.substr(0, slash)] =
          run.GetAdjustedRealTime();
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-18s %12s %12s %12s %12s %12s\n", "file", "load/fgets",
                "load/store", "parse/fgets", "cold l/f", "cold l/s");
    for (const auto &entry : times_) {
      const std::map<std::string, double> &by_name = entry.second;
      auto ratio = [&by_name](const char *name, const char *reference) {
        const auto it = by_name.find(name);
        const auto base = by_name.find(reference);
        return it == by_name.end() || base == by_name.end()
                   ? 0.0
                   : it->second / base->second;
      };
      std::printf("%-18s %12.2f %12.2f %12.2f %12.2f %12.2f\n",
                  entry.first.c_str(), ratio("load", "fgets_loop"),
                  ratio("load", "store_loop"),
                  ratio("parse_only", "fgets_loop"),
                  ratio("cold_load", "cold_fgets_loop"),
                  ratio("cold_load", "cold_store_loop"));
    }
  }

private:
  std::map<std::string, std::map<std::string, double>> times_;
};

} // namespace

// --alternate=N: after the benchmarks, N rounds over the 1M-line file, each
// a cold fgets loop, a cold store loop and a cold load in turn (so that the
// machine's drift falls on all three alike); prints the medians and the
// ratios.
double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void alternate_cold_runs(int rounds) {
  const bench_file *file = nullptr;
  for (const bench_file &f : files())
    if (f.name == "lines_1m")
      file = &f;
  if (file == nullptr || rounds < 1)
    return;
  std::map<std::string, std::vector<double>> times;
  for (int i = 0; i < rounds; ++i)
    for (const char *mode : {"fgets", "store", "load"})
      times[mode].push_back(run_once(mode, *file));
  const double fgets = median(times["fgets"]);
  const double store = median(times["store"]);
  const double load = median(times["load"]);
  std::printf("\ncold, %s, medians of %d alternating rounds: fgets %.1f ms, "
              "store %.1f ms, load %.1f ms; load/store %.2f, load/fgets "
              "%.2f\n",
              file->name.c_str(), rounds, fgets * 1e3, store * 1e3, load * 1e3,
              load / store, load / fgets);
}

int alternate_rounds(int &argc, char **argv) {
  int rounds = 0;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--alternate=", 12) == 0)
      rounds = std::atoi(argv[i] + 12);
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  return rounds;
}

int main(int argc, char **argv) {
  const int rounds = alternate_rounds(argc, argv);
  char dir[] = "/tmp/quelmix-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr)
    return 1;
  make_files(dir);
  std::string self(argv[0]);
  once_program() = self.substr(0, self.rfind('/') + 1) + "quelmix-bench-once";
  register_benchmarks();
  benchmark::Initialize(&argc, argv);
  ratio_reporter reporter;
  // A filter that matches nothing is a mistake, not a pass.
  const std::size_t ran = benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  alternate_cold_runs(rounds);
  for (const bench_file &file : files())
    unlink(file.path.c_str());
  rmdir(dir);
  if (ran == 0) {
    std::fprintf(stderr, "quelmix-bench: no benchmark matches the filter\n");
    return 1;
  }
  return 0;
}
