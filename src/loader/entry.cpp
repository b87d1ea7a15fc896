// SPDX-License-Identifier: MIT
// The library's one export and the loads behind it.
#include "loader/loader.hpp"

namespace quelmix {
namespace {

load_report finish(const load_context &context, const parse_outcome &parse) {
  load_report report{parse, load_error::none};
  if (parse.error == parse_error::rejected)
    report.error = context.first_error;
  return report;
}

// Runs `parse` (a parse_config_* function) over `input` with the handler,
// and its one-pass shortcut for command lines when nobody listens.
template <typename Parse, typename Input>
load_report load(Parse parse, Input input, camera_config *config,
                 const load_observer *observer) noexcept {
  parse_outcome outcome;
  load_context context{config};
  context.observer = observer;
  parse(input, config_handler, &context, &outcome,
        observer == nullptr ? take_command_line : nullptr);
  finish_load(context);
  return finish(context, outcome);
}

} // namespace

load_report load_config_file(const char *path, camera_config *config,
                             const load_observer *observer) noexcept {
  return load(parse_config_file, path, config, observer);
}

load_report load_config_stream(std::FILE *stream, camera_config *config,
                               const load_observer *observer) noexcept {
  return load(parse_config_stream, stream, config, observer);
}

} // namespace quelmix

extern "C" QUELMIX_API int32_t quelmix_parse_config(const char *path,
                                                    camera_config *config) {
  return quelmix::load_config_file(path, config).parse.line;
}
