// SPDX-License-Identifier: MIT
// The library's one export and the loads behind it.
#include "loader/load_events.hpp"
#include "loader/loader.hpp"
#include "parser/parse_loop.hpp"

namespace quelmix {
namespace {

load_report finish(const load_context &context, const parse_outcome &parse) {
  load_report report{parse, load_error::none};
  if (parse.error == parse_error::rejected)
    report.error = context.first_error;
  return report;
}

// Runs `parse` (parse_file_with or parse_stream_with, given the loader's
// own delivery) over `input`.
template <typename Parse, typename Input>
load_report load(Parse parse, Input input, camera_config *config,
                 const load_observer *observer) noexcept {
  parse_outcome outcome;
  load_context context{config};
  context.observer = observer;
  parse(input, config_handler, &context, &outcome);
  finish_load(context);
  return finish(context, outcome);
}

} // namespace

load_report load_config_file(const char *path, camera_config *config,
                             const load_observer *observer) noexcept {
  return load(parse_loop::parse_file_with<load_events>, path, config, observer);
}

load_report load_config_stream(std::FILE *stream, camera_config *config,
                               const load_observer *observer) noexcept {
  return load(parse_loop::parse_stream_with<load_events>, stream, config,
              observer);
}

} // namespace quelmix

extern "C" QUELMIX_API int32_t quelmix_parse_config(const char *path,
                                                    camera_config *config) {
  return quelmix::load_config_file(path, config).parse.line;
}
