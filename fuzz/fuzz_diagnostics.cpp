// SPDX-License-Identifier: MIT
// The diagnostics engine against the library on arbitrary bytes: the engine
// loads the very record and result the library does, never changes them,
// and its errors account for the library's result. Every diagnostic has a
// place inside the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/analysis/engine.hpp"
#include "loader/loader.hpp"
#include "record_checks.hpp"

namespace {

using quelmix::fuzz::require;

struct record {
  camera_config config{};
  ~record() { quelmix_release_config(&config); }
};

int load_like_the_library(const std::string &bytes, camera_config &config) {
  std::FILE *stream = fmemopen(const_cast<char *>(bytes.data()),
                               bytes.empty() ? 1 : bytes.size(), "r");
  require(stream != nullptr);
  if (bytes.empty())
    std::fgetc(stream);
  quelmix::load_context context{&config};
  const int result =
      quelmix::parse_config_stream(stream, quelmix::config_handler, &context);
  std::fclose(stream);
  return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  record library, engine;
  const int result = load_like_the_library(bytes, library.config);
  const quelmix::checked_text checked =
      quelmix::check_text(bytes, engine.config);
  require(checked.report.parse.line == result);
  require(quelmix::fuzz::same_record(library.config, engine.config));

  // The result is 0 exactly when there is no error; otherwise an error
  // sits on the library's line. It is the first error, unless a code block
  // left open later replaced it (the library reports that one instead).
  const quelmix::line_index lines(bytes);
  const quelmix::diagnostic *first_error = nullptr;
  bool result_among_errors = false, unclosed_block = false;
  for (const quelmix::diagnostic &d : checked.diagnostics) {
    require(d.line >= 1 && d.line <= lines.line_count());
    require(d.column >= 1 && static_cast<std::size_t>(d.column) <=
                                 lines.line_text(d.line).size() + 1);
    if (d.level() != quelmix::severity::error)
      continue;
    if (first_error == nullptr || d.library_line < first_error->library_line)
      first_error = &d;
    result_among_errors = result_among_errors || d.library_line == result;
    unclosed_block = unclosed_block ||
                     d.kind == quelmix::diagnostic_kind::unclosed_code_block;
  }
  require((result == 0) == (first_error == nullptr));
  if (result > 0) {
    require(result_among_errors);
    require(unclosed_block || first_error->library_line == result);
  }
  return 0;
}
