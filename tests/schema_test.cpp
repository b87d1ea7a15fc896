// SPDX-License-Identifier: MIT
// The schema against the record: every key, loaded through the library,
// writes the field it names, as wide and as signed as it claims, and
// nothing else.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>

#include "loader/schema.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

using schema::conversion;

// The fields as this test reads the header, independently of the schema.
struct known_field {
  const char *name;
  std::size_t offset, size;
  bool is_signed;
};

#define FIELD(record, member)                                                  \
  known_field {                                                                \
#member, offsetof(record, member), sizeof(record::member),                 \
        std::is_signed_v < std::remove_extent_t < decltype(record::member)>>   \
  }

const known_field CAMERA_FIELDS[] = {
    FIELD(camera_config, cfg_mode),  FIELD(camera_config, type),
    FIELD(camera_config, width),     FIELD(camera_config, height),
    FIELD(camera_config, bit_width), FIELD(camera_config, format),
    FIELD(camera_config, i2c_mode),  FIELD(camera_config, i2c_addr),
    FIELD(camera_config, trans_lvl),
};
const known_field CONTROL_FIELDS[] = {
    FIELD(control_entry, min_value), FIELD(control_entry, max_value),
    FIELD(control_entry, step),      FIELD(control_entry, def),
    FIELD(control_entry, ctrl_name), FIELD(control_entry, func_name),
};
#undef FIELD

template <std::size_t N>
const known_field *find(const known_field (&fields)[N], std::string_view name) {
  for (const known_field &f : fields)
    if (name == f.name)
      return &f;
  return nullptr;
}

// The field as the test knows it, checked against the schema's claim.
const known_field &field_named(const schema::key_spec &key,
                               const schema::field_ref &ref) {
  const known_field *known = key.record == schema::record_kind::camera
                                 ? find(CAMERA_FIELDS, ref.name)
                                 : find(CONTROL_FIELDS, ref.name);
  EXPECT_NE(known, nullptr) << key.name << " names " << ref.name;
  static const known_field none{"", 0, 0, false};
  if (known == nullptr)
    return none;
  EXPECT_EQ(ref.offset, known->offset) << key.name;
  EXPECT_EQ(ref.size, known->size) << key.name;
  EXPECT_EQ(ref.is_signed, known->is_signed) << key.name;
  return *known;
}

std::int64_t read(const unsigned char *record, const known_field &f) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, record + f.offset, f.size);
  const unsigned width = 8u * static_cast<unsigned>(f.size);
  if (f.is_signed && width < 64 && (bits >> (width - 1)) != 0)
    bits |= ~((std::uint64_t{1} << width) - 1);
  return static_cast<std::int64_t>(bits);
}

// Bytes of `record` outside the given fields that are not zero.
std::size_t stray_bytes(const unsigned char *record, std::size_t size,
                        const known_field &a, const known_field *b) {
  std::size_t stray = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const bool in_a = i >= a.offset && i < a.offset + a.size;
    const bool in_b = b != nullptr && i >= b->offset && i < b->offset + b->size;
    stray += !in_a && !in_b && record[i] != 0;
  }
  return stray;
}

const char *section_for(schema::record_kind record) {
  for (const schema::section_spec &s : schema::sections)
    if (s.kind->keys == record)
      return s.name().data(); // the spelled names are zero-padded arrays
  return "";
}

// One key's line loaded alone; `check` looks at what it wrote.
template <typename Check>
void load_key(const schema::key_spec &key, const std::string &value,
              Check check) {
  const std::string text = "[" + std::string(section_for(key.record)) + "]\n" +
                           std::string(key.name) + " = " + value + "\n";
  scoped_config config;
  const load_report report = load_string(text, config.get());
  check(config.value, report.parse.line);
}

void check_field_key(const schema::key_spec &key) {
  const known_field &first = field_named(key, key.field);
  const known_field *second =
      key.how == conversion::pair ? &field_named(key, key.second) : nullptr;
  const unsigned bits = schema::value_bits(key);
  std::string value;
  switch (key.how) {
  case conversion::text:
    value = std::string(first.size + 5, 'x');
    break;
  case conversion::low_bits: // a 1 beyond the field, the field's top bit set
    value = std::to_string((std::uint64_t{1} << bits) |
                           (std::uint64_t{1} << (bits - 1)) | 5);
    break;
  case conversion::saturated:
    value = "99999999999999999999";
    break;
  case conversion::pair:
    value = "4294967298, -3";
    break;
  case conversion::byte_pair:
    value = "0x1234, 0x56";
    break;
  case conversion::command:
    return;
  }
  load_key(key, value, [&](const camera_config &config, int result) {
    ASSERT_EQ(result, 0) << key.name;
    const unsigned char *record =
        key.record == schema::record_kind::camera
            ? reinterpret_cast<const unsigned char *>(&config)
            : reinterpret_cast<const unsigned char *>(config.controls);
    ASSERT_NE(record, nullptr) << key.name;
    const std::size_t size = key.record == schema::record_kind::camera
                                 ? sizeof(camera_config)
                                 : sizeof(control_entry);
    EXPECT_EQ(stray_bytes(record, size, first, second), 0u) << key.name;
    const std::int64_t top =
        bits > 0 && bits < 64 ? std::int64_t{1} << (bits - 1) : 0;
    switch (key.how) {
    case conversion::text:
      EXPECT_EQ(
          std::strlen(reinterpret_cast<const char *>(record) + first.offset),
          first.size - 1)
          << key.name;
      break;
    case conversion::low_bits:
      EXPECT_EQ(read(record, first), first.is_signed ? -top + 5 : top | 5)
          << key.name;
      break;
    case conversion::saturated:
      EXPECT_EQ(read(record, first), INT64_MAX) << key.name;
      break;
    case conversion::pair:
      EXPECT_EQ(read(record, first), 2) << key.name;
      EXPECT_EQ(read(record, *second), -3) << key.name;
      break;
    case conversion::byte_pair:
      EXPECT_EQ(read(record, first), 0x3456) << key.name;
      break;
    case conversion::command:
      break;
    }
  });
}

void check_command_key(const schema::key_spec &key) {
  EXPECT_EQ(key.field.offset, offsetof(config_entry, params)) << key.name;
  EXPECT_EQ(key.field.size, sizeof(config_entry::params[0])) << key.name;
  std::string sixteen, seventeen;
  for (int i = 0; i < CONFIG_MAX_PARAMS; ++i)
    sixteen += (i == 0 ? "" : ", ") + std::to_string(0x100000000LL + i);
  seventeen = sixteen + ", 1";
  load_key(key, sixteen, [&](const camera_config &config, int result) {
    ASSERT_EQ(result, 0) << key.name;
    ASSERT_EQ(config.configs_length, 1u) << key.name;
    const config_entry &entry = config.configs[0];
    EXPECT_EQ(entry.type & CONFIG_KEY_MASK, key.command) << key.name;
    EXPECT_EQ(schema::keys_of_section(entry.type), key.record) << key.name;
    ASSERT_EQ(entry.params_length, key.most) << key.name;
    for (unsigned i = 0; i < key.most; ++i)
      EXPECT_EQ(entry.params[i], i) << key.name; // the low 32 bits
  });
  load_key(key, seventeen, [&](const camera_config &config, int result) {
    EXPECT_EQ(result, 2) << key.name; // more than it takes: a bad line
    EXPECT_EQ(config.configs_length, 0u) << key.name;
  });
}

TEST(Schema, EveryKeyWritesTheFieldItNamesAsWideAsItClaims) {
  for (const schema::key_spec &key : schema::keys) {
    if (key.how == conversion::command)
      check_command_key(key);
    else
      check_field_key(key);
  }
}

// A key with another count of values than it takes changes nothing.
TEST(Schema, ValueCountsOutsideTheRangeChangeNothing) {
  for (const schema::key_spec &key : schema::keys) {
    if (key.how != conversion::pair && key.how != conversion::byte_pair)
      continue;
    std::string too_many;
    for (unsigned i = 0; i <= key.most; ++i)
      too_many += (i == 0 ? "" : ", ") + std::to_string(i + 1);
    for (const std::string &value :
         {too_many, key.fewest > 1 ? std::string("7") : std::string("")}) {
      if (value.empty())
        continue;
      load_key(key, value, [&](const camera_config &config, int result) {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(describe_record(config), describe_record(camera_config{}))
            << key.name << " = " << value;
      });
    }
  }
}

TEST(Schema, SectionsAndTheirCodes) {
  EXPECT_EQ(std::size(schema::sections), 9u);
  EXPECT_EQ(schema::find_section("board parameter||dev3||inf2")->code(),
            CONFIG_TYPE_BOARD | CONFIG_VARIANT_DEV3_INF2);
  EXPECT_EQ(schema::find_section("register parameter||dev3||inf3")->code(),
            CONFIG_TYPE_REGISTER | CONFIG_VARIANT_DEV3_INF3);
  EXPECT_EQ(schema::find_section("register parameter||dev2"), nullptr);
  EXPECT_EQ(schema::find_section("Camera parameter"), nullptr);
  for (const schema::section_spec &s : schema::sections)
    EXPECT_EQ(schema::section_with_code(s.code()), &s) << s.name();
}

// The names in the alternation that follows `opening` in the file at
// `path` ("A\\|B" in Vim's syntax, "A|B" in a TextMate pattern), up to the
// first byte that belongs to neither a name nor a separator.
std::set<std::string> keys_named_in(const std::string &path,
                                    std::string_view opening) {
  std::ifstream file(path);
  const std::string text{std::istreambuf_iterator<char>(file), {}};
  const std::size_t start = text.find(opening);
  EXPECT_NE(start, std::string::npos) << path << ": " << opening;
  std::set<std::string> keys;
  if (start == std::string::npos)
    return keys;
  std::string name;
  for (std::size_t i = start + opening.size(); i < text.size(); ++i) {
    const char c = text[i];
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') {
      name += c;
      continue;
    }
    if (!name.empty())
      keys.insert(name);
    name.clear();
    if (c != '|' && c != '\\')
      break;
  }
  return keys;
}

// The editors' highlighting names the keys the library knows, no more and
// no fewer: a key added to the dialect must reach them too.
TEST(Schema, EditorHighlightingKnowsTheSameKeys) {
  std::set<std::string> schema_keys;
  for (const schema::key_spec &key : schema::keys)
    schema_keys.insert(std::string(key.name));
  const std::string editors = QUELMIX_TESTS_DIR "/../editors";
  EXPECT_EQ(keys_named_in(editors + "/vim/syntax/quelmixcfg.vim",
                          R"(quelmixKnownKey /^\s*\zs\%()"),
            schema_keys);
  EXPECT_EQ(keys_named_in(editors + "/textmate/quelmix.tmLanguage.json",
                          R"("^\\s*(?:()"),
            schema_keys);
}

} // namespace
} // namespace quelmix::test
