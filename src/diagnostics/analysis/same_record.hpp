// SPDX-License-Identifier: MIT
// Whether two loads gave the same record: what the formatter promises and
// what the fuzzers check. Header-only, so that targets linking nothing but
// the library's objects can use it.
#pragma once

#include <cstdint>
#include <cstring>

#include "quelmix_config_parser.h"

namespace quelmix {

// True when two records hold the same data, field by field (padding bytes
// are never written and may differ).
inline bool same_record(const camera_config &a, const camera_config &b) {
  if (a.cfg_mode != b.cfg_mode ||
      std::memcmp(a.type, b.type, sizeof a.type) != 0 || a.width != b.width ||
      a.height != b.height || a.bit_width != b.bit_width ||
      a.format != b.format || a.i2c_mode != b.i2c_mode ||
      a.i2c_addr != b.i2c_addr || a.trans_lvl != b.trans_lvl ||
      a.configs_length != b.configs_length ||
      a.controls_length != b.controls_length)
    return false;
  for (std::uint32_t i = 0; i < a.configs_length; ++i) {
    const config_entry &x = a.configs[i];
    const config_entry &y = b.configs[i];
    if (x.type != y.type || x.params_length != y.params_length ||
        std::memcmp(x.params, y.params, sizeof x.params) != 0)
      return false;
  }
  for (std::uint32_t i = 0; i < a.controls_length; ++i) {
    const control_entry &x = a.controls[i];
    const control_entry &y = b.controls[i];
    if (x.min_value != y.min_value || x.max_value != y.max_value ||
        x.step != y.step || x.def != y.def || x.reserved != y.reserved ||
        std::memcmp(x.ctrl_name, y.ctrl_name, sizeof x.ctrl_name) != 0 ||
        std::memcmp(x.func_name, y.func_name, sizeof x.func_name) != 0 ||
        (x.code == nullptr) != (y.code == nullptr) ||
        (x.code != nullptr && std::strcmp(x.code, y.code) != 0))
      return false;
  }
  return true;
}

// A fingerprint of everything `same_record` compares: two records with the
// same digest hold the same data (two independent 64-bit hashes; a chance
// collision is far beyond any file's reach). It lets a tool compare loads
// one at a time, holding one record, not two.
struct record_digest {
  std::uint64_t a = 0xcbf29ce484222325u; // FNV-1a's offset basis
  std::uint64_t b = 0x9e3779b97f4a7c15u;

  void add(const void *data, std::size_t size) {
    const auto *bytes = static_cast<const unsigned char *>(data);
    for (std::size_t i = 0; i < size; ++i) {
      a = (a ^ bytes[i]) * 0x100000001b3u;                      // FNV-1a
      b = (b + bytes[i] + 1) * 0xbf58476d1ce4e5b9u ^ (b >> 31); // splitmix
    }
  }
  template <typename T> void add(const T &value) { add(&value, sizeof value); }
  bool operator==(const record_digest &other) const {
    return a == other.a && b == other.b;
  }
};

inline record_digest digest_of(const camera_config &c) {
  record_digest d;
  d.add(c.cfg_mode);
  d.add(c.type);
  d.add(c.width);
  d.add(c.height);
  d.add(c.bit_width);
  d.add(c.format);
  d.add(c.i2c_mode);
  d.add(c.i2c_addr);
  d.add(c.trans_lvl);
  d.add(c.configs_length);
  for (std::uint32_t i = 0; i < c.configs_length; ++i) {
    d.add(c.configs[i].type);
    d.add(c.configs[i].params);
    d.add(c.configs[i].params_length);
  }
  d.add(c.controls_length);
  for (std::uint32_t i = 0; i < c.controls_length; ++i) {
    const control_entry &k = c.controls[i];
    d.add(k.min_value);
    d.add(k.max_value);
    d.add(k.step);
    d.add(k.def);
    d.add(k.reserved);
    d.add(k.ctrl_name);
    d.add(k.func_name);
    const bool has_code = k.code != nullptr;
    d.add(has_code);
    if (has_code)
      d.add(k.code, std::strlen(k.code) + 1);
  }
  return d;
}

} // namespace quelmix
