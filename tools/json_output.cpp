#include "json_output.hpp"

#include <cstring>

#include "loader/tables.hpp"

namespace quelmix::tools {
namespace {

// The length of the valid UTF-8 sequence at the start of `s`, or 0.
std::size_t utf8_sequence(std::string_view s) {
  const auto byte = [&s](std::size_t i) {
    return static_cast<unsigned char>(s[i]);
  };
  const unsigned lead = byte(0);
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xBF; // bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0)
      low = 0xA0; // no overlong forms
    if (lead == 0xED)
      high = 0x9F; // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0)
      low = 0x90;
    if (lead == 0xF4)
      high = 0x8F; // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (s.size() < length || byte(1) < low || byte(1) > high)
    return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF)
      return 0;
  return length;
}

void append_escape(std::string &out, unsigned code) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\u%04x", code);
  out += escape;
}

void append_number(std::string &out, long long value) {
  out += std::to_string(value);
}

void append_field(std::string &out, const char *name, long long value) {
  out += '"';
  out += name;
  out += "\": ";
  append_number(out, value);
}

void append_text_field(std::string &out, const char *name, const char *text,
                       std::size_t size) {
  out += '"';
  out += name;
  out += "\": ";
  append_json_string(out, std::string_view(text, strnlen(text, size)));
}

void append_result(std::string &out, const load_report &report,
                   const char *reason) {
  out += "  \"result\": {";
  if (report.parse.line == 0) {
    out += "\"ok\": true}";
    return;
  }
  out += "\"ok\": false, ";
  append_field(out, "line", report.parse.line);
  out += ", \"reason\": ";
  append_json_string(out, reason != nullptr ? reason : "");
  out += "}";
}

void append_camera(std::string &out, const camera_config &c) {
  out += "  \"camera\": {";
  append_field(out, "cfg_mode", c.cfg_mode);
  out += ", ";
  append_text_field(out, "type", c.type, sizeof c.type);
  out += ", ";
  append_field(out, "width", c.width);
  out += ", ";
  append_field(out, "height", c.height);
  out += ", ";
  append_field(out, "bit_width", c.bit_width);
  out += ", ";
  append_field(out, "format", c.format);
  out += ", ";
  append_field(out, "i2c_mode", c.i2c_mode);
  out += ", ";
  append_field(out, "i2c_addr", c.i2c_addr);
  out += ", ";
  append_field(out, "trans_lvl", c.trans_lvl);
  out += "}";
}

// Section, variant and kind come from the loader's tables, by code.
void append_command(std::string &out, const config_entry &e) {
  const char *section = lookup_name(section_table, e.type & ~CONFIG_KEY_MASK);
  const char *kind = lookup_name(register_key_table, e.type & CONFIG_KEY_MASK);
  const char *variant = section ? std::strstr(section, "||") : nullptr;
  out += "    {\"section\": ";
  append_json_string(out, section ? section : "");
  out += ", \"variant\": ";
  if (variant != nullptr)
    append_json_string(out, variant + 2);
  else
    out += "null";
  out += ", \"kind\": ";
  append_json_string(out, kind ? kind : "");
  out += ", ";
  append_field(out, "type", e.type);
  out += ", \"values\": [";
  for (unsigned i = 0; i < e.params_length; ++i) {
    if (i > 0)
      out += ", ";
    append_number(out, e.params[i]);
  }
  out += "]}";
}

void append_control(std::string &out, const control_entry &k) {
  out += "    {";
  append_text_field(out, "ctrl_name", k.ctrl_name, sizeof k.ctrl_name);
  out += ", ";
  append_text_field(out, "func_name", k.func_name, sizeof k.func_name);
  out += ", ";
  append_field(out, "min_value", k.min_value);
  out += ", ";
  append_field(out, "max_value", k.max_value);
  out += ", ";
  append_field(out, "step", k.step);
  out += ", ";
  append_field(out, "def", k.def);
  out += ", \"code\": ";
  if (k.code != nullptr)
    append_json_string(out, k.code);
  else
    out += "null";
  out += "}";
}

} // namespace

void append_json_string(std::string &out, std::string_view bytes) {
  out += '"';
  for (std::size_t i = 0; i < bytes.size();) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x80) {
      const std::size_t length = utf8_sequence(bytes.substr(i));
      if (length == 0) {
        append_escape(out, c);
        ++i;
      } else {
        out.append(bytes.substr(i, length));
        i += length;
      }
      continue;
    }
    switch (c) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\t':
      out += "\\t";
      break;
    case '\r':
      out += "\\r";
      break;
    default:
      if (c < 0x20 || c == 0x7F)
        append_escape(out, c);
      else
        out += static_cast<char>(c);
    }
    ++i;
  }
  out += '"';
}

std::string record_json(const char *path, const load_report &report,
                        const char *reason, const camera_config &config,
                        const std::vector<warning_line> &warnings) {
  std::string out = "{\n  \"file\": ";
  append_json_string(out, path);
  out += ",\n";
  append_result(out, report, reason);
  out += ",\n";
  append_camera(out, config);
  out += ",\n  \"commands\": [";
  for (std::uint32_t i = 0; i < config.configs_length; ++i) {
    out += i == 0 ? "\n" : ",\n";
    append_command(out, config.configs[i]);
  }
  out += config.configs_length ? "\n  ],\n" : "],\n";
  out += "  \"controls\": [";
  for (std::uint32_t i = 0; i < config.controls_length; ++i) {
    out += i == 0 ? "\n" : ",\n";
    append_control(out, config.controls[i]);
  }
  out += config.controls_length ? "\n  ],\n" : "],\n";
  out += "  \"warnings\": [";
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    out += i == 0 ? "\n    {" : ",\n    {";
    append_field(out, "line", warnings[i].line);
    out += ", \"message\": ";
    append_json_string(out, warnings[i].message);
    out += "}";
  }
  out += warnings.empty() ? "]\n}" : "\n  ]\n}";
  return out;
}

} // namespace quelmix::tools
