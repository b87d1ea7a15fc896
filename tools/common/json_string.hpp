// SPDX-License-Identifier: MIT
// A JSON string of a file's bytes, for every tool's JSON output.
#pragma once

#include <string>
#include <string_view>

namespace quelmix::tools {

// Appends `bytes` as a JSON string literal. The file is bytes, not text:
// valid UTF-8 is kept as it is, and each byte that is not part of valid
// UTF-8 becomes the character of the same value (\u0080 to \u00ff), so the
// output is always valid JSON.
void append_json_string(std::string &out, std::string_view bytes);

} // namespace quelmix::tools
