// SPDX-License-Identifier: MIT
// The fixes on arbitrary bytes: applying every safe fix never turns a file
// the library accepts into one it refuses, never adds an error, and comes
// to rest (fixing the fixed text changes nothing); the unsafe fixes too
// add no error.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/analysis/engine.hpp"
#include "engine/analysis/fixes.hpp"
#include "record_checks.hpp"

namespace {

using quelmix::fuzz::require;

struct outcome {
  std::int32_t result;
  std::size_t errors;
};

outcome load(const std::string &text) {
  camera_config config{};
  const quelmix::checked_text checked =
      quelmix::check_text(text, config, {false, false});
  quelmix::fuzz::check_record(config);
  quelmix_release_config(&config);
  return {checked.report.parse.line, checked.errors};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  const outcome before = load(bytes);
  for (const bool unsafe : {false, true}) {
    const quelmix::fix_report fixed = quelmix::apply_fixes(bytes, unsafe);
    const outcome after = load(fixed.text);
    require(after.errors <= before.errors);
    require(before.result != 0 || after.result == 0);
    if (!unsafe)
      require(quelmix::apply_fixes(fixed.text, false).text == fixed.text);
  }
  return 0;
}
