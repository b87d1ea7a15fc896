/* SPDX-License-Identifier: MIT */
/* A C host that prints every field of the record it loads, one item a line,
 * texts as hexadecimal bytes, so that the Python tests can compare the
 * package's record with a C host's field by field.
 * Usage: quelmix-record-dump FILE */
#include <inttypes.h>
#include <stdio.h>
#include <string.h>

#include "quelmix_config_parser.h"

/* The length of a fixed-size text field, up to its terminator. */
static size_t field_length(const char *text, size_t size) {
  size_t length = 0;
  while (length < size && text[length] != '\0')
    ++length;
  return length;
}

static void print_hex(const char *text, size_t length) {
  size_t i;
  putchar(' ');
  if (length == 0)
    putchar('-');
  for (i = 0; i < length; ++i)
    printf("%02x", (unsigned)(unsigned char)text[i]);
}

int main(int argc, char **argv) {
  camera_config config;
  int32_t result;
  uint32_t i, j;

  if (argc != 2)
    return 2;
  memset(&config, 0, sizeof config);
  result = quelmix_parse_config(argv[1], &config);
  printf("result %" PRId32 "\n", result);
  printf("camera %" PRId32, config.cfg_mode);
  print_hex(config.type, field_length(config.type, sizeof config.type));
  printf(" %" PRId32 " %" PRId32 " %u %u %u %u %" PRId32 "\n", config.width,
         config.height, (unsigned)config.bit_width, (unsigned)config.format,
         (unsigned)config.i2c_mode, (unsigned)config.i2c_addr,
         config.trans_lvl);
  for (i = 0; i < config.configs_length; ++i) {
    printf("command %" PRIu32, config.configs[i].type);
    for (j = 0; j < config.configs[i].params_length; ++j)
      printf(" %" PRIu32, config.configs[i].params[j]);
    putchar('\n');
  }
  for (i = 0; i < config.controls_length; ++i) {
    const control_entry *c = &config.controls[i];
    printf("control %" PRId64 " %" PRId64 " %" PRId32 " %" PRId64, c->min_value,
           c->max_value, c->step, c->def);
    print_hex(c->ctrl_name, field_length(c->ctrl_name, sizeof c->ctrl_name));
    print_hex(c->func_name, field_length(c->func_name, sizeof c->func_name));
    if (c->code == NULL)
      fputs(" null", stdout);
    else
      print_hex(c->code, strlen(c->code));
    putchar('\n');
  }
  quelmix_release_config(&config);
  return 0;
}
