// SPDX-License-Identifier: MIT
// Loads arbitrary bytes with the real handler into a zeroed record, checks
// the record, then frees it (the leak sanitizer sees anything left over).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "loader/loader.hpp"
#include "record_checks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  // The stream reader sees every byte, NULs included.
  std::FILE *stream =
      fmemopen(const_cast<std::uint8_t *>(data), size == 0 ? 1 : size, "r");
  if (stream == nullptr)
    return 0;
  if (size == 0)
    std::fgetc(stream); // an empty input: leave nothing to read
  camera_config config{};
  quelmix::load_context context{&config};
  quelmix::parse_outcome outcome;
  const int result = quelmix::parse_config_stream(
      stream, quelmix::config_handler, &context, &outcome);
  std::fclose(stream);
  quelmix::fuzz::require(result >= 0 && result == outcome.line);
  quelmix::fuzz::require((result == 0) ==
                         (outcome.error == quelmix::parse_error::none));
  quelmix::fuzz::check_record(config);
  quelmix_release_config(&config);
  return 0;
}
