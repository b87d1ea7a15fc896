// SPDX-License-Identifier: MIT
// libgit2 is set up once, on first use, and shut down at exit.
#pragma once

namespace quelmix::tools {

void use_git_library();

} // namespace quelmix::tools
