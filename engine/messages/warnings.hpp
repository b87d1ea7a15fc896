// SPDX-License-Identifier: MIT
// Words for the lines the loader ignores, with the likely intent where the
// schema shows one ("did you mean ...?").
#pragma once

#include <string>

#include "engine/messages/kinds.hpp"
#include "loader/loader.hpp"

namespace quelmix {

struct warning_text {
  diagnostic_kind kind;
  std::string message;
  std::string hint; // empty when there is nothing to suggest
};

warning_text describe_warning(const load_warning &warning);

// How a section name the loader does not know may have been meant: its
// known spelling when it differs only in blanks at its ends or in letter
// case (`exact`), or when it is a near miss; empty when nothing is near.
struct name_guess {
  std::string_view name;
  bool exact = false; // the same name but for blanks or letter case
  std::string why;    // the hint's words
};
name_guess guess_section(std::string_view section);

// The same for a key of a section whose keys are `record`.
name_guess guess_key(schema::record_kind record, std::string_view key);

} // namespace quelmix
