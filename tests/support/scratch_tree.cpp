// SPDX-License-Identifier: MIT
#include "support/scratch_tree.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace quelmix::test {

scratch_tree::scratch_tree(const std::vector<entry> &files, bool repository) {
  std::string name =
      (std::filesystem::temp_directory_path() / "quelmix-tree-XXXXXX").string();
  if (mkdtemp(name.data()) == nullptr)
    throw std::runtime_error("cannot make a scratch folder");
  root_ = name;
  if (repository &&
      std::system(("git init -q '" + root_ + "' >/dev/null 2>&1").c_str()) != 0)
    throw std::runtime_error("git init failed");
  for (const entry &e : files)
    write(e.path, e.contents);
}

scratch_tree::~scratch_tree() {
  std::error_code ignored;
  std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(root_, ignored);
}

void scratch_tree::write(const std::string &relative,
                         const std::string &contents) const {
  const std::filesystem::path file = std::filesystem::path(root_) / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << contents;
}

} // namespace quelmix::test
