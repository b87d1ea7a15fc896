// SPDX-License-Identifier: MIT
// Every kind of diagnostic the tools report, and a positioned diagnostic.
// The kinds' names are an interface: scripts match them, `-Wno-<kind>`
// takes them, and they never change meaning once published.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelmix {

enum class severity : std::uint8_t { error, warning };

// Whether a kind's diagnostics come with a fix, and how sure it is:
//  - safe: the edit makes the file load as its author evidently meant and
//    changes nothing else (applied by --fix);
//  - unsafe: the edit changes what a host loads in a way only the author
//    can confirm (offered, applied only with --unsafe-fixes);
//  - varies: safe for some of the kind's cases, unsafe for others.
enum class fix_class : std::uint8_t { none, safe, unsafe, varies };

// The kinds, errors first; `kinds` below is indexed by them.
enum class diagnostic_kind : std::uint8_t {
  unclosed_header,
  missing_separator,
  unclosed_code_block,
  too_many_values,
  out_of_memory,
  no_record,
  cannot_open,
  cannot_read,
  unknown_section,
  key_before_section,
  unknown_key,
  command_out_of_place,
  wrong_value_count,
  value_cut,
  key_repeated,
  code_block_ignored,
  code_block_replaced,
  value_not_a_number,
  trailing_text,
  value_out_of_range,
  negative_value,
  lone_format_value,
  leading_zero,
  empty_value,
  comment_in_value,
  near_miss_marker,
  long_line,
  nul_byte,
  unused_suppression,
  control_min_above_max,
  control_default_out_of_range,
  control_step_not_positive,
  control_default_off_step,
  control_name_repeated,
  control_name_missing,
  command_rule,
};

struct kind_info {
  diagnostic_kind kind;
  std::string_view name; // the stable name ("unknown-key")
  severity level;
  fix_class fixes;
  std::string_view summary; // one line, for help texts and documentation
};

// docs/checker.md (held to this by tests/docs_tables_test.cpp) and the
// manual page list the same.
inline constexpr kind_info kinds[] = {
    {diagnostic_kind::unclosed_header, "unclosed-header", severity::error,
     fix_class::unsafe, "a section header without its closing \"]\""},
    {diagnostic_kind::missing_separator, "missing-separator", severity::error,
     fix_class::unsafe, "an entry without \"=\" or \":\" before any comment"},
    {diagnostic_kind::unclosed_code_block, "unclosed-code-block",
     severity::error, fix_class::unsafe,
     "a code block cut short by a header or the end of the file"},
    {diagnostic_kind::too_many_values, "too-many-values", severity::error,
     fix_class::none, "a command with more than 16 values"},
    {diagnostic_kind::out_of_memory, "out-of-memory", severity::error,
     fix_class::none, "memory could not be had for a line"},
    {diagnostic_kind::no_record, "no-record", severity::error, fix_class::none,
     "there was no record to load into"},
    {diagnostic_kind::cannot_open, "cannot-open", severity::error,
     fix_class::none, "the file cannot be opened"},
    {diagnostic_kind::cannot_read, "cannot-read", severity::error,
     fix_class::none, "the file cannot be read"},
    {diagnostic_kind::unknown_section, "unknown-section", severity::warning,
     fix_class::varies,
     "a header names no known section; its lines are ignored"},
    {diagnostic_kind::key_before_section, "key-before-section",
     severity::warning, fix_class::none,
     "an entry or code block before the first header"},
    {diagnostic_kind::unknown_key, "unknown-key", severity::warning,
     fix_class::varies, "a key its section does not know"},
    {diagnostic_kind::command_out_of_place, "command-out-of-place",
     severity::warning, fix_class::none,
     "a command key outside a board or register section"},
    {diagnostic_kind::wrong_value_count, "wrong-value-count", severity::warning,
     fix_class::none, "a key with a number of values it does not take"},
    {diagnostic_kind::value_cut, "value-cut", severity::warning,
     fix_class::none, "a text longer than its field, stored cut"},
    {diagnostic_kind::key_repeated, "key-repeated", severity::warning,
     fix_class::none, "a camera key set again; the later value wins"},
    {diagnostic_kind::code_block_ignored, "code-block-ignored",
     severity::warning, fix_class::none,
     "a code block outside a control section"},
    {diagnostic_kind::code_block_replaced, "code-block-replaced",
     severity::warning, fix_class::none,
     "a second code block in one control replaces the first"},
    {diagnostic_kind::value_not_a_number, "value-not-a-number",
     severity::warning, fix_class::none,
     "a numeric value without a number, read as 0"},
    {diagnostic_kind::trailing_text, "trailing-text", severity::warning,
     fix_class::unsafe, "text after a number, ignored (a missing comma?)"},
    {diagnostic_kind::value_out_of_range, "value-out-of-range",
     severity::warning, fix_class::none,
     "a number that does not fit its field; what is stored differs"},
    {diagnostic_kind::negative_value, "negative-value", severity::warning,
     fix_class::none, "a negative number in a field a host reads as unsigned"},
    {diagnostic_kind::lone_format_value, "lone-format-value", severity::warning,
     fix_class::unsafe, "a FORMAT with one value, which is its high byte"},
    {diagnostic_kind::leading_zero, "leading-zero", severity::warning,
     fix_class::unsafe,
     "a decimal number written with a leading zero (not octal)"},
    {diagnostic_kind::empty_value, "empty-value", severity::warning,
     fix_class::unsafe, "an empty piece in a value list, skipped"},
    {diagnostic_kind::comment_in_value, "comment-in-value", severity::warning,
     fix_class::varies, "\";\", \"//\" or \"#\" that stays part of a value"},
    {diagnostic_kind::near_miss_marker, "near-miss-marker", severity::warning,
     fix_class::unsafe,
     "a line that looks like a code-block marker but is not one"},
    {diagnostic_kind::long_line, "long-line", severity::warning,
     fix_class::none, "a line the library reads as several 1023-byte lines"},
    {diagnostic_kind::nul_byte, "nul-byte", severity::warning, fix_class::none,
     "a NUL byte; the library ignores the rest of its line"},
    {diagnostic_kind::unused_suppression, "unused-suppression",
     severity::warning, fix_class::safe,
     "a suppression comment that silences nothing"},
    {diagnostic_kind::control_min_above_max, "control-min-above-max",
     severity::warning, fix_class::none,
     "a control whose MIN_VALUE is above its MAX_VALUE"},
    {diagnostic_kind::control_default_out_of_range,
     "control-default-out-of-range", severity::warning, fix_class::none,
     "a control whose DEF lies outside [MIN_VALUE, MAX_VALUE]"},
    {diagnostic_kind::control_step_not_positive, "control-step-not-positive",
     severity::warning, fix_class::none,
     "a control with a range to step through and a STEP of 0 or less"},
    {diagnostic_kind::control_default_off_step, "control-default-off-step",
     severity::warning, fix_class::none,
     "a control whose DEF is not reachable from MIN_VALUE in STEPs"},
    {diagnostic_kind::control_name_repeated, "control-name-repeated",
     severity::warning, fix_class::none,
     "a control with the CTRL_NAME of an earlier one"},
    {diagnostic_kind::control_name_missing, "control-name-missing",
     severity::warning, fix_class::none, "a control without a CTRL_NAME"},
    {diagnostic_kind::command_rule, "command-rule", severity::warning,
     fix_class::none,
     "a command whose value count or values break the project's rules"},
};

inline constexpr std::size_t KIND_COUNT = std::size(kinds);

constexpr const kind_info &info(diagnostic_kind kind) noexcept {
  return kinds[static_cast<std::size_t>(kind)];
}

constexpr std::string_view name_of(diagnostic_kind kind) noexcept {
  return info(kind).name;
}

// The kind named `name`, if there is one.
constexpr std::optional<diagnostic_kind>
kind_named(std::string_view name) noexcept {
  for (const kind_info &k : kinds)
    if (k.name == name)
      return k.kind;
  return std::nullopt;
}

constexpr bool rows_in_order() {
  for (std::size_t i = 0; i < KIND_COUNT; ++i)
    if (static_cast<std::size_t>(kinds[i].kind) != i)
      return false;
  return true;
}
static_assert(rows_in_order(), "kinds[] is indexed by diagnostic_kind");

enum class fix_safety : std::uint8_t { safe, unsafe };

// Bytes [begin, end) of the file replaced by `text`.
struct text_edit {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string text;
};

// What a fixed line must read as, to the parser alone: an entry with this
// name and value, or a header with this section name. A fix whose line
// would read otherwise is not applied.
struct line_promise {
  bool header = false;
  std::string name;
  std::string value;
};

// What a fix declares it does to the record a host loads: nothing at all,
// or what its line's promise says (a key mended now stores its value, a
// section mended now holds its lines). A fix without a promise that is not
// `keeps` declares nothing, and can only be unsafe.
enum class record_effect : std::uint8_t { as_promised, keeps };

// A mechanical remedy for a diagnostic.
struct fix {
  std::string title; // "rename to I2C_ADDR", "insert ','"
  fix_safety safety = fix_safety::unsafe;
  std::vector<text_edit> edits; // in file order, not overlapping
  std::optional<line_promise> promise;
  record_effect effect = record_effect::as_promised;
};

struct diagnostic {
  diagnostic_kind kind;
  // The file's own line (1-based, newline-terminated lines, however the
  // library cuts long ones) and the 1-based byte column where the problem
  // starts; both 0 for a problem of the file as a whole.
  std::int64_t line;
  std::int64_t column;
  std::string message;
  std::string hint; // "did you mean ..." and the like; empty when none
  // The line as the library numbers it (each 1023-byte piece of a long
  // line counts as one), so that an error can be matched with the result
  // quelmix_parse_config returns.
  std::int64_t library_line;
  std::optional<quelmix::fix> fix = std::nullopt;

  severity level() const noexcept { return info(kind).level; }
};

} // namespace quelmix
