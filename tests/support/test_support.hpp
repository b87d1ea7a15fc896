// SPDX-License-Identifier: MIT
// Helpers shared by the tests: an event recorder, temporary files, records.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/analysis/engine.hpp"
#include "loader/loader.hpp"
#include "quelmix_config_parser.h"

// Set in a build with the address sanitizer (GCC says __SANITIZE_ADDRESS__,
// clang __has_feature(address_sanitizer)), whose frames and address space
// some tests cannot measure or bound.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUELMIX_TEST_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QUELMIX_TEST_UNDER_ASAN 1
#endif

namespace quelmix::test {

// A handler that records every event as text:
//   "[section]" for a section start, "section: name=value" for an entry,
//   "section: <code>text</code>" for a code block.
struct event_recorder {
  std::vector<std::string> events;
  int answer = 1; // what the handler returns

  static int handle(void *user, const char *section, const char *name,
                    const char *value);
};

// Parses `text` with the recorder through the string reader.
struct recorded_parse {
  int result;
  std::vector<std::string> events;
};
recorded_parse record_string(const std::string &text);

// Expects the file's events and result through the block reader to be
// those of a plain fgets loop over it.
void expect_blocks_read_as_fgets(const char *path);

// A file in the temporary directory, removed when the object goes.
class temp_file {
public:
  explicit temp_file(const std::string &contents);
  ~temp_file();
  temp_file(const temp_file &) = delete;
  temp_file &operator=(const temp_file &) = delete;
  const char *path() const { return path_.c_str(); }

private:
  std::string path_;
};

// A zeroed record that releases what it holds when it goes.
struct scoped_config {
  camera_config value;
  // Zeroed as a host zeroes it, padding included (`{}` need not zero that).
  scoped_config() { std::memset(&value, 0, sizeof value); }
  scoped_config(const scoped_config &) = delete;
  scoped_config &operator=(const scoped_config &) = delete;
  ~scoped_config() { quelmix_release_config(&value); }
  camera_config *operator->() { return &value; }
  camera_config *get() { return &value; }
};

// Loads `text` as quelmix_parse_config loads a file holding it (through a
// stream in memory), with `observer` hearing the loader's warnings.
load_report load_string(const std::string &text, camera_config *config,
                        const load_observer *observer = nullptr);

// Everything a record holds, as comparable text (pointers followed): the
// camera fields, then one line per command and per control.
std::string describe_record(const camera_config &config);

// "LINE:COLUMN severity kind", one per diagnostic, in the engine's order.
std::vector<std::string> positions(const checked_text &checked);

// The path of the shipped sample configuration.
std::string sample_path();

// The whole contents of a file.
std::string read_file(const std::string &path);

// A command-line tool run with `input` on its standard input: its exit
// status (-1 when it did not exit) and what it wrote to each stream.
struct tool_run {
  int status;
  std::string out, err;
};
tool_run run_tool(const std::string &command, const std::string &arguments,
                  const std::string &input = "");

} // namespace quelmix::test
