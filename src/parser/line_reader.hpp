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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
  // The block holds a NUL: its lines' lengths are then measured as strings
  // (one search per block keeps that off every other line).
  bool holds_nul = false;

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
// slow half, which copies into `buffer`. `length` receives the line's length
// as a string.
char *copy_block_line(block_source &blocks, char *buffer, std::size_t room,
                      std::size_t &length) noexcept;

// A line as the parser's own loop takes it: its text (null at the end of
// input), its length as a string, and whether it is known to be plain:
// without ";" and "/", so that it can hold no comment.
struct line_text {
  char *text;
  std::size_t length;
  bool plain;
};

// Where a line ends, as the block reader finds it: the first newline of the
// bytes searched (null when there is none), and whether a ";" or "/" may
// stand before it (true whenever that was not looked at: such a line is
// searched for its comment).
struct line_end {
  char *newline;
  bool marked;
};

// Most lines are short: where the machine has SSE2 (every x86-64 does),
// sixteen bytes at a time are compared with the newline and the two comment
// marks at once, inline, which costs a short line less than a call of
// memchr. Loads stay inside the bytes given; the last few go to memchr.
inline line_end find_line_end(char *p, std::size_t size) noexcept {
  std::size_t at = 0;
#if defined(__SSE2__)
  const __m128i newline = _mm_set1_epi8('\n');
  const __m128i semicolon = _mm_set1_epi8(';');
  const __m128i slash = _mm_set1_epi8('/');
  unsigned marked = 0;
  for (; size - at >= 16; at += 16) {
    const __m128i bytes =
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + at));
    const auto ends = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, newline)));
    const auto marks = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
        _mm_cmpeq_epi8(bytes, semicolon), _mm_cmpeq_epi8(bytes, slash))));
    if (ends != 0) {
      const unsigned first = static_cast<unsigned>(__builtin_ctz(ends));
      const unsigned before = (1u << first) - 1;
      return {p + at + first, (marked | (marks & before)) != 0};
    }
    marked |= marks;
  }
#endif
  return {static_cast<char *>(std::memchr(p + at, '\n', size - at)), true};
}

// read_block_line's common case inline, for the parser's own loop: a line
// that lies whole in the block is handed out where it stands.
inline line_text next_block_line(block_source &blocks, char *buffer,
                                 int size) noexcept {
  if (size < 2)
    return {nullptr, 0, false};
  const std::size_t room = static_cast<std::size_t>(size) - 1;
  char *const line = blocks.block + blocks.begin;
  const std::size_t available = blocks.end - blocks.begin;
  const line_end found =
      find_line_end(line, available < room ? available : room);
  if (char *newline = found.newline) {
    *newline = '\0';
    const auto length = static_cast<std::size_t>(newline - line);
    blocks.begin += length + 1;
    if (blocks.holds_nul) [[unlikely]]
      return {line, std::strlen(line), false};
    return {line, length, !found.marked};
  }
  std::size_t length = 0;
  char *copied = copy_block_line(blocks, buffer, room, length);
  return {copied, length, false};
}

} // namespace quelmix
