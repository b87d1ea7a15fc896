// SPDX-License-Identifier: MIT
// The record dumps: formats, streams and group headers.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "dump.hpp"
#include "loader/loader.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

// What a printer wrote to an anonymous file.
class captured_stream {
public:
  captured_stream() : file_(std::tmpfile()) {}
  ~captured_stream() { std::fclose(file_); }
  captured_stream(const captured_stream &) = delete;
  captured_stream &operator=(const captured_stream &) = delete;
  std::FILE *get() const { return file_; }
  std::string text() const {
    std::fflush(file_);
    std::rewind(file_);
    std::string out;
    for (int c; (c = std::fgetc(file_)) != EOF;)
      out += static_cast<char>(c);
    return out;
  }

private:
  std::FILE *file_;
};

struct dumps {
  std::string camera, controls, headers, values;
};

dumps dump_all(const camera_config &config) {
  captured_stream camera, controls, headers, values;
  dump_camera_params(config, camera.get());
  dump_controls(config, controls.get());
  dump_configs(config, headers.get(), values.get());
  return {camera.text(), controls.text(), headers.text(), values.text()};
}

TEST(Dumps, SampleMatchesExpectedText) {
  scoped_config config;
  ASSERT_EQ(quelmix_parse_config(sample_path().c_str(), config.get()), 0);
  const dumps out = dump_all(config.value);
  const std::string dir = std::string(QUELMIX_TESTS_DIR) + "/expected/";
  EXPECT_EQ(out.camera, read_file(dir + "sample.camera.txt"));
  EXPECT_EQ(out.controls, read_file(dir + "sample.controls.txt"));
  EXPECT_EQ(out.headers, read_file(dir + "sample.headers.txt"));
  EXPECT_EQ(out.values, read_file(dir + "sample.values.txt"));
}

// The 8- and 16-bit fields print without sign, however high their top bit.
TEST(Dumps, WideUnsignedFieldsPrintWithoutSign) {
  scoped_config config;
  config->i2c_addr = 0xFFFF;
  config->format = 0x8001;
  config->bit_width = 0x80;
  config->i2c_mode = 0xFF;
  const std::string camera = dump_all(config.value).camera;
  EXPECT_NE(camera.find("I2C_ADDR : 65535\n"), std::string::npos) << camera;
  EXPECT_NE(camera.find("FORMAT   : 0x8001\n"), std::string::npos);
  EXPECT_NE(camera.find("BIT_WIDTH: 128\n"), std::string::npos);
  EXPECT_NE(camera.find("I2C_MODE : 255\n"), std::string::npos);
}

TEST(Dumps, EmptyRecordPrintsOnlyCameraFields) {
  scoped_config config;
  const dumps out = dump_all(config.value);
  EXPECT_EQ(out.controls, "");
  EXPECT_EQ(out.headers, "");
  EXPECT_EQ(out.values, "");
  EXPECT_EQ(out.camera, "CFG_MODE : 0\nTYPE     : \nWIDTH    : 0\n"
                        "HEIGHT   : 0\nBIT_WIDTH: 0\nFORMAT   : 0x00\n"
                        "I2C_MODE : 0\nI2C_ADDR : 0\nTRANS_LVL: 0\n");
}

TEST(Dumps, GroupHeaderAgainWhenASectionReturns) {
  scoped_config config;
  load_string("[register parameter]\nREG = 0x3008, 0x82\nREG = 1\n"
              "[board parameter]\nDELAY = 10\n"
              "[register parameter]\nREG =\n",
              config.get());
  const dumps out = dump_all(config.value);
  EXPECT_EQ(out.headers, "[0x0300]\n[0x0200]\n[0x0300]\n");
  // An entry without values prints a lone newline.
  EXPECT_EQ(out.values, "0x3008 0x0082 \n0x0001 \n0x000A \n\n");
}

TEST(Dumps, ControlWithoutCodePrintsEmptyLine) {
  scoped_config config;
  load_string("[control parameter]\nCTRL_NAME = c\nMIN_VALUE = -1\n",
              config.get());
  EXPECT_EQ(dump_all(config.value).controls,
            "MIN_VALUE  = -1\nMAX_VALUE  = 0\nSTEP       = 0\nDEF        = 0\n"
            "CTRL_NAME\t= c\nFUNC_NAME\t= \n\n");
}

} // namespace
} // namespace quelmix::test
