// SPDX-License-Identifier: MIT
#include "parser/parser.hpp"

#include <cerrno>
#include <cstring>

#include "parser/parse_loop.hpp"

namespace quelmix {

using parse_loop::call_handler;

int parse_lines(line_reader reader, void *source, entry_handler handler,
                void *user, parse_outcome *outcome) noexcept {
  return parse_loop::parse_with<call_handler>(
      parse_loop::reader_lines{reader, source}, handler, user, outcome);
}

int parse_config_stream(std::FILE *stream, entry_handler handler, void *user,
                        parse_outcome *outcome) noexcept {
  return parse_loop::parse_stream_with<call_handler>(stream, handler, user,
                                                     outcome);
}

int parse_config_file(const char *path, entry_handler handler, void *user,
                      parse_outcome *outcome) noexcept {
  return parse_loop::parse_file_with<call_handler>(path, handler, user,
                                                   outcome);
}

int parse_config_string(const char *text, entry_handler handler, void *user,
                        parse_outcome *outcome) noexcept {
  if (text == nullptr)
    return parse_loop::fail_input(outcome, parse_error::cannot_read, EINVAL);
  string_source source{text, std::strlen(text)};
  return parse_lines(read_string_line, &source, handler, user, outcome);
}

} // namespace quelmix
