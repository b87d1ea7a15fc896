// SPDX-License-Identifier: MIT
#include "ci_output.hpp"

#include <algorithm>

#include "engine/messages/span.hpp"
#include "json_string.hpp"
#include "quelmix_config_parser.h"
#include "engine/messages/terminal.hpp"
#include "engine/messages/utf8.hpp"

namespace quelmix::tools {
namespace {

const char *level_name(severity level) {
  return level == severity::error ? "error" : "warning";
}

std::string json_text(std::string_view text) {
  std::string out;
  append_json_string(out, text);
  return out;
}

// Code points of the first `bytes` bytes of `line` (a byte that is not
// UTF-8 counts as one), plus one: SARIF's default column.
std::int64_t code_point_column(std::string_view line, std::size_t bytes) {
  std::int64_t column = 1;
  for (std::size_t i = 0; i < bytes && i < line.size(); ++column) {
    const std::size_t length = utf8_sequence(line.substr(i));
    i += length == 0 ? 1 : length;
  }
  return column;
}

std::string region(std::string_view text, const line_index &lines,
                   const diagnostic &d) {
  if (d.line < 1)
    return "";
  const std::string_view line = lines.line_text(d.line);
  const auto begin = static_cast<std::size_t>(d.column - 1);
  const std::size_t end = span_end(line, begin);
  (void)text;
  return ", \"region\": {\"startLine\": " + std::to_string(d.line) +
         ", \"startColumn\": " +
         std::to_string(code_point_column(line, begin)) +
         ", \"endLine\": " + std::to_string(d.line) +
         ", \"endColumn\": " + std::to_string(code_point_column(line, end)) +
         "}";
}

// A file name as a URI reference: every byte but the unreserved ones and
// "/" percent-encoded ("./h #1?.cfg" is "./h%20%231%3F.cfg"), so that a
// reader resolves it to the very bytes of the name.
std::string uri_reference(std::string_view name) {
  static constexpr char HEX[] = "0123456789ABCDEF";
  std::string out;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' ||
        c == '~' || c == '/')
      out += c;
    else
      out += {'%', HEX[byte >> 4], HEX[byte & 15]};
  }
  return out;
}

std::string artifact(std::string_view name) {
  return "{\"uri\": " + json_text(uri_reference(name)) + "}";
}

std::string sarif_fix(std::string_view name, const quelmix::fix &f) {
  std::string replacements;
  for (const text_edit &e : f.edits)
    replacements +=
        std::string(replacements.empty() ? "" : ", ") +
        "{\"deletedRegion\": {\"byteOffset\": " + std::to_string(e.begin) +
        ", \"byteLength\": " + std::to_string(e.end - e.begin) +
        "}, \"insertedContent\": {\"text\": " + json_text(e.text) + "}}";
  return "{\"description\": {\"text\": " +
         json_text(f.title +
                   (f.safety == fix_safety::safe ? " (safe)" : " (unsafe)")) +
         "}, \"artifactChanges\": [{\"artifactLocation\": " + artifact(name) +
         ", \"replacements\": [" + replacements + "]}]}";
}

} // namespace

void sarif_report::add_file(std::string_view name, std::string_view bytes,
                            const std::vector<const diagnostic *> &shown) {
  const line_index lines(bytes);
  for (const diagnostic *d : shown) {
    std::string message = d->message;
    if (!d->hint.empty())
      message += " (" + d->hint + ")";
    std::string result =
        "{\"ruleId\": " + json_text(name_of(d->kind)) +
        ", \"ruleIndex\": " + std::to_string(static_cast<int>(d->kind)) +
        ", \"level\": \"" + level_name(d->level()) +
        "\", \"message\": {\"text\": " + json_text(message) +
        "}, \"locations\": [{\"physicalLocation\": {\"artifactLocation\": " +
        artifact(name) + region(bytes, lines, *d) + "}}]";
    if (d->fix)
      result += ", \"fixes\": [" + sarif_fix(name, *d->fix) + "]";
    results_.push_back(result + "}");
  }
}

std::string sarif_report::document() const {
  std::string rules;
  for (const kind_info &k : kinds)
    rules += std::string(rules.empty() ? "" : ",\n          ") +
             "{\"id\": " + json_text(k.name) +
             ", \"shortDescription\": {\"text\": " + json_text(k.summary) +
             "}, \"defaultConfiguration\": {\"level\": \"" +
             level_name(k.level) + "\"}}";
  std::string results;
  for (const std::string &r : results_)
    results += std::string(results.empty() ? "" : ",\n        ") + r;
  const std::string version =
      std::to_string(QUELMIX_CONFIG_PARSER_VERSION_MAJOR) + "." +
      std::to_string(QUELMIX_CONFIG_PARSER_VERSION_MINOR) + "." +
      std::to_string(QUELMIX_CONFIG_PARSER_VERSION_PATCH);
  return "{\n  \"$schema\": "
         "\"https://json.schemastore.org/sarif-2.1.0.json\",\n"
         "  \"version\": \"2.1.0\",\n"
         "  \"runs\": [\n    {\n"
         "      \"tool\": {\"driver\": {\"name\": \"quelmix-config-check\", "
         "\"version\": \"" +
         version + "\", \"rules\": [\n          " + rules +
         "\n        ]}},\n"
         "      \"columnKind\": \"unicodeCodePoints\",\n"
         "      \"results\": [\n        " +
         results + "\n      ]\n    }\n  ]\n}\n";
}

std::string github_data(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '%')
      out += "%25";
    else if (c == '\r')
      out += "%0D";
    else if (c == '\n')
      out += "%0A";
    else
      out += c;
  }
  return out;
}

std::string github_property(std::string_view text) {
  std::string out;
  for (char c : github_data(text)) {
    if (c == ':')
      out += "%3A";
    else if (c == ',')
      out += "%2C";
    else
      out += c;
  }
  return out;
}

// A file name as a workflow command can carry it: a line break is escaped
// (github_property does that), every other control byte and invisible
// character cannot be and is shown as its bytes ("<1B>"), as on a
// terminal; an annotation on such a name attaches to no file.
std::string github_name(std::string_view name) {
  std::string out;
  for (std::size_t begin = 0; begin <= name.size();) {
    const std::size_t end =
        std::min(name.find_first_of("\r\n", begin), name.size());
    out += terminal_safe(name.substr(begin, end - begin));
    if (end < name.size())
      out += name[end];
    begin = end + 1;
  }
  return out;
}

std::string github_annotations(std::string_view name,
                               const std::vector<const diagnostic *> &shown) {
  std::string out;
  for (const diagnostic *d : shown) {
    std::string message = terminal_safe(d->message);
    if (!d->hint.empty())
      message += "\n" + terminal_safe(d->hint);
    out += "::" + std::string(level_name(d->level())) +
           " file=" + github_property(github_name(name));
    if (d->line > 0)
      out += ",line=" + std::to_string(d->line) +
             ",col=" + std::to_string(d->column);
    out += ",title=" + github_property(name_of(d->kind)) +
           "::" + github_data(message) + "\n";
  }
  return out;
}

} // namespace quelmix::tools
