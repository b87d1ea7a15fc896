// SPDX-License-Identifier: MIT
// The fixes on arbitrary bytes, safe ones and all of them: the rounds come
// to rest without a fix undoing another (an oscillation is a failure), and
// fixing the fixed text changes nothing; no fix turns a file the library
// accepts into one it refuses, nor adds an error; the record guard holds:
// safe fixes never apply a fix at fault, and when every safe fix at hand
// declares the record unchanged, the record is unchanged.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/analysis/engine.hpp"
#include "engine/analysis/fixes.hpp"
#include "engine/analysis/same_record.hpp"
#include "record_checks.hpp"

namespace {

using quelmix::fuzz::require;

struct outcome {
  std::int32_t result;
  std::size_t errors;
  quelmix::record_digest digest;
  bool safe_fixes_keep_record = true; // no safe fix at hand declares a change
};

outcome load(const std::string &text) {
  camera_config config{};
  const quelmix::checked_text checked =
      quelmix::check_text(text, config, {false, false});
  quelmix::fuzz::check_record(config);
  outcome out{checked.report.parse.line, checked.errors,
              quelmix::digest_of(config)};
  quelmix_release_config(&config);
  for (const quelmix::diagnostic &d : checked.diagnostics)
    if (d.fix && d.fix->safety == quelmix::fix_safety::safe &&
        d.fix->effect != quelmix::record_effect::keeps)
      out.safe_fixes_keep_record = false;
  return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  const outcome before = load(bytes);
  for (const bool unsafe : {false, true}) {
    const quelmix::fix_report fixed = quelmix::apply_fixes(bytes, unsafe);
    require(!fixed.oscillation);
    const outcome after = load(fixed.text);
    require(after.errors <= before.errors);
    require(before.result != 0 || after.result == 0);
    if (!unsafe) {
      require(fixed.surprising.empty());
      // A fix's declared change may bring others to light (a section
      // renamed whose keys are then checked); with none, nothing changes.
      if (before.safe_fixes_keep_record)
        require(after.digest == before.digest);
    }
    require(quelmix::apply_fixes(fixed.text, unsafe).text == fixed.text);
  }
  return 0;
}
