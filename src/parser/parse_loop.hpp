// SPDX-License-Identifier: MIT
// The parse loop itself, for the parser's own functions and for a handler
// that wants its events delivered without a call through a pointer.
//
// Everything here is parametrised by `Deliver`, a type whose static
// `call(handler, user, section, name, value)` takes each event the way an
// entry_handler does: `call_handler` calls the handler given, and the
// loader passes its own type, so that its handling of the commonest line is
// compiled into the loop. One loop, one reading of the dialect: only the
// last step differs.
#pragma once

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "parser/line_reader.hpp"
#include "parser/parser.hpp"
#include "parser/text.hpp"

namespace quelmix::parse_loop {

// The parser's own delivery: through the handler's pointer.
struct call_handler {
  static int call(entry_handler handler, void *user, const char *section,
                  const char *name, const char *value) noexcept {
    return handler(user, section, name, value);
  }
};

inline constexpr std::size_t CODE_BLOCK_INITIAL_CAPACITY = 100;
inline constexpr std::size_t CODE_BLOCK_SLACK = 100;

// Everything one parse owns; it lives in the parse loop's frame (about
// 1.1 KiB: a parse fits a small thread stack).
struct parser_state {
  entry_handler handler;
  void *user;
  parse_outcome *outcome;         // may be null
  const parse_listener *listener; // may be null
  // Counted wide so that a file of more than INT32_MAX lines cannot
  // overflow it; reported clamped to INT32_MAX.
  std::int64_t line = 0;
  std::int64_t error_line = 0;
  parse_error error = parse_error::none;
  const char *origin = nullptr; // the line in hand as the reader gave it
  char section[SECTION_NAME_SIZE] = {};
  char buffer[LINE_BUFFER_SIZE] = {};

  parser_state(entry_handler h, void *u, parse_outcome *o) noexcept
      : handler(h), user(u), outcome(o),
        listener(o != nullptr ? o->listener : nullptr) {}
};

// Where `begin`..`end` stand in the line in hand.
inline line_span span_of(const parser_state &state, const char *begin,
                         const char *end) noexcept {
  return {static_cast<std::uint32_t>(begin - state.origin),
          static_cast<std::uint32_t>(end - state.origin)};
}

// Tells a listening tool what the line in hand is.
inline void tell(const parser_state &state, line_event event) noexcept {
  event.line = state.line;
  state.listener->line(state.listener->user, event);
}

// A blank line, a comment line (the comment is the trimmed line) or a
// block's start marker (its name is the marker).
inline void tell_whole(const parser_state &state, line_kind kind,
                       const char *text, const char *end) noexcept {
  if (state.listener == nullptr)
    return;
  line_event event;
  event.kind = kind;
  if (kind == line_kind::comment)
    event.comment = span_of(state, text, end);
  else if (kind == line_kind::block_start)
    event.name = span_of(state, text, end);
  tell(state, event);
}

// Tells a listening tool of every bad line; the result keeps only one.
[[gnu::noinline]] inline void notify(const parser_state &state,
                                     parse_error error,
                                     std::int64_t block_line = 0) noexcept {
  if (state.listener != nullptr)
    state.listener->problem(state.listener->user,
                            parse_problem{state.line, error, block_line});
}

// The first error names the result; later ones are not recorded.
inline void record_error(parser_state &state, parse_error error) noexcept {
  notify(state, error);
  if (state.error_line == 0) {
    state.error_line = state.line;
    state.error = error;
  }
}

// A code block left open replaces whatever was recorded before.
inline void override_error(parser_state &state,
                           std::int64_t block_line) noexcept {
  notify(state, parse_error::unterminated_code_block, block_line);
  state.error_line = state.line;
  state.error = parse_error::unterminated_code_block;
}

template <typename Deliver>
[[gnu::always_inline]] inline void
deliver(parser_state &state, const char *name, const char *value) noexcept {
  if (Deliver::call(state.handler, state.user, state.section, name, value) == 0)
    record_error(state, parse_error::rejected);
}

// The next line from `read` (in the line buffer or in place); its text is
// null at the end of input.
template <typename Read>
[[gnu::always_inline]] inline line_text next_line(parser_state &state,
                                                  Read &read) noexcept {
  const line_text line = read(state.buffer, LINE_BUFFER_SIZE);
  if (line.text != nullptr) {
    ++state.line;
    state.origin = line.text;
  }
  return line;
}

// True when `text` (a trimmed line) starts a section header: "[" and a "]"
// before any inline comment. `stop` receives where the search stopped.
inline bool find_header_end(char *text, char **stop) noexcept {
  *stop = find_stop(text + 1, HEADER_END_STOPS);
  return **stop == ']';
}

// What follows a header's last "]", or an entry's value, up to `end`.
inline line_span rest_of_line(const parser_state &state, const char *from,
                              const char *end) noexcept {
  from = skip_leading_space(from);
  return from < end ? span_of(state, from, end) : line_span{};
}

// "[a][b]" joins to "a||b"; a header without "]" is a bad line. `end` is
// the end of the trimmed line.
template <typename Deliver>
void handle_header(parser_state &state, char *text, const char *end) noexcept {
  char *stop = nullptr;
  if (!find_header_end(text, &stop)) {
    if (state.listener != nullptr)
      tell(state, line_event{line_kind::bad_header,
                             0,
                             span_of(state, text + 1, stop),
                             {},
                             {},
                             rest_of_line(state, stop, end)});
    record_error(state, parse_error::unclosed_header);
    return;
  }
  while (stop[1] == '[') {
    stop[0] = '|';
    stop[1] = '|';
    stop = find_stop(stop + 1, HEADER_END_STOPS);
    if (*stop != ']')
      break;
  }
  const char *rest = *stop == ']' ? stop + 1 : stop;
  if (state.listener != nullptr)
    tell(state, line_event{line_kind::header,
                           0,
                           span_of(state, text + 1, stop),
                           {},
                           {},
                           rest_of_line(state, rest, end)});
  *stop = '\0';
  const char *name = text + 1;
  const std::size_t length = std::min<std::size_t>(
      static_cast<std::size_t>(stop - name), SECTION_NAME_SIZE - 1);
  std::memcpy(state.section, name, length);
  state.section[length] = '\0';
  deliver<Deliver>(state, nullptr, nullptr);
}

// An entry line without "=" or ":" is a bad line. Out of line, as every
// rare case of a hot function: its frame would be paid on every line.
[[gnu::noinline]] inline void refuse_entry(parser_state &state,
                                           const char *text,
                                           const char *separator,
                                           const char *end) noexcept {
  if (state.listener != nullptr)
    tell(state, line_event{line_kind::bad_entry,
                           0,
                           span_of(state, text, separator),
                           {},
                           {},
                           rest_of_line(state, separator, end)});
  record_error(state, parse_error::missing_separator);
}

// Tells a listening tool of an entry line; `value_end` is where its
// comment, if any, begins.
[[gnu::noinline]] inline void
tell_entry(const parser_state &state, const char *name, std::size_t name_length,
           const char *at, const char *value, std::size_t value_length,
           const char *value_end, const char *end) noexcept {
  tell(state,
       line_event{line_kind::entry, 0, span_of(state, name, name + name_length),
                  span_of(state, at, at + 1),
                  span_of(state, value, value + value_length),
                  rest_of_line(state, value_end, end)});
}

// Where a name ends: the separator, or the first of the blanks before it.
struct separated {
  char *separator;
  char *name_end;
};

// The commonest entry, "NAME = value" with a name of one word: the name's
// bytes are read once, up to the first that could end it. Anything else
// (a blank inside the name, a comment mark, no separator) is left to the
// full search, which agrees wherever this one answers.
[[gnu::always_inline]] inline separated
find_word_separator(char *text) noexcept {
  // Four bytes a step; a byte is read only when the one before it
  // continued the name, so the terminator is never passed.
  char *p = text;
  for (;; p += 4) {
    if (!continues_name(p[0]))
      break;
    if (!continues_name(p[1])) {
      p += 1;
      break;
    }
    if (!continues_name(p[2])) {
      p += 2;
      break;
    }
    if (!continues_name(p[3])) {
      p += 3;
      break;
    }
  }
  char *name_end = p;
  if (p[0] == ' ' && p[1] == '=') // the usual "NAME = "
    return {p + 1, name_end};
  p = skip_leading_space(p);
  return {(*p == '=' || *p == ':') ? p : nullptr, name_end};
}

// The first "=" or ":" before any comment (or where the search stopped,
// when there is none) and the end of the name before it.
[[gnu::noinline]] inline separated find_any_separator(char *text) noexcept {
  char *separator = find_stop(text, SEPARATOR_STOPS);
  return {separator,
          text + trim_right({text, static_cast<std::size_t>(separator - text)})
                     .size()};
}

// "name = value ; comment": the first "=" or ":" separates. `end` is the
// trimmed line's terminator, and the line holds no other NUL; a plain line
// holds no comment to look for. The listener hears of the line before the
// name's and the value's ends are overwritten with terminators.
template <typename Deliver>
[[gnu::always_inline]] inline void
handle_entry(parser_state &state, char *text, char *end, bool plain) noexcept {
  separated found = find_word_separator(text);
  if (found.separator == nullptr) {
    found = find_any_separator(text);
    if (*found.separator != '=' && *found.separator != ':') {
      refuse_entry(state, text, found.separator, end);
      return;
    }
  }
  char *const separator = found.separator;
  char *value_end = plain ? end : find_comment(separator + 1, text, end);
  // A comment's first byte is no blank: the value's start stops there.
  char *value = separator + 1;
  value += *value == ' '; // the usual one blank first
  if (is_space(*value))
    value = skip_leading_space(value);
  // The line's end is trimmed already.
  const std::size_t value_length =
      value_end == end
          ? static_cast<std::size_t>(end - value)
          : trim_right({value, static_cast<std::size_t>(value_end - value)})
                .size();
  if (state.listener != nullptr)
    tell_entry(state, text, static_cast<std::size_t>(found.name_end - text),
               separator, value, value_length, value_end, end);
  *found.name_end = '\0';
  value[value_length] = '\0';
  deliver<Deliver>(state, text, value);
}

// The text of an open code block. Grown by the running estimate (line
// length + 3 per line) plus slack, and at least doubled, so that a block of
// a million lines costs a logarithmic number of copies, not a quadratic
// amount of copying.
struct code_text {
  char *bytes = nullptr;
  std::size_t capacity = 0;
  std::size_t length = 0;
  std::size_t estimate = 0;

  code_text(const code_text &) = delete;
  code_text &operator=(const code_text &) = delete;
  code_text() noexcept
      : bytes(static_cast<char *>(std::malloc(CODE_BLOCK_INITIAL_CAPACITY))) {
    if (bytes != nullptr) {
      capacity = CODE_BLOCK_INITIAL_CAPACITY;
      bytes[0] = '\0';
    }
  }
  ~code_text() { std::free(bytes); }

  bool failed() const noexcept { return bytes == nullptr; }

  // Appends the line and a newline; false (and the text dropped) when
  // memory runs out.
  bool append(const char *line, std::size_t size) noexcept {
    estimate += size + 3;
    if (estimate > capacity) {
      const std::size_t wanted =
          std::max(estimate + CODE_BLOCK_SLACK, capacity * 2);
      char *grown = static_cast<char *>(std::realloc(bytes, wanted));
      if (grown == nullptr) {
        std::free(bytes);
        bytes = nullptr;
        return false;
      }
      bytes = grown;
      capacity = wanted;
    }
    std::memcpy(bytes + length, line, size);
    length += size;
    bytes[length++] = '\n';
    bytes[length] = '\0';
    return true;
  }
};

inline bool is_block_marker(const char *trimmed, const char *marker) noexcept {
  return trimmed[0] == '=' && equals_ignoring_case(trimmed, marker);
}

// Tells a listening tool of a line inside a block: block_text (its value
// is the line as the block keeps it), block_end or block_cut (the name is
// the marker or the header).
inline void tell_block_line(const parser_state &state, line_kind kind,
                            const char *line, const char *trimmed,
                            std::size_t length,
                            std::int64_t start_line) noexcept {
  if (state.listener == nullptr)
    return;
  line_event event;
  event.kind = kind;
  if (kind == line_kind::block_text)
    event.value = span_of(state, line, line + length);
  else
    event.name = span_of(state, trimmed, line + length);
  event.block_line = start_line;
  tell(state, event);
}

// Reads the lines after a start marker up to the end marker. Inside a block
// no line is a comment or an entry. A section header or the end of input
// before the end marker leaves the block open: that line becomes the error
// line, replacing any earlier one, and the text is dropped.
template <typename Deliver, typename Read>
void read_code_block(parser_state &state, Read &read, const char *marker,
                     const char *end) noexcept {
  const std::int64_t start_line = state.line;
  tell_whole(state, line_kind::block_start, marker, end);
  code_text text;
  if (text.failed())
    record_error(state, parse_error::out_of_memory);
  for (;;) {
    char *line = next_line(state, read).text;
    if (line == nullptr) {
      override_error(state, start_line);
      return;
    }
    const std::size_t length = strip_trailing_space(line, std::strlen(line));
    char *trimmed = skip_leading_space(line);
    char *stop = nullptr;
    if (*trimmed == '[' && find_header_end(trimmed, &stop)) {
      tell_block_line(state, line_kind::block_cut, line, trimmed, length,
                      start_line);
      override_error(state, start_line);
      return;
    }
    if (is_block_marker(trimmed, CODE_BLOCK_END)) {
      tell_block_line(state, line_kind::block_end, line, trimmed, length,
                      start_line);
      if (!text.failed())
        deliver<Deliver>(state, nullptr, text.bytes);
      return;
    }
    tell_block_line(state, line_kind::block_text, line, trimmed, length,
                    start_line);
    if (!text.failed() && !text.append(line, length))
      record_error(state, parse_error::out_of_memory);
  }
}

// Inlined into the loop: its frame would otherwise be paid on every line.
template <typename Deliver, typename Read>
[[gnu::always_inline]] inline void handle_line(parser_state &state, Read &read,
                                               line_text in) noexcept {
  char *line = in.text;
  const std::size_t length = strip_trailing_space(line, in.length);
  char *text = skip_leading_space(line);
  char *end = line + length;
  switch (text[0]) {
  case '\0':
    tell_whole(state, line_kind::blank, text, end);
    return;
  case ';':
  case '#':
    tell_whole(state, line_kind::comment, text, end);
    return;
  case '/':
    if (text[1] == '/') {
      tell_whole(state, line_kind::comment, text, end);
      return; // a single "/" starts an entry
    }
    break;
  case '[':
    handle_header<Deliver>(state, text, end);
    return;
  case '=':
    if (is_block_marker(text, CODE_BLOCK_START)) {
      read_code_block<Deliver>(state, read, text, end);
      return;
    }
    break;
  default:
    break;
  }
  handle_entry<Deliver>(state, text, end, in.plain);
}

inline std::int32_t reported_line(std::int64_t line) noexcept {
  return static_cast<std::int32_t>(std::min<std::int64_t>(line, INT32_MAX));
}

inline int fail_input(parse_outcome *outcome, parse_error error,
                      int system_error) noexcept {
  if (outcome != nullptr) {
    outcome->line = -1;
    outcome->error = error;
    outcome->system_error = system_error;
  }
  return -1;
}

// The parse loop, for any reader (reader_lines, block_lines). A template,
// so that the block reader's common case is inlined into the loop.
template <typename Deliver, typename Read>
int parse_with(Read read, entry_handler handler, void *user,
               parse_outcome *outcome) noexcept {
  parser_state state(handler, user, outcome);
  line_text line = next_line(state, read);
  // A byte-order mark is skipped on the first line only.
  if (line.text != nullptr &&
      starts_with_byte_order_mark({line.text, line.length})) {
    line.text += BYTE_ORDER_MARK.size();
    line.length -= BYTE_ORDER_MARK.size();
  }
  for (; line.text != nullptr; line = next_line(state, read))
    handle_line<Deliver>(state, read, line);
  const std::int32_t result = reported_line(state.error_line);
  if (outcome != nullptr) {
    outcome->line = result;
    outcome->error = state.error;
    outcome->system_error = 0;
  }
  return result;
}

// The parse loop's readers: `read(buffer, size)` gives the next line as
// std::fgets would, with its length and whether it is known to be plain.
struct reader_lines {
  line_reader reader;
  void *source;
  line_text operator()(char *buffer, int size) const noexcept {
    char *line = reader(buffer, size, source);
    return {line, line != nullptr ? std::strlen(line) : 0, false};
  }
};

struct block_lines {
  block_source &blocks;
  line_text operator()(char *buffer, int size) const noexcept {
    return next_block_line(blocks, buffer, size);
  }
};

// Parses a stream the caller opened (see parse_config_stream).
template <typename Deliver>
int parse_stream_with(std::FILE *stream, entry_handler handler, void *user,
                      parse_outcome *outcome) noexcept {
  if (stream == nullptr)
    return fail_input(outcome, parse_error::cannot_read, EINVAL);
  char *storage = static_cast<char *>(std::malloc(block_source::capacity));
  int result = 0;
  int read_error = 0;
  if (storage != nullptr) {
    block_source blocks(stream, storage);
    result = parse_with<Deliver>(block_lines{blocks}, handler, user, outcome);
    read_error = blocks.failed ? blocks.error_number : 0;
    std::free(storage);
  } else {
    result = parse_with<Deliver>(reader_lines{read_stream_line, stream},
                                 handler, user, outcome);
  }
  // A read error cut the input short: what was read is not the whole file,
  // so it must not pass for a clean (or merely bad-lined) parse.
  if (read_error != 0 || std::ferror(stream))
    return fail_input(outcome, parse_error::cannot_read,
                      read_error != 0 ? read_error : EIO);
  return result;
}

// Opens `path` and parses it (see parse_config_file).
template <typename Deliver>
int parse_file_with(const char *path, entry_handler handler, void *user,
                    parse_outcome *outcome) noexcept {
  if (path == nullptr)
    return fail_input(outcome, parse_error::cannot_open, EINVAL);
  std::FILE *stream = std::fopen(path, "r");
  if (stream == nullptr)
    return fail_input(outcome, parse_error::cannot_open, errno);
  const int result = parse_stream_with<Deliver>(stream, handler, user, outcome);
  std::fclose(stream);
  return result;
}

} // namespace quelmix::parse_loop
