// SPDX-License-Identifier: MIT
// One version of a document as the engine sees it, and the protocol's
// positions on it: lines and characters in the encoding the client chose
// (UTF-16 code units by default, or UTF-8 bytes).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/analysis/engine.hpp"
#include "protocol.hpp"
#include "warning_options.hpp"

namespace quelmix::lsp {

// What the client asked for and the user set.
struct client_options {
  bool utf8 = false;    // positions count UTF-8 bytes, not UTF-16 units
  bool markdown = true; // hover text in markdown (else plain text)
  // The client resolves a code action's edit (codeAction/resolve).
  bool resolve_edits = false;
  // Workspace edits as versioned documentChanges, so that an edit made for
  // an older version of a document is refused.
  bool document_changes = false;
  tools::warning_options warnings; // the checker's -W options
  // Those options as the editor's settings list them, to apply over a
  // project file's; and the project's command rules (none without one).
  std::vector<std::string> checker_options;
  const command_rules *rules = nullptr;
  // The client can be asked to watch project files.
  bool watches_files = false;
};

// A protocol position as a 1-based line and a byte offset in it.
struct place {
  std::int64_t line;
  std::size_t byte;
};

class analysis {
public:
  analysis(const std::string &text, const client_options &options);

  // Line `number` (1-based) without its line ending; empty past the end.
  std::string_view line(std::int64_t number) const;
  // The engine's view of the line, or null past the end.
  const line_info *info(std::int64_t number) const;
  std::int64_t line_count() const { return index.line_count(); }

  // Protocol positions: byte `byte` of line `number`, and back (a line past
  // the end is the line after the last, the character clamped to its line).
  protocol::position position(std::int64_t number, std::size_t byte) const;
  protocol::range range(std::int64_t number, std::size_t begin,
                        std::size_t end) const;
  std::size_t character(std::int64_t number, std::size_t byte) const;
  place place_of(const protocol::position &position) const;

  const std::string &text;
  const client_options &options;
  line_index index;
  checked_text checked;
};

} // namespace quelmix::lsp
