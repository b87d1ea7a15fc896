// SPDX-License-Identifier: MIT
// How a camera or control key's value reaches its field: the schema's
// conversion, applied to the record through the field's description.
#include "loader/fields.hpp"
#include "loader/loader.hpp"

namespace quelmix {
namespace {

// A value list with a count the key does not take changes nothing.
bool takes_count(load_context &context, const schema::key_spec &key,
                 const char *section, const value_list &list,
                 bool fits) noexcept {
  if (fits && list.count >= key.fewest && list.count <= key.most)
    return true;
  warn(context,
       load_warning{warning_kind::wrong_value_count, section, key.name.data(),
                    fits ? list.count : CONFIG_MAX_PARAMS + 1u, key.fewest,
                    key.most});
  return false;
}

} // namespace

bool store_key(load_context &context, void *record, const schema::key_spec &key,
               const char *section, const char *value) noexcept {
  using schema::conversion;
  value_list list;
  switch (key.how) {
  case conversion::text:
    if (!copy_text_field(text_field(record, key.field), key.field.size, value))
      warn(context, load_warning{warning_kind::value_cut, section,
                                 key.name.data(), key.field.size - 1u, 0, 0});
    return true;
  case conversion::low_bits:
  case conversion::saturated:
    store_number(record, key.field, parse_int64(value));
    return true;
  case conversion::pair:
  case conversion::byte_pair: {
    const bool fits = parse_value_list(value, list);
    if (!takes_count(context, key, section, list, fits))
      return false;
    if (key.how == conversion::pair) {
      store_number(record, key.field, list.values[0]);
      store_number(record, key.second, list.values[1]);
    } else {
      store_number(record, key.field,
                   (list.values[0] << 8) |
                       (list.count == 2 ? list.values[1] : 0));
    }
    return true;
  }
  case conversion::command:
    break; // commands are appended, not stored (command_list.cpp)
  }
  return false;
}

} // namespace quelmix
