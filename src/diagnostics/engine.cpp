// SPDX-License-Identifier: MIT
#include "diagnostics/engine.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "diagnostics/describe.hpp"
#include "diagnostics/values.hpp"
#include "diagnostics/warnings.hpp"
#include "loader/convert.hpp"
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

namespace {

// One check_text call: the library's parse with three listeners attached.
struct engine {
  std::string_view bytes;
  line_index lines;
  camera_config &config;
  // Offset of every piece the parser read, by library line - 1.
  std::vector<std::size_t> pieces;
  string_source source;
  const char *buffer = nullptr; // where the piece in hand was read into
  load_context context;
  parse_outcome outcome;
  load_observer observer{};
  parse_listener listener{};
  std::vector<diagnostic> found;
  std::vector<line_info> roles; // by physical line - 1
  // The event in hand.
  const char *event_name = nullptr;
  const char *event_value = nullptr;
  bool event_is_header = false;
  bool event_ignored = false; // the loader said it ignores the line
  // A header that an open code block swallowed: the section did not change,
  // so until the next header the loader's complaints about keys would blame
  // the wrong cause (the error on that header says what happened).
  bool header_swallowed = false;

  engine(std::string_view text, camera_config &record)
      : bytes(text), lines(text),
        config(record), source{text.data(), text.size()}, context{&record},
        roles(static_cast<std::size_t>(lines.line_count())) {}

  line_info &role_at(std::int64_t library_line) {
    return roles[static_cast<std::size_t>(
        lines.line_of(piece_offset(library_line)) - 1)];
  }

  // Marks the physical lines from one library line to another as a code
  // block's (the last as its end marker when `closed`).
  void mark_block(std::int64_t first, std::int64_t last, bool closed) {
    const std::int64_t begin = lines.line_of(piece_offset(first));
    const std::int64_t end = lines.line_of(piece_offset(last));
    for (std::int64_t line = begin; line <= end; ++line)
      roles[static_cast<std::size_t>(line - 1)].role =
          line == begin             ? line_role::block_start
          : (closed && line == end) ? line_role::block_end
                                    : line_role::block_text;
  }

  // The byte offset of `p` when it points into the piece in hand.
  std::size_t offset_of(const char *p) const {
    const std::size_t piece = pieces.empty() ? 0 : pieces.back();
    if (buffer == nullptr || p < buffer || p >= buffer + LINE_BUFFER_SIZE)
      return piece;
    return piece + static_cast<std::size_t>(p - buffer);
  }

  std::size_t piece_offset(std::int64_t library_line) const {
    if (library_line < 1 || pieces.empty())
      return 0;
    const auto index =
        std::min(static_cast<std::size_t>(library_line - 1), pieces.size() - 1);
    return pieces[index];
  }

  // The first byte of a piece the parser looks at: past a byte-order mark
  // at the very start and past blanks.
  std::size_t first_visible(std::size_t offset) const {
    if (offset == 0 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
      offset = 3;
    while (offset < bytes.size() && bytes[offset] != '\n' &&
           is_space(bytes[offset]))
      ++offset;
    return offset;
  }

  // Where the event in hand starts: its key, or its header's "[", or for a
  // code block its start marker.
  std::size_t event_offset() const {
    if (event_name != nullptr)
      return offset_of(event_name);
    if (!event_is_header && outcome.block_line > 0)
      return first_visible(piece_offset(outcome.block_line));
    return first_visible(piece_offset(outcome.current_line));
  }

  void add(severity level, const char *kind, std::size_t offset,
           std::int64_t library_line, std::string message, std::string hint) {
    found.push_back(
        diagnostic{level, lines.line_of(offset), lines.column_of(offset), kind,
                   std::move(message), std::move(hint), library_line});
  }
};

char *read_piece(char *buffer, int size, void *user) {
  auto &e = *static_cast<engine *>(user);
  const std::size_t offset = e.bytes.size() - e.source.left;
  char *line = read_string_line(buffer, size, &e.source);
  if (line != nullptr) {
    e.pieces.push_back(offset);
    e.buffer = buffer;
  }
  return line;
}

bool ignores_line(warning_kind kind) {
  return kind != warning_kind::value_cut &&
         kind != warning_kind::key_repeated &&
         kind != warning_kind::code_block_replaced;
}

void on_warning(void *user, std::int64_t line, const load_warning &warning) {
  auto &e = *static_cast<engine *>(user);
  e.event_ignored = e.event_ignored || ignores_line(warning.kind);
  if (e.header_swallowed &&
      (warning.kind == warning_kind::unknown_key ||
       warning.kind == warning_kind::command_out_of_place))
    return;
  warning_text text = describe_warning(warning);
  std::size_t offset = e.event_offset();
  if (warning.kind == warning_kind::value_cut && e.event_value != nullptr)
    offset = e.offset_of(e.event_value) + warning.count;
  if (warning.name == nullptr && !e.event_is_header && e.outcome.block_line > 0)
    line = e.outcome.block_line;
  e.add(severity::warning, text.kind, offset, line, std::move(text.message),
        std::move(text.hint));
}

// The start of value number `index` (0-based) of a list, skipping the
// empty pieces as the loader does.
const char *list_value(const char *value, unsigned index) {
  for (const char *p = skip_empty_pieces(value); *p != '\0';
       p = skip_empty_pieces(piece_end(p)))
    if (index-- == 0)
      return p;
  return value;
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

void unclosed_block(engine &e, const parse_problem &problem) {
  const std::size_t opener =
      e.first_visible(e.piece_offset(problem.block_line));
  if (problem.text != nullptr) {
    e.mark_block(problem.block_line, problem.line - 1, false);
    e.role_at(problem.line).role = line_role::bad;
  } else {
    e.mark_block(problem.block_line, problem.line, false);
  }
  const std::string opened = std::to_string(e.lines.line_of(opener));
  if (problem.text != nullptr) {
    e.header_swallowed = true;
    const char *section = lookup_name(section_table, e.context.section_code);
    e.add(severity::error, "unclosed-code-block", e.offset_of(problem.text),
          problem.line,
          "code block opened on line " + opened +
              " is not closed before this header; the block is dropped and "
              "the header is not read",
          "close the block with ======CODE_BLOCK_END====== before the "
          "header; until the next header the lines below stay in section "
          "\"" +
              std::string(section != nullptr ? section : "?") + "\"");
    return;
  }
  e.add(severity::error, "unclosed-code-block", opener, problem.line,
        "code block opened on line " + opened +
            " is never closed: it runs to the end of the file and is dropped",
        "close it with ======CODE_BLOCK_END======");
}

void on_problem(void *user, const parse_problem &problem) {
  auto &e = *static_cast<engine *>(user);
  if (problem.error == parse_error::unterminated_code_block) {
    unclosed_block(e, problem);
    return;
  }
  const load_error refused = e.context.last_error;
  e.role_at(problem.line).role = line_role::bad;
  std::size_t offset =
      problem.text != nullptr ? e.offset_of(problem.text) : e.event_offset();
  if (problem.error == parse_error::rejected &&
      refused == load_error::too_many_values && e.event_value != nullptr)
    offset = e.offset_of(list_value(e.event_value, CONFIG_MAX_PARAMS));
  std::string hint;
  if (problem.error == parse_error::unclosed_header ||
      problem.error == parse_error::missing_separator) {
    const char *stop = find_stop(problem.text, SEPARATOR_STOPS);
    if (problem.error == parse_error::unclosed_header)
      stop = find_stop(problem.text + 1, HEADER_END_STOPS);
    if (*stop == ';' || *stop == '/')
      hint = "a \";\" or \"//\" after a blank starts a comment";
  }
  e.add(severity::error, problem_kind(problem.error, refused), offset,
        problem.line,
        std::string(describe_problem(problem.error, refused)) +
            continuation_note(e, problem.line),
        hint);
}

// Remembers what the event's line is: a header, an entry (with where its
// name and value stand) or the lines of a code block.
void note_role(engine &e, const char *name, const char *value) {
  if (e.event_is_header) {
    line_info &info = e.role_at(e.outcome.current_line);
    info.role = line_role::header;
    info.section = e.context.section_code;
    return;
  }
  if (name == nullptr) {
    e.mark_block(e.outcome.block_line, e.outcome.current_line, true);
    return;
  }
  const std::int64_t line = e.lines.line_of(e.offset_of(name));
  line_info &info = e.roles[static_cast<std::size_t>(line - 1)];
  const std::size_t start = e.lines.line_start(line);
  const auto at = [&e, start](const char *p) {
    return static_cast<std::uint32_t>(e.offset_of(p) - start);
  };
  info.role = line_role::entry;
  info.name_begin = at(name);
  info.name_end = info.name_begin + static_cast<std::uint32_t>(strlen(name));
  info.value_begin = at(value);
  info.value_end = info.value_begin + static_cast<std::uint32_t>(strlen(value));
}

int on_event(void *user, const char *section, const char *name,
             const char *value) {
  auto &e = *static_cast<engine *>(user);
  e.event_name = name;
  e.event_value = value;
  e.event_is_header = name == nullptr && value == nullptr;
  e.event_ignored = false;
  if (e.event_is_header)
    e.header_swallowed = false;
  const std::uint32_t commands_before = e.config.configs_length;
  const int accepted = config_handler(&e.context, section, name, value);
  note_role(e, name, value);
  if (accepted != 0 && name != nullptr && !e.event_ignored) {
    for (value_finding &f : check_value(e.context.section_code, name, value,
                                        e.config, commands_before))
      e.add(severity::warning, f.kind, e.offset_of(f.at),
            e.outcome.current_line, std::move(f.message), std::move(f.hint));
  }
  return accepted;
}

// Lines without an event or a problem are blank or comments; sections run
// from one header to the next; a line read in pieces or holding a NUL is
// not whole.
void finish_roles(engine &e) {
  std::uint32_t section = 0;
  for (std::int64_t line = 1; line <= e.lines.line_count(); ++line) {
    line_info &info = e.roles[static_cast<std::size_t>(line - 1)];
    const std::string_view text = e.lines.line_text(line);
    if (info.role == line_role::blank) {
      std::size_t first =
          line == 1 && text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
      while (first < text.size() && is_space(text[first]))
        ++first;
      if (first < text.size())
        info.role = line_role::comment;
    }
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
  for (std::size_t i = 0; i < e.pieces.size(); ++i) {
    const std::size_t offset = e.pieces[i];
    const std::int64_t line = e.lines.line_of(offset);
    if (e.lines.column_of(offset) == 1 || line == reported)
      continue;
    reported = line;
    e.add(severity::warning, "long-line", offset,
          static_cast<std::int64_t>(i) + 1,
          "line is " + std::to_string(e.lines.line_text(line).size()) +
              " bytes long; the library reads at most 1023 bytes at a time "
              "and takes each piece for a line of its own",
          "");
  }
  for (std::size_t at = e.bytes.find('\0'); at != std::string_view::npos;
       at = e.bytes.find('\0', at + 1)) {
    e.add(severity::warning, "nul-byte", at, 0,
          "NUL byte; the library reads nothing after it on this line", "");
    const std::size_t newline = e.bytes.find('\n', at);
    if (newline == std::string_view::npos)
      break;
    at = newline;
  }
}

} // namespace

checked_text check_text(std::string_view bytes, camera_config &config) {
  engine e(bytes, config);
  e.observer = load_observer{on_warning, &e};
  e.listener = parse_listener{on_problem, &e};
  e.context.observer = &e.observer;
  e.context.progress = &e.outcome;
  e.outcome.listener = &e.listener;
  parse_lines(read_piece, &e, on_event, &e, &e.outcome);
  finish_load(e.context);
  check_bytes(e);
  finish_roles(e);

  checked_text checked;
  checked.report.parse = e.outcome;
  checked.report.parse.listener = nullptr;
  if (e.outcome.error == parse_error::rejected)
    checked.report.error = e.context.first_error;
  if (e.outcome.line > 0)
    checked.result_line = e.lines.line_of(e.piece_offset(e.outcome.line));
  std::stable_sort(e.found.begin(), e.found.end(),
                   [](const diagnostic &a, const diagnostic &b) {
                     return a.line != b.line ? a.line < b.line
                                             : a.column < b.column;
                   });
  for (const diagnostic &d : e.found)
    ++(d.level == severity::error ? checked.errors : checked.warnings);
  checked.diagnostics = std::move(e.found);
  checked.lines = std::move(e.roles);
  return checked;
}

parse_error read_input(const char *path, std::string &bytes, int &error) {
  const bool standard_input = std::strcmp(path, "-") == 0;
  errno = 0;
  std::FILE *stream = standard_input ? stdin : std::fopen(path, "rb");
  if (stream == nullptr) {
    error = errno;
    return parse_error::cannot_open;
  }
  char block[64 * 1024];
  std::size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, stream)) > 0)
    bytes.append(block, got);
  const bool failed = std::ferror(stream) != 0;
  error = failed ? (errno != 0 ? errno : EIO) : 0;
  if (!standard_input)
    std::fclose(stream);
  return failed ? parse_error::cannot_read : parse_error::none;
}

checked_text check_file(const char *path, camera_config &config,
                        std::string *bytes) {
  std::string own;
  std::string &text = bytes != nullptr ? *bytes : own;
  text.clear();
  int error = 0;
  const parse_error failure = read_input(path, text, error);
  if (failure == parse_error::none)
    return check_text(text, config);
  checked_text failed;
  failed.report.parse.line = -1;
  failed.report.parse.error = failure;
  failed.report.parse.system_error = error;
  failed.diagnostics.push_back(
      {severity::error, 0, 0, problem_kind(failure, load_error::none),
       std::string(describe_problem(failure, load_error::none)) + ": " +
           std::strerror(error),
       "", -1});
  failed.errors = 1;
  return failed;
}

} // namespace quelmix
