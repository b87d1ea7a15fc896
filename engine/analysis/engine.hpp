// SPDX-License-Identifier: MIT
// The diagnostics engine: loads a file exactly as the library does and says,
// line by line and with positions, what the loader did with it. Every tool
// (checker, formatter, language server, record diff) is a front end over it.
//
// It runs the library's own parser and handler over the bytes, with a line
// reader that cuts the very pieces the library reads and remembers where
// each starts, and listens: the parser tells what each line is and where
// its parts stand, and every bad line; the loader tells every line it
// ignores; each stored entry is read back from the record and compared
// with how it is written. It never writes the record itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/messages/kinds.hpp"
#include "loader/loader.hpp"
#include "loader/schema.hpp"

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

// Bytes [begin, end) of a physical line; empty when begin == end.
struct text_span {
  std::uint32_t begin = 0;
  std::uint32_t end = 0;
  bool empty() const noexcept { return begin == end; }
};

struct line_info {
  line_role role = line_role::blank;
  // Read as one piece: no longer than 1023 bytes and without a NUL byte.
  bool whole = true;
  // The code of the section the line is in (a header's own, after it; 0
  // before any header and in sections the loader does not know).
  std::uint32_t section = 0;
  // Byte offsets within the line (a byte-order mark on line 1 counted).
  // An entry's name and value as the parser delivered them (trimmed; the
  // value without its comment), and its "=" or ":"; a header's name
  // between its brackets; a code-block marker's text.
  text_span name, separator, value;
  // A comment line's text, an entry's inline comment, or what follows a
  // header's last "]".
  text_span comment;
  // The line's event (its last piece's, for a line read in pieces) and
  // what the loader said it did with it: `heard` is false for a line
  // without one (blank, comment, code text, a bad line the parser refused).
  bool heard = false;
  event_account account{};
  // What the event stored, as the record held it right after: a stored
  // key's or command's numbers in checked_text::stored_numbers (`count`
  // from `first`), a text key's bytes in checked_text::stored_text.
  std::uint32_t first_stored = 0;
  std::uint16_t stored_count = 0;
  // Its diagnostics: checked_text::diagnostics from `first_diagnostic`.
  std::uint32_t first_diagnostic = 0;
  std::uint32_t diagnostic_count = 0;
};

// What an entry line stored, looked up in the analysis: the numbers the
// record held after it, as the header declares the fields (one for a
// single number or a byte pair, two for a pair, one per value for a
// command), or a text key's text.
struct stored_value {
  const schema::key_spec *key = nullptr; // null: the line stored nothing
  std::vector<std::int64_t> numbers;
  std::string text;
};

// Where the parts of a record came from, for tools that show a record
// beside its file: physical lines, and whether numbers were written in hex.
struct record_origins {
  struct command {
    std::int64_t line;
    std::uint16_t hex; // bit i: value i was written with 0x
  };
  std::vector<command> commands;      // one per command this load appended
  std::vector<std::int64_t> controls; // each control's header line
  std::vector<std::int64_t> codes;    // its code block's start (0: none)
  // By index in schema::keys: the line that last set a camera key (0:
  // none) and whether its first number was written in hex.
  std::int64_t camera_line[schema::KEY_COUNT] = {};
  bool camera_hex[schema::KEY_COUNT] = {};
};

struct checked_text {
  // Errors and warnings in the order of their lines and columns.
  std::vector<diagnostic> diagnostics;
  // What quelmix_parse_config returns for a file of these bytes, and why.
  load_report report;
  // The library's result as a line of the file (0 when the result is not a
  // line), so nobody has to translate between the two numberings.
  std::int64_t result_line = 0;
  // Why the library returns what it does, in words ("code block opened on
  // line 3 is never closed"); empty for 0.
  std::string result_reason;
  // The first bad line as the file numbers it (0 when there is none). It
  // differs from result_line when a code block left open later names the
  // result instead.
  std::int64_t first_error_line = 0;
  std::size_t errors = 0;
  std::size_t warnings = 0;
  // One per physical line of the file (none when not asked for).
  std::vector<line_info> lines;
  // What the lines stored (see line_info), kept with the lines.
  std::vector<std::int64_t> stored_numbers;
  std::string stored_text;
  // Filled when asked for.
  record_origins origins;
};

// What entry line `line` (1-based) stored, from the lines' table.
stored_value stored_by(const checked_text &checked, std::int64_t line);

// What check_text keeps beyond the diagnostics and the result: what each
// line is (a formatter or an editor needs it, a checker does not) and
// where each part of the record came from (a record diff needs it).
struct command_rules;
struct check_options {
  bool lines = true;
  bool origins = false;
  // A project's command rules to hold the commands to (none: no rules).
  const command_rules *rules = nullptr;
};

// Loads `bytes` into `config` (zeroed by the caller, as for the library)
// and explains every line.
checked_text check_text(std::string_view bytes, camera_config &config,
                        check_options options = {});

// What a file that cannot be read gives: the library's -1 and one
// cannot-open or cannot-read diagnostic with the system's words.
checked_text unreadable(parse_error failure, int system_error);

} // namespace quelmix
