// SPDX-License-Identifier: MIT
// The canonical layout of a configuration file, which never changes what a
// host loads from it.
//
// Entries read `KEY = VALUE`, list values `1, 2, 3`, an inline comment one
// blank after the value; headers, comments, numbers and their spelling stay
// as written; exactly one blank line before each header, at most one blank
// line in a row elsewhere, none at the start or the end; trailing blanks
// go. Code blocks, lines the library refuses, lines it reads in pieces and
// lines holding a NUL byte are left exactly as they are. Line endings (LF
// or CR LF, line by line) and a leading byte-order mark are kept.
//
// Every rewritten line is parsed again and must give the parser's very
// event; and the whole result must load into the same record with the same
// kind of result, or the text is returned unchanged.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quelmix {

struct formatted_text {
  std::string text;
  // True when the layout was given up because the formatted text would
  // have loaded differently (a fault of the formatter; never expected).
  bool gave_up = false;
};

formatted_text format_text(std::string_view bytes);

struct line_info;

// The layout alone, from an analysis of `bytes` already made (its lines):
// no load compares it with `bytes`; the caller guards it.
std::string lay_out(std::string_view bytes,
                    const std::vector<line_info> &lines);

} // namespace quelmix
