// SPDX-License-Identifier: MIT
#include "json_output.hpp"

#include <cstring>

#include "json_string.hpp"
#include "loader/fields.hpp"
#include "loader/schema.hpp"

namespace quelmix::tools {
namespace {

// Writes one JSON object's members, with the commas between them.
class object_writer {
public:
  explicit object_writer(std::string &out) : out_(out) { out_ += '{'; }
  ~object_writer() { out_ += '}'; }
  object_writer(const object_writer &) = delete;
  object_writer &operator=(const object_writer &) = delete;

  void number(std::string_view name, long long value) {
    key(name);
    out_ += std::to_string(value);
  }
  void boolean(std::string_view name, bool value) {
    key(name);
    out_ += value ? "true" : "false";
  }
  void text(std::string_view name, std::string_view text) {
    key(name);
    append_json_string(out_, text);
  }
  // A string, or null when `text` is null.
  void text_or_null(std::string_view name, const char *text) {
    key(name);
    if (text == nullptr)
      out_ += "null";
    else
      append_json_string(out_, text);
  }
  // A fixed-size text field of the record, up to its terminator.
  void field(std::string_view name, const char *text, std::size_t size) {
    key(name);
    append_json_string(out_, std::string_view(text, strnlen(text, size)));
  }
  template <typename T>
  void numbers(std::string_view name, const T *values, std::size_t count) {
    key(name);
    out_ += '[';
    for (std::size_t i = 0; i < count; ++i)
      out_ += (i > 0 ? ", " : "") + std::to_string(values[i]);
    out_ += ']';
  }

private:
  void key(std::string_view name) {
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
    result.text("reason", checked.result_reason);
  }
}

// The fields a record kind's keys write, named as in the public header, in
// the schema's order.
void append_fields(object_writer &object, const void *record,
                   schema::record_kind kind) {
  for (const schema::key_spec &key : schema::keys) {
    if (key.record != kind)
      continue;
    if (key.how == schema::conversion::text) {
      object.field(key.field.name, text_field(record, key.field),
                   key.field.size);
      continue;
    }
    object.number(key.field.name, read_number(record, key.field));
    if (key.how == schema::conversion::pair)
      object.number(key.second.name, read_number(record, key.second));
  }
}

void append_camera(std::string &out, const camera_config &c) {
  object_writer camera(out);
  append_fields(camera, &c, schema::record_kind::camera);
}

// Section, variant and kind come from the schema, by code.
void append_command(std::string &out, const config_entry &e) {
  const schema::section_spec *section =
      schema::section_with_code(e.type & ~CONFIG_KEY_MASK);
  const schema::key_spec *key =
      schema::command_with_kind(e.type & CONFIG_KEY_MASK);
  object_writer command(out);
  command.text("section", section ? section->name() : "");
  if (section != nullptr && !section->suffix->suffix.empty())
    command.text("variant", section->suffix->suffix);
  else
    command.text_or_null("variant", nullptr);
  command.text("kind", key ? key->name : "");
  command.number("type", e.type);
  command.numbers("values", e.params, e.params_length);
}

void append_control(std::string &out, const control_entry &k) {
  object_writer control(out);
  append_fields(control, &k, schema::record_kind::control);
  control.text_or_null("code", k.code);
}

// `fails`: a warning the settings make fail the check (-Werror, -Werror=KIND,
// the project file's "error"), so that a script sees why the check failed.
void append_diagnostic(std::string &out, const diagnostic *d, bool fails) {
  object_writer item(out);
  item.text("severity", d->level() == severity::error ? "error" : "warning");
  item.number("line", d->line);
  item.number("column", d->column);
  item.text("kind", name_of(d->kind));
  item.text("message", d->message);
  if (!d->hint.empty())
    item.text("hint", d->hint);
  if (fails && d->level() == severity::warning)
    item.boolean("fails", true);
}

void append_warning(std::string &out, const diagnostic *d) {
  object_writer warning(out);
  warning.number("line", d->line);
  warning.text("message", d->message);
}

// "[\n    item,\n    item\n  ]", or "[]" for no items.
// Writes out what has been made so far once it grows large: a document of
// a million commands never sits in memory whole.
void drain(std::string &out, std::FILE *to) {
  if (out.size() < 64 * 1024)
    return;
  std::fwrite(out.data(), 1, out.size(), to);
  out.clear();
}

template <typename T, typename Append>
void append_list(std::string &out, std::FILE *to, const T *items,
                 std::size_t count, Append append) {
  out += '[';
  for (std::size_t i = 0; i < count; ++i) {
    out += i == 0 ? "\n    " : ",\n    ";
    append(out, items[i]);
    drain(out, to);
  }
  out += count > 0 ? "\n  ]" : "]";
}

} // namespace

void write_record_json(std::FILE *to, std::string_view name,
                       const checked_text &checked,
                       const std::vector<const diagnostic *> &shown,
                       const warning_options &settings,
                       const camera_config &config) {
  std::vector<const diagnostic *> warnings;
  for (const diagnostic *d : shown)
    if (d->level() == severity::warning)
      warnings.push_back(d);
  std::string out = "{\n  \"file\": ";
  append_json_string(out, name);
  out += ",\n  \"result\": ";
  append_result(out, checked);
  out += ",\n  \"camera\": ";
  append_camera(out, config);
  out += ",\n  \"commands\": ";
  append_list(out, to, config.configs, config.configs_length, append_command);
  out += ",\n  \"controls\": ";
  append_list(out, to, config.controls, config.controls_length, append_control);
  out += ",\n  \"diagnostics\": ";
  append_list(out, to, shown.data(), shown.size(),
              [&settings](std::string &item, const diagnostic *d) {
                append_diagnostic(item, d, settings.fails(*d));
              });
  out += ",\n  \"warnings\": ";
  append_list(out, to, warnings.data(), warnings.size(), append_warning);
  out += "\n}";
  std::fwrite(out.data(), 1, out.size(), to);
}

} // namespace quelmix::tools
