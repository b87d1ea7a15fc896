/* SPDX-License-Identifier: MIT */
/* Prints the record's layout as the C compiler sees the public header:
 * "STRUCT size N" and "STRUCT.FIELD OFFSET SIZE" lines, which the Python
 * tests compare with the package's ctypes structures. */
#include <stddef.h>
#include <stdio.h>

#include "quelmix_config_parser.h"

#define SIZE(s) printf(#s " size %zu\n", sizeof(s))
#define FIELD(s, f)                                                            \
  printf(#s "." #f " %zu %zu\n", offsetof(s, f), sizeof(((s *)0)->f))

int main(void) {
  SIZE(camera_config);
  FIELD(camera_config, cfg_mode);
  FIELD(camera_config, type);
  FIELD(camera_config, width);
  FIELD(camera_config, height);
  FIELD(camera_config, bit_width);
  FIELD(camera_config, format);
  FIELD(camera_config, i2c_mode);
  FIELD(camera_config, i2c_addr);
  FIELD(camera_config, trans_lvl);
  FIELD(camera_config, configs);
  FIELD(camera_config, configs_length);
  FIELD(camera_config, controls);
  FIELD(camera_config, controls_length);
  SIZE(config_entry);
  FIELD(config_entry, type);
  FIELD(config_entry, params);
  FIELD(config_entry, params_length);
  SIZE(control_entry);
  FIELD(control_entry, min_value);
  FIELD(control_entry, max_value);
  FIELD(control_entry, step);
  FIELD(control_entry, def);
  FIELD(control_entry, reserved);
  FIELD(control_entry, ctrl_name);
  FIELD(control_entry, func_name);
  FIELD(control_entry, code);
  return 0;
}
