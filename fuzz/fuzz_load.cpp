// SPDX-License-Identifier: MIT
// Loads arbitrary bytes as quelmix_parse_config loads a file, into a zeroed
// record, checks the record, holds it and the result to those of the plain
// loader (plain_loader.hpp), then frees it (the leak sanitizer sees
// anything left over).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "loader/loader.hpp"
#include "plain_loader.hpp"
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
  // The export's own path: the loader's events compiled into the parse loop.
  camera_config config{};
  const quelmix::load_report report =
      quelmix::load_config_stream(stream, &config);
  std::fclose(stream);
  const int result = report.parse.line;
  quelmix::fuzz::require(result >= 0);
  quelmix::fuzz::require((result == 0) ==
                         (report.parse.error == quelmix::parse_error::none));
  quelmix::fuzz::check_record(config);
  quelmix::plain::load_result oracle = quelmix::plain::load(
      std::string(reinterpret_cast<const char *>(data), size));
  quelmix::fuzz::require(oracle.result == result);
  quelmix::fuzz::require(quelmix::fuzz::same_record(config, oracle.config));
  quelmix_release_config(&oracle.config);
  quelmix_release_config(&config);
  return 0;
}
