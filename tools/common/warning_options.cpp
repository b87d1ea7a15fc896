// SPDX-License-Identifier: MIT
#include "warning_options.hpp"

namespace quelmix::tools {

bool apply_warning_option(warning_options &options, std::string_view option) {
  if (option == "-w") {
    options.warnings = false;
    return true;
  }
  if (option == "-W" || option == "--warnings") {
    options.warnings = true;
    return true;
  }
  if (option == "--warnings=error")
    option = "-Werror";
  if (option.substr(0, 2) != "-W")
    return false;
  std::string_view word = option.substr(2);
  const bool negated = word.substr(0, 3) == "no-";
  if (negated)
    word.remove_prefix(3);
  if (word == "error") {
    options.errors = !negated;
    if (!negated)
      options.warnings = true;
    else
      options.as_errors.clear();
    return true;
  }
  if (word.substr(0, 6) == "error=") {
    const auto kind = kind_named(word.substr(6));
    if (!kind || info(*kind).level != severity::warning)
      return false;
    if (negated) {
      options.as_errors.erase(*kind);
      options.not_errors.insert(*kind);
    } else {
      options.as_errors.insert(*kind);
      options.not_errors.erase(*kind);
      options.disabled.erase(*kind);
    }
    return true;
  }
  const auto kind = kind_named(word);
  if (!kind || info(*kind).level != severity::warning)
    return false;
  if (negated)
    options.disabled.insert(*kind);
  else
    options.disabled.erase(*kind);
  return true;
}

} // namespace quelmix::tools
