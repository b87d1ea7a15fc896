/* SPDX-License-Identifier: MIT */
/*
 * quelmix_config_parser.h - load a camera configuration file into a record.
 *
 * Usage:
 *
 *     camera_config config;
 *     memset(&config, 0, sizeof config);          // every byte zero first
 *     int32_t result = quelmix_parse_config("camera.cfg", &config);
 *     if (result == -1)      { ... the file could not be opened or read ... }
 *     else if (result > 0)   { ... line `result` is the first bad line ... }
 *     ... read config.width, config.configs[i], config.controls[i].code ...
 *     quelmix_release_config(&config);            // frees the lists and codes
 *
 * The library allocates the two lists and every control's code text with
 * malloc/realloc; after the call they belong to the caller, who releases
 * them with free (quelmix_release_config does exactly that). Parsing a
 * second file into the same record appends to both lists and changes only
 * the camera fields that the second file names.
 *
 * The library keeps no state between calls and no global state at all:
 * parses on different threads into different records do not interfere.
 * A parse needs little stack: about 2 KiB of its own frames (its read
 * buffer comes from the heap), under 8 KiB with the C library's fopen,
 * fread and malloc, so it runs on a thread with a small stack.
 *
 * Plain C: compiles as C99 and as C++.
 */
#ifndef QUELMIX_CONFIG_PARSER_H
#define QUELMIX_CONFIG_PARSER_H

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The library's version. The build takes the project version from here. */
#define QUELMIX_CONFIG_PARSER_VERSION_MAJOR 1
#define QUELMIX_CONFIG_PARSER_VERSION_MINOR 2
#define QUELMIX_CONFIG_PARSER_VERSION_PATCH 0
/* The version as one number, e.g. 10000 for 1.0.0; compare with >=. */
#define QUELMIX_CONFIG_PARSER_VERSION                                          \
  (QUELMIX_CONFIG_PARSER_VERSION_MAJOR * 10000 +                               \
   QUELMIX_CONFIG_PARSER_VERSION_MINOR * 100 +                                 \
   QUELMIX_CONFIG_PARSER_VERSION_PATCH)

/* Values a single command line can hold; more make the line a bad line. */
#define CONFIG_MAX_PARAMS 16

/*
 * Type codes. A section code has the section kind in bits 24-31 and the
 * variant in bits 16-23; a command entry's type adds the command kind in
 * bits 0-15. Take the section and variant from (type >> 16) and the kind
 * from (type & 0xFFFF).
 */

/* Section kinds. */
#define CONFIG_TYPE_CAMERA 0x01000000u   /* "camera parameter" */
#define CONFIG_TYPE_BOARD 0x02000000u    /* "board parameter" */
#define CONFIG_TYPE_REGISTER 0x03000000u /* "register parameter" */
#define CONFIG_TYPE_CONTROL 0x04000000u  /* "control parameter" */

/* Variants, or-ed into a board or register section kind. Note the order:
 * "dev3||inf2" is variant 4 and "dev3||inf3" is variant 3. */
#define CONFIG_VARIANT_DEV2 0x00020000u      /* "...||dev2" */
#define CONFIG_VARIANT_DEV3_INF3 0x00030000u /* "...||dev3||inf3" */
#define CONFIG_VARIANT_DEV3_INF2 0x00040000u /* "...||dev3||inf2" */

/* Command kinds, in the low 16 bits of config_entry.type. */
#define CONFIG_KEY_REG 1u   /* key "REG" */
#define CONFIG_KEY_VRCMD 2u /* key "VRCMD" */
#define CONFIG_KEY_DELAY 3u /* key "DELAY" */

/* Masks that split a config_entry.type. */
#define CONFIG_SECTION_MASK 0xFF000000u
#define CONFIG_VARIANT_MASK 0x00FF0000u
#define CONFIG_KEY_MASK 0x0000FFFFu

/* One board or register command: a "REG", "VRCMD" or "DELAY" line. */
typedef struct config_entry {
  /* Section code of the section that held the line or-ed with the command
   * kind, e.g. CONFIG_TYPE_REGISTER | CONFIG_KEY_REG. */
  uint32_t type;
  /* The line's comma-separated values in order; the first params_length
   * are set, the rest are unspecified. */
  uint32_t params[CONFIG_MAX_PARAMS];
  /* Number of values held in params, 0 to CONFIG_MAX_PARAMS. */
  uint8_t params_length;
} config_entry;

/* One control: a "control parameter" section. Fields its section does not
 * set are zero, and code is NULL when the section has no code block. */
typedef struct control_entry {
  int64_t min_value;   /* "MIN_VALUE", saturated to the int64_t range */
  int64_t max_value;   /* "MAX_VALUE", saturated to the int64_t range */
  int32_t step;        /* "STEP", the low 32 bits of its value */
  int64_t def;         /* "DEF", the default value, saturated */
  uint32_t reserved;   /* never written by the library (stays zero) */
  char ctrl_name[128]; /* "CTRL_NAME", at most 127 bytes, terminated */
  char func_name[128]; /* "FUNC_NAME", at most 127 bytes, terminated */
  /* The code block's text exactly as written between the markers, each line
   * followed by "\n" (trailing blanks dropped), terminated; NULL when the
   * section has none. Allocated with malloc; the caller frees it. */
  char *code;
} control_entry;

/* Everything loaded from one or more configuration files. The caller owns
 * it and must zero every byte before the first parse. */
typedef struct camera_config {
  int32_t cfg_mode;  /* "CFG_MODE" */
  char type[50];     /* "TYPE", at most 49 bytes, terminated */
  int32_t width;     /* "SIZE", first value (pixels) */
  int32_t height;    /* "SIZE", second value (pixels) */
  uint8_t bit_width; /* "BIT_WIDTH", low 8 bits (bits per pixel) */
  /* "FORMAT": first value in the high byte, second in the low byte. */
  uint16_t format;
  uint8_t i2c_mode;  /* "I2C_MODE", low 8 bits */
  uint16_t i2c_addr; /* "I2C_ADDR", low 16 bits */
  int32_t trans_lvl; /* "TRANS_LVL" */
  /* Board and register commands in file order; configs_length are in use.
   * NULL while the list is empty. Allocated with malloc/realloc; the caller
   * frees it. */
  config_entry *configs;
  uint32_t configs_length;
  /* Controls in file order, exactly controls_length of them. NULL while the
   * list is empty. Allocated with malloc/realloc; the caller frees it and
   * each control's code first. */
  control_entry *controls;
  uint32_t controls_length;
} camera_config;

#if defined(_WIN32)
#define QUELMIX_API
#else
#define QUELMIX_API __attribute__((visibility("default")))
#endif

/*
 * Reads the configuration file at `path` into `config`.
 *
 * `config` must point to a record that was zeroed before its first parse;
 * the function neither zeroes nor checks it. A NULL `config` makes every
 * line that carries a section, an entry or a code block a bad line, and
 * nothing is written.
 *
 * Returns:
 *   0   the whole file was read and every line was taken in;
 *   n>0 line n is the first bad line (a header without "]", an entry
 *       without "=" or ":", a command with more than CONFIG_MAX_PARAMS
 *       values, or memory that could not be had), except that a code block
 *       left open names the result in its place: then n is the line of the
 *       header that cut the block short, or the file's last line, whatever
 *       bad line came before. The rest of the file was still read. Lines
 *       longer than 1023 bytes count as one line per 1023-byte piece;
 *   -1  `path` is NULL, or the file could not be opened or read. The record
 *       may hold what was read before a read error; release it as usual.
 *
 * In every case the record stays consistent: lengths count only entries
 * that exist, and everything it points to can be released with free.
 */
QUELMIX_API int32_t quelmix_parse_config(const char *path,
                                         camera_config *config);

/*
 * Frees the two lists and every control's code text of `config` and zeroes
 * the whole record, ready for another parse. NULL does nothing. A header-only
 * helper: it is compiled into the caller and uses the caller's free.
 */
static inline void quelmix_release_config(camera_config *config) {
  uint32_t i;
  if (config == NULL)
    return;
  for (i = 0; config->controls != NULL && i < config->controls_length; ++i)
    free(config->controls[i].code);
  free(config->controls);
  free(config->configs);
  memset(config, 0, sizeof *config);
}

#ifdef __cplusplus
}
#endif

#endif /* QUELMIX_CONFIG_PARSER_H */
