// SPDX-License-Identifier: MIT
#include "engine/analysis/values.hpp"

#include <cstring>
#include <optional>
#include <string_view>

#include "engine/messages/words.hpp"
#include "loader/convert.hpp"
#include "loader/fields.hpp"
#include "parser/text.hpp"

namespace quelmix {
namespace {

using schema::conversion;

constexpr std::size_t SHOWN = 40; // bytes of file text quoted in a message

// One check of one value: the key, what the loader stored, where the value
// starts, and what has been found so far.
struct value_check {
  const schema::key_spec &key;
  const void *written; // the part of the record the line stored into
  const char *value;
  std::size_t comment; // where a comment-like marker starts, or npos
  std::vector<value_finding> &out;

  std::size_t at(const char *p) const {
    return static_cast<std::size_t>(p - value);
  }
  void add(diagnostic_kind kind, const char *p, std::string message,
           std::string hint = {},
           std::optional<quelmix::fix> remedy = std::nullopt) const {
    out.push_back(
        {kind, at(p), std::move(message), std::move(hint), std::move(remedy)});
  }

  // A fix that replaces bytes [begin, end) of the value with `text`; the
  // line then reads as the key with `promised` for its value (by default
  // the value so edited).
  quelmix::fix edit(std::string title, fix_safety safety, std::size_t begin,
                    std::size_t end, std::string text,
                    std::optional<std::string> promised = std::nullopt,
                    record_effect effect = record_effect::as_promised) const {
    const std::string_view v(value);
    if (!promised)
      promised =
          std::string(v.substr(0, begin)) + text + std::string(v.substr(end));
    return {std::move(title),
            safety,
            {{begin, end, std::move(text)}},
            line_promise{false, std::string(key.name), std::move(*promised)},
            effect};
  }
};

// What the record holds for number `index` of the value (for a byte pair,
// the whole 16-bit field).
std::optional<std::int64_t> stored(const value_check &c, std::size_t index) {
  if (c.written == nullptr)
    return std::nullopt;
  schema::field_ref field = c.key.field;
  if (c.key.how == conversion::pair && index == 1)
    field = c.key.second;
  if (c.key.how == conversion::command) {
    if (index >= CONFIG_MAX_PARAMS)
      return std::nullopt;
    field.offset =
        static_cast<std::uint16_t>(field.offset + index * field.size);
  }
  return read_number(c.written, field);
}

std::string_view text_of(const char *begin, const char *end) {
  return {begin, static_cast<std::size_t>(end - begin)};
}

// A "#" after a blank and some value text was evidently meant as a
// comment: ";" in its place makes it one, and the value is the text before
// it. A ";" or "//" inside a word ("a;b", "http://host") is as likely value
// text as a comment: only the author can say, so a blank before it is an
// unsafe fix. A marker that starts the value has no intent to read.
std::optional<quelmix::fix> comment_fix(const value_check &c, const char *p) {
  if (p == c.value)
    return std::nullopt;
  const std::size_t at = c.at(p);
  const std::string before(trim(std::string_view(c.value, at)));
  if (*p == '#')
    return c.edit("write \";\" for \"#\" to make it a comment",
                  fix_safety::safe, at, at + 1, ";", before);
  return c.edit("insert a blank to make it a comment", fix_safety::unsafe, at,
                at, " ", before);
}

// The first ";" or "//" (which start a comment only after a blank, and the
// parser has cut every such one already) or "#" (a comment only at a line's
// start) that a reader may take for a comment.
void find_comment_marker(value_check &c) {
  for (const char *p = c.value; *p != '\0'; ++p) {
    const bool after_blank = p == c.value || is_space(p[-1]);
    const char *hint = nullptr;
    if (*p == ';')
      hint = "\";\" starts a comment only after a blank";
    else if (p[0] == '/' && p[1] == '/')
      hint = "\"//\" starts a comment only after a blank";
    else if (*p == '#' && after_blank)
      hint = "\"#\" starts a comment only at the start of a line";
    if (hint != nullptr) {
      c.comment = c.at(p);
      c.add(diagnostic_kind::comment_in_value, p,
            quoted(p, SHOWN) + " stays part of the value", hint,
            comment_fix(c, p));
      return;
    }
  }
}

// The field's words: "I2C_ADDR (16 bits)", "a FORMAT byte", "a command
// value (32 bits)".
std::string field_words(const schema::key_spec &key) {
  const std::string bits = std::to_string(schema::value_bits(key)) + " bits";
  switch (key.how) {
  case conversion::byte_pair:
    return "a " + std::string(key.name) + " byte (" + bits + ")";
  case conversion::command:
    return "a command value (" + bits + ")";
  default:
    return std::string(key.name) + " (" + bits + ")";
  }
}

// "; the library stores 0x36" (in FORMAT, for a byte), or nothing when the
// record cannot tell.
std::string stored_words(const value_check &c, std::size_t index, bool hex) {
  const auto kept = stored(c, index);
  if (!kept)
    return "";
  const bool as_hex = hex || c.key.how != conversion::low_bits;
  std::string words = "; the library stores ";
  words += c.key.how == conversion::command && *kept >= 0
               ? spell_hex(static_cast<std::uint64_t>(*kept))
               : spell_number(*kept, as_hex);
  if (c.key.how == conversion::byte_pair)
    words += " in " + std::string(c.key.name);
  return words;
}

// Saturated 64-bit fields, numbers wider than their field, and negative
// numbers in fields a host reads as unsigned.
void check_fit(const value_check &c, const number_scan &scan,
               std::string_view written, std::size_t index) {
  const unsigned bits = schema::value_bits(c.key);
  if (bits >= 64) {
    if (scan.saturated)
      c.add(diagnostic_kind::value_out_of_range, scan.begin,
            quoted(written, SHOWN) +
                " is beyond the 64-bit range; the library stores " +
                std::to_string(scan.value));
    return;
  }
  const bool is_signed =
      c.key.field.is_signed && c.key.how != conversion::byte_pair;
  if (scan.value < 0 && !is_signed && !scan.saturated) {
    c.add(diagnostic_kind::negative_value, scan.begin,
          quoted(written, SHOWN) + " is negative, but " + field_words(c.key) +
              " is unsigned" + stored_words(c, index, scan.hex),
          "write the number the field should hold");
    return;
  }
  // A signed field keeps a bit pattern of up to 2^bits - 1 as well: "0xFFFF"
  // in a 16-bit field is meant as its bits.
  const std::int64_t lowest = is_signed ? -(std::int64_t{1} << (bits - 1)) : 0;
  const std::int64_t highest = (std::int64_t{1} << bits) - 1;
  if (!scan.saturated && scan.value >= lowest && scan.value <= highest)
    return;
  c.add(diagnostic_kind::value_out_of_range, scan.begin,
        quoted(written, SHOWN) + " does not fit " + field_words(c.key) +
            stored_words(c, index, scan.hex));
}

// "-0x10": a sign before 0x leaves base 10, so the number is the 0.
bool sign_before_hex(const number_scan &scan) {
  return (scan.begin[0] == '-' || scan.begin[0] == '+') &&
         scan.end - scan.digits == 1 && scan.digits[0] == '0' &&
         (scan.end[0] == 'x' || scan.end[0] == 'X');
}

void check_trailing_text(const value_check &c, const number_scan &scan,
                         const char *end) {
  const char *rest = skip_leading_space(scan.end);
  if (rest >= end || c.at(rest) == c.comment)
    return;
  std::string hint;
  std::optional<quelmix::fix> comma;
  if (sign_before_hex(scan)) {
    hint = "a sign before 0x makes the number decimal";
  } else if ((*rest >= '0' && *rest <= '9') || *rest == '-' || *rest == '+') {
    hint = "missing comma?";
    if (schema::takes_list(c.key))
      comma = c.edit("insert ','", fix_safety::unsafe, c.at(scan.end),
                     c.at(scan.end), ",");
  } else if ((*rest == 'e' || *rest == 'E') && !scan.hex) {
    hint = "exponents are not read";
  }
  // The number as written, unless the sign hides what it is ("-0x10" is
  // "-0" and then text, which reads as 0).
  const std::string number = sign_before_hex(scan)
                                 ? std::to_string(scan.value)
                                 : std::string(scan.begin, scan.end);
  c.add(diagnostic_kind::trailing_text, rest,
        quoted(trim(text_of(rest, end)), SHOWN) +
            " after the number is ignored; the library reads " + number,
        hint, comma);
}

void check_no_number(const value_check &c, const char *begin,
                     const number_scan &scan, std::string_view written,
                     bool whole_value) {
  if (written.empty() && whole_value) {
    c.add(diagnostic_kind::value_not_a_number, begin,
          std::string(c.key.name) + " has no value; the library reads 0");
    return;
  }
  if (c.comment != std::string_view::npos && c.at(scan.begin) >= c.comment)
    return; // the comment marker says it
  c.add(diagnostic_kind::value_not_a_number,
        written.empty() ? begin : scan.begin,
        written.empty()
            ? "blank value; the library reads 0"
            : quoted(written, SHOWN) + " is not a number; the library reads 0");
}

// One piece of a value, [begin, end): a number, nothing else.
void check_piece(const value_check &c, const char *begin, const char *end,
                 std::size_t index, bool whole_value) {
  if (c.comment != std::string_view::npos && c.at(begin) >= c.comment)
    return; // reported as a comment marker
  const number_scan scan = scan_number(begin);
  if (scan.end == scan.digits) {
    check_no_number(c, begin, scan, trim(text_of(begin, end)), whole_value);
    return;
  }
  check_trailing_text(c, scan, end);
  const std::string_view written = text_of(scan.begin, scan.end);
  if (!scan.hex && scan.digits[0] == '0' && scan.end - scan.digits > 1 &&
      scan.value != 0) {
    const char *significant = scan.digits;
    while (*significant == '0' && significant + 1 < scan.end)
      ++significant;
    c.add(diagnostic_kind::leading_zero, scan.begin,
          quoted(written, SHOWN) + " is read as decimal " +
              std::to_string(scan.value),
          "a leading zero does not mean octal",
          c.edit("drop the leading zero (the value stays " +
                     std::to_string(scan.value) + ")",
                 fix_safety::unsafe, c.at(scan.digits), c.at(significant), "",
                 std::nullopt, record_effect::keeps));
  }
  check_fit(c, scan, written, index);
}

// An empty piece goes with one of the commas around it; the values the
// loader reads stay the same (a missing value would change them, which
// only the author can say).
quelmix::fix empty_piece_fix(const value_check &c, const char *p) {
  const std::size_t at = c.at(p);
  const std::size_t comma = (p > c.value && p[-1] == ',') ? at - 1 : at;
  return c.edit("remove the empty value", fix_safety::unsafe, comma, comma + 1,
                "", std::nullopt, record_effect::keeps);
}

// Splits as the loader does: at every ","; pieces of no length are skipped.
// Returns the number of pieces read.
std::size_t check_list(const value_check &c) {
  std::size_t index = 0;
  const char *p = c.value;
  const char *const end = c.value + std::strlen(c.value);
  for (;;) {
    const char *comma = std::strchr(p, ',');
    const char *piece = comma != nullptr ? comma : end;
    if (piece != p)
      check_piece(c, p, piece, index++, false);
    else if (p != end || p[-1] == ',')
      c.add(diagnostic_kind::empty_value, p,
            "empty value in the list is skipped; the values after it are "
            "counted without it",
            {}, empty_piece_fix(c, p));
    if (comma == nullptr)
      return index;
    p = comma + 1;
  }
}

// A FORMAT of one value is its high byte: 0x21 loads as 0x2100.
void check_lone_byte(const value_check &c) {
  const number_scan scan = scan_number(skip_empty_pieces(c.value));
  if (scan.end == scan.digits)
    return;
  const std::string byte = std::string(scan.begin, scan.end);
  const std::string zero = scan.hex ? "0x00" : "0";
  c.add(diagnostic_kind::lone_format_value, scan.begin,
        std::string(c.key.name) + " has one value, which is its high byte" +
            stored_words(c, 0, true),
        "write \"" + byte + ", " + zero + "\" to say so, or \"" + zero + ", " +
            byte + "\" for the low byte",
        c.edit("write the low byte too: \"" + byte + ", " + zero + "\"",
               fix_safety::unsafe, c.at(scan.end), c.at(scan.end),
               ", " + zero));
}

} // namespace

std::vector<value_finding> check_value(const schema::key_spec &key,
                                       const char *value, const void *written) {
  std::vector<value_finding> found;
  value_check c{key, written, value, std::string_view::npos, found};
  find_comment_marker(c);
  if (key.how == conversion::text)
    return found;
  if (!schema::takes_list(key)) {
    check_piece(c, value, value + std::strlen(value), 0, true);
  } else if (*value != '\0') {
    const std::size_t pieces = check_list(c);
    if (key.how == conversion::byte_pair && pieces == 1)
      check_lone_byte(c);
  }
  return found;
}

} // namespace quelmix
