// SPDX-License-Identifier: MIT
// The fast paths against the plain ones: every input gives the same events
// and result through std::fgets, the block reader and the string reader,
// and the same record and result through the library's export (the loader's
// events compiled into the parse loop) as through the handler called by its
// pointer, as the tools call it.
#include <gtest/gtest.h>

#include <cstdio>
#include <dirent.h>
#include <string>
#include <vector>

#include "config_generator.hpp"
#include "loader/loader.hpp"
#include "parser/parser.hpp"
#include "support/command_look_alikes.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

recorded_parse parse_with_fgets(const std::string &path) {
  std::FILE *stream = std::fopen(path.c_str(), "r");
  EXPECT_NE(stream, nullptr) << path;
  event_recorder recorder;
  const int result =
      parse_lines(read_stream_line, stream, event_recorder::handle, &recorder);
  std::fclose(stream);
  return {result, recorder.events};
}

recorded_parse parse_with_blocks(const std::string &path) {
  event_recorder recorder;
  const int result =
      parse_config_file(path.c_str(), event_recorder::handle, &recorder);
  return {result, recorder.events};
}

// The record and result with the handler called through its pointer.
std::string load_through_pointer(const std::string &path, int &result) {
  scoped_config config;
  load_context context{config.get()};
  result = parse_config_file(path.c_str(), config_handler, &context);
  finish_load(context);
  return describe_record(config.value);
}

// A listener that hears everything and changes nothing: with one, the
// loader takes no command line by its shortest path.
void ignore_warning(void *, const load_warning &) noexcept {}
void ignore_account(void *, const event_account &) noexcept {}

void expect_export_loads_the_same(const std::string &path) {
  int general_result = 0;
  const std::string general = load_through_pointer(path, general_result);
  scoped_config config;
  const int result = quelmix_parse_config(path.c_str(), config.get());
  EXPECT_EQ(result, general_result) << path;
  EXPECT_EQ(describe_record(config.value), general) << path;
  const load_observer listener{ignore_warning, ignore_account, nullptr};
  scoped_config heard;
  const load_report report =
      load_config_file(path.c_str(), heard.get(), &listener);
  EXPECT_EQ(report.parse.line, general_result) << path;
  EXPECT_EQ(describe_record(heard.value), general) << path;
}

void expect_same_everywhere(const std::string &path) {
  expect_export_loads_the_same(path);
  const recorded_parse by_fgets = parse_with_fgets(path);
  const recorded_parse by_blocks = parse_with_blocks(path);
  EXPECT_EQ(by_blocks.result, by_fgets.result) << path;
  EXPECT_EQ(by_blocks.events, by_fgets.events) << path;
  const std::string text = read_file(path);
  if (text.find('\0') == std::string::npos) {
    const recorded_parse by_string = record_string(text);
    EXPECT_EQ(by_string.result, by_fgets.result) << path;
    EXPECT_EQ(by_string.events, by_fgets.events) << path;
  }
  // The loader's record is the same through the file and the string too.
  scoped_config from_file, from_string;
  load_config_file(path.c_str(), from_file.get());
  load_string(text.c_str(), from_string.get());
  if (text.find('\0') == std::string::npos) {
    EXPECT_EQ(describe_record(from_file.value),
              describe_record(from_string.value))
        << path;
  }
}

std::vector<std::string> files_in(const std::string &dir) {
  std::vector<std::string> paths;
  if (DIR *d = opendir(dir.c_str())) {
    while (const dirent *entry = readdir(d)) {
      if (entry->d_name[0] != '.')
        paths.push_back(dir + "/" + entry->d_name);
    }
    closedir(d);
  }
  return paths;
}

TEST(Differential, SamplesAndSeedInputs) {
  const std::string root = std::string(QUELMIX_TESTS_DIR) + "/..";
  std::vector<std::string> paths = files_in(root + "/fuzz/corpus");
  paths.push_back(sample_path());
  ASSERT_GT(paths.size(), 3u);
  for (const std::string &path : paths)
    expect_same_everywhere(path);
}

TEST(Differential, GeneratedFiles) {
  const bench::generator_options shapes[] = {
      {300, false, 8},
      {20000, false, 8}, // crosses many 32 KiB blocks
      {20000, true, 8},
      {3000, false, 2000},
  };
  for (const bench::generator_options &shape : shapes) {
    const temp_file file(bench::generate_config(shape));
    expect_same_everywhere(file.path());
  }
}

// Lines whose length straddles the reader's block boundaries and the
// 1023-byte piece size, in every alignment.
TEST(Differential, LinesAcrossBlockBoundaries) {
  std::string text;
  for (std::size_t length = 1000; text.size() < 100000; length += 7)
    text += "k = " + std::string(length % 1100, 'v') + "\n[s]\n";
  const temp_file file(text);
  expect_same_everywhere(file.path());
}

// A line that starts like a command and ends where the read block ends:
// nothing may be read past it (the sanitizer builds would see it).
TEST(Differential, ACommandEndingWithTheBlockIsReadWithinIt) {
  const std::string header = "[register parameter]\n";
  for (const char *fragment : {"D", "DE", "DELA", "V", "VRCM", "R", "RE"}) {
    const std::string tail = std::string(fragment) + "\n";
    const std::size_t room = 32 * 1024 - header.size() - tail.size();
    const std::string text =
        header + "; " + std::string(room - 3, 'x') + "\n" + tail + "REG = 1\n";
    ASSERT_EQ(text.find(tail) + tail.size(), 32u * 1024) << fragment;
    const temp_file file(text);
    expect_export_loads_the_same(file.path());
  }
}

// Command lines and lines that look like them load the same either way.
TEST(Differential, CommandLookAlikesLoadTheSameEitherWay) {
  for (const char *section : LOOK_ALIKE_SECTIONS) {
    for (const char *line : COMMAND_LOOK_ALIKES) {
      for (const char *ending : LOOK_ALIKE_ENDINGS) {
        const temp_file file(std::string(section) + line + ending +
                             "REG = 7\n");
        expect_export_loads_the_same(file.path());
      }
    }
  }
}

} // namespace
} // namespace quelmix::test
