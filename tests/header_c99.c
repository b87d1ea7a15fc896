/* SPDX-License-Identifier: MIT */
/* The public header is valid C99 on its own. */
#include "quelmix_config_parser.h"

int quelmix_header_compiles_as_c99(void);
int quelmix_header_compiles_as_c99(void) { return CONFIG_MAX_PARAMS; }
