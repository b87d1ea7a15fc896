// SPDX-License-Identifier: MIT
// Sources of lines for the parser.
//
// A line reader fills `buffer` with the next line and returns it, or returns
// null at the end of input. A line is at most size - 1 bytes; it ends after a
// newline (which stays in the line), at the end of input, or when the size is
// used up; the buffer is always terminated. Once a reader has returned null
// it returns null on every later call. This is the contract of std::fgets.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace quelmix {

using line_reader = char *(*)(char *buffer, int size, void *source);

// Reads a stream with std::fgets. `source` is the FILE*.
char *read_stream_line(char *buffer, int size, void *source) noexcept;

// An in-memory text: the next unread byte and the count of bytes left.
struct string_source {
  const char *next;
  std::size_t left;
};

// Reads a string_source; null when no bytes are left or size is below 2.
char *read_string_line(char *buffer, int size, void *source) noexcept;

// A stream read in large blocks, cut into the very lines std::fgets would
// deliver, without fgets' per-line locking and copying. The block lives on
// the heap (a parse must fit a small thread stack); the caller allocates it.
struct block_source {
  static constexpr std::size_t capacity = 32 * 1024;
  std::FILE *stream;
  char *block;           // `capacity` bytes, filled by fread
  std::size_t begin = 0; // first unread byte of `block`
  std::size_t end = 0;   // one past the last byte read into `block`
  bool failed = false;   // the stream reported a read error
  int error_number = 0;  // errno of that error

  block_source(std::FILE *s, char *storage) noexcept
      : stream(s), block(storage) {}
};

// Reads a block_source; sets `failed` (and returns null) on a read error.
//
// Delivers the same lines as std::fgets with one difference the parser
// allows for: a line that lies whole inside the current block is handed out
// in place, its newline overwritten by the terminator, instead of being
// copied into `buffer` (only lines that cross a block's end, or need cutting
// at size - 1 bytes, are copied, newline kept). The parser strips trailing
// whitespace from every line before it looks at it, so both forms mean the
// same. A line handed out in place stays valid until the next call.
char *read_block_line(char *buffer, int size, void *source) noexcept;

// The lines that cross a block's end or need cutting: read_block_line's
// slow half, which copies into `buffer`.
char *copy_block_line(block_source &blocks, char *buffer,
                      std::size_t room) noexcept;

// read_block_line's common case inline, for the parser's own loop: a line
// that lies whole in the block is handed out where it stands.
inline char *next_block_line(block_source &blocks, char *buffer,
                             int size) noexcept {
  if (size < 2)
    return nullptr;
  const std::size_t room = static_cast<std::size_t>(size) - 1;
  char *const line = blocks.block + blocks.begin;
  const std::size_t available = blocks.end - blocks.begin;
  if (void *found =
          std::memchr(line, '\n', available < room ? available : room)) {
    char *newline = static_cast<char *>(found);
    *newline = '\0';
    blocks.begin += static_cast<std::size_t>(newline - line) + 1;
    return line;
  }
  return copy_block_line(blocks, buffer, room);
}

} // namespace quelmix
