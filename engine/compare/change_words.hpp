// SPDX-License-Identifier: MIT
// A difference of two records in words, spelled one way for the record
// diff and for what --fix says its fixes did to the record: values as the
// file wrote them, file text made safe for a terminal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/compare/record_diff.hpp"

namespace quelmix {

inline constexpr const char *ARROW = " \u2192 ";

// A field's value on one side as the file wrote it; text quoted and made
// safe for a terminal.
std::string value_words(const field_change &f, bool old_side);

// "SIZE width: 1280 → 1920"; a key of one field is named once.
std::string field_words(const field_change &f);

// A command's values from the `from`th on, as its file wrote them
// ("0x3008, 0x82"), or "(no values)".
std::string values_words(const config_entry &e, std::uint16_t hex,
                         const std::vector<std::string> &spelled,
                         unsigned from);

// A command's key ("REG"), or "?" for a kind no key has.
std::string key_name(const config_entry &e);

// A command as its file writes it: "REG 0x0200, 0x0004".
std::string command_words(const config_entry &e, std::uint16_t hex,
                          const std::vector<std::string> &spelled);

// "2 values (0x3008, 0x82)".
std::string counted_values(const config_entry &e, std::uint16_t hex,
                           const std::vector<std::string> &spelled);

// A control by its CTRL_NAME, or "control N" (1-based) without one.
std::string control_name(const control_entry *c, std::size_t index);

// Section names in the given order, joined by ", ".
std::string order_words(const std::vector<std::uint32_t> &order);

// One line per change of the record, in the key's own terms: what a fix
// did to what the camera will run ("register parameter: command 12 REG now
// 2 values (0x3008, 0x82), was 1 (0x3008)").
std::string difference_lines(const record_difference &d);

// The same changes on one line, joined by "; ": what one fix did ("camera
// parameter: CFG_MODE: 0 → 1"); empty when the records are the same.
std::string difference_in_one_line(const record_difference &d);

} // namespace quelmix
