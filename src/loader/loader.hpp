// SPDX-License-Identifier: MIT
// The camera configuration loader: maps the parser's events to a record.
#pragma once

#include <cstdint>

#include "loader/convert.hpp"
#include "loader/schema.hpp"
#include "parser/parser.hpp"
#include "quelmix_config_parser.h"

namespace quelmix {

// Why the loader refused an event (the line then counts as bad).
enum class load_error : std::uint8_t {
  none,
  no_record,       // the record pointer is null
  too_many_values, // a command with more than CONFIG_MAX_PARAMS values
  out_of_memory,   // a list or code text could not be allocated or grown
};

// Lines the loader takes in without error but ignores, in whole or in part.
// The library itself says nothing of them; a tool may ask to hear them.
enum class warning_kind : std::uint8_t {
  unknown_section,      // a header names no known section
  key_before_section,   // an entry or code block before the first header
  unknown_key,          // a key its section does not know
  command_out_of_place, // a command key in a camera or control section
  wrong_value_count,    // a list key with a count of values it does not take
  value_cut,            // a text value longer than its field
  key_repeated,         // a camera key set again: the later value wins
  code_block_ignored,   // a code block outside a control section
  code_block_replaced,  // a second code block in one control
  // Never warned, only told in the account: a key or code block of a
  // control whose header was refused, which has nowhere to go.
  control_refused,
};

struct load_warning {
  warning_kind kind;
  const char *section; // the current section's name ("" before any header)
  const char *name;    // the key; null for headers and code blocks
  // wrong_value_count: the values found (CONFIG_MAX_PARAMS + 1 for more
  // than fit); value_cut: the bytes kept.
  unsigned count;
  // wrong_value_count: the counts the key takes, from `fewest` to `most`.
  unsigned fewest;
  unsigned most;
};

// What the loader did with one event: its own account, so that a tool
// never infers it from the record's lengths or the order of warnings.
enum class event_outcome : std::uint8_t {
  read,    // a header of a known section other than a control: it changed
           // the section and stored nothing
  stored,  // the record holds what the line says (see `part`)
  ignored, // taken in without error, nothing stored (see `ignored`)
  refused, // the line is bad (see `refused`)
};

// Which part of the record a stored event wrote.
enum class stored_part : std::uint8_t {
  none,
  camera_key,  // a field of the camera record (`key`)
  control,     // a new control (`index`), all zero: its header
  control_key, // a field of control `index` (`key`)
  code,        // control `index`'s code text
  command,     // command `index` of the list
};

// Named by index, never by pointer: the arrays move when they grow.
struct event_account {
  event_outcome outcome = event_outcome::read;
  stored_part part = stored_part::none;
  // A stored camera or control key's index in schema::keys (0 otherwise: a
  // command's kind is in its entry).
  std::uint16_t key = 0;
  std::uint32_t index = 0; // the control's or the command's index
  warning_kind ignored = warning_kind::unknown_key;
  load_error refused = load_error::none;
};

// Hears every warning, while the handler takes in the event of the line it
// is about (the parser's listener has just told which line that is), then
// the account of that event, once. The loader is built without exceptions:
// the callbacks must not throw.
struct load_observer {
  void (*warn)(void *user, const load_warning &warning) noexcept;
  void (*account)(void *user, const event_account &account) noexcept;
  void *user;
};

// What one parse knows beyond the record. It lives for one call.
struct load_context {
  camera_config *config;
  // Code of the current section, looked up once at its section start (0 for
  // sections the loader does not know); entries use it from there on.
  std::uint32_t section_code = 0;
  // The current section takes commands and nobody listens: its key lines
  // go straight to append_command (set at each section start).
  bool takes_commands_unheard = false;
  // The current control section has its control_entry; false
  // when the control could not be allocated, so its keys go nowhere rather
  // than into the control before it.
  bool control_open = false;
  // The reason for the first event refused, which is the reason for the
  // parse's error line whenever the parser says the handler refused it.
  load_error first_error = load_error::none;
  // The reason for the latest event refused, for a tool that reports every
  // bad line.
  load_error last_error = load_error::none;
  // Camera keys set so far in this call, one bit per camera_key.
  std::uint32_t camera_keys_seen = 0;
  bool header_seen = false; // a section header has been met in this call
  // Entries the command list has room for during this call (0: as the
  // growth rule promises for its length). Always at least the rule's
  // capacity, so that nothing relies on more room than exists.
  std::uint32_t command_capacity = 0;
  // has_room's bound: the capacity, or for a large list the entry up to
  // which its pages have been made present (populate_ahead), so that the
  // append that reaches it comes to grow_commands to populate the next
  // stretch. Never above the capacity.
  std::uint32_t command_room = 0;
  // Who hears warnings and accounts (none by default).
  const load_observer *observer = nullptr;
  // The account of the event in hand, kept only while someone listens.
  event_account account{};
};

// Whether a warning of `kind` means the line stored nothing.
constexpr bool ignores_line(warning_kind kind) noexcept {
  return kind != warning_kind::value_cut &&
         kind != warning_kind::key_repeated &&
         kind != warning_kind::code_block_replaced;
}

// The account's hooks, at the loader's storing and ignoring points. Inline,
// so that a load nobody listens to pays one test of a pointer per event.
inline void note_ignored(load_context &context, warning_kind why) noexcept {
  if (context.observer == nullptr)
    return;
  context.account.outcome = event_outcome::ignored;
  context.account.ignored = why;
}
inline void note_stored(load_context &context, stored_part part,
                        std::uint32_t index, std::size_t key = 0) noexcept {
  if (context.observer == nullptr)
    return;
  context.account.outcome = event_outcome::stored;
  context.account.part = part;
  context.account.index = index;
  context.account.key = static_cast<std::uint16_t>(key);
}

// Tells the observer, if there is one, and notes in the account a warning
// that ignores the line.
inline void warn(load_context &context, const load_warning &warning) noexcept {
  if (context.observer == nullptr)
    return;
  if (ignores_line(warning.kind))
    note_ignored(context, warning.kind);
  context.observer->warn(context.observer->user, warning);
}
// The warning without counts, built out of line: a caller that would build
// it in its own frame would pay for that frame on every line.
void tell_observer(load_context &context, warning_kind kind,
                   const char *section, const char *name) noexcept;
inline void warn(load_context &context, warning_kind kind, const char *section,
                 const char *name) noexcept {
  if (context.observer != nullptr)
    tell_observer(context, kind, section, name);
}

// The handler: `user` is a load_context. Returns 1 for every event it
// takes in or ignores, 0 when it refuses one (see load_error).
int config_handler(void *user, const char *section, const char *name,
                   const char *value) noexcept;

// The command list's room. Within a call `command_capacity` says how many
// entries it holds, always a multiple of COMMAND_BLOCK, as the rule's
// capacity for `count` (the multiple of COMMAND_BLOCK above it) is: so the
// rule holds for a list about to hold `count` exactly when `count` is below
// the capacity, and such a list needs nothing (the inline common case).
// grow_commands makes room for entry `count` - 1 of a list about to hold
// `count`; false when memory cannot be had.
inline constexpr std::uint32_t COMMAND_BLOCK = 100;
bool grow_commands(load_context &context, std::uint32_t count) noexcept;

inline bool has_room(const load_context &context,
                     std::uint64_t count) noexcept {
  return count < context.command_room;
}

inline bool reserve_command(load_context &context,
                            std::uint32_t count) noexcept {
  return has_room(context, count) || grow_commands(context, count);
}

// Ends a load: the command list keeps exactly the capacity its growth rule
// promises (the count rounded up to the next multiple of 100), so that the
// next parse into the same record finds what the rule says.
void finish_load(load_context &context) noexcept;

// The branches of config_handler, one per kind of section; `section` is
// the current section's name, for warnings.
load_error apply_camera_key(load_context &context, const char *section,
                            const char *name, const char *value) noexcept;
// Writes `value` into `record` (the camera_config or the current
// control_entry) as the schema says `key` does; false when the key does
// not take the value's count of numbers, and nothing changed.
bool store_key(load_context &context, void *record, const schema::key_spec &key,
               const char *section, const char *value) noexcept;
load_error open_control(load_context &context) noexcept;
load_error apply_control_key(load_context &context, const char *section,
                             const char *name, const char *value) noexcept;
load_error attach_code(load_context &context, const char *section,
                       const char *text) noexcept;

// A key that is no command in a camera or control section: a command out
// of place, or simply unknown.
void note_unknown_key(load_context &context, const char *section,
                      const char *name) noexcept;

// The outcome of a load: the parser's, refined by the loader's reason when
// the parser says the handler refused the error line.
struct load_report {
  parse_outcome parse;
  load_error error = load_error::none;
};

load_report load_config_file(const char *path, camera_config *config,
                             const load_observer *observer = nullptr) noexcept;
// The stream the caller opened, read exactly as quelmix_parse_config reads
// the file it opens.
load_report
load_config_stream(std::FILE *stream, camera_config *config,
                   const load_observer *observer = nullptr) noexcept;

// Copies at most `size` - 1 bytes of `value` into `field`, terminated.
// Returns false when the value was cut.
bool copy_text_field(char *field, std::size_t size, const char *value) noexcept;

} // namespace quelmix
