// SPDX-License-Identifier: MIT
// How a load takes the parser's events: the type the parse loop delivers
// them to (see parser/parse_loop.hpp), with the commonest event of a large
// file handled inline and every other one by the handler out of line.
#pragma once

#include "loader/command_list.hpp"
#include "loader/loader.hpp"
#include "loader/schema.hpp"

namespace quelmix {

// Every event but a command line in a load nobody listens to: what
// config_handler does with it. `context` may be null.
[[gnu::noinline]] int handle_event(load_context *context, const char *section,
                                   const char *name,
                                   const char *value) noexcept;

// Remembers the reason for a refused event.
void note_refusal(load_context &context, load_error error) noexcept;

struct load_events {
  // `user` is the load_context (never null); the handler's pointer is not
  // needed: this is the handler.
  [[gnu::always_inline]] static int call(entry_handler, void *user,
                                         const char *section, const char *name,
                                         const char *value) noexcept {
    auto &context = *static_cast<load_context *>(user);
    // A key of a board or register section, heard by nobody else (a
    // section start needs the record, so the flag implies one).
    if (name != nullptr && context.takes_commands_unheard) {
      const load_error error =
          append_command<false>(context, section, name, value);
      if (error == load_error::none) [[likely]]
        return 1;
      note_refusal(context, error);
      return 0;
    }
    return handle_event(&context, section, name, value);
  }
};

} // namespace quelmix
