// SPDX-License-Identifier: MIT
#include "json_output.hpp"

#include <cstring>

#include "diagnostics/describe.hpp"
#include "diagnostics/utf8.hpp"
#include "loader/tables.hpp"

namespace quelmix::tools {
namespace {

void append_escape(std::string &out, unsigned code) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\u%04x", code);
  out += escape;
}

// Writes one JSON object's members, with the commas between them.
class object_writer {
public:
  explicit object_writer(std::string &out) : out_(out) { out_ += '{'; }
  ~object_writer() { out_ += '}'; }
  object_writer(const object_writer &) = delete;
  object_writer &operator=(const object_writer &) = delete;

  void number(const char *name, long long value) {
    key(name);
    out_ += std::to_string(value);
  }
  void boolean(const char *name, bool value) {
    key(name);
    out_ += value ? "true" : "false";
  }
  // A string, or null when `text` is null.
  void text(const char *name, const char *text) {
    key(name);
    if (text == nullptr)
      out_ += "null";
    else
      append_json_string(out_, text);
  }
  // A fixed-size text field of the record, up to its terminator.
  template <std::size_t N> void field(const char *name, const char (&text)[N]) {
    key(name);
    append_json_string(out_, std::string_view(text, strnlen(text, N)));
  }
  template <typename T>
  void numbers(const char *name, const T *values, std::size_t count) {
    key(name);
    out_ += '[';
    for (std::size_t i = 0; i < count; ++i)
      out_ += (i > 0 ? ", " : "") + std::to_string(values[i]);
    out_ += ']';
  }

private:
  void key(const char *name) {
    out_ += first_ ? "\"" : ", \"";
    first_ = false;
    out_ += name;
    out_ += "\": ";
  }

  std::string &out_;
  bool first_ = true;
};

// The library's own result: "line" as the library numbers lines, and
// "file_line" the same line as the file numbers it.
void append_result(std::string &out, const checked_text &checked) {
  const load_report &report = checked.report;
  object_writer result(out);
  result.boolean("ok", report.parse.line == 0);
  if (report.parse.line != 0) {
    result.number("line", report.parse.line);
    if (checked.result_line > 0)
      result.number("file_line", checked.result_line);
    std::string reason = describe_error(report);
    if (report.parse.line < 0)
      reason += std::string(": ") + std::strerror(report.parse.system_error);
    result.text("reason", reason.c_str());
  }
}

void append_camera(std::string &out, const camera_config &c) {
  object_writer camera(out);
  camera.number("cfg_mode", c.cfg_mode);
  camera.field("type", c.type);
  camera.number("width", c.width);
  camera.number("height", c.height);
  camera.number("bit_width", c.bit_width);
  camera.number("format", c.format);
  camera.number("i2c_mode", c.i2c_mode);
  camera.number("i2c_addr", c.i2c_addr);
  camera.number("trans_lvl", c.trans_lvl);
}

// Section, variant and kind come from the loader's tables, by code.
void append_command(std::string &out, const config_entry &e) {
  const char *section = lookup_name(section_table, e.type & ~CONFIG_KEY_MASK);
  const char *kind = lookup_name(register_key_table, e.type & CONFIG_KEY_MASK);
  const char *variant = section ? std::strstr(section, "||") : nullptr;
  object_writer command(out);
  command.text("section", section ? section : "");
  command.text("variant", variant ? variant + 2 : nullptr);
  command.text("kind", kind ? kind : "");
  command.number("type", e.type);
  command.numbers("values", e.params, e.params_length);
}

void append_control(std::string &out, const control_entry &k) {
  object_writer control(out);
  control.field("ctrl_name", k.ctrl_name);
  control.field("func_name", k.func_name);
  control.number("min_value", k.min_value);
  control.number("max_value", k.max_value);
  control.number("step", k.step);
  control.number("def", k.def);
  control.text("code", k.code);
}

void append_diagnostic(std::string &out, const diagnostic *d) {
  object_writer item(out);
  item.text("severity", d->level == severity::error ? "error" : "warning");
  item.number("line", d->line);
  item.number("column", d->column);
  item.text("kind", d->kind);
  item.text("message", d->message.c_str());
  if (!d->hint.empty())
    item.text("hint", d->hint.c_str());
}

void append_warning(std::string &out, const diagnostic *d) {
  object_writer warning(out);
  warning.number("line", d->line);
  warning.text("message", d->message.c_str());
}

// "[\n    item,\n    item\n  ]", or "[]" for no items.
template <typename T, typename Append>
void append_list(std::string &out, const T *items, std::size_t count,
                 Append append) {
  out += '[';
  for (std::size_t i = 0; i < count; ++i) {
    out += i == 0 ? "\n    " : ",\n    ";
    append(out, items[i]);
  }
  out += count > 0 ? "\n  ]" : "]";
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

std::string record_json(std::string_view name, const checked_text &checked,
                        const std::vector<const diagnostic *> &shown,
                        const camera_config &config) {
  std::vector<const diagnostic *> warnings;
  for (const diagnostic *d : shown)
    if (d->level == severity::warning)
      warnings.push_back(d);
  std::string out = "{\n  \"file\": ";
  append_json_string(out, name);
  out += ",\n  \"result\": ";
  append_result(out, checked);
  out += ",\n  \"camera\": ";
  append_camera(out, config);
  out += ",\n  \"commands\": ";
  append_list(out, config.configs, config.configs_length, append_command);
  out += ",\n  \"controls\": ";
  append_list(out, config.controls, config.controls_length, append_control);
  out += ",\n  \"diagnostics\": ";
  append_list(out, shown.data(), shown.size(), append_diagnostic);
  out += ",\n  \"warnings\": ";
  append_list(out, warnings.data(), warnings.size(), append_warning);
  out += "\n}";
  return out;
}

} // namespace quelmix::tools
