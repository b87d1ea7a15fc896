// SPDX-License-Identifier: MIT
// The configuration text parser: turns lines into events for a handler.
//
// It knows the dialect's syntax (comments, section headers, joined headers,
// entries, inline comments, code blocks) and nothing of cameras. For every
// header, entry and finished code block it calls the handler:
//
//   event          section          name            value
//   section start  the new section  null            null
//   entry          current section  entry's name    entry's value
//   code block     current section  null            the block's text
//
// The strings live in the parser's buffers and are valid during the call.
#pragma once

#include <cstdint>
#include <cstdio>

#include "parser/line_reader.hpp"

namespace quelmix {

// Returns nonzero to accept the event, zero to reject it (a bad line).
using entry_handler = int (*)(void *user, const char *section, const char *name,
                              const char *value);

// A handler's own shortcut for the lines it knows best: it gets every line
// (after a byte-order mark is skipped, before anything else) with the
// handler's `user`, and returns nonzero when it has taken the line in
// exactly as the parser and handler would have, or zero, having changed
// nothing, to let the parser read the line as usual.
using line_shortcut = int (*)(void *user, char *line);

inline constexpr int LINE_BUFFER_SIZE = 1024;
inline constexpr int SECTION_NAME_SIZE = 50;
inline constexpr const char *CODE_BLOCK_START = "======CODE_BLOCK_START======";
inline constexpr const char *CODE_BLOCK_END = "======CODE_BLOCK_END======";

// Why a line is bad, or why no line could be read.
enum class parse_error : std::uint8_t {
  none,
  unclosed_header,         // a section header without its "]"
  missing_separator,       // an entry line without "=" or ":"
  unterminated_code_block, // a code block cut short by a header or the end
  out_of_memory,           // the code block's text could not be stored
  rejected,                // the handler refused the line's event
  cannot_open,             // the file could not be opened
  cannot_read,             // the input reported a read error
};

// One bad line, as the parser meets it (every one, not only the first).
struct parse_problem {
  std::int64_t line; // the line as the parser counts it (1023-byte pieces)
  parse_error error;
  // The trimmed line in the line buffer for a bad header or entry, the
  // header that cut a code block short; null when the input ended or the
  // handler refused the line's event.
  const char *text;
  // unterminated_code_block: the line of the block's start marker.
  std::int64_t block_line;
};

// Hears every bad line while a parse runs. A tool sets one to report all of
// them; the library never does, and an absent listener costs nothing on
// good lines.
struct parse_listener {
  void (*problem)(void *user, const parse_problem &problem);
  void *user;
};

// The full outcome of a parse; `line` is what the parse functions return.
struct parse_outcome {
  std::int32_t line = 0; // 0, the first bad line, or -1
  parse_error error = parse_error::none;
  int system_error = 0; // errno of cannot_open / cannot_read
  // While the parse runs, the number of the line in hand (for a code block
  // event, the line of its end marker), so that a handler can tell where an
  // event came from.
  std::int64_t current_line = 0;
  // While a code block is open, the line of its start marker (0 outside).
  std::int64_t block_line = 0;
  // Set by the caller before the parse, kept by it: who hears every bad line.
  const parse_listener *listener = nullptr;
};

// Parses every line `reader` delivers from `source`. Returns 0 or the first
// bad line; an error never stops the parse. `outcome`, when given, receives
// the reason too.
int parse_lines(line_reader reader, void *source, entry_handler handler,
                void *user, parse_outcome *outcome = nullptr,
                line_shortcut shortcut = nullptr) noexcept;

// Opens `path` for reading and parses it; -1 when it cannot be opened or
// read (a null path included).
int parse_config_file(const char *path, entry_handler handler, void *user,
                      parse_outcome *outcome = nullptr,
                      line_shortcut shortcut = nullptr) noexcept;

// Parses a stream the caller opened and will close; -1 on a read error.
// The stream is read in 32 KiB blocks from the heap; when that block cannot
// be had, line by line with std::fgets (the same events, slower).
int parse_config_stream(std::FILE *stream, entry_handler handler, void *user,
                        parse_outcome *outcome = nullptr,
                        line_shortcut shortcut = nullptr) noexcept;

// Parses a terminated string.
int parse_config_string(const char *text, entry_handler handler, void *user,
                        parse_outcome *outcome = nullptr,
                        line_shortcut shortcut = nullptr) noexcept;

} // namespace quelmix
