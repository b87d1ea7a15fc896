// SPDX-License-Identifier: MIT
// The protocol's values as plain structs. The features build these; only
// protocol.cpp turns them into JSON and reads requests' parameters out of
// JSON, so that the JSON library's templates are compiled in few files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace quelmix::lsp {

using json = nlohmann::json;

namespace protocol {

// A protocol line (0-based, any 64-bit number) as a 1-based line number,
// without overflow: the last number stays the last.
constexpr std::int64_t line_number(std::int64_t line) noexcept {
  return line < 0                                           ? 0
         : line == std::numeric_limits<std::int64_t>::max() ? line
                                                            : line + 1;
}

// A line (0-based) and a character in the client's position encoding.
struct position {
  std::int64_t line = 0;
  std::size_t character = 0;
};

struct range {
  position start, end;
};

struct text_edit {
  range where;
  std::string new_text;
};

struct diagnostic {
  range where;
  int severity = 1; // 1 error, 2 warning
  std::string code;
  std::string message;
};

struct hover {
  bool markdown = true;
  std::string text;
  range where;
};

struct completion_item {
  std::string label;
  int kind = 0;
  std::string detail;
  std::optional<text_edit> edit;
};

struct document_symbol {
  std::string name, detail;
  int kind = 0;
  range where, selection;
};

struct folding_range {
  std::int64_t first = 0, last = 0; // 0-based lines
  const char *kind = "region";
};

struct inlay_hint {
  position where;
  std::string label;
};

// What names a code action whose edit is made when it is resolved.
struct action_data {
  std::string uri;
  long long version = 0;
  std::optional<std::size_t> fix; // a diagnostic's index; none: fix-all
};

// Edits of one document; with a version, sent as versioned
// documentChanges (so that an edit made for a version the client no longer
// has is refused), else as plain changes.
struct workspace_edit {
  std::string uri;
  std::vector<text_edit> edits;
  std::optional<long long> version;
};

struct code_action {
  std::string title;
  std::string kind;
  std::vector<diagnostic> diagnostics;
  std::optional<bool> preferred;
  std::optional<workspace_edit> edit;
  std::optional<action_data> data;
};

// textDocument/codeAction's parameters.
struct action_request {
  std::string uri;
  std::int64_t first = 1, last = 1; // 1-based lines
  bool quick_fixes = true;          // the client wants kind "quickfix"
  bool fix_all = true;              // ... and "source.fixAll"
};

// What a client says of itself and its user sets, as lists of words.
struct client_capabilities {
  std::vector<std::string> position_encodings;
  std::optional<std::vector<std::string>> hover_formats;
  std::vector<std::string> resolvable; // codeAction resolveSupport properties
  bool watches_files = false;          // can register didChangeWatchedFiles
  bool document_changes = false;       // takes versioned documentChanges
};

// One item of the user's checker options; `text` is the JSON of an item
// that is not a string.
struct checker_option {
  std::string text;
  bool is_string = true;
};

// The JSON forms.
void to_json(json &out, const position &p);
void to_json(json &out, const range &r);
void to_json(json &out, const text_edit &e);
void to_json(json &out, const diagnostic &d);
void to_json(json &out, const hover &h);
void to_json(json &out, const completion_item &c);
void to_json(json &out, const document_symbol &s);
void to_json(json &out, const folding_range &f);
void to_json(json &out, const inlay_hint &h);
void to_json(json &out, const action_data &d);
void to_json(json &out, const workspace_edit &e);
void to_json(json &out, const code_action &a);

// Lists as JSON arrays (compiled once, here, not in every caller).
json array_of(const std::vector<diagnostic> &items);
json array_of(const std::vector<completion_item> &items);
json array_of(const std::vector<document_symbol> &items);
json array_of(const std::vector<folding_range> &items);
json array_of(const std::vector<inlay_hint> &items);
json array_of(const std::vector<text_edit> &items);
json array_of(const std::vector<code_action> &items);
json tokens_json(const std::vector<std::uint32_t> &data);
json legend_json(const std::vector<std::string> &types,
                 const std::vector<std::string> &modifiers);

// Requests' parameters.
position position_of(const json &value);
action_request action_request_of(const json &params);
// codeAction/resolve: the document an action names (empty: none), then
// what names the action when it was listed for `version` of it.
std::string resolve_uri(const json &action);
std::optional<action_data> resolve_request_of(const json &action,
                                              long long version);
client_capabilities capabilities_of(const json &capabilities);
// The checker options in settings, wherever the client put them (none
// when the settings name none).
std::optional<std::vector<checker_option>>
checker_options_of(const json &settings);

} // namespace protocol
} // namespace quelmix::lsp
