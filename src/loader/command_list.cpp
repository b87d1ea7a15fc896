// SPDX-License-Identifier: MIT
#include <cstdlib>
#include <cstring>

#include "loader/convert.hpp"
#include "loader/loader.hpp"
#include "loader/tables.hpp"
#include "parser/text.hpp"

namespace quelmix {
namespace {

// Between calls the list has room for BLOCK * (n / BLOCK + 1) entries for
// n >= 1, as hosts may rely on. Within one call it grows geometrically, so
// a million commands cost a few dozen reallocations, not ten thousand
// remaps; finish_load trims it back to the rule.
constexpr std::uint32_t BLOCK = 100;

constexpr std::uint64_t rule_capacity(std::uint64_t count) noexcept {
  return count == 0 ? 0 : BLOCK * (count / BLOCK + 1);
}

bool resize(camera_config &config, std::uint64_t entries, bool fresh) noexcept {
  if (entries > UINT32_MAX)
    return false;
  const std::size_t bytes = entries * sizeof(config_entry);
  void *grown =
      fresh ? std::malloc(bytes) : std::realloc(config.configs, bytes);
  if (grown == nullptr)
    return false; // the list and its length stay as they were
  config.configs = static_cast<config_entry *>(grown);
  return true;
}

// Makes room for entry `count` - 1 of a list that is about to hold `count`.
// A doubling that cannot be had falls back to the rule's own step, so that
// memory pressure refuses no line the rule would have taken.
bool grow_commands(load_context &context, std::uint32_t count) noexcept {
  camera_config &config = *context.config;
  std::uint64_t capacity = context.command_capacity;
  if (capacity == 0)
    capacity = rule_capacity(config.configs_length);
  const std::uint64_t needed = rule_capacity(count);
  if (needed <= capacity) {
    context.command_capacity = static_cast<std::uint32_t>(capacity);
    return true;
  }
  // The first command allocates a fresh array: whatever pointer a zeroed
  // record holds is not consulted.
  const bool fresh = count == 1;
  const std::uint64_t doubled = capacity * 2;
  if (doubled > needed && resize(config, doubled, fresh)) {
    context.command_capacity = static_cast<std::uint32_t>(doubled);
    return true;
  }
  if (!resize(config, needed, fresh))
    return false;
  context.command_capacity = static_cast<std::uint32_t>(needed);
  return true;
}

// The common case inline: the rule's capacity for `count` is at most
// count + BLOCK, so a list with that much room needs nothing.
inline bool has_room(const load_context &context,
                     std::uint32_t count) noexcept {
  return std::uint64_t{count} + BLOCK <= context.command_capacity;
}

inline bool reserve_command(load_context &context,
                            std::uint32_t count) noexcept {
  return has_room(context, count) || grow_commands(context, count);
}

void store_command(load_context &context, std::uint32_t kind,
                   const value_list &list) noexcept {
  camera_config &config = *context.config;
  config_entry &entry = config.configs[config.configs_length];
  entry.type = context.section_code | kind;
  static_assert(sizeof entry.params == sizeof list.values);
  std::memcpy(entry.params, list.values, sizeof entry.params);
  entry.params_length = list.count;
  ++config.configs_length;
}

} // namespace

// A "REG", "VRCMD" or "DELAY" line becomes the next config_entry. Other
// keys are ignored; a line with more values than an entry holds is refused
// rather than kept cut down.
load_error append_command(load_context &context, const char *section,
                          const char *name, const char *value) noexcept {
  const std::uint32_t kind = lookup_code(register_key_table, name);
  if (kind == 0) {
    warn(context, warning_kind::unknown_key, section, name);
    return load_error::none;
  }
  camera_config &config = *context.config;
  value_list list;
  if (!parse_value_list(value, list))
    return load_error::too_many_values;
  if (config.configs_length == UINT32_MAX)
    return load_error::out_of_memory;
  if (!reserve_command(context, config.configs_length + 1))
    return load_error::out_of_memory;
  store_command(context, kind, list);
  return load_error::none;
}

void finish_load(load_context &context) noexcept {
  if (context.config == nullptr)
    return;
  camera_config &config = *context.config;
  const std::uint64_t promised = rule_capacity(config.configs_length);
  if (config.configs_length == 0 || context.command_capacity <= promised)
    return;
  // A shrink that fails keeps the larger block, which is still enough.
  if (resize(config, promised, false))
    context.command_capacity = static_cast<std::uint32_t>(promised);
}

namespace {

// The command key at `p`, or 0; `p` moves past it. Byte by byte, each test
// stopping at the first difference: a line's terminator may be the last
// byte there is, so nothing past it may be read.
std::uint32_t command_key(const char *&p) noexcept {
  switch (p[0]) {
  case 'R':
    if (p[1] == 'E' && p[2] == 'G') {
      p += 3;
      return CONFIG_KEY_REG;
    }
    break;
  case 'D':
    if (p[1] == 'E' && p[2] == 'L' && p[3] == 'A' && p[4] == 'Y') {
      p += 5;
      return CONFIG_KEY_DELAY;
    }
    break;
  case 'V':
    if (p[1] == 'R' && p[2] == 'C' && p[3] == 'M' && p[4] == 'D') {
      p += 5;
      return CONFIG_KEY_VRCMD;
    }
    break;
  default:
    break;
  }
  return 0;
}

// Digits convert as parse_int32 converts them, but only numbers of at most
// 15 digits are taken here: those never saturate.
constexpr int SURE_DIGITS = 15;

unsigned digit_of(char c) noexcept {
  return DIGIT_VALUES[static_cast<unsigned char>(c)];
}

// The number at `p` (hexadecimal after 0x or 0X, else decimal with an
// optional sign), when it has 1 to 15 digits; false otherwise.
[[gnu::always_inline]] inline bool sure_number(const char *&p,
                                               std::uint32_t &out) noexcept {
  std::uint64_t magnitude = 0;
  const char *digits = nullptr;
  unsigned d = 0;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    digits = p += 2;
    while ((d = digit_of(*p)) < 16) {
      magnitude = magnitude * 16 + d;
      ++p;
    }
    out = static_cast<std::uint32_t>(magnitude);
  } else {
    const bool negative = *p == '-';
    p += (*p == '-' || *p == '+');
    digits = p;
    while ((d = digit_of(*p)) < 10) {
      magnitude = magnitude * 10 + d;
      ++p;
    }
    out = static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude);
  }
  return p > digits && p - digits <= SURE_DIGITS;
}

// Blanks are nearly always one space: that first, the table only after.
const char *skip_one_blank(const char *p) noexcept {
  p += *p == ' ';
  return is_space(*p) ? skip_leading_space(p) : p;
}

// The end of the value: the line's end, or an inline comment (";" or "//"
// after a blank).
bool at_value_end(const char *p) noexcept {
  return *p == '\0' ||
         (is_space(p[-1]) && (*p == ';' || (p[0] == '/' && p[1] == '/')));
}

// The values of a line's value part, written straight into `entry`:
// numbers separated by commas, with blanks and an inline comment or the
// line's end after the last. Anything else (text after a number, an empty
// or blank piece between commas, a long number, more than
// CONFIG_MAX_PARAMS values) is left to the general path.
bool sure_values(const char *p, config_entry &entry) noexcept {
  std::memset(entry.params, 0, sizeof entry.params);
  unsigned count = 0;
  p = skip_one_blank(p);
  if (digit_of(*p) >= 10 && *p != '-' && *p != '+') {
    if (!at_value_end(p))
      return false;
  } else {
    for (;;) {
      if (!sure_number(p, entry.params[count]))
        return false;
      ++count;
      if (*p != ',') {
        p = skip_leading_space(p);
        if (*p != ',')
          break;
      }
      p = skip_one_blank(p + 1);
      if (digit_of(*p) >= 10 && *p != '-' && *p != '+')
        break; // a trailing comma, whose empty piece is skipped, or worse
      if (count == CONFIG_MAX_PARAMS)
        return false;
    }
    if (!at_value_end(p))
      return false;
  }
  entry.params_length = static_cast<std::uint8_t>(count);
  return true;
}

} // namespace

int take_command_line(void *user, char *line) noexcept {
  auto &context = *static_cast<load_context *>(user);
  const std::uint32_t section = context.section_code & CONFIG_SECTION_MASK;
  if (section != CONFIG_TYPE_BOARD && section != CONFIG_TYPE_REGISTER)
    return 0;
  const char *p = is_space(*line) ? skip_leading_space(line) : line;
  const std::uint32_t kind = command_key(p);
  if (kind == 0)
    return 0;
  if (p[0] == ' ' && p[1] == '=') // the usual "KEY = "
    ++p;
  else
    p = skip_leading_space(p);
  if (*p != '=' && *p != ':')
    return 0;
  // With room at hand the values go straight into the new entry, which
  // counts only once the whole line is sure. Without it, the line is read
  // into a scratch entry first, so that no list is allocated or grown for
  // a line the general path may yet refuse.
  camera_config &config = *context.config;
  if (config.configs_length == UINT32_MAX)
    return 0;
  const std::uint32_t count = config.configs_length + 1;
  if (!has_room(context, count)) {
    config_entry scratch;
    if (!sure_values(p + 1, scratch) || !grow_commands(context, count))
      return 0;
    config.configs[config.configs_length] = scratch;
  } else if (!sure_values(p + 1, config.configs[config.configs_length])) {
    return 0;
  }
  config_entry &entry = config.configs[config.configs_length];
  entry.type = context.section_code | kind;
  ++config.configs_length;
  return 1;
}

} // namespace quelmix
