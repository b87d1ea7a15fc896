// SPDX-License-Identifier: MIT
#include "engine/analysis/engine.hpp"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/analysis/command_rules.hpp"
#include "engine/analysis/control_checks.hpp"
#include "engine/analysis/markers.hpp"
#include "engine/analysis/suppressions.hpp"
#include "engine/analysis/values.hpp"
#include "engine/messages/describe.hpp"
#include "engine/messages/warnings.hpp"
#include "engine/messages/words.hpp"
#include "loader/convert.hpp"
#include "loader/fields.hpp"
#include "loader/tables.hpp"
#include "parser/line_reader.hpp"
#include "parser/text.hpp"

namespace quelmix {

line_index::line_index(std::string_view text) : text_(text) {
  starts_.push_back(0);
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n' && i + 1 < text.size())
      starts_.push_back(i + 1);
}

std::int64_t line_index::line_of(std::size_t offset) const {
  return std::upper_bound(starts_.begin(), starts_.end(), offset) -
         starts_.begin();
}

std::int64_t line_index::column_of(std::size_t offset) const {
  return static_cast<std::int64_t>(offset - line_start(line_of(offset))) + 1;
}

std::size_t line_index::line_start(std::int64_t line) const {
  return starts_[static_cast<std::size_t>(line - 1)];
}

std::string_view line_index::line_text(std::int64_t line) const {
  const std::size_t begin = line_start(line);
  std::size_t end = line < line_count()
                        ? starts_[static_cast<std::size_t>(line)]
                        : text_.size();
  if (end > begin && text_[end - 1] == '\n')
    --end;
  return text_.substr(begin, end - begin);
}

checked_text unreadable(parse_error failure, int system_error) {
  checked_text failed;
  failed.report.parse.line = -1;
  failed.report.parse.error = failure;
  failed.report.parse.system_error = system_error;
  const problem_words words = describe_problem(failure, load_error::none);
  failed.result_reason =
      std::string(words.words) + ": " + std::strerror(system_error);
  failed.diagnostics.push_back(
      {words.kind, 0, 0, failed.result_reason, "", -1});
  failed.errors = 1;
  return failed;
}

namespace {

// One check_text call: the library's parse with its listeners attached.
struct engine {
  std::string_view bytes;
  line_index lines;
  camera_config &config;
  // Where the pieces the parser read start. A piece starts a physical line
  // unless the line before it was longer than a piece: only those
  // continuations are kept, with their library line, so that a file of
  // short lines costs nothing here.
  struct continuation {
    std::int64_t library_line;
    std::size_t offset;
  };
  std::vector<continuation> continuations;
  std::int64_t pieces_read = 0;
  std::size_t last_piece = 0; // where the piece read last starts
  string_source source;
  load_context context;
  parse_outcome outcome;
  load_observer observer{};
  parse_listener listener{};
  std::vector<diagnostic> found;
  std::vector<line_info> roles; // by physical line - 1, when kept
  line_info scratch;            // what is noted when they are not
  // The line in hand, as the parser told it, and where its piece starts.
  line_event current;
  std::size_t current_piece = 0;
  // The current section's name as the handler heard it, and whether a
  // header has been read at all.
  std::string section;
  bool header_seen = false;
  // Where the open (or last) code block's start marker stands.
  std::size_t block_marker = 0;
  // What the loader said it did with the event in hand.
  event_account account;
  // The line in hand looks like a code-block marker and is not one: its
  // warning says more than the loader's complaint about an empty key.
  bool near_miss = false;
  // A header that an open code block swallowed: the section did not change,
  // so until the next header the loader's complaints about keys would blame
  // the wrong cause (the error on that header says what happened).
  bool header_swallowed = false;
  // The line of a header without "]" whose lines stay in the section before
  // it: the loader's complaints about their keys name that cause.
  std::int64_t open_header_line = 0;
  // The first bad line as the library numbers it (an open code block may
  // name the result instead).
  std::int64_t first_error = 0;
  // Memory ran out in the engine's own work (not the loader's).
  bool out_of_memory = false;
  // The file's suppression comments.
  std::vector<suppression> suppressions;

  // Where the record's parts came from, when asked.
  bool keep_origins = false;
  record_origins origins;
  // What the lines stored, kept when the caller keeps the lines.
  bool keep_values = false;
  std::vector<std::int64_t> stored_numbers;
  std::string stored_text;

  engine(std::string_view text, camera_config &record,
         const check_options &options)
      : bytes(text), lines(text),
        config(record), source{text.data(), text.size()}, context{&record},
        roles(options.lines ? static_cast<std::size_t>(lines.line_count()) : 0),
        keep_origins(options.origins) {}

  std::size_t piece_offset(std::int64_t library_line) const {
    if (library_line < 1 || pieces_read == 0)
      return 0;
    library_line = std::min(library_line, pieces_read);
    const auto after = std::upper_bound(
        continuations.begin(), continuations.end(), library_line,
        [](std::int64_t l, const continuation &c) {
          return l < c.library_line;
        });
    if (after != continuations.begin() &&
        std::prev(after)->library_line == library_line)
      return std::prev(after)->offset;
    const auto earlier = after - continuations.begin();
    return lines.line_start(library_line - earlier);
  }

  // The file offset of byte `at` of the line in hand.
  std::size_t offset_in_line(std::uint32_t at) const {
    return current_piece + at;
  }

  line_info &role_of(std::size_t offset) {
    if (roles.empty())
      return scratch;
    return roles[static_cast<std::size_t>(lines.line_of(offset) - 1)];
  }

  // A span of the line in hand as a span of its physical line.
  text_span physical(line_span span) const {
    const auto shift = static_cast<std::uint32_t>(
        current_piece - lines.line_start(lines.line_of(current_piece)));
    return {span.begin + shift, span.end + shift};
  }

  void add(diagnostic_kind kind, std::size_t offset, std::int64_t library_line,
           std::string message, std::string hint = {},
           std::optional<quelmix::fix> remedy = std::nullopt) {
    found.push_back(diagnostic{
        kind, lines.line_of(offset), lines.column_of(offset),
        std::move(message), std::move(hint), library_line, std::move(remedy)});
  }

  // Bytes of the line in hand.
  std::string_view text_of(line_span span) const {
    return bytes.substr(offset_in_line(span.begin), span.end - span.begin);
  }
};

// Renames a key or section that is near a known one: safe when only letter
// case or outer blanks differ, unsafe for a near miss.
std::optional<quelmix::fix> rename_fix(const engine &e, const name_guess &guess,
                                       bool header) {
  if (guess.name.empty())
    return std::nullopt;
  const line_span span = e.current.name;
  line_promise promise{header, std::string(guess.name), {}};
  if (!header)
    promise.value = e.text_of(e.current.value);
  return quelmix::fix{"rename to " + std::string(guess.name),
                      guess.exact ? fix_safety::safe : fix_safety::unsafe,
                      {{e.offset_in_line(span.begin),
                        e.offset_in_line(span.end), std::string(guess.name)}},
                      promise};
}

// What is known of a name the loader did not know, and how to mend it.
std::optional<quelmix::fix> unknown_name_fix(const engine &e,
                                             const load_warning &warning) {
  if (warning.kind == warning_kind::unknown_section &&
      e.current.kind == line_kind::header)
    return rename_fix(e, guess_section(warning.section), true);
  if (warning.kind != warning_kind::unknown_key ||
      e.current.kind != line_kind::entry)
    return std::nullopt;
  const schema::record_kind record =
      schema::keys_of_section(e.context.section_code);
  if (record == schema::record_kind::none)
    return std::nullopt;
  return rename_fix(e, guess_key(record, warning.name), false);
}

char *read_piece_unguarded(char *buffer, int size, void *user) {
  auto &e = *static_cast<engine *>(user);
  const std::size_t offset = e.bytes.size() - e.source.left;
  char *line = read_string_line(buffer, size, &e.source);
  if (line == nullptr)
    return nullptr;
  ++e.pieces_read;
  e.last_piece = offset;
  if (offset > 0 && e.bytes[offset - 1] != '\n')
    e.continuations.push_back({e.pieces_read, offset});
  return line;
}

line_role role_for(line_kind kind) {
  switch (kind) {
  case line_kind::blank:
    return line_role::blank;
  case line_kind::comment:
    return line_role::comment;
  case line_kind::header:
    return line_role::header;
  case line_kind::entry:
    return line_role::entry;
  case line_kind::block_start:
    return line_role::block_start;
  case line_kind::block_text:
    return line_role::block_text;
  case line_kind::block_end:
    return line_role::block_end;
  case line_kind::bad_header:
  case line_kind::bad_entry:
  case line_kind::block_cut:
    break;
  }
  return line_role::bad;
}

// What is wrong with a marker-like line: spelt otherwise than the marker,
// or the marker itself where it is not one (an end marker outside a block,
// a start marker with a comment after it).
std::string marker_words(const line_event &event, std::string_view text,
                         marker meant) {
  if (event.kind == line_kind::block_text)
    return quoted(text) + " is not the end marker; the code block goes on";
  if (!equals_ignoring_case(std::string(text).c_str(), spelling(meant)))
    return quoted(text) +
           " is not a code-block marker; the library reads an entry";
  if (meant == marker::end)
    return "end marker outside a code block; the library reads an entry";
  return "a start marker with a comment after it is no marker; the library "
         "reads an entry";
}

// A line that reads like a code-block marker but is not one: an entry, or
// in a block a line that was meant to end it.
void check_marker_spelling(engine &e, const line_event &event) {
  const bool in_block = event.kind == line_kind::block_text;
  const std::size_t begin =
      e.offset_in_line(in_block ? event.value.begin : event.name.begin);
  const std::size_t end = e.offset_in_line(event.value.end);
  const std::string_view text = trim(e.bytes.substr(begin, end - begin));
  const marker meant = near_miss_marker(text);
  if (meant == marker::none || (in_block && meant != marker::end))
    return;
  e.near_miss = true;
  const bool exact =
      equals_ignoring_case(std::string(text).c_str(), spelling(meant));
  std::string hint = std::string("the marker is written ") + spelling(meant) +
                     " (six \"=\" on each side; letter case does not matter)";
  if (exact)
    hint = meant == marker::end
               ? std::string("a code block starts with ") + CODE_BLOCK_START
               : std::string("put the comment on a line of its own");
  const auto at = static_cast<std::size_t>(text.data() - e.bytes.data());
  std::optional<quelmix::fix> remedy;
  if (!exact)
    remedy = quelmix::fix{std::string("write the marker ") + spelling(meant),
                          fix_safety::unsafe,
                          {{at, at + text.size(), spelling(meant)}},
                          std::nullopt};
  e.add(diagnostic_kind::near_miss_marker, at, event.line,
        marker_words(event, text, meant), hint, std::move(remedy));
}

// A suppression comment: a comment line silences the line after it, an
// inline comment (or one after a header) its own line.
void note_suppression(engine &e, const line_event &event) {
  if (event.comment.empty() ||
      (event.kind != line_kind::comment && event.kind != line_kind::entry &&
       event.kind != line_kind::header))
    return;
  std::optional<suppression> s = parse_suppression(e.text_of(event.comment));
  if (!s)
    return;
  s->at = e.offset_in_line(event.comment.begin);
  s->line = e.lines.line_of(s->at);
  const std::size_t start = e.lines.line_start(s->line);
  s->target = event.kind == line_kind::comment ? s->line + 1 : s->line;
  const std::size_t comment_end = e.offset_in_line(event.comment.end);
  if (!s->alone) {
    // Only the suppression goes; the author's words stay.
    std::size_t end = s->at + s->end;
    while (end < comment_end && is_space(e.bytes[end]))
      ++end;
    s->removal = {s->at + s->begin, end, ""};
  } else if (event.kind == line_kind::comment) {
    const std::size_t next = s->line < e.lines.line_count()
                                 ? e.lines.line_start(s->line + 1)
                                 : e.bytes.size();
    s->removal = {start, next, ""};
  } else {
    std::size_t begin = s->at;
    while (begin > start && is_space(e.bytes[begin - 1]))
      --begin;
    s->removal = {begin, comment_end, ""};
  }
  e.suppressions.push_back(std::move(*s));
}

void on_line_unguarded(void *user, const line_event &event) {
  auto &e = *static_cast<engine *>(user);
  e.current = event; // always the line just read
  e.current_piece = e.last_piece;
  e.near_miss = false;
  line_info &info = e.role_of(e.current_piece);
  info.role = role_for(event.kind);
  info.name = e.physical(event.name);
  info.separator = e.physical(event.separator);
  info.value = e.physical(event.value);
  info.comment = e.physical(event.comment);
  if (event.kind == line_kind::block_start)
    e.block_marker = e.offset_in_line(event.name.begin);
  if (event.kind == line_kind::entry || event.kind == line_kind::block_text)
    check_marker_spelling(e, event);
  note_suppression(e, event);
}

// Where an event's complaint belongs: a header's "[", an entry's key, a
// code block's start marker.
std::size_t event_offset(const engine &e) {
  switch (e.current.kind) {
  case line_kind::header:
  case line_kind::bad_header:
    return e.offset_in_line(e.current.name.begin - 1);
  case line_kind::block_end:
  case line_kind::block_cut:
    return e.block_marker;
  default:
    return e.offset_in_line(e.current.name.begin);
  }
}

void on_warning_unguarded(void *user, const load_warning &warning) {
  auto &e = *static_cast<engine *>(user);
  const bool key_complaint = warning.kind == warning_kind::unknown_key ||
                             warning.kind == warning_kind::command_out_of_place;
  if ((e.header_swallowed && key_complaint) ||
      (e.near_miss &&
       (key_complaint || warning.kind == warning_kind::key_before_section)))
    return;
  warning_text text = describe_warning(warning);
  if (e.open_header_line > 0 &&
      (key_complaint || warning.kind == warning_kind::key_before_section))
    text.hint = "the header on line " + std::to_string(e.open_header_line) +
                " has no closing \"]\", so this line is read " +
                (e.header_seen ? "in section " + quoted(e.section)
                               : std::string("before any section header"));
  std::size_t offset = event_offset(e);
  if (warning.kind == warning_kind::value_cut)
    offset = e.offset_in_line(e.current.value.begin) + warning.count;
  const std::int64_t line = e.current.kind == line_kind::block_end
                                ? e.current.block_line
                                : e.current.line;
  e.add(text.kind, offset, line, std::move(text.message), std::move(text.hint),
        unknown_name_fix(e, warning));
}

// The start of value number `index` (0-based) of a list, as an offset in
// the value, skipping the empty pieces as the loader does.
std::size_t list_value(const char *value, unsigned index) {
  for (const char *p = skip_empty_pieces(value); *p != '\0';
       p = skip_empty_pieces(piece_end(p)))
    if (index-- == 0)
      return static_cast<std::size_t>(p - value);
  return 0;
}

// Said of an error in a piece that does not start its line.
std::string continuation_note(const engine &e, std::int64_t library_line) {
  const std::int64_t column = e.lines.column_of(e.piece_offset(library_line));
  if (column == 1)
    return "";
  return " (this line is longer than 1023 bytes; the library reads it in "
         "pieces and takes the piece from column " +
         std::to_string(column) + " for a line of its own)";
}

std::string section_words(const engine &e) {
  if (!e.header_seen)
    return "stay before any section header";
  return "stay in section " + quoted(e.section);
}

// Where an end marker goes for a block that runs up to `limit` (a line's
// start, or the end of the file): after the block's last line that is not
// blank, so that blank lines before `limit` do not become code text.
std::size_t after_last_text(std::string_view bytes, std::size_t limit) {
  std::size_t end = limit;
  while (end > 0 && is_space(bytes[end - 1]))
    --end;
  const std::size_t newline = bytes.find('\n', end);
  return newline == std::string_view::npos || newline >= limit ? limit
                                                               : newline + 1;
}

// The end marker as a line of its own after the block's last text before
// `limit` (a line's start, or the end of the file), with the file's own
// line ending.
quelmix::fix close_block_fix(const engine &e, std::size_t limit) {
  const std::size_t at = after_last_text(e.bytes, limit);
  const std::size_t newline = e.bytes.find('\n');
  const std::string ending = newline != std::string_view::npos && newline > 0 &&
                                     e.bytes[newline - 1] == '\r'
                                 ? "\r\n"
                                 : "\n";
  std::string text = std::string(CODE_BLOCK_END) + ending;
  if (at == e.bytes.size() && at > 0 && e.bytes[at - 1] != '\n')
    text = ending + text;
  return {std::string("insert ") + CODE_BLOCK_END,
          fix_safety::unsafe,
          {{at, at, text}},
          std::nullopt};
}

void unclosed_block(engine &e, const parse_problem &problem) {
  const std::string opened =
      std::to_string(e.lines.line_of(e.piece_offset(problem.block_line)));
  if (e.current.kind == line_kind::block_cut &&
      e.current.line == problem.line) {
    e.header_swallowed = true;
    const std::size_t header_line = e.lines.line_start(
        e.lines.line_of(e.offset_in_line(e.current.name.begin)));
    e.add(diagnostic_kind::unclosed_code_block,
          e.offset_in_line(e.current.name.begin), problem.line,
          "code block opened on line " + opened +
              " is not closed before this header; the block is dropped and "
              "the header is not read",
          std::string("close the block with ") + CODE_BLOCK_END +
              " before the header; until the next header the lines below " +
              section_words(e),
          close_block_fix(e, header_line));
    return;
  }
  e.add(diagnostic_kind::unclosed_code_block, e.block_marker, problem.line,
        "code block opened on line " + opened +
            " is never closed: it runs to the end of the file and is dropped",
        std::string("close it with ") + CODE_BLOCK_END,
        close_block_fix(e, e.bytes.size()));
}

// A header whose "]" is simply missing gets one; an entry whose first word
// is a key of its section gets the "=" after it. Not when a comment cut the
// line short: what was meant there is anyone's guess.
std::optional<quelmix::fix> bad_line_fix(const engine &e) {
  if (!e.current.comment.empty())
    return std::nullopt;
  const line_event &line = e.current;
  if (line.kind == line_kind::bad_header) {
    const std::size_t end = e.offset_in_line(line.name.end);
    return quelmix::fix{
        "close the header with ']'",
        fix_safety::unsafe,
        {{end, end, "]"}},
        line_promise{true, std::string(e.text_of(line.name)), {}}};
  }
  if (line.kind != line_kind::bad_entry)
    return std::nullopt;
  const std::string_view text = e.text_of(line.name);
  const std::size_t word = std::min(text.find_first_of(" \t"), text.size());
  const schema::record_kind record =
      schema::keys_of_section(e.context.section_code);
  if (word == text.size() ||
      schema::find_key(record, text.substr(0, word)) == nullptr)
    return std::nullopt;
  const std::size_t at = e.offset_in_line(line.name.begin) + word;
  return quelmix::fix{"insert '=' after " + std::string(text.substr(0, word)),
                      fix_safety::unsafe,
                      {{at, at, " ="}},
                      line_promise{false, std::string(text.substr(0, word)),
                                   std::string(trim(text.substr(word)))}};
}

// The hint for a header or entry that a comment cut short.
std::string comment_hint(const engine &e) {
  if (e.current.comment.empty())
    return "";
  const char first = e.bytes[e.offset_in_line(e.current.comment.begin)];
  if (first != ';' && first != '/')
    return "";
  return "a \";\" or \"//\" after a blank starts a comment";
}

void on_problem_unguarded(void *user, const parse_problem &problem) {
  auto &e = *static_cast<engine *>(user);
  if (e.first_error == 0 || problem.line < e.first_error)
    e.first_error = problem.line;
  if (problem.error == parse_error::unterminated_code_block) {
    unclosed_block(e, problem);
    return;
  }
  const load_error refused = e.context.last_error;
  e.role_of(e.current_piece).role = line_role::bad;
  std::size_t offset = event_offset(e);
  if (problem.error == parse_error::rejected &&
      refused == load_error::too_many_values &&
      e.current.kind == line_kind::entry)
    offset =
        e.offset_in_line(e.current.value.begin) +
        list_value(e.bytes.data() + e.offset_in_line(e.current.value.begin),
                   CONFIG_MAX_PARAMS);
  std::string hint =
      problem.error == parse_error::rejected ? std::string() : comment_hint(e);
  if (problem.error == parse_error::unclosed_header) {
    e.open_header_line = e.lines.line_of(offset);
    hint += std::string(hint.empty() ? "" : "; ") +
            "until the next header the lines below " + section_words(e);
  }
  const problem_words words = describe_problem(problem.error, refused);
  e.add(words.kind, offset, problem.line,
        std::string(words.words) + continuation_note(e, problem.line), hint,
        bad_line_fix(e));
}

// The part of the record the loader says the entry in hand wrote.
const void *written_part(const engine &e) {
  const camera_config &c = e.config;
  switch (e.account.part) {
  case stored_part::camera_key:
    return &c;
  case stored_part::control_key:
    return &c.controls[e.account.index];
  case stored_part::command:
    return &c.configs[e.account.index];
  default:
    return nullptr;
  }
}

void check_entry(engine &e, const char *name, const char *value) {
  const schema::key_spec *key =
      schema::find_key(schema::keys_of_section(e.context.section_code), name);
  if (key == nullptr)
    return;
  const std::size_t base = e.offset_in_line(e.current.value.begin);
  for (value_finding &f : check_value(*key, value, written_part(e))) {
    if (f.fix)
      for (text_edit &edit : f.fix->edits) {
        edit.begin += base;
        edit.end += base;
      }
    e.add(f.kind, base + f.at, e.current.line, std::move(f.message),
          std::move(f.hint), std::move(f.fix));
  }
}

// Keeps what the entry in hand stored, read from the part the loader
// names while it holds what this line wrote (a later line may overwrite
// it), and the key's row (for a command too).
void keep_stored(engine &e, line_info &info, const char *name) {
  const void *part = written_part(e);
  const schema::key_spec *key =
      schema::find_key(schema::keys_of_section(e.context.section_code), name);
  if (part == nullptr || key == nullptr)
    return;
  info.account.key = static_cast<std::uint16_t>(schema::index_of(*key));
  const auto append = [&](std::int64_t value) {
    e.stored_numbers.push_back(value);
  };
  info.first_stored = static_cast<std::uint32_t>(e.stored_numbers.size());
  switch (key->how) {
  case schema::conversion::text: {
    const std::string_view text(text_field(part, key->field));
    info.first_stored = static_cast<std::uint32_t>(e.stored_text.size());
    info.stored_count = static_cast<std::uint16_t>(text.size());
    e.stored_text += text;
    return;
  }
  case schema::conversion::command: {
    const auto &entry = *static_cast<const config_entry *>(part);
    std::for_each(entry.params, entry.params + entry.params_length, append);
    info.stored_count = static_cast<std::uint16_t>(entry.params_length);
    return;
  }
  case schema::conversion::pair:
    append(read_number(part, key->field));
    append(read_number(part, key->second));
    info.stored_count = 2;
    return;
  default:
    append(read_number(part, key->field));
    info.stored_count = 1;
    return;
  }
}

// The loader's account of the event in hand, on its line.
void note_account(engine &e, const char *name) {
  if (e.roles.empty())
    return;
  line_info &info = e.role_of(e.current_piece);
  info.heard = true;
  info.account = e.account;
  info.stored_count = 0;
  if (e.keep_values && e.account.outcome == event_outcome::stored &&
      e.current.kind == line_kind::entry)
    keep_stored(e, info, name);
}

// Bit i set when number i of a list was written in hex.
std::uint16_t hex_values(const char *value) {
  std::uint16_t mask = 0;
  unsigned index = 0;
  for (const char *p = skip_empty_pieces(value); *p != '\0' && index < 16;
       p = skip_empty_pieces(piece_end(p)), ++index)
    if (scan_number(p).hex)
      mask = static_cast<std::uint16_t>(mask | (1u << index));
  return mask;
}

// Notes which line made what the loader says the event stored.
void note_origin(engine &e, const char *value) {
  const std::int64_t line = e.lines.line_of(e.current_piece);
  record_origins &o = e.origins;
  switch (e.account.part) {
  case stored_part::command:
    o.commands.push_back({line, hex_values(value)});
    break;
  case stored_part::control:
    o.controls.push_back(line);
    o.codes.push_back(0);
    break;
  case stored_part::code:
    o.codes[e.account.index] =
        e.lines.line_of(e.piece_offset(e.current.block_line));
    break;
  case stored_part::camera_key:
    o.camera_line[e.account.key] = line;
    o.camera_hex[e.account.key] = hex_values(value) & 1;
    break;
  default:
    break;
  }
}

int on_event_unguarded(void *user, const char *section, const char *name,
                       const char *value) {
  auto &e = *static_cast<engine *>(user);
  e.account = event_account{};
  const bool header = e.current.kind == line_kind::header;
  if (header) {
    e.header_swallowed = false;
    e.open_header_line = 0;
    e.header_seen = true;
    e.section = section;
  }
  const int accepted = config_handler(&e.context, section, name, value);
  if (header)
    e.role_of(e.current_piece).section = e.context.section_code;
  note_account(e, name);
  if (e.account.outcome != event_outcome::stored)
    return accepted;
  if (e.keep_origins)
    note_origin(e, value);
  if (e.current.kind == line_kind::entry)
    check_entry(e, name, value);
  return accepted;
}

// The library calls these from code that may not throw: memory running out
// in the engine is noted, the rest of the input is not read, and
// check_text reports it once the parse is back.
template <typename Body> void guarded(void *user, Body body) noexcept {
  auto &e = *static_cast<engine *>(user);
  if (e.out_of_memory)
    return;
  try {
    body();
  } catch (const std::bad_alloc &) {
    e.out_of_memory = true;
  }
}

char *read_piece(char *buffer, int size, void *user) noexcept {
  char *line = nullptr;
  guarded(user, [&] { line = read_piece_unguarded(buffer, size, user); });
  return static_cast<engine *>(user)->out_of_memory ? nullptr : line;
}

void on_line(void *user, const line_event &event) noexcept {
  guarded(user, [&] { on_line_unguarded(user, event); });
}

void on_warning(void *user, const load_warning &warning) noexcept {
  guarded(user, [&] { on_warning_unguarded(user, warning); });
}

// Kept until the event's own callback returns: nothing here can fail.
void on_account(void *user, const event_account &account) noexcept {
  static_cast<engine *>(user)->account = account;
}

void on_problem(void *user, const parse_problem &problem) noexcept {
  guarded(user, [&] { on_problem_unguarded(user, problem); });
}

int on_event(void *user, const char *section, const char *name,
             const char *value) noexcept {
  int accepted = 1;
  guarded(user,
          [&] { accepted = on_event_unguarded(user, section, name, value); });
  return accepted;
}

// Lines without an event are blank (a comment in a piece the parser did
// not start a line with is still a comment); sections run from one header
// to the next; a line read in pieces or holding a NUL is not whole.
void finish_roles(engine &e) {
  if (e.roles.empty())
    return;
  std::uint32_t section = 0;
  for (std::int64_t line = 1; line <= e.lines.line_count(); ++line) {
    line_info &info = e.roles[static_cast<std::size_t>(line - 1)];
    const std::string_view text = e.lines.line_text(line);
    if (info.role == line_role::header)
      section = info.section;
    info.section = section;
    if (text.size() >= LINE_BUFFER_SIZE - 1 ||
        text.find('\0') != std::string_view::npos)
      info.whole = false;
  }
}

// Lines the library reads in several pieces, and NUL bytes, which end what
// the parser sees of a piece.
void check_bytes(engine &e) {
  std::int64_t reported = 0;
  for (const engine::continuation &piece : e.continuations) {
    const std::int64_t line = e.lines.line_of(piece.offset);
    if (line == reported)
      continue;
    reported = line;
    e.add(diagnostic_kind::long_line, piece.offset, piece.library_line,
          "line is " + std::to_string(e.lines.line_text(line).size()) +
              " bytes long; the library reads at most 1023 bytes at a time "
              "and takes each piece for a line of its own");
  }
  for (std::size_t at = e.bytes.find('\0'); at != std::string_view::npos;
       at = e.bytes.find('\0', at + 1)) {
    e.add(diagnostic_kind::nul_byte, at, 0,
          "NUL byte; the library reads nothing after it on this line");
    const std::size_t newline = e.bytes.find('\n', at);
    if (newline == std::string_view::npos)
      break;
    at = newline;
  }
}

// Each line's diagnostics, found sorted by line.
void index_diagnostics(engine &e) {
  if (e.roles.empty())
    return;
  for (std::size_t i = 0; i < e.found.size(); ++i) {
    const std::int64_t line = e.found[i].line;
    if (line < 1 || line > e.lines.line_count())
      continue;
    line_info &info = e.roles[static_cast<std::size_t>(line - 1)];
    if (info.diagnostic_count++ == 0)
      info.first_diagnostic = static_cast<std::uint32_t>(i);
  }
}

// The result in words: the reason for the error line, or for an open
// code block the line that opened it.
std::string result_reason(const engine &e, const checked_text &checked) {
  const std::int32_t result = checked.report.parse.line;
  if (result <= 0)
    return "";
  if (checked.report.parse.error == parse_error::unterminated_code_block) {
    // Short: the diagnostic on the marker says what became of the block.
    for (const diagnostic &d : e.found)
      if (d.kind == diagnostic_kind::unclosed_code_block &&
          d.library_line == result)
        return d.message.substr(0, d.message.find_first_of(":;"));
  }
  return describe_problem(checked.report.parse.error, checked.report.error)
      .words;
}

// What the record as a whole says: the controls a host would refuse, the
// commands that break the project's rules (checks of their own files).
void check_record(engine &e, const check_options &options) {
  check_controls(e.config, e.origins, e.roles, e.lines, e.found);
  if (options.rules != nullptr)
    check_command_rules(*options.rules, e.config, e.origins, e.roles, e.lines,
                        e.found);
}

} // namespace

checked_text check_text(std::string_view bytes, camera_config &config,
                        check_options options) {
  // The record checks need every line's role and every record part's line.
  engine e(bytes, config, {true, true, options.rules});
  e.keep_values = options.lines;
  e.observer = load_observer{on_warning, on_account, &e};
  e.listener = parse_listener{on_line, on_problem, &e};
  e.context.observer = &e.observer;
  e.outcome.listener = &e.listener;
  parse_lines(read_piece, &e, on_event, &e, &e.outcome);
  finish_load(e.context);
  if (e.out_of_memory)
    throw std::bad_alloc();
  check_bytes(e);
  finish_roles(e);
  check_record(e, options);
  apply_suppressions(e.suppressions, e.found, e.lines);

  checked_text checked;
  checked.report.parse = e.outcome;
  checked.report.parse.listener = nullptr;
  if (e.outcome.error == parse_error::rejected)
    checked.report.error = e.context.first_error;
  if (e.outcome.line > 0)
    checked.result_line = e.lines.line_of(e.piece_offset(e.outcome.line));
  if (e.first_error > 0)
    checked.first_error_line = e.lines.line_of(e.piece_offset(e.first_error));
  checked.result_reason = result_reason(e, checked);
  std::stable_sort(e.found.begin(), e.found.end(),
                   [](const diagnostic &a, const diagnostic &b) {
                     return a.line != b.line ? a.line < b.line
                                             : a.column < b.column;
                   });
  for (const diagnostic &d : e.found)
    ++(d.level() == severity::error ? checked.errors : checked.warnings);
  index_diagnostics(e);
  checked.diagnostics = std::move(e.found);
  if (options.lines) {
    checked.lines = std::move(e.roles);
    checked.stored_numbers = std::move(e.stored_numbers);
    checked.stored_text = std::move(e.stored_text);
  }
  if (options.origins)
    checked.origins = std::move(e.origins);
  return checked;
}

stored_value stored_by(const checked_text &checked, std::int64_t line) {
  stored_value out;
  if (line < 1 || static_cast<std::size_t>(line) > checked.lines.size())
    return out;
  const line_info &info = checked.lines[static_cast<std::size_t>(line - 1)];
  const stored_part part = info.account.part;
  if (!info.heard || info.account.outcome != event_outcome::stored ||
      (part != stored_part::camera_key && part != stored_part::control_key &&
       part != stored_part::command))
    return out;
  out.key = &schema::keys[info.account.key];
  if (out.key->how == schema::conversion::text) {
    out.text = checked.stored_text.substr(info.first_stored, info.stored_count);
    return out;
  }
  const auto first = checked.stored_numbers.begin() + info.first_stored;
  out.numbers.assign(first, first + info.stored_count);
  return out;
}

} // namespace quelmix
