/* SPDX-License-Identifier: MIT */
/* A host project's program: prints what the sample configuration holds. */
#include <stdio.h>
#include <string.h>

#include <quelmix_config_parser.h>

int main(int argc, char **argv) {
  camera_config config;
  int32_t result;
  if (argc != 2)
    return 2;
  memset(&config, 0, sizeof config);
  result = quelmix_parse_config(argv[1], &config);
  printf("result=%d size=%dx%d commands=%u controls=%u version=%d\n",
         (int)result, (int)config.width, (int)config.height,
         (unsigned)config.configs_length, (unsigned)config.controls_length,
         QUELMIX_CONFIG_PARSER_VERSION);
  quelmix_release_config(&config);
  return result == 0 ? 0 : 1;
}
