// SPDX-License-Identifier: MIT
// The loader's lookup tables, made at compile time from the schema: each
// an ordered array of (name, code) pairs ended by a pair with no name and
// code 0. Lookups compare byte for byte, letter case included.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "loader/schema.hpp"

namespace quelmix {

struct name_code {
  std::string_view name;
  std::uint32_t code;
};

namespace detail {

template <std::size_t N> using code_table = std::array<name_code, N + 1>;

// The section names, spelled into storage of their own: the table points
// there rather than into the schema's rows, which carry the words for
// people that the library's image need not hold.
inline constexpr auto section_spellings = [] {
  std::array<std::array<char, 48>, std::size(schema::sections)> names{};
  for (std::size_t i = 0; i < names.size(); ++i)
    names[i] = schema::sections[i].spelled;
  return names;
}();

constexpr auto make_section_table() {
  code_table<std::size(schema::sections)> table{};
  for (std::size_t i = 0; i < section_spellings.size(); ++i)
    table[i] = {{section_spellings[i].data(), schema::sections[i].length},
                schema::sections[i].code()};
  return table;
}

// A record kind's keys; a command's code is its kind (CONFIG_KEY_*), any
// other key's is its index in schema::keys plus one.
template <schema::record_kind Record> constexpr auto make_key_table() {
  constexpr auto indices = schema::keys_for<Record>();
  code_table<indices.size()> table{};
  std::size_t n = 0;
  for (std::uint8_t i : indices) {
    const schema::key_spec &key = schema::keys[i];
    table[n++] = {key.name, Record == schema::record_kind::command
                                ? key.command
                                : static_cast<std::uint32_t>(i) + 1};
  }
  return table;
}

} // namespace detail

inline constexpr auto section_table = detail::make_section_table();
inline constexpr auto camera_key_table =
    detail::make_key_table<schema::record_kind::camera>();
inline constexpr auto register_key_table =
    detail::make_key_table<schema::record_kind::command>();
inline constexpr auto control_key_table =
    detail::make_key_table<schema::record_kind::control>();

// The code of the first pair named `name`, or 0 when none is.
std::uint32_t lookup_code(const name_code *table, const char *name) noexcept;

namespace detail {
// Whether `name` is command key number `I` of the schema, compared byte by
// byte up to its terminator: the key is a constant, so the loop unrolls
// into the tests one would write by hand.
template <std::size_t I>
[[gnu::always_inline]] inline bool is_command(const char *name,
                                              std::uint32_t &kind) noexcept {
  constexpr const schema::key_spec &key = schema::keys[schema::COMMAND_KEYS[I]];
  for (std::size_t i = 0; i < key.name.size(); ++i)
    if (name[i] != key.name[i])
      return false;
  if (name[key.name.size()] != '\0')
    return false;
  kind = key.command;
  return true;
}

template <std::size_t... I>
[[gnu::always_inline]] inline std::uint32_t
command_kind(const char *name, std::index_sequence<I...>) noexcept {
  std::uint32_t kind = 0;
  (is_command<I>(name, kind) || ...);
  return kind;
}
} // namespace detail

// The kind of the command key `name` (what register_key_table gives), or
// 0: the commonest lookup of a large file, without a walk of the table.
[[gnu::always_inline]] inline std::uint32_t
command_kind(const char *name) noexcept {
  return detail::command_kind(
      name, std::make_index_sequence<schema::COMMAND_KEYS.size()>{});
}

namespace detail {
// The keys as the loader reads them at run time: the schema's rows without
// their descriptions, which are for people (hover, completion) and need not
// be in the library's image.
inline constexpr auto loader_keys = [] {
  std::array<schema::key_spec, schema::KEY_COUNT> rows{};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i] = schema::keys[i];
    rows[i].describes = {};
  }
  return rows;
}();
} // namespace detail

// The key a camera or control table's code stands for (its index in
// schema::keys is the code minus one).
inline const schema::key_spec &key_of_code(std::uint32_t code) noexcept {
  return detail::loader_keys[code - 1];
}

} // namespace quelmix
