/* SPDX-License-Identifier: MIT */
/* A C11 host: the records' layout as the natural x86-64 C layout, and a
 * parse through the shared library. */
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "quelmix_config_parser.h"

_Static_assert(offsetof(camera_config, cfg_mode) == 0, "cfg_mode");
_Static_assert(offsetof(camera_config, type) == 4, "type");
_Static_assert(offsetof(camera_config, width) == 56, "width");
_Static_assert(offsetof(camera_config, height) == 60, "height");
_Static_assert(offsetof(camera_config, bit_width) == 64, "bit_width");
_Static_assert(offsetof(camera_config, format) == 66, "format");
_Static_assert(offsetof(camera_config, i2c_mode) == 68, "i2c_mode");
_Static_assert(offsetof(camera_config, i2c_addr) == 70, "i2c_addr");
_Static_assert(offsetof(camera_config, trans_lvl) == 72, "trans_lvl");
_Static_assert(offsetof(camera_config, configs) == 80, "configs");
_Static_assert(offsetof(camera_config, configs_length) == 88, "configs_length");
_Static_assert(offsetof(camera_config, controls) == 96, "controls");
_Static_assert(offsetof(camera_config, controls_length) == 104,
               "controls_length");
_Static_assert(sizeof(camera_config) == 112, "camera_config");

_Static_assert(offsetof(config_entry, type) == 0, "type");
_Static_assert(offsetof(config_entry, params) == 4, "params");
_Static_assert(offsetof(config_entry, params_length) == 68, "params_length");
_Static_assert(sizeof(config_entry) == 72, "config_entry");

_Static_assert(offsetof(control_entry, min_value) == 0, "min_value");
_Static_assert(offsetof(control_entry, max_value) == 8, "max_value");
_Static_assert(offsetof(control_entry, step) == 16, "step");
_Static_assert(offsetof(control_entry, def) == 24, "def");
_Static_assert(offsetof(control_entry, reserved) == 32, "reserved");
_Static_assert(offsetof(control_entry, ctrl_name) == 36, "ctrl_name");
_Static_assert(offsetof(control_entry, func_name) == 164, "func_name");
_Static_assert(offsetof(control_entry, code) == 296, "code");
_Static_assert(sizeof(control_entry) == 304, "control_entry");

_Static_assert(CONFIG_TYPE_REGISTER + CONFIG_VARIANT_DEV3_INF2 +
                       CONFIG_KEY_REG ==
                   0x03040001u,
               "type codes");

static int failures;

static void expect(int ok, const char *what) {
  if (!ok) {
    fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
  }
}

int main(void) {
  camera_config config;
  memset(&config, 0, sizeof config);
  expect(quelmix_parse_config(QUELMIX_SAMPLE_CONFIG, &config) == 0, "result");
  expect(config.width == 1280 && config.height == 720, "size");
  expect(strcmp(config.type, "QX-720P sensor board") == 0, "type");
  expect(config.i2c_addr == 0x36, "i2c_addr");
  expect(config.configs_length == 19, "configs_length");
  expect(config.configs[0].type == (CONFIG_TYPE_BOARD | CONFIG_KEY_REG),
         "first command");
  expect(config.controls_length == 2, "controls_length");
  expect(config.controls_length == 2 &&
             strncmp(config.controls[1].code, "; the exposure", 14) == 0,
         "code");
  quelmix_release_config(&config);
  expect(config.configs == NULL && config.controls_length == 0, "released");
  expect(quelmix_parse_config("/nonexistent.cfg", &config) == -1, "missing");
  return failures == 0 ? 0 : 1;
}
