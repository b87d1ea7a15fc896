// SPDX-License-Identifier: MIT
// The loader's front door and the "camera parameter" keys.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "loader/loader.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

const char *const CAMERA = "[camera parameter]\n";

TEST(ParseConfig, OverviewExample) {
  const temp_file file("[camera parameter]\nSIZE = 640, 480\n"
                       "[board parameter][dev2]\nREG = 0x12, 0x80\n");
  scoped_config config;
  ASSERT_EQ(quelmix_parse_config(file.path(), config.get()), 0);
  EXPECT_EQ(config->width, 640);
  EXPECT_EQ(config->height, 480);
  ASSERT_EQ(config->configs_length, 1u);
  EXPECT_EQ(config->configs[0].type, 0x02020000u | CONFIG_KEY_REG);
  EXPECT_EQ(config->configs[0].params_length, 2);
  EXPECT_EQ(config->configs[0].params[0], 0x12u);
  EXPECT_EQ(config->configs[0].params[1], 0x80u);
}

TEST(ParseConfig, MissingFileIsMinusOne) {
  scoped_config config;
  EXPECT_EQ(quelmix_parse_config("/nonexistent/x.cfg", config.get()), -1);
  EXPECT_EQ(quelmix_parse_config(nullptr, config.get()), -1);
}

TEST(ParseConfig, EmptyFileLeavesRecordAsItWas) {
  const temp_file file("");
  scoped_config config;
  config->width = 7;
  std::strcpy(config->type, "kept");
  EXPECT_EQ(quelmix_parse_config(file.path(), config.get()), 0);
  EXPECT_EQ(config->width, 7);
  EXPECT_STREQ(config->type, "kept");
  EXPECT_EQ(config->configs, nullptr);
  EXPECT_EQ(config->controls, nullptr);
}

TEST(ParseConfig, NullRecordRejectsFirstEventLine) {
  const temp_file with_events("; comment\n\nk = v\n[camera parameter]\n");
  EXPECT_EQ(quelmix_parse_config(with_events.path(), nullptr), 3);
  const temp_file without_events("; only a comment\n");
  EXPECT_EQ(quelmix_parse_config(without_events.path(), nullptr), 0);
  const temp_file open_block("[a]\n======CODE_BLOCK_START======\nx\n");
  EXPECT_EQ(quelmix_parse_config(open_block.path(), nullptr), 3);
  const load_report report = load_string("[a]\n", nullptr);
  EXPECT_EQ(report.error, load_error::no_record);
}

struct camera_case {
  const char *name;
  std::string lines;
  std::string expected; // describe_record's first line
};

void PrintTo(const camera_case &c, std::ostream *out) { *out << c.name; }

class CameraKeys : public testing::TestWithParam<camera_case> {};

TEST_P(CameraKeys, SetTheirFields) {
  scoped_config config;
  const load_report report =
      load_string((CAMERA + GetParam().lines).c_str(), config.get());
  EXPECT_EQ(report.parse.line, 0);
  const std::string all = describe_record(config.value);
  EXPECT_EQ(all.substr(0, all.find('\n')), GetParam().expected);
}

constexpr const char *ZERO = "cfg_mode=0 type= size=0x0 bit_width=0 format=0 "
                             "i2c=0/0 trans_lvl=0";

INSTANTIATE_TEST_SUITE_P(
    All, CameraKeys,
    testing::Values(
        camera_case{"Everything",
                    "CFG_MODE = 3\nTYPE = QX cam\nSIZE = 640, 480\n"
                    "BIT_WIDTH = 10\nFORMAT = 2, 1\nI2C_MODE = 1\n"
                    "I2C_ADDR = 0x42\nTRANS_LVL = -5\n",
                    "cfg_mode=3 type=QX cam size=640x480 bit_width=10 "
                    "format=513 i2c=1/66 trans_lvl=-5"},
        camera_case{"SizeNeedsTwoValues", "SIZE = 640\nSIZE = 1,2,3\n", ZERO},
        camera_case{"FormatOneValueIsHighByte", "FORMAT = 0x1A\n",
                    "cfg_mode=0 type= size=0x0 bit_width=0 format=6656 "
                    "i2c=0/0 trans_lvl=0"},
        camera_case{"FormatTwoValues", "FORMAT = 2, 0\n",
                    "cfg_mode=0 type= size=0x0 bit_width=0 format=512 "
                    "i2c=0/0 trans_lvl=0"},
        camera_case{"FormatThreeValuesIgnored", "FORMAT = 1, 2, 3\n", ZERO},
        camera_case{"FormatSeventeenValuesIgnored",
                    "FORMAT = 1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1\n", ZERO},
        camera_case{"BitWidthKeepsLow8Bits", "BIT_WIDTH = 0x108\n",
                    "cfg_mode=0 type= size=0x0 bit_width=8 format=0 "
                    "i2c=0/0 trans_lvl=0"},
        camera_case{"I2cAddrKeepsLow16Bits", "I2C_ADDR = 0x12345\n",
                    "cfg_mode=0 type= size=0x0 bit_width=0 format=0 "
                    "i2c=0/9029 trans_lvl=0"},
        camera_case{"KeysAreCaseSensitive", "cfg_mode = 1\nSize = 1, 2\n",
                    ZERO},
        camera_case{"LaterLineOverwrites", "CFG_MODE = 1\nCFG_MODE = 2\n",
                    "cfg_mode=2 type= size=0x0 bit_width=0 format=0 "
                    "i2c=0/0 trans_lvl=0"},
        camera_case{"TypeCutTo49Bytes", "TYPE = " + std::string(60, 't'),
                    "cfg_mode=0 type=" + std::string(49, 't') +
                        " size=0x0 bit_width=0 format=0 i2c=0/0 trans_lvl=0"},
        camera_case{"CodeBlockIsNoKey",
                    "======CODE_BLOCK_START======\nCFG_MODE = 1\n"
                    "======CODE_BLOCK_END======\n",
                    ZERO},
        camera_case{"CommandsAreNoCameraKeys", "REG = 1, 2\n", ZERO}),
    [](const auto &param) { return std::string(param.param.name); });

TEST(CameraKeys, OutsideTheCameraSectionIgnored) {
  scoped_config config;
  const load_report report = load_string(
      "CFG_MODE = 1\n[ camera parameter ]\nCFG_MODE = 2\n[Camera Parameter]\n"
      "CFG_MODE = 3\n",
      config.get());
  EXPECT_EQ(report.parse.line, 0);
  EXPECT_EQ(config->cfg_mode, 0);
}

TEST(CameraKeys, NoCameraSectionKeepsFieldsZero) {
  scoped_config config;
  load_string("[control parameter]\nSTEP = 2\n", config.get());
  const std::string all = describe_record(config.value);
  EXPECT_EQ(all.substr(0, all.find('\n')), ZERO);
  EXPECT_EQ(config->configs, nullptr);
  EXPECT_EQ(config->configs_length, 0u);
}

} // namespace
} // namespace quelmix::test
