// SPDX-License-Identifier: MIT
// What a client says about itself (position encodings, hover formats) and
// what its user sets: the checker's warning options, as
// `{"checkerOptions": ["-Wno-leading-zero", "-Werror"]}` in the
// initialization options or in workspace/didChangeConfiguration's settings
// (there also under "quelmix").
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "document.hpp"
#include "protocol.hpp"

namespace quelmix::lsp {

// Takes the client's capabilities: UTF-8 positions when offered, plain-text
// hover when markdown is not, a code action's edit made when it is resolved
// when the client can ask for that.
void take_client_capabilities(const protocol::client_capabilities &client,
                              client_options &options);

// Replaces the warning options with those of the settings (none: the
// defaults). False, with the words in `problem`, when an option is not one
// the checker knows; the others are applied.
bool apply_settings(
    const std::optional<std::vector<protocol::checker_option>> &settings,
    client_options &options, std::string &problem);

} // namespace quelmix::lsp
