// SPDX-License-Identifier: MIT
// Printers that write a filled record as text, for looking at what a file
// produced (the checker's --dump). Text from the file is made safe for a
// terminal; printable text prints as it is.
#pragma once

#include <cstdio>

#include "quelmix_config_parser.h"

namespace quelmix {

// The nine camera fields, one per line ("WIDTH    : 640").
void dump_camera_params(const camera_config &config, std::FILE *out = stderr);

// Seven lines per control; the code text (or an empty line when the control
// has none) closes each.
void dump_controls(const camera_config &config, std::FILE *out = stderr);

// One line of "0x%04X " values per command, with a "[0x0300]" group header
// (section kind and variant) whenever the group changes. Headers and values
// go to different streams, so their interleaving on a shared terminal
// follows the streams' buffering.
void dump_configs(const camera_config &config, std::FILE *headers = stderr,
                  std::FILE *values = stdout) noexcept;

} // namespace quelmix
