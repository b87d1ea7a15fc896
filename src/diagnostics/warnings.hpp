// SPDX-License-Identifier: MIT
// Words for the lines the loader ignores, with the likely intent where the
// loader's own tables show one ("did you mean "REG"?").
#pragma once

#include <string>

#include "loader/loader.hpp"

namespace quelmix {

struct warning_text {
  const char *kind; // the stable kind name ("unknown-key")
  std::string message;
  std::string hint; // empty when there is nothing to suggest
};

warning_text describe_warning(const load_warning &warning);

} // namespace quelmix
