// SPDX-License-Identifier: MIT
#include "git_library.hpp"

#include <git2.h>

namespace quelmix::tools {
namespace {

struct git_library {
  git_library() { git_libgit2_init(); }
  ~git_library() { git_libgit2_shutdown(); }
  git_library(const git_library &) = delete;
  git_library &operator=(const git_library &) = delete;
};

} // namespace

void use_git_library() {
  // Set up on first use: a run that walks no folder never loads it.
  static const git_library library;
  (void)library;
}

} // namespace quelmix::tools
