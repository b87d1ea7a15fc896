// SPDX-License-Identifier: MIT
// The diagnostics engine: loads a file exactly as the library does and says,
// line by line and with positions, what the loader did with it. Every tool
// (checker, formatter, language server) is a front end over it.
//
// It runs the library's own parser and handler over the bytes, with a line
// reader that behaves like the library's and remembers where each piece
// starts, and listens to the parser (every bad line), the loader (every
// line it ignores) and each entry as it is stored (values the loader reads
// otherwise than they are written). It never writes the record itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/diagnostic.hpp"
#include "loader/loader.hpp"

namespace quelmix {

// Where the physical lines of a text start, and positions within them.
class line_index {
public:
  explicit line_index(std::string_view text);
  // 1-based line and column of byte `offset`.
  std::int64_t line_of(std::size_t offset) const;
  std::int64_t column_of(std::size_t offset) const;
  // The bytes of line `line` (1-based) without its newline.
  std::string_view line_text(std::int64_t line) const;
  std::size_t line_start(std::int64_t line) const;
  std::int64_t line_count() const {
    return static_cast<std::int64_t>(starts_.size());
  }

private:
  std::string_view text_;
  std::vector<std::size_t> starts_;
};

// What a physical line of the file is to the parser.
enum class line_role : std::uint8_t {
  blank,       // nothing but blanks
  comment,     // a comment line
  header,      // a section header the parser read
  entry,       // a `name = value` line
  block_start, // a code block's start marker
  block_text,  // a line inside a code block
  block_end,   // a code block's end marker
  bad,         // a line the library refuses (the header that cut a block too)
};

struct line_info {
  line_role role = line_role::blank;
  // Read as one piece: no longer than 1023 bytes and without a NUL byte.
  bool whole = true;
  // The code of the section the line is in (a header's own, after it; 0
  // before any header and in sections the loader does not know).
  std::uint32_t section = 0;
  // For an entry: byte offsets within the line of the name and the value
  // as the parser delivered them (trimmed; the value without its comment).
  std::uint32_t name_begin = 0, name_end = 0;
  std::uint32_t value_begin = 0, value_end = 0;
};

struct checked_text {
  // Errors and warnings in the order of their lines and columns.
  std::vector<diagnostic> diagnostics;
  // What quelmix_parse_config returns for a file of these bytes, and why.
  load_report report;
  // The library's result as a line of the file (0 when the result is not a
  // line), so nobody has to translate between the two numberings.
  std::int64_t result_line = 0;
  std::size_t errors = 0;
  std::size_t warnings = 0;
  // One per physical line of the file.
  std::vector<line_info> lines;
};

// Loads `bytes` into `config` (zeroed by the caller, as for the library)
// and explains every line.
checked_text check_text(std::string_view bytes, camera_config &config);

// Reads a whole file, or standard input for "-". Returns cannot_open or
// cannot_read, with errno in `error`, when it cannot; none otherwise.
parse_error read_input(const char *path, std::string &bytes, int &error);

// read_input and check_text; a file that cannot be read gives the
// library's -1 and one cannot-open or cannot-read diagnostic.
checked_text check_file(const char *path, camera_config &config,
                        std::string *bytes = nullptr);

} // namespace quelmix
