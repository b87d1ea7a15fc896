// SPDX-License-Identifier: MIT
// What a command line says about settings: which project file (if any)
// and the -W options to apply over it. Apart from settings.hpp so that
// option parsing does not compile the project machinery.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quelmix::tools {

struct settings_choices {
  std::optional<std::string> config;        // --config FILE
  bool isolated = false;                    // --isolated
  std::vector<std::string> warning_options; // -W... in order
};

} // namespace quelmix::tools
