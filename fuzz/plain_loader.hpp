// SPDX-License-Identifier: MIT
// A slow, plainly written loader of the dialect: the fuzzers' and the
// tests' oracle for the library's fast one. It shares no code with the
// library: lines are std::strings, every rule is spelled out where it
// applies, numbers are converted digit by digit with overflow checks, and
// each key writes its field by name. Whatever both load must come out the
// same record, field by field, and the same result.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "quelmix_config_parser.h"

namespace quelmix::plain {

inline bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

inline std::string without_trailing_blanks(std::string s) {
  while (!s.empty() && is_blank(s.back()))
    s.pop_back();
  return s;
}

inline std::string without_leading_blanks(const std::string &s) {
  std::size_t i = 0;
  while (i < s.size() && is_blank(s[i]))
    ++i;
  return s.substr(i);
}

inline bool same_ignoring_case(const std::string &a, const char *b) {
  if (a.size() != std::strlen(b))
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z')
      x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z')
      y = static_cast<char>(y - 'A' + 'a');
    if (x != y)
      return false;
  }
  return true;
}

// The first position at or after `from` holding one of `stops`, or where
// an inline comment starts (";" or "//" right after a blank, never at
// `from` itself), or the end of `s`.
inline std::size_t find_stop(const std::string &s, std::size_t from,
                             const std::string &stops) {
  for (std::size_t i = from; i < s.size(); ++i) {
    if (stops.find(s[i]) != std::string::npos)
      return i;
    const bool comment_mark =
        s[i] == ';' || (s[i] == '/' && i + 1 < s.size() && s[i + 1] == '/');
    if (i != from && is_blank(s[i - 1]) && comment_mark)
      return i;
  }
  return s.size();
}

// The number at the start of `text`: blanks first; "0x" or "0X" makes it
// hexadecimal, else an optional sign and decimal digits; it stops at the
// first byte that is no digit and clamps to the int64_t range.
inline std::int64_t to_int64(const std::string &text) {
  std::size_t i = 0;
  while (i < text.size() && is_blank(text[i]))
    ++i;
  unsigned base = 10;
  bool negative = false;
  if (i + 1 < text.size() && text[i] == '0' &&
      (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  } else if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::uint64_t limit = std::uint64_t{1} << 63; // |INT64_MIN|
  std::uint64_t magnitude = 0;
  bool beyond = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    unsigned digit = 99;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    if (digit >= base)
      break;
    if (beyond || magnitude > (limit - digit) / base)
      beyond = true;
    else
      magnitude = magnitude * base + digit;
  }
  if (negative)
    return beyond
               ? INT64_MIN
               : (magnitude == limit ? INT64_MIN
                                     : -static_cast<std::int64_t>(magnitude));
  return beyond || magnitude >= limit ? INT64_MAX
                                      : static_cast<std::int64_t>(magnitude);
}

inline std::uint32_t low_32(std::int64_t value) {
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(value));
}

// Splits at every ","; a piece of no length is skipped, any other is one
// value (a piece of blanks is 0). False when there are more than 16.
inline bool to_values(const std::string &text,
                      std::vector<std::uint32_t> &values) {
  values.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string piece = text.substr(
        start, comma == std::string::npos ? std::string::npos : comma - start);
    if (!piece.empty()) {
      if (values.size() == CONFIG_MAX_PARAMS)
        return false;
      values.push_back(low_32(to_int64(piece)));
    }
    if (comma == std::string::npos)
      return true;
    start = comma + 1;
  }
}

template <std::size_t N>
void copy_text(char (&field)[N], const std::string &v) {
  const std::size_t kept = std::min(v.size(), N - 1);
  std::memcpy(field, v.data(), kept);
  field[kept] = '\0';
}

struct section_name {
  const char *name;
  std::uint32_t code;
};

inline std::uint32_t section_code(const std::string &name) {
  static const section_name known[] = {
      {"camera parameter", CONFIG_TYPE_CAMERA},
      {"control parameter", CONFIG_TYPE_CONTROL},
      {"board parameter", CONFIG_TYPE_BOARD},
      {"board parameter||dev2", CONFIG_TYPE_BOARD | CONFIG_VARIANT_DEV2},
      {"board parameter||dev3||inf2",
       CONFIG_TYPE_BOARD | CONFIG_VARIANT_DEV3_INF2},
      {"board parameter||dev3||inf3",
       CONFIG_TYPE_BOARD | CONFIG_VARIANT_DEV3_INF3},
      {"register parameter", CONFIG_TYPE_REGISTER},
      {"register parameter||dev3||inf2",
       CONFIG_TYPE_REGISTER | CONFIG_VARIANT_DEV3_INF2},
      {"register parameter||dev3||inf3",
       CONFIG_TYPE_REGISTER | CONFIG_VARIANT_DEV3_INF3},
  };
  for (const section_name &s : known)
    if (name == s.name)
      return s.code;
  return 0;
}

// What one load builds before it becomes a camera_config.
struct load_state {
  camera_config config{};
  std::vector<config_entry> commands;
  std::vector<control_entry> controls;
  std::uint32_t section = 0;
  bool header_seen = false;
};

inline void set_camera_key(load_state &s, const std::string &name,
                           const std::string &value) {
  camera_config &c = s.config;
  std::vector<std::uint32_t> v;
  if (name == "CFG_MODE")
    c.cfg_mode = static_cast<std::int32_t>(low_32(to_int64(value)));
  else if (name == "TYPE")
    copy_text(c.type, value);
  else if (name == "SIZE") {
    if (to_values(value, v) && v.size() == 2) {
      c.width = static_cast<std::int32_t>(v[0]);
      c.height = static_cast<std::int32_t>(v[1]);
    }
  } else if (name == "BIT_WIDTH")
    c.bit_width = static_cast<std::uint8_t>(to_int64(value));
  else if (name == "FORMAT") {
    if (to_values(value, v) && (v.size() == 1 || v.size() == 2))
      c.format =
          static_cast<std::uint16_t>((v[0] << 8) | (v.size() == 2 ? v[1] : 0));
  } else if (name == "I2C_MODE")
    c.i2c_mode = static_cast<std::uint8_t>(to_int64(value));
  else if (name == "I2C_ADDR")
    c.i2c_addr = static_cast<std::uint16_t>(to_int64(value));
  else if (name == "TRANS_LVL")
    c.trans_lvl = static_cast<std::int32_t>(low_32(to_int64(value)));
}

inline void set_control_key(control_entry &k, const std::string &name,
                            const std::string &value) {
  if (name == "CTRL_NAME")
    copy_text(k.ctrl_name, value);
  else if (name == "FUNC_NAME")
    copy_text(k.func_name, value);
  else if (name == "MIN_VALUE")
    k.min_value = to_int64(value);
  else if (name == "MAX_VALUE")
    k.max_value = to_int64(value);
  else if (name == "STEP")
    k.step = static_cast<std::int32_t>(low_32(to_int64(value)));
  else if (name == "DEF")
    k.def = to_int64(value);
}

// An entry of the current section; false when the line is refused (a
// command with more values than an entry holds).
inline bool take_entry(load_state &s, const std::string &name,
                       const std::string &value) {
  switch (s.section & CONFIG_SECTION_MASK) {
  case CONFIG_TYPE_CAMERA:
    set_camera_key(s, name, value);
    return true;
  case CONFIG_TYPE_CONTROL:
    set_control_key(s.controls.back(), name, value);
    return true;
  case CONFIG_TYPE_BOARD:
  case CONFIG_TYPE_REGISTER: {
    std::uint32_t key = 0;
    if (name == "REG")
      key = CONFIG_KEY_REG;
    else if (name == "VRCMD")
      key = CONFIG_KEY_VRCMD;
    else if (name == "DELAY")
      key = CONFIG_KEY_DELAY;
    if (key == 0)
      return true;
    std::vector<std::uint32_t> values;
    if (!to_values(value, values))
      return false;
    config_entry entry{};
    entry.type = s.section | key;
    for (std::size_t i = 0; i < values.size(); ++i)
      entry.params[i] = values[i];
    entry.params_length = static_cast<std::uint8_t>(values.size());
    s.commands.push_back(entry);
    return true;
  }
  default:
    return true; // before any header, or an unknown section
  }
}

inline void take_code(load_state &s, const std::string &text) {
  if ((s.section & CONFIG_SECTION_MASK) != CONFIG_TYPE_CONTROL)
    return;
  control_entry &k = s.controls.back();
  std::free(k.code);
  k.code = static_cast<char *>(std::malloc(text.size() + 1));
  std::memcpy(k.code, text.c_str(), text.size() + 1);
}

// The file's lines as std::fgets with a 1024-byte buffer cuts them: up to
// and with a newline, at most 1023 bytes; each read only up to a NUL.
inline std::vector<std::string> lines_of(const std::string &bytes) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t length = 0;
    while (length < 1023 && at + length < bytes.size()) {
      ++length;
      if (bytes[at + length - 1] == '\n')
        break;
    }
    const std::string piece = bytes.substr(at, length);
    lines.push_back(piece.substr(0, piece.find('\0')));
    at += length;
  }
  return lines;
}

struct load_result {
  camera_config config{}; // the caller releases it
  int result = 0;
};

// Loads `bytes` as quelmix_parse_config loads a file holding them.
inline load_result load(const std::string &bytes) {
  const std::vector<std::string> lines = lines_of(bytes);
  load_state s;
  std::int64_t error_line = 0;
  const auto bad = [&error_line](std::size_t line) {
    if (error_line == 0)
      error_line = static_cast<std::int64_t>(line);
  };
  for (std::size_t n = 0; n < lines.size(); ++n) {
    std::string line = lines[n];
    if (n == 0 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
      line.erase(0, 3);
    const std::string text =
        without_leading_blanks(without_trailing_blanks(line));
    if (text.empty() || text[0] == ';' || text[0] == '#' ||
        text.compare(0, 2, "//") == 0)
      continue;
    if (text[0] == '[') {
      std::string header = text;
      std::size_t stop = find_stop(header, 1, "]");
      if (stop == header.size() || header[stop] != ']') {
        bad(n + 1);
        continue;
      }
      while (stop + 1 < header.size() && header[stop + 1] == '[') {
        header[stop] = '|';
        header[stop + 1] = '|';
        stop = find_stop(header, stop + 1, "]");
        if (stop == header.size() || header[stop] != ']')
          break;
      }
      const std::string name = header.substr(1, stop - 1).substr(0, 49);
      s.section = section_code(name);
      s.header_seen = true;
      if (s.section == CONFIG_TYPE_CONTROL)
        s.controls.push_back(control_entry{});
      continue;
    }
    if (same_ignoring_case(text, "======CODE_BLOCK_START======")) {
      std::string code;
      bool closed = false;
      while (++n < lines.size()) {
        const std::string kept = without_trailing_blanks(lines[n]);
        const std::string inner = without_leading_blanks(kept);
        if (!inner.empty() && inner[0] == '[') {
          const std::size_t stop = find_stop(inner, 1, "]");
          if (stop < inner.size() && inner[stop] == ']')
            break; // the header cuts the block and is not read
        }
        if (same_ignoring_case(inner, "======CODE_BLOCK_END======")) {
          closed = true;
          break;
        }
        code += kept + "\n";
      }
      if (!closed) {
        // Cut by a header (that line) or by the end (the last line).
        error_line = static_cast<std::int64_t>(std::min(n + 1, lines.size()));
        continue;
      }
      take_code(s, code);
      continue;
    }
    const std::size_t separator = find_stop(text, 0, "=:");
    if (separator == text.size() ||
        (text[separator] != '=' && text[separator] != ':')) {
      bad(n + 1);
      continue;
    }
    const std::string name = without_trailing_blanks(text.substr(0, separator));
    const std::size_t value_end = find_stop(text, separator + 1, "");
    const std::string value = without_leading_blanks(without_trailing_blanks(
        text.substr(separator + 1, value_end - separator - 1)));
    if (!take_entry(s, name, value))
      bad(n + 1);
  }
  load_result out;
  out.config = s.config;
  out.result = static_cast<int>(error_line);
  if (!s.commands.empty()) {
    out.config.configs = static_cast<config_entry *>(
        std::malloc(s.commands.size() * sizeof(config_entry)));
    std::memcpy(out.config.configs, s.commands.data(),
                s.commands.size() * sizeof(config_entry));
    out.config.configs_length = static_cast<std::uint32_t>(s.commands.size());
  }
  if (!s.controls.empty()) {
    out.config.controls = static_cast<control_entry *>(
        std::malloc(s.controls.size() * sizeof(control_entry)));
    std::memcpy(out.config.controls, s.controls.data(),
                s.controls.size() * sizeof(control_entry));
    out.config.controls_length = static_cast<std::uint32_t>(s.controls.size());
  }
  return out;
}

} // namespace quelmix::plain
