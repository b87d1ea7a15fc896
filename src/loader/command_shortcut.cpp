// SPDX-License-Identifier: MIT
// The handler's one-pass reader for the commonest line of a large file: a
// command of a board or register section. It uses the parser's and the
// converter's own rules (the comment test, the digit table, the limit of
// digits that never saturate) and the schema's command keys, and takes
// only lines whose every byte it is sure of; every other line goes,
// unchanged, through the general path, which stays the one definition of
// the dialect.
#include <cstring>
#include <utility>

#include "loader/convert.hpp"
#include "loader/loader.hpp"
#include "parser/text.hpp"

namespace quelmix {
namespace {

// Command key number `I` of the schema at `p`: compared byte by byte, each
// test stopping at the first difference, because a line's terminator may
// be the last byte there is. The name is a constant, so the loop unrolls
// into the tests one would write by hand.
template <std::size_t I>
[[gnu::always_inline]] inline bool command_named(const char *&p,
                                                 std::uint32_t &kind) noexcept {
  constexpr const schema::key_spec &key = schema::keys[schema::COMMAND_KEYS[I]];
  for (std::size_t i = 0; i < key.name.size(); ++i)
    if (p[i] != key.name[i])
      return false;
  p += key.name.size();
  kind = key.command;
  return true;
}

// The command key at `p`, or 0; `p` moves past it.
template <std::size_t... I>
[[gnu::always_inline]] inline std::uint32_t
command_key(const char *&p, std::index_sequence<I...>) noexcept {
  std::uint32_t kind = 0;
  (command_named<I>(p, kind) || ...);
  return kind;
}

// The number at `p` (hexadecimal after 0x or 0X, else decimal with an
// optional sign), when it has 1 to SURE_DIGITS digits; false otherwise.
[[gnu::always_inline]] inline bool sure_number(const char *&p,
                                               std::uint32_t &out) noexcept {
  return read_number(
      p, [&p, &out](const char *digits, auto base, bool negative) {
        p = digits;
        const std::uint64_t magnitude = accumulate_digits<base()>(p);
        out = static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude);
        return p > digits && is_sure(digits, p);
      });
}

// Blanks are nearly always one space: that first, the table only after.
const char *skip_one_blank(const char *p) noexcept {
  p += *p == ' ';
  return is_space(*p) ? skip_leading_space(p) : p;
}

// The end of the value: the line's end, or an inline comment.
bool at_value_end(const char *p) noexcept {
  return *p == '\0' || starts_inline_comment(p);
}

bool starts_number(const char *p) noexcept {
  return digit_value(*p) < 10 || *p == '-' || *p == '+';
}

// Reads numbers separated by commas into `entry` and leaves `p` after the
// last; false for anything else (text after a number, an empty or blank
// piece between commas, a long number, more than CONFIG_MAX_PARAMS values).
[[gnu::always_inline]] inline bool sure_list(const char *&p,
                                             config_entry &entry) noexcept {
  unsigned count = 0;
  for (;;) {
    if (!sure_number(p, entry.params[count++]))
      return false;
    if (*p != ',') {
      p = skip_leading_space(p);
      if (*p != ',')
        break;
    }
    p = skip_one_blank(p + 1);
    if (!starts_number(p))
      break; // a trailing comma, whose empty piece is skipped, or worse
    if (count == CONFIG_MAX_PARAMS)
      return false;
  }
  entry.params_length = static_cast<std::uint8_t>(count);
  return true;
}

// The values of a line's value part, written straight into `entry`.
[[gnu::always_inline]] inline bool sure_values(const char *p,
                                               config_entry &entry) noexcept {
  std::memset(entry.params, 0, sizeof entry.params);
  p = skip_one_blank(p);
  if (!starts_number(p))
    entry.params_length = 0;
  else if (!sure_list(p, entry))
    return false;
  return at_value_end(p);
}

// A command that needs the list to grow first: read into a scratch entry,
// so that no list is allocated or grown for a line the general path may
// yet refuse. Out of line: the common case keeps a frame without it.
[[gnu::noinline]] bool take_into_new_room(load_context &context,
                                          const char *value,
                                          std::uint32_t kind) noexcept {
  config_entry scratch;
  camera_config &config = *context.config;
  if (config.configs_length == UINT32_MAX || !sure_values(value, scratch) ||
      !grow_commands(context, config.configs_length + 1))
    return false;
  scratch.type = context.section_code | kind;
  config.configs[config.configs_length++] = scratch;
  return true;
}

} // namespace

int take_command_line(void *user, char *line) noexcept {
  auto &context = *static_cast<load_context *>(user);
  if (schema::keys_of_section(context.section_code) !=
      schema::record_kind::command)
    return 0;
  const char *p = is_space(*line) ? skip_leading_space(line) : line;
  const std::uint32_t kind =
      command_key(p, std::make_index_sequence<schema::COMMAND_KEYS.size()>{});
  if (kind == 0)
    return 0;
  if (p[0] == ' ' && p[1] == '=') // the usual "KEY = "
    ++p;
  else
    p = skip_leading_space(p);
  if (*p != '=' && *p != ':')
    return 0;
  // With room at hand the values go straight into the new entry, which
  // counts only once the whole line is sure.
  camera_config &config = *context.config;
  if (!has_room(context, std::uint64_t{config.configs_length} + 1))
    return take_into_new_room(context, p + 1, kind) ? 1 : 0;
  config_entry &entry = config.configs[config.configs_length];
  if (!sure_values(p + 1, entry))
    return 0;
  entry.type = context.section_code | kind;
  ++config.configs_length;
  return 1;
}

} // namespace quelmix
