// SPDX-License-Identifier: MIT
// Whether two loads gave the same record: what the formatter promises and
// what the fuzzers check. Header-only, so that targets linking nothing but
// the library's objects can use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "quelmix_config_parser.h"

namespace quelmix {

// Hands `add(data, size)` every piece of data a record holds, in a fixed
// order, with the lists' lengths before their entries and a flag before
// each code text: two records give the same sequence exactly when they
// hold the same data. Padding bytes, which are never written, are left out.
template <typename Add> void visit_record(const camera_config &c, Add &&add) {
  const auto field = [&add](const auto &value) { add(&value, sizeof value); };
  field(c.cfg_mode);
  field(c.type);
  field(c.width);
  field(c.height);
  field(c.bit_width);
  field(c.format);
  field(c.i2c_mode);
  field(c.i2c_addr);
  field(c.trans_lvl);
  field(c.configs_length);
  for (std::uint32_t i = 0; i < c.configs_length; ++i) {
    field(c.configs[i].type);
    field(c.configs[i].params);
    field(c.configs[i].params_length);
  }
  field(c.controls_length);
  for (std::uint32_t i = 0; i < c.controls_length; ++i) {
    const control_entry &k = c.controls[i];
    field(k.min_value);
    field(k.max_value);
    field(k.step);
    field(k.def);
    field(k.reserved);
    field(k.ctrl_name);
    field(k.func_name);
    const bool has_code = k.code != nullptr;
    field(has_code);
    if (has_code)
      add(k.code, std::strlen(k.code) + 1);
  }
}

// True when two records hold the same data.
inline bool same_record(const camera_config &a, const camera_config &b) {
  const auto flatten = [](const camera_config &c) {
    std::string bytes;
    visit_record(c, [&bytes](const void *data, std::size_t size) {
      bytes.append(static_cast<const char *>(data), size);
    });
    return bytes;
  };
  return flatten(a) == flatten(b);
}

// A fingerprint of the same data: two records with the same digest hold the
// same data (two independent 64-bit hashes; a chance collision is far
// beyond any file's reach). It lets a tool compare loads one at a time,
// holding one record, not two.
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
  bool operator==(const record_digest &other) const {
    return a == other.a && b == other.b;
  }
};

inline record_digest digest_of(const camera_config &c) {
  record_digest d;
  visit_record(c,
               [&d](const void *data, std::size_t size) { d.add(data, size); });
  return d;
}

} // namespace quelmix
