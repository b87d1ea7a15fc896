// SPDX-License-Identifier: MIT
#include "diagnostics/values.hpp"

#include <cstring>
#include <optional>
#include <string_view>

#include "loader/convert.hpp"
#include "loader/tables.hpp"
#include "parser/text.hpp"

namespace quelmix {
namespace {

template <typename T> constexpr unsigned bits_of = 8 * sizeof(T);

enum class shape : std::uint8_t { none, text, single, list };

// What a key stores: its shape and the width of each number, taken from the
// record's own field types.
struct field {
  shape form = shape::none;
  unsigned bits = 0; // 64: the loader saturates instead of cutting
  std::uint32_t key = 0;
};

field camera_field(std::uint32_t key) {
  switch (key) {
  case CAMERA_KEY_CFG_MODE:
    return {shape::single, bits_of<decltype(camera_config::cfg_mode)>, key};
  case CAMERA_KEY_TYPE:
    return {shape::text, 0, key};
  case CAMERA_KEY_BIT_WIDTH:
    return {shape::single, bits_of<decltype(camera_config::bit_width)>, key};
  case CAMERA_KEY_I2C_MODE:
    return {shape::single, bits_of<decltype(camera_config::i2c_mode)>, key};
  case CAMERA_KEY_I2C_ADDR:
    return {shape::single, bits_of<decltype(camera_config::i2c_addr)>, key};
  case CAMERA_KEY_TRANS_LVL:
    return {shape::single, bits_of<decltype(camera_config::trans_lvl)>, key};
  case CAMERA_KEY_SIZE:
    return {shape::list, bits_of<decltype(camera_config::width)>, key};
  case CAMERA_KEY_FORMAT: // one byte each, high then low
    return {shape::list, bits_of<decltype(camera_config::format)> / 2, key};
  default:
    return {};
  }
}

field control_field(std::uint32_t key) {
  switch (key) {
  case CONTROL_KEY_MIN_VALUE:
  case CONTROL_KEY_MAX_VALUE:
  case CONTROL_KEY_DEF:
    return {shape::single, bits_of<decltype(control_entry::min_value)>, key};
  case CONTROL_KEY_STEP:
    return {shape::single, bits_of<decltype(control_entry::step)>, key};
  case CONTROL_KEY_CTRL_NAME:
  case CONTROL_KEY_FUNC_NAME:
    return {shape::text, 0, key};
  default:
    return {};
  }
}

field field_of(std::uint32_t section_code, const char *name) {
  switch (section_code & CONFIG_SECTION_MASK) {
  case CONFIG_TYPE_CAMERA:
    return camera_field(lookup_code(camera_key_table, name));
  case CONFIG_TYPE_CONTROL:
    return control_field(lookup_code(control_key_table, name));
  case CONFIG_TYPE_BOARD:
  case CONFIG_TYPE_REGISTER: {
    const std::uint32_t kind = lookup_code(register_key_table, name);
    if (kind == 0)
      return {};
    return {shape::list, bits_of<decltype(config_entry::params[0])>, kind};
  }
  default:
    return {};
  }
}

// What the record holds for piece `index` of the value, after the load.
std::optional<std::int64_t> stored(std::uint32_t section_code, const field &f,
                                   std::size_t index,
                                   const camera_config &config,
                                   std::uint32_t commands_before) {
  switch (section_code & CONFIG_SECTION_MASK) {
  case CONFIG_TYPE_CAMERA:
    switch (f.key) {
    case CAMERA_KEY_CFG_MODE:
      return config.cfg_mode;
    case CAMERA_KEY_BIT_WIDTH:
      return config.bit_width;
    case CAMERA_KEY_I2C_MODE:
      return config.i2c_mode;
    case CAMERA_KEY_I2C_ADDR:
      return config.i2c_addr;
    case CAMERA_KEY_TRANS_LVL:
      return config.trans_lvl;
    case CAMERA_KEY_SIZE:
      return index == 0 ? config.width : config.height;
    case CAMERA_KEY_FORMAT:
      return config.format;
    default:
      return std::nullopt;
    }
  case CONFIG_TYPE_CONTROL: {
    if (config.controls_length == 0)
      return std::nullopt;
    const control_entry &c = config.controls[config.controls_length - 1];
    switch (f.key) {
    case CONTROL_KEY_MIN_VALUE:
      return c.min_value;
    case CONTROL_KEY_MAX_VALUE:
      return c.max_value;
    case CONTROL_KEY_STEP:
      return c.step;
    case CONTROL_KEY_DEF:
      return c.def;
    default:
      return std::nullopt;
    }
  }
  default:
    if (config.configs_length == commands_before || index >= CONFIG_MAX_PARAMS)
      return std::nullopt;
    return config.configs[config.configs_length - 1].params[index];
  }
}

// Appends rather than `"\"" + std::string(...)`, which GCC 12 at -O3
// warns about wrongly (-Wrestrict).
std::string quoted(std::string_view text) {
  constexpr std::size_t shown = 40;
  std::string out(1, '"');
  out.append(text.substr(0, shown));
  if (text.size() > shown)
    out += "...";
  out += '"';
  return out;
}

std::string_view trimmed(const char *begin, const char *end) {
  return trim(std::string_view(begin, static_cast<std::size_t>(end - begin)));
}

std::string number_text(std::int64_t value, bool hex) {
  if (!hex || value < 10)
    return std::to_string(value);
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX",
                static_cast<unsigned long long>(value));
  return text;
}

// The first ";" or "//" (which start a comment only after a blank, and the
// parser has cut every such one already) or "#" (a comment only at a line's
// start) that a reader may take for a comment, or null.
value_finding comment_marker(const char *value) {
  for (const char *p = value; *p != '\0'; ++p) {
    const bool after_blank = p == value || is_space(p[-1]);
    const char *hint = nullptr;
    if (*p == ';')
      hint = "\";\" starts a comment only after a blank";
    else if (p[0] == '/' && p[1] == '/')
      hint = "\"//\" starts a comment only after a blank";
    else if (*p == '#' && after_blank)
      hint = "\"#\" starts a comment only at the start of a line";
    if (hint != nullptr)
      return {"comment-in-value", p, quoted(p) + " stays part of the value",
              hint};
  }
  return {nullptr, nullptr, {}, {}};
}

struct piece_check {
  const char *key_name;
  field f;
  std::uint32_t section_code;
  const camera_config &config;
  std::uint32_t commands_before;
  const char *comment; // where a comment-like marker starts, or null
  std::vector<value_finding> &out;
};

void check_fit(const piece_check &c, const number_scan &scan,
               std::string_view written, std::size_t index) {
  if (c.f.bits >= 64) {
    if (scan.saturated)
      c.out.push_back({"value-out-of-range", scan.begin,
                       quoted(written) +
                           " is beyond the 64-bit range; the library "
                           "stores " +
                           std::to_string(scan.value),
                       ""});
    return;
  }
  const std::int64_t lowest = -(std::int64_t{1} << (c.f.bits - 1));
  const std::int64_t highest = (std::int64_t{1} << c.f.bits) - 1;
  if (!scan.saturated && scan.value >= lowest && scan.value <= highest)
    return;
  const auto kept =
      stored(c.section_code, c.f, index, c.config, c.commands_before);
  std::string message = quoted(written) + " does not fit " + c.key_name + " (" +
                        std::to_string(c.f.bits) + " bits";
  message +=
      c.f.key == CAMERA_KEY_FORMAT &&
              (c.section_code & CONFIG_SECTION_MASK) == CONFIG_TYPE_CAMERA
          ? " a byte)"
          : ")";
  if (kept.has_value())
    message += "; the library stores " + number_text(*kept, scan.hex) +
               (c.f.key == CAMERA_KEY_FORMAT ? " in FORMAT" : "");
  c.out.push_back({"value-out-of-range", scan.begin, message, ""});
}

// One piece of a value, [begin, end): a number, nothing else.
void check_piece(const piece_check &c, const char *begin, const char *end,
                 std::size_t index, bool whole_value) {
  if (c.comment != nullptr && begin >= c.comment)
    return; // reported as a comment marker
  const std::string_view written = trimmed(begin, end);
  const number_scan scan = scan_number(begin);
  if (scan.end == scan.digits) {
    if (written.empty() && whole_value)
      c.out.push_back(
          {"value-not-a-number", begin,
           std::string(c.key_name) + " has no value; the library reads 0", ""});
    else if (c.comment == nullptr || scan.begin < c.comment)
      c.out.push_back(
          {"value-not-a-number", written.empty() ? begin : scan.begin,
           written.empty() ? "blank value; the library reads 0"
                           : quoted(written) + " is not a number; the library "
                                               "reads 0",
           ""});
    return;
  }
  const char *rest = skip_leading_space(scan.end);
  if (rest < end && rest != c.comment) {
    const std::string_view after = trimmed(rest, end);
    std::string hint;
    if ((*rest >= '0' && *rest <= '9') || *rest == '-' || *rest == '+')
      hint = "missing comma?";
    else if ((*rest == 'e' || *rest == 'E') && !scan.hex)
      hint = "exponents are not read";
    c.out.push_back({"trailing-text", rest,
                     quoted(after) + " after the number is ignored; the " +
                         "library reads " + std::string(scan.begin, scan.end),
                     hint});
  }
  if (!scan.hex && scan.digits[0] == '0' && scan.end - scan.digits > 1 &&
      scan.value != 0)
    c.out.push_back(
        {"leading-zero", scan.begin,
         quoted(std::string_view(
             scan.begin, static_cast<std::size_t>(scan.end - scan.begin))) +
             " is read as decimal " + std::to_string(scan.value),
         "a leading zero does not mean octal"});
  check_fit(c, scan,
            std::string_view(scan.begin,
                             static_cast<std::size_t>(scan.end - scan.begin)),
            index);
}

// Splits as the loader does: at every ","; pieces of no length are skipped.
void check_list(const piece_check &c, const char *value) {
  std::size_t index = 0;
  const char *p = value;
  const char *const end = value + std::strlen(value);
  for (;;) {
    const char *comma = std::strchr(p, ',');
    const char *piece_end = comma != nullptr ? comma : end;
    if (piece_end == p) {
      if (p != end || p[-1] == ',')
        c.out.push_back({"empty-value", p,
                         "empty value in the list is skipped; the values "
                         "after it are counted without it",
                         ""});
    } else {
      check_piece(c, p, piece_end, index++, false);
    }
    if (comma == nullptr)
      return;
    p = comma + 1;
  }
}

} // namespace

std::vector<value_finding> check_value(std::uint32_t section_code,
                                       const char *name, const char *value,
                                       const camera_config &config,
                                       std::uint32_t commands_before) {
  std::vector<value_finding> found;
  const field f = field_of(section_code, name);
  if (f.form == shape::none)
    return found;
  value_finding comment = comment_marker(value);
  const char *comment_at = comment.at;
  if (comment.kind != nullptr)
    found.push_back(std::move(comment));
  const piece_check check{
      name, f, section_code, config, commands_before, comment_at, found};
  if (f.form == shape::single)
    check_piece(check, value, value + std::strlen(value), 0, true);
  else if (f.form == shape::list && *value != '\0')
    check_list(check, value);
  return found;
}

} // namespace quelmix
