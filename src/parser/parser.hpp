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

// What a line is to the parser.
enum class line_kind : std::uint8_t {
  blank,       // nothing but whitespace
  comment,     // a comment line (";", "#" or "//" first)
  header,      // a section header, delivered as a section start
  entry,       // `name = value`, delivered as an entry
  block_start, // a code block's start marker
  block_text,  // a line inside an open code block
  block_end,   // the end marker; the block is delivered
  bad_header,  // "[" without its "]" (a bad line)
  bad_entry,   // no "=" or ":" before any comment (a bad line)
  block_cut,   // a header inside an open block, which stays open: the block
               // is dropped, the header not read (a bad line)
};

// Bytes [begin, end) of the line the reader delivered (a byte-order mark
// on line 1 included in the count); empty when begin == end.
struct line_span {
  std::uint32_t begin = 0;
  std::uint32_t end = 0;
  constexpr bool empty() const noexcept { return begin == end; }
};

// One line as the parser read it. Spans are offsets in the line, so that a
// tool can place what it says without looking into the parser's buffers.
struct line_event {
  line_kind kind = line_kind::blank;
  std::int64_t line = 0; // the line as the parser counts it
  // entry: the name and the value as delivered (trimmed; the value without
  // its comment); header: the section name as written between the first
  // "[" and the last "]" read; block_text: the text the block keeps.
  line_span name;
  line_span separator; // entry: the "=" or ":"
  line_span value;
  // An entry's inline comment, or what follows a header's last "]", up to
  // the line's last non-blank byte.
  line_span comment;
  // Lines of a code block (start marker to end marker, or the header that
  // cut it): the line of its start marker.
  std::int64_t block_line = 0;
};

// One bad line (every one, not only the first).
struct parse_problem {
  std::int64_t line; // the line as the parser counts it (1023-byte pieces)
  parse_error error;
  // unterminated_code_block: the line of the block's start marker.
  std::int64_t block_line;
};

// Hears every line and every bad line while a parse runs. A tool sets one
// to explain a load; the library never does, and an absent listener costs
// a test of a pointer per line. A line's event comes before the handler
// hears of it, its problems after.
struct parse_listener {
  void (*line)(void *user, const line_event &event);
  void (*problem)(void *user, const parse_problem &problem);
  void *user;
};

// The full outcome of a parse; `line` is what the parse functions return.
struct parse_outcome {
  std::int32_t line = 0; // 0, the first bad line, or -1
  parse_error error = parse_error::none;
  int system_error = 0; // errno of cannot_open / cannot_read
  // Set by the caller before the parse, kept by it: who hears every line.
  const parse_listener *listener = nullptr;
};

// Parses every line `reader` delivers from `source`. Returns 0 or the first
// bad line; an error never stops the parse. `outcome`, when given, receives
// the reason too.
int parse_lines(line_reader reader, void *source, entry_handler handler,
                void *user, parse_outcome *outcome = nullptr) noexcept;

// Opens `path` for reading and parses it; -1 when it cannot be opened or
// read (a null path included).
int parse_config_file(const char *path, entry_handler handler, void *user,
                      parse_outcome *outcome = nullptr) noexcept;

// Parses a stream the caller opened and will close; -1 on a read error.
// The stream is read in 32 KiB blocks from the heap; when that block cannot
// be had, line by line with std::fgets (the same events, slower).
int parse_config_stream(std::FILE *stream, entry_handler handler, void *user,
                        parse_outcome *outcome = nullptr) noexcept;

// Parses a terminated string.
int parse_config_string(const char *text, entry_handler handler, void *user,
                        parse_outcome *outcome = nullptr) noexcept;

} // namespace quelmix
