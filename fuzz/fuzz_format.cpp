// SPDX-License-Identifier: MIT
// The formatter on arbitrary bytes: loading the formatted text gives the
// same record and the same kind of result as loading the original (the
// formatter checks that itself and would give the layout up; it never may),
// and formatting twice gives what formatting once gives.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/layout/format.hpp"
#include "record_checks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  const quelmix::formatted_text once = quelmix::format_text(bytes);
  quelmix::fuzz::require(!once.gave_up);
  const quelmix::formatted_text twice = quelmix::format_text(once.text);
  quelmix::fuzz::require(!twice.gave_up);
  quelmix::fuzz::require(twice.text == once.text);
  return 0;
}
