// SPDX-License-Identifier: MIT
// The same bytes through every reader must give the same events and record:
// the block reader against std::fgets on a stream, the library's own load
// (the loader's events compiled into the parse loop) against the handler
// called through its pointer, and, up to the first NUL (where a string
// ends), the string reader against the block reader.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "loader/loader.hpp"
#include "record_checks.hpp"

namespace {

using quelmix::fuzz::require;

struct loaded {
  camera_config config{};
  int result = 0;
  ~loaded() { quelmix_release_config(&config); }
};

std::FILE *open_bytes(const std::string &bytes) {
  std::FILE *stream = fmemopen(const_cast<char *>(bytes.data()),
                               bytes.empty() ? 1 : bytes.size(), "r");
  require(stream != nullptr);
  if (bytes.empty())
    std::fgetc(stream);
  return stream;
}

void load_with_fgets(const std::string &bytes, loaded &out) {
  std::FILE *stream = open_bytes(bytes);
  quelmix::load_context context{&out.config};
  out.result = quelmix::parse_lines(quelmix::read_stream_line, stream,
                                    quelmix::config_handler, &context);
  std::fclose(stream);
}

void load_with_blocks(const std::string &bytes, loaded &out) {
  std::FILE *stream = open_bytes(bytes);
  quelmix::load_context context{&out.config};
  out.result =
      quelmix::parse_config_stream(stream, quelmix::config_handler, &context);
  quelmix::finish_load(context);
  std::fclose(stream);
}

void load_as_the_library(const std::string &bytes, loaded &out) {
  std::FILE *stream = open_bytes(bytes);
  out.result = quelmix::load_config_stream(stream, &out.config).parse.line;
  std::fclose(stream);
}

void load_with_string(const std::string &bytes, loaded &out) {
  quelmix::load_context context{&out.config};
  out.result = quelmix::parse_config_string(bytes.c_str(),
                                            quelmix::config_handler, &context);
  quelmix::finish_load(context);
}

void require_same(const loaded &a, const loaded &b) {
  quelmix::fuzz::check_record(a.config);
  quelmix::fuzz::check_record(b.config);
  require(a.result == b.result);
  require(quelmix::fuzz::same_record(a.config, b.config));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  loaded by_fgets, by_blocks;
  load_with_fgets(bytes, by_fgets);
  load_with_blocks(bytes, by_blocks);
  require_same(by_fgets, by_blocks);
  loaded by_library;
  load_as_the_library(bytes, by_library);
  require_same(by_library, by_blocks);

  const std::string text = bytes.substr(0, std::strlen(bytes.c_str()));
  loaded by_string, by_text_blocks;
  load_with_string(text, by_string);
  load_with_blocks(text, by_text_blocks);
  require_same(by_string, by_text_blocks);
  return 0;
}
