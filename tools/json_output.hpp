// The checker's JSON output: one document per file describing the record.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "loader/loader.hpp"
#include "quelmix_config_parser.h"

namespace quelmix::tools {

// A warning as the checker prints it.
struct warning_line {
  std::int64_t line;
  std::string message;
};

// Appends `bytes` as a JSON string literal. The file is bytes, not text:
// valid UTF-8 is kept as it is, and each byte that is not part of valid
// UTF-8 becomes the character of the same value (\u0080 to \u00ff), so the
// output is always valid JSON.
void append_json_string(std::string &out, std::string_view bytes);

// One document: the file, the result, the camera fields, the commands, the
// controls and the warnings.
std::string record_json(const char *path, const load_report &report,
                        const char *reason, const camera_config &config,
                        const std::vector<warning_line> &warnings);

} // namespace quelmix::tools
