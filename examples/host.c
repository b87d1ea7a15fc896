/* SPDX-License-Identifier: MIT */
/* A camera host program in plain C: loads a configuration file and prints
 * what it holds. Usage: quelmix-example-host [FILE] */
#include <inttypes.h>
#include <stdio.h>
#include <string.h>

#include "quelmix_config_parser.h"

#ifndef QUELMIX_SAMPLE_CONFIG
#define QUELMIX_SAMPLE_CONFIG "sample.cfg"
#endif

int main(int argc, char **argv) {
  const char *path = argc > 1 ? argv[1] : QUELMIX_SAMPLE_CONFIG;
  camera_config config;
  int32_t result;
  uint32_t i;

  memset(&config, 0, sizeof config); /* the library expects a zeroed record */
  result = quelmix_parse_config(path, &config);
  if (result == -1) {
    fprintf(stderr, "%s: cannot open or read\n", path);
    return 2;
  }
  if (result > 0)
    fprintf(stderr, "%s:%" PRId32 ": bad line\n", path, result);

  printf("camera   %s, %" PRId32 "x%" PRId32 ", %u bits, format 0x%04X\n",
         config.type, config.width, config.height, (unsigned)config.bit_width,
         (unsigned)config.format);
  printf("i2c      mode %u, address 0x%02X\n", (unsigned)config.i2c_mode,
         (unsigned)config.i2c_addr);
  printf("commands %" PRIu32 "\n", config.configs_length);
  for (i = 0; i < config.controls_length; ++i)
    printf("control  %s (%s): %" PRId64 "..%" PRId64 ", default %" PRId64 "\n",
           config.controls[i].ctrl_name, config.controls[i].func_name,
           config.controls[i].min_value, config.controls[i].max_value,
           config.controls[i].def);
  printf("controls %" PRIu32 "\n", config.controls_length);

  quelmix_release_config(&config); /* frees the lists and the code texts */
  return result == 0 ? 0 : 1;
}
