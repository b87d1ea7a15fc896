// SPDX-License-Identifier: MIT
// The floor for any loader of this record: an fgets loop that also stores a
// fresh entry for every command line (one whose first byte starts a command
// key) in an array that doubles, then walks and frees it. What it stores is
// the line's bytes, not their meaning. Shared by the in-process benchmark
// and quelmix-bench-once's cold runs, so both measure the same loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "quelmix_config_parser.h"

namespace quelmix::bench {

// The sum of every stored value, walked once; -1 when the file cannot be
// opened. Running out of memory ends the reading early.
inline long long store_and_walk(const char *path) {
  std::FILE *stream = std::fopen(path, "r");
  if (stream == nullptr)
    return -1;
  char line[1024];
  config_entry *entries = nullptr;
  std::size_t count = 0;
  std::size_t capacity = 0;
  while (std::fgets(line, sizeof line, stream) != nullptr) {
    if (line[0] != 'R' && line[0] != 'V' && line[0] != 'D')
      continue;
    if (count == capacity) {
      capacity = capacity == 0 ? 100 : capacity * 2;
      auto *grown = static_cast<config_entry *>(
          std::realloc(entries, capacity * sizeof *entries));
      if (grown == nullptr)
        break;
      entries = grown;
    }
    config_entry &entry = entries[count++];
    std::memset(&entry, 0, sizeof entry);
    entry.type = static_cast<std::uint32_t>(line[0]);
    std::memcpy(entry.params, line, 2 * sizeof entry.params[0]);
    entry.params_length = 2;
  }
  std::fclose(stream);
  unsigned walked = 0;
  for (std::size_t i = 0; i < count; ++i)
    for (unsigned j = 0; j < entries[i].params_length; ++j)
      walked += entries[i].params[j];
  std::free(entries);
  return walked;
}

} // namespace quelmix::bench
