// SPDX-License-Identifier: MIT
#include "parser/line_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quelmix {

char *read_stream_line(char *buffer, int size, void *source) noexcept {
  return std::fgets(buffer, size, static_cast<std::FILE *>(source));
}

char *read_string_line(char *buffer, int size, void *source) noexcept {
  auto *text = static_cast<string_source *>(source);
  if (text->left == 0 || size < 2)
    return nullptr;
  const std::size_t room = static_cast<std::size_t>(size) - 1;
  std::size_t count = 0;
  while (count < room && text->left > 0) {
    const char c = *text->next++;
    --text->left;
    buffer[count++] = c;
    if (c == '\n')
      break;
  }
  buffer[count] = '\0';
  return buffer;
}

namespace {

// Refills an exhausted block; false at the end of input or on an error.
bool refill(block_source &source) noexcept {
  if (source.failed || std::feof(source.stream))
    return false;
  source.begin = 0;
  source.end =
      std::fread(source.block, 1, block_source::capacity, source.stream);
  if (source.end == 0 && std::ferror(source.stream)) {
    source.failed = true;
    source.error_number = errno;
  }
  source.holds_nul = std::memchr(source.block, '\0', source.end) != nullptr;
  return source.end > 0;
}

} // namespace

char *read_block_line(char *buffer, int size, void *source) noexcept {
  return next_block_line(*static_cast<block_source *>(source), buffer, size)
      .text;
}

char *copy_block_line(block_source &blocks, char *buffer, std::size_t room,
                      std::size_t &length) noexcept {
  std::size_t count = 0;
  while (count < room) {
    if (blocks.begin == blocks.end && !refill(blocks))
      break;
    const char *from = blocks.block + blocks.begin;
    std::size_t take = blocks.end - blocks.begin;
    if (take > room - count)
      take = room - count;
    const void *newline = std::memchr(from, '\n', take);
    if (newline != nullptr)
      take =
          static_cast<std::size_t>(static_cast<const char *>(newline) - from) +
          1;
    std::memcpy(buffer + count, from, take);
    blocks.begin += take;
    count += take;
    if (newline != nullptr)
      break;
  }
  // Like fgets: nothing read means the end of input, or an error.
  if (count == 0 || blocks.failed)
    return nullptr;
  buffer[count] = '\0';
  length = std::strlen(buffer);
  return buffer;
}

} // namespace quelmix
