// Words for why a load failed, for people reading a checker's output.
#pragma once

#include "loader/loader.hpp"

namespace quelmix {

// What is wrong with the error line of `report` ("entry has no \"=\" or
// \":\""), or why the input could not be read. Null for a clean load.
const char *describe_error(const load_report &report) noexcept;

} // namespace quelmix
