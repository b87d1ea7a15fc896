// SPDX-License-Identifier: MIT
// The loader's tables of names and codes: which sections and keys it knows.
//
// Each table is an ordered array of (name, code) pairs ended by a pair with
// no name and code 0. Lookups compare byte for byte, letter case included.
#pragma once

#include <cstdint>

#include "quelmix_config_parser.h"

namespace quelmix {

struct name_code {
  const char *name;
  std::uint32_t code;
};

inline constexpr name_code section_table[] = {
    {"camera parameter", CONFIG_TYPE_CAMERA},
    {"control parameter", CONFIG_TYPE_CONTROL},
    {"board parameter", CONFIG_TYPE_BOARD},
    {"board parameter||dev2", CONFIG_TYPE_BOARD | CONFIG_VARIANT_DEV2},
    {"board parameter||dev3||inf2",
     CONFIG_TYPE_BOARD | CONFIG_VARIANT_DEV3_INF2},
    {"board parameter||dev3||inf3",
     CONFIG_TYPE_BOARD | CONFIG_VARIANT_DEV3_INF3},
    {"register parameter", CONFIG_TYPE_REGISTER},
    {"register parameter||dev3||inf2",
     CONFIG_TYPE_REGISTER | CONFIG_VARIANT_DEV3_INF2},
    {"register parameter||dev3||inf3",
     CONFIG_TYPE_REGISTER | CONFIG_VARIANT_DEV3_INF3},
    {nullptr, 0},
};

// Keys of the "camera parameter" section, in the order they are tried.
enum camera_key : std::uint32_t {
  CAMERA_KEY_CFG_MODE = 1,
  CAMERA_KEY_TYPE,
  CAMERA_KEY_BIT_WIDTH,
  CAMERA_KEY_I2C_MODE,
  CAMERA_KEY_I2C_ADDR,
  CAMERA_KEY_TRANS_LVL,
  CAMERA_KEY_SIZE,
  CAMERA_KEY_FORMAT,
};

inline constexpr name_code camera_key_table[] = {
    {"CFG_MODE", CAMERA_KEY_CFG_MODE},
    {"TYPE", CAMERA_KEY_TYPE},
    {"BIT_WIDTH", CAMERA_KEY_BIT_WIDTH},
    {"I2C_MODE", CAMERA_KEY_I2C_MODE},
    {"I2C_ADDR", CAMERA_KEY_I2C_ADDR},
    {"TRANS_LVL", CAMERA_KEY_TRANS_LVL},
    {"SIZE", CAMERA_KEY_SIZE},
    {"FORMAT", CAMERA_KEY_FORMAT},
    {nullptr, 0},
};

// Command keys of the board and register sections; the code is the
// command kind stored in the low bits of config_entry.type.
inline constexpr name_code register_key_table[] = {
    {"REG", CONFIG_KEY_REG},
    {"DELAY", CONFIG_KEY_DELAY},
    {"VRCMD", CONFIG_KEY_VRCMD},
    {nullptr, 0},
};

// Keys of a "control parameter" section.
enum control_key : std::uint32_t {
  CONTROL_KEY_MIN_VALUE = 1,
  CONTROL_KEY_MAX_VALUE,
  CONTROL_KEY_STEP,
  CONTROL_KEY_DEF,
  CONTROL_KEY_CTRL_NAME,
  CONTROL_KEY_FUNC_NAME,
};

inline constexpr name_code control_key_table[] = {
    {"MIN_VALUE", CONTROL_KEY_MIN_VALUE},
    {"MAX_VALUE", CONTROL_KEY_MAX_VALUE},
    {"STEP", CONTROL_KEY_STEP},
    {"DEF", CONTROL_KEY_DEF},
    {"CTRL_NAME", CONTROL_KEY_CTRL_NAME},
    {"FUNC_NAME", CONTROL_KEY_FUNC_NAME},
    {nullptr, 0},
};

// The code of the first pair named `name`, or 0 when none is.
std::uint32_t lookup_code(const name_code *table, const char *name) noexcept;

// The name of the first pair with `code`, or null when none has it.
const char *lookup_name(const name_code *table, std::uint32_t code) noexcept;

} // namespace quelmix
