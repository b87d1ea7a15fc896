// Words for the lines the loader ignores, with the likely intent where the
// loader's own tables show one ("did you mean "REG"?").
#pragma once

#include <cstddef>

#include "loader/loader.hpp"

namespace quelmix {

// Writes the message for `warning` into `out` (always terminated, cut to
// `size`); returns the length snprintf would have written.
int format_warning(const load_warning &warning, char *out,
                   std::size_t size) noexcept;

} // namespace quelmix
