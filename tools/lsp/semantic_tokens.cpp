// SPDX-License-Identifier: MIT
#include "semantic_tokens.hpp"

#include <algorithm>
#include <vector>

#include "loader/convert.hpp"
#include "loader/schema.hpp"
#include "parser/text.hpp"

namespace quelmix::lsp {
namespace {

// Indices into the legend; the standard types where one fits.
enum token_type : unsigned {
  NAMESPACE, // a section header
  PROPERTY,  // a key
  NUMBER,
  OPERATOR, // "=", ":" and the commas of a list
  COMMENT,
  STRING,  // a text value, or a line the library refuses
  KEYWORD, // a code-block marker
  MACRO,   // code text
};
constexpr const char *TYPES[] = {"namespace", "property", "number",  "operator",
                                 "comment",   "string",   "keyword", "macro"};

enum token_modifier : unsigned {
  UNKNOWN = 1u << 0,       // a section or key the loader does not know
  REFUSED = 1u << 1,       // a line the library refuses
  NOT_A_COMMENT = 1u << 2, // looks like a comment, stays in the value
};
constexpr const char *MODIFIERS[] = {"unknown", "refused", "notAComment"};

struct token {
  std::size_t begin, end; // bytes of the line
  unsigned type, modifiers;
};

// The tokens of one physical line, in order, not overlapping.
class line_tokens {
public:
  explicit line_tokens(std::string_view text) : text_(text) {}

  void add(std::size_t begin, std::size_t end, unsigned type,
           unsigned modifiers = 0) {
    end = std::min(end, text_.size());
    if (begin < end)
      tokens_.push_back({begin, end, type, modifiers});
  }
  void add(text_span span, unsigned type, unsigned modifiers = 0) {
    add(span.begin, span.end, type, modifiers);
  }
  std::vector<token> take() { return std::move(tokens_); }
  std::string_view text() const { return text_; }

private:
  std::string_view text_;
  std::vector<token> tokens_;
};

// Where a comment-like marker that stays in the value starts, or npos.
std::size_t marker_in_value(std::string_view value) {
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == ';' ||
        (value[i] == '/' && i + 1 < value.size() && value[i + 1] == '/'))
      return i;
    if (value[i] == '#' && (i == 0 || is_space(value[i - 1])))
      return i;
  }
  return std::string_view::npos;
}

// A list or number value: numbers, commas, and the text around them.
void number_tokens(line_tokens &t, std::size_t base, std::string_view value) {
  const std::string text(value);
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ',') {
      t.add(base + i, base + i + 1, OPERATOR);
      ++i;
      continue;
    }
    if (is_space(text[i])) {
      ++i;
      continue;
    }
    const number_scan scan = scan_number(text.c_str() + i);
    const auto end = static_cast<std::size_t>(scan.end - text.c_str());
    if (scan.end != scan.digits) {
      t.add(base + i, base + end, NUMBER);
      i = end;
      continue;
    }
    std::size_t stop = text.find(',', i);
    stop = stop == std::string::npos ? text.size() : stop;
    t.add(base + i, base + stop, STRING);
    i = stop;
  }
}

void entry_tokens(line_tokens &t, const line_info &info) {
  const std::string_view name =
      t.text().substr(info.name.begin, info.name.end - info.name.begin);
  const schema::key_spec *key =
      schema::find_key(schema::keys_of_section(info.section), name);
  t.add(info.name, PROPERTY, key == nullptr ? unsigned{UNKNOWN} : 0u);
  t.add(info.separator, OPERATOR);
  const std::string_view value =
      t.text().substr(info.value.begin, info.value.end - info.value.begin);
  const std::size_t marker = marker_in_value(value);
  const std::string_view plain = value.substr(0, marker);
  if (key != nullptr && key->how != schema::conversion::text)
    number_tokens(t, info.value.begin, plain);
  else
    t.add(info.value.begin, info.value.begin + plain.size(), STRING);
  if (marker != std::string_view::npos)
    t.add(info.value.begin + marker, info.value.end, STRING, NOT_A_COMMENT);
  t.add(info.comment, COMMENT);
}

std::vector<token> tokens_of(const analysis &a, std::int64_t number) {
  const line_info &info = *a.info(number);
  line_tokens t(a.line(number));
  if (!info.whole)
    return {}; // spans of a line read in pieces are the last piece's
  const std::size_t first = t.text().find_first_not_of(" \t\v\f\r");
  const std::size_t text_begin =
      first == std::string_view::npos ? t.text().size() : first;
  switch (info.role) {
  case line_role::blank:
    break;
  case line_role::comment:
    t.add(text_begin, t.text().size(), COMMENT);
    break;
  case line_role::header:
    t.add(info.name.begin - 1, info.name.end + 1, NAMESPACE,
          info.section == 0 ? unsigned{UNKNOWN} : 0u);
    t.add(info.comment, COMMENT);
    break;
  case line_role::entry:
    entry_tokens(t, info);
    break;
  case line_role::block_start:
  case line_role::block_end:
    t.add(text_begin, t.text().size(), KEYWORD);
    break;
  case line_role::block_text:
    t.add(text_begin, t.text().size(), MACRO);
    break;
  case line_role::bad:
    t.add(text_begin, t.text().size(), STRING, REFUSED);
    break;
  }
  return t.take();
}

} // namespace

std::vector<std::string> semantic_token_types() {
  return {std::begin(TYPES), std::end(TYPES)};
}

std::vector<std::string> semantic_token_modifiers() {
  return {std::begin(MODIFIERS), std::end(MODIFIERS)};
}

std::vector<std::uint32_t>
semantic_tokens(const analysis &a, std::int64_t first, std::int64_t last) {
  std::vector<std::uint32_t> data;
  std::int64_t previous_line = 0;
  std::size_t previous_start = 0;
  last = std::min(last, a.line_count());
  for (std::int64_t number = std::max<std::int64_t>(first, 1); number <= last;
       ++number) {
    for (const token &t : tokens_of(a, number)) {
      const std::size_t start = a.character(number, t.begin);
      const std::size_t length = a.character(number, t.end) - start;
      const auto line_delta =
          static_cast<std::uint32_t>(number - 1 - previous_line);
      data.insert(data.end(),
                  {line_delta,
                   static_cast<std::uint32_t>(
                       line_delta == 0 ? start - previous_start : start),
                   static_cast<std::uint32_t>(length), t.type, t.modifiers});
      previous_line = number - 1;
      previous_start = start;
    }
  }
  return data;
}

} // namespace quelmix::lsp
