// SPDX-License-Identifier: MIT
#include "engine/analysis/entry_value.hpp"

#include <cstring>

#include "loader/fields.hpp"
#include "loader/loader.hpp"

namespace quelmix {
namespace {

// The record the key's line wrote into.
const void *written_record(const camera_config &config,
                           schema::record_kind record) {
  switch (record) {
  case schema::record_kind::camera:
    return &config;
  case schema::record_kind::control:
    return config.controls_length > 0 ? config.controls : nullptr;
  case schema::record_kind::command:
    return config.configs_length > 0 ? config.configs : nullptr;
  case schema::record_kind::none:
    break;
  }
  return nullptr;
}

void read_back(entry_value &out, const void *record) {
  const schema::key_spec &key = *out.key;
  switch (key.how) {
  case schema::conversion::text:
    out.text = text_field(record, key.field);
    return;
  case schema::conversion::command: {
    const auto &entry = *static_cast<const config_entry *>(record);
    out.numbers.assign(entry.params, entry.params + entry.params_length);
    return;
  }
  case schema::conversion::pair:
    out.numbers = {read_number(record, key.field),
                   read_number(record, key.second)};
    return;
  default:
    out.numbers = {read_number(record, key.field)};
    return;
  }
}

} // namespace

entry_value load_entry(std::uint32_t section_code, std::string_view name,
                       std::string_view value) {
  entry_value out;
  const schema::section_spec *section = schema::section_with_code(section_code);
  if (section == nullptr)
    return out;
  out.key = schema::find_key(section->kind->keys, name);
  if (out.key == nullptr)
    return out;
  const std::string key_name(name), text(value), section_name(section->name());
  camera_config scratch{};
  load_context context{&scratch};
  config_handler(&context, section_name.c_str(), nullptr, nullptr);
  // The loader says whether the line stored anything.
  struct listener {
    static void warned(void *, const load_warning &) noexcept {}
    static void told(void *user, const event_account &account) noexcept {
      *static_cast<bool *>(user) = account.outcome == event_outcome::stored;
    }
  };
  bool stored = false;
  const load_observer observer{listener::warned, listener::told, &stored};
  context.observer = &observer;
  config_handler(&context, section_name.c_str(), key_name.c_str(),
                 text.c_str());
  const void *record = written_record(scratch, out.key->record);
  out.stored = stored && record != nullptr;
  if (out.stored)
    read_back(out, record);
  quelmix_release_config(&scratch);
  return out;
}

} // namespace quelmix
