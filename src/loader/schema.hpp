// SPDX-License-Identifier: MIT
// The dialect's knowledge, written once: every section the loader knows,
// every key it takes, the record field each key writes and how a value is
// converted to fit it. The loader's lookups and stores, and every tool's
// checks, hints, completions and JSON names, are read from these tables.
//
// Adding a key is one row in `keys` (and, for a new field, that field in
// the public header). Field offsets, widths and signedness are taken from
// the record's own declarations, so they cannot drift from the header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "quelmix_config_parser.h"

namespace quelmix::schema {

// Which record a section's keys write: the camera fields, the current
// control, or a new command appended to `configs`.
enum class record_kind : std::uint8_t { none, camera, control, command };

// What a key does with its value.
enum class conversion : std::uint8_t {
  text,      // copied into a text field, cut to its size - 1 bytes
  low_bits,  // the number's low bits that fit the field (it wraps)
  saturated, // the number as the 64-bit conversion gives it (it clamps)
  pair,      // exactly two numbers, low 32 bits each, into two fields
  byte_pair, // one or two numbers: the first the high byte, the second the
             // low byte of a 16-bit field (a lone number is the high byte)
  command,   // up to CONFIG_MAX_PARAMS numbers, low 32 bits each, as the
             // values of a new command
};

// A record field: where it is, how wide, how a host reads it.
struct field_ref {
  std::uint16_t offset = 0; // in camera_config, control_entry or config_entry
  std::uint16_t size = 0;   // bytes (a text field's whole array)
  bool is_signed = false;
  std::string_view name; // the field's name in the public header
};

} // namespace quelmix::schema

// The field `member` of `record`, described from its own declaration. A
// macro because offsetof and the member's name need the spelled member.
#define QUELMIX_FIELD(record, member)                                          \
  ::quelmix::schema::field_ref {                                               \
    static_cast<std::uint16_t>(offsetof(record, member)),                      \
        static_cast<std::uint16_t>(sizeof(record::member)),                    \
        std::is_signed_v<std::remove_extent_t<decltype(record::member)>>,      \
        #member                                                                \
  }

namespace quelmix::schema {

struct key_spec {
  std::string_view name; // as written in a file (letter case counts)
  record_kind record;    // the sections that take it
  conversion how;
  field_ref field;  // the field it writes (a command: one of its values)
  field_ref second; // `pair`: the field the second number goes to
  // How many values it takes: a value list with another count changes
  // nothing (commands refuse more than `most`).
  std::uint8_t fewest = 1, most = 1;
  std::uint32_t command = 0;  // a command's kind (CONFIG_KEY_*), else 0
  std::string_view describes; // what it means, in a few words
};

inline constexpr field_ref COMMAND_VALUE = {
    static_cast<std::uint16_t>(offsetof(config_entry, params)),
    sizeof(config_entry::params[0]), false, "params"};

// Every key, section by section, each section's keys in the order tools
// show them (the record's order; names first for a control). Names are
// unique within a section, so the order of lookup changes nothing.
inline constexpr key_spec keys[] = {
    {"CFG_MODE",
     record_kind::camera,
     conversion::low_bits,
     QUELMIX_FIELD(camera_config, cfg_mode),
     {},
     1,
     1,
     0,
     "the camera's configuration mode"},
    {"TYPE",
     record_kind::camera,
     conversion::text,
     QUELMIX_FIELD(camera_config, type),
     {},
     1,
     1,
     0,
     "the camera's type, a name"},
    {"SIZE", record_kind::camera, conversion::pair,
     QUELMIX_FIELD(camera_config, width), QUELMIX_FIELD(camera_config, height),
     2, 2, 0, "the image size in pixels: width, then height"},
    {"BIT_WIDTH",
     record_kind::camera,
     conversion::low_bits,
     QUELMIX_FIELD(camera_config, bit_width),
     {},
     1,
     1,
     0,
     "bits per pixel"},
    {"FORMAT",
     record_kind::camera,
     conversion::byte_pair,
     QUELMIX_FIELD(camera_config, format),
     {},
     1,
     2,
     0,
     "the pixel format: its high byte, then its low byte"},
    {"I2C_MODE",
     record_kind::camera,
     conversion::low_bits,
     QUELMIX_FIELD(camera_config, i2c_mode),
     {},
     1,
     1,
     0,
     "the mode of the camera's I2C bus"},
    {"I2C_ADDR",
     record_kind::camera,
     conversion::low_bits,
     QUELMIX_FIELD(camera_config, i2c_addr),
     {},
     1,
     1,
     0,
     "the camera's address on its I2C bus"},
    {"TRANS_LVL",
     record_kind::camera,
     conversion::low_bits,
     QUELMIX_FIELD(camera_config, trans_lvl),
     {},
     1,
     1,
     0,
     "the transfer level"},
    {"REG",
     record_kind::command,
     conversion::command,
     COMMAND_VALUE,
     {},
     0,
     CONFIG_MAX_PARAMS,
     CONFIG_KEY_REG,
     "a register write: the register, then its values"},
    {"DELAY",
     record_kind::command,
     conversion::command,
     COMMAND_VALUE,
     {},
     0,
     CONFIG_MAX_PARAMS,
     CONFIG_KEY_DELAY,
     "a pause before the next command"},
    {"VRCMD",
     record_kind::command,
     conversion::command,
     COMMAND_VALUE,
     {},
     0,
     CONFIG_MAX_PARAMS,
     CONFIG_KEY_VRCMD,
     "a vendor command and its arguments"},
    {"CTRL_NAME",
     record_kind::control,
     conversion::text,
     QUELMIX_FIELD(control_entry, ctrl_name),
     {},
     1,
     1,
     0,
     "the control's name"},
    {"FUNC_NAME",
     record_kind::control,
     conversion::text,
     QUELMIX_FIELD(control_entry, func_name),
     {},
     1,
     1,
     0,
     "the name of the function behind the control"},
    {"MIN_VALUE",
     record_kind::control,
     conversion::saturated,
     QUELMIX_FIELD(control_entry, min_value),
     {},
     1,
     1,
     0,
     "the control's lowest value"},
    {"MAX_VALUE",
     record_kind::control,
     conversion::saturated,
     QUELMIX_FIELD(control_entry, max_value),
     {},
     1,
     1,
     0,
     "the control's highest value"},
    {"STEP",
     record_kind::control,
     conversion::low_bits,
     QUELMIX_FIELD(control_entry, step),
     {},
     1,
     1,
     0,
     "the step between the control's values"},
    {"DEF",
     record_kind::control,
     conversion::saturated,
     QUELMIX_FIELD(control_entry, def),
     {},
     1,
     1,
     0,
     "the control's default value"},
};

inline constexpr std::size_t KEY_COUNT = std::size(keys);

// Takes a list of values rather than one number.
constexpr bool takes_list(const key_spec &key) noexcept {
  return key.how == conversion::pair || key.how == conversion::byte_pair ||
         key.how == conversion::command;
}

// The width in bits of each number the key stores (a byte of a byte pair,
// one value of a command); 0 for text.
constexpr unsigned value_bits(const key_spec &key) noexcept {
  switch (key.how) {
  case conversion::text:
    return 0;
  case conversion::byte_pair:
    return 8;
  default:
    return 8u * key.field.size;
  }
}

// What the record holds for one number `value` (the 64-bit conversion) of
// the key: its low bits, read as the field is declared. A byte pair's byte
// is its low 8 bits; the 64-bit fields keep the conversion as it is.
constexpr std::int64_t stored_number(const key_spec &key,
                                     std::int64_t value) noexcept {
  const unsigned bits = value_bits(key);
  if (bits == 0 || bits >= 64)
    return value;
  const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
  const std::uint64_t low = static_cast<std::uint64_t>(value) & mask;
  const bool negative = key.field.is_signed &&
                        key.how != conversion::byte_pair &&
                        (low >> (bits - 1)) != 0;
  return negative ? static_cast<std::int64_t>(low | ~mask)
                  : static_cast<std::int64_t>(low);
}

// The base of a section's name, its kind's code and the keys it takes.
struct section_kind {
  std::string_view name;
  std::uint32_t code;
  record_kind keys;
  std::string_view describes;
};

inline constexpr section_kind section_kinds[] = {
    {"camera parameter", CONFIG_TYPE_CAMERA, record_kind::camera,
     "the camera's parameters"},
    {"control parameter", CONFIG_TYPE_CONTROL, record_kind::control,
     "one control: its range, names and code block (each such header adds "
     "a control)"},
    {"board parameter", CONFIG_TYPE_BOARD, record_kind::command,
     "board commands, appended to the command list in file order"},
    {"register parameter", CONFIG_TYPE_REGISTER, record_kind::command,
     "register commands, appended to the command list in file order"},
};

// A variant suffix, joined to its section kind's name with "||".
struct variant {
  std::string_view suffix; // empty for the plain section
  std::uint32_t code;
};

inline constexpr std::string_view VARIANT_JOIN = "||";

inline constexpr variant variants[] = {
    {"", 0},
    {"dev2", CONFIG_VARIANT_DEV2},
    {"dev3||inf2", CONFIG_VARIANT_DEV3_INF2},
    {"dev3||inf3", CONFIG_VARIANT_DEV3_INF3},
};

// A known section: a kind with one of its variants. Its full name is built
// at compile time ("board parameter||dev2").
struct section_spec {
  const section_kind *kind;
  const variant *suffix;
  std::array<char, 48> spelled{};
  std::uint8_t length = 0;

  constexpr std::string_view name() const noexcept {
    return {spelled.data(), length};
  }
  constexpr std::uint32_t code() const noexcept {
    return kind->code | suffix->code;
  }
};

constexpr section_spec make_section(std::size_t kind, std::size_t suffix) {
  section_spec s{&section_kinds[kind], &variants[suffix]};
  const auto append = [&s](std::string_view part) {
    for (char c : part)
      s.spelled[s.length++] = c;
  };
  append(s.kind->name);
  if (!s.suffix->suffix.empty()) {
    append(VARIANT_JOIN);
    append(s.suffix->suffix);
  }
  return s;
}

// The nine sections in the order they are looked up.
inline constexpr section_spec sections[] = {
    make_section(0, 0), make_section(1, 0), make_section(2, 0),
    make_section(2, 1), make_section(2, 2), make_section(2, 3),
    make_section(3, 0), make_section(3, 2), make_section(3, 3),
};

// Byte-for-byte lookups (letter case counts); null when nothing matches.
constexpr const section_spec *find_section(std::string_view name) noexcept {
  for (const section_spec &s : sections)
    if (s.name() == name)
      return &s;
  return nullptr;
}

constexpr const section_spec *section_with_code(std::uint32_t code) noexcept {
  for (const section_spec &s : sections)
    if (s.code() == code)
      return &s;
  return nullptr;
}

// The keys a section of `code` takes (none for 0 and unknown codes): one
// lookup by the section kind's byte, cheap enough for every line.
inline constexpr std::array<record_kind, 256> KEYS_BY_KIND = [] {
  std::array<record_kind, 256> table{};
  for (const section_kind &kind : section_kinds)
    table[kind.code >> 24] = kind.keys;
  return table;
}();

constexpr record_kind keys_of_section(std::uint32_t code) noexcept {
  return KEYS_BY_KIND[code >> 24];
}

constexpr const key_spec *find_key(record_kind record,
                                   std::string_view name) noexcept {
  for (const key_spec &key : keys)
    if (key.record == record && key.name == name)
      return &key;
  return nullptr;
}

constexpr const key_spec *command_with_kind(std::uint32_t kind) noexcept {
  for (const key_spec &key : keys)
    if (key.record == record_kind::command && key.command == kind)
      return &key;
  return nullptr;
}

constexpr std::size_t index_of(const key_spec &key) noexcept {
  return static_cast<std::size_t>(&key - keys);
}

// The keys of one record kind, in lookup order, as indices into `keys`.
template <record_kind Record> constexpr auto keys_for() {
  constexpr std::size_t count = [] {
    std::size_t n = 0;
    for (const key_spec &key : keys)
      n += key.record == Record;
    return n;
  }();
  std::array<std::uint8_t, count> found{};
  std::size_t n = 0;
  for (std::size_t i = 0; i < KEY_COUNT; ++i)
    if (keys[i].record == Record)
      found[n++] = static_cast<std::uint8_t>(i);
  return found;
}

inline constexpr auto COMMAND_KEYS = keys_for<record_kind::command>();

// Facts the loader and the tools rely on, checked where they are written.
constexpr bool names_unique() {
  for (std::size_t i = 0; i < KEY_COUNT; ++i)
    for (std::size_t j = i + 1; j < KEY_COUNT; ++j)
      if (keys[i].record == keys[j].record && keys[i].name == keys[j].name)
        return false;
  return true;
}
static_assert(names_unique(), "a section's keys are found by name alone");
static_assert(KEY_COUNT <= 32, "camera keys seen are one bit per key");

} // namespace quelmix::schema
