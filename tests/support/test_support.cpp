// SPDX-License-Identifier: MIT
#include "support/test_support.hpp"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "parser/line_reader.hpp"
#include "parser/parser.hpp"

namespace quelmix::test {

int event_recorder::handle(void *user, const char *section, const char *name,
                           const char *value) {
  auto *self = static_cast<event_recorder *>(user);
  std::string event;
  if (name == nullptr && value == nullptr)
    event = "[" + std::string(section) + "]";
  else if (name == nullptr)
    event = std::string(section) + ": <code>" + value + "</code>";
  else
    event = std::string(section) + ": " + name + "=" + value;
  self->events.push_back(event);
  return self->answer;
}

recorded_parse record_string(const std::string &text) {
  event_recorder recorder;
  const int result =
      parse_config_string(text.c_str(), event_recorder::handle, &recorder);
  return {result, recorder.events};
}

void expect_blocks_read_as_fgets(const char *path) {
  std::FILE *stream = std::fopen(path, "r");
  ASSERT_NE(stream, nullptr) << path;
  event_recorder by_fgets;
  const int fgets_result =
      parse_lines(read_stream_line, stream, event_recorder::handle, &by_fgets);
  std::fclose(stream);
  event_recorder by_blocks;
  const int block_result =
      parse_config_file(path, event_recorder::handle, &by_blocks);
  EXPECT_EQ(block_result, fgets_result) << path;
  EXPECT_EQ(by_blocks.events, by_fgets.events) << path;
}

load_report load_string(const std::string &text, camera_config *config,
                        const load_observer *observer) {
  // fmemopen of no bytes fails; a stream past its one byte reads nothing.
  std::FILE *stream = fmemopen(const_cast<char *>(text.data()),
                               text.empty() ? 1 : text.size(), "r");
  if (stream == nullptr)
    std::abort();
  if (text.empty())
    std::fgetc(stream);
  const load_report report = load_config_stream(stream, config, observer);
  std::fclose(stream);
  return report;
}

temp_file::temp_file(const std::string &contents) {
  const char *dir = std::getenv("TMPDIR");
  std::string pattern = std::string(dir ? dir : "/tmp") + "/quelmix-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0)
    std::abort();
  path_ = name.data();
  const char *p = contents.data();
  std::size_t left = contents.size();
  while (left > 0) {
    const ssize_t wrote = write(fd, p, left);
    if (wrote <= 0)
      std::abort();
    p += wrote;
    left -= static_cast<std::size_t>(wrote);
  }
  close(fd);
}

temp_file::~temp_file() { unlink(path_.c_str()); }

namespace {

// Code texts stay on their control's line.
std::string escape_newlines(const char *text) {
  std::string out;
  for (; *text != '\0'; ++text)
    out += *text == '\n' ? std::string("\\n") : std::string(1, *text);
  return out;
}

} // namespace

std::string describe_record(const camera_config &c) {
  std::ostringstream out;
  out << "cfg_mode=" << c.cfg_mode << " type=" << c.type << " size=" << c.width
      << "x" << c.height << " bit_width=" << unsigned{c.bit_width}
      << " format=" << c.format << " i2c=" << unsigned{c.i2c_mode} << "/"
      << c.i2c_addr << " trans_lvl=" << c.trans_lvl << "\n";
  for (std::uint32_t i = 0; i < c.configs_length; ++i) {
    const config_entry &e = c.configs[i];
    out << std::hex << "cmd " << e.type << std::dec;
    for (unsigned j = 0; j < e.params_length; ++j)
      out << " " << e.params[j];
    out << "\n";
  }
  for (std::uint32_t i = 0; i < c.controls_length; ++i) {
    const control_entry &k = c.controls[i];
    out << "control " << k.min_value << ".." << k.max_value << " step "
        << k.step << " def " << k.def << " reserved " << k.reserved << " '"
        << k.ctrl_name << "' '" << k.func_name
        << "' code=" << (k.code ? "'" + escape_newlines(k.code) + "'" : "null")
        << "\n";
  }
  return out.str();
}

std::string sample_path() { return QUELMIX_SAMPLE_CONFIG; }

std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

tool_run run_tool(const std::string &command, const std::string &arguments,
                  const std::string &input) {
  const temp_file in(input), out(""), err("");
  const std::string line = command + " " + arguments + " <" + in.path() + " >" +
                           out.path() + " 2>" + err.path();
  const int raw = std::system(line.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(out.path()),
          read_file(err.path())};
}

std::vector<std::string> positions(const checked_text &checked) {
  std::vector<std::string> out;
  for (const diagnostic &d : checked.diagnostics)
    out.push_back(std::to_string(d.line) + ":" + std::to_string(d.column) +
                  (d.level() == severity::error ? " error " : " warning ") +
                  std::string(quelmix::name_of(d.kind)));
  return out;
}

} // namespace quelmix::test
