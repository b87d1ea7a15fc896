// SPDX-License-Identifier: MIT
#include "config_generator.hpp"

#include <cstdint>
#include <cstdio>

namespace quelmix::bench {
namespace {

class writer {
public:
  writer(const generator_options &options) : options_(options) {}

  std::uint32_t next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }

  void line(const std::string &text) {
    out_ += text;
    out_ += options_.crlf ? "\r\n" : "\n";
    ++count_;
  }

  std::string hex(std::uint32_t value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, value);
    return buffer;
  }

  std::size_t count() const { return count_; }
  std::string take() { return std::move(out_); }

private:
  const generator_options &options_;
  std::string out_;
  std::size_t count_ = 0;
  std::uint32_t state_ = 12345;
};

constexpr const char *SECTIONS[] = {
    "[register parameter]",
    "[register parameter][dev3][inf2]",
    "[register parameter||dev3||inf3]",
    "[board parameter]",
    "[board parameter][dev2]",
};

void camera_section(writer &w) {
  w.line("; generated camera configuration");
  w.line("[camera parameter]");
  w.line("CFG_MODE  = 1");
  w.line("TYPE      = QX-1080P generated board   ; inline comment");
  w.line("SIZE      = 1920, 1080");
  w.line("BIT_WIDTH = 10");
  w.line("FORMAT    = 0x02, 0x01");
  w.line("I2C_MODE  = 1");
  w.line("I2C_ADDR  = 0x36");
  w.line("TRANS_LVL = 64");
  w.line("");
}

void control_section(writer &w, std::size_t code_lines) {
  w.line("[control parameter]");
  w.line("CTRL_NAME = Control " + std::to_string(w.next() % 1000));
  w.line("FUNC_NAME = set_control");
  w.line("MIN_VALUE = -" + std::to_string(w.next() % 256));
  w.line("MAX_VALUE = " + w.hex(w.next() & 0xFFFF, 4));
  w.line("STEP      = 1");
  w.line("DEF       = 0");
  w.line("======CODE_BLOCK_START======");
  for (std::size_t i = 0; i < code_lines; ++i)
    w.line("    write(" + w.hex(0x5000 + (w.next() & 0xFFF), 4) +
           ", (level >> " + std::to_string(i % 16) + ") & 0xFF)");
  w.line("======CODE_BLOCK_END======");
  w.line("");
}

// About 100 lines: a header, 84 commands, comments and blank lines.
void command_group(writer &w) {
  w.line(SECTIONS[w.next() % 5]);
  for (int i = 0; i < 84; ++i) {
    const std::uint32_t r = w.next();
    if (i % 14 == 0)
      w.line("; step " + std::to_string(r % 100));
    if (i % 28 == 0)
      w.line("");
    if (r % 20 == 0)
      w.line("DELAY = " + std::to_string(r % 50));
    else if (r % 20 == 1)
      w.line("VRCMD = 0x01, " + w.hex(r & 0xFFFF, 4) + ", 0x0000");
    else if (r % 20 == 2)
      w.line("REG = " + w.hex(0x3000 + (r & 0xFFF), 4) + ", " +
             w.hex((r >> 12) & 0xFF, 2) + "   // note");
    else
      w.line("REG = " + w.hex(0x3000 + (r & 0xFFF), 4) + ", " +
             w.hex((r >> 12) & 0xFF, 2));
  }
  w.line("");
}

} // namespace

std::string generate_config(const generator_options &options) {
  writer w(options);
  camera_section(w);
  std::size_t groups = 0;
  while (w.count() < options.lines) {
    command_group(w);
    if (++groups % 10 == 0)
      control_section(w, options.code_block_lines);
  }
  return w.take();
}

} // namespace quelmix::bench
