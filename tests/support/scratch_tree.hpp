// SPDX-License-Identifier: MIT
// A folder of files under the temporary directory, optionally a git
// repository, removed with everything in it when the object goes.
#pragma once

#include <string>
#include <vector>

namespace quelmix::test {

class scratch_tree {
public:
  struct entry {
    std::string path; // relative, folders made as needed
    std::string contents;
  };
  explicit scratch_tree(const std::vector<entry> &files,
                        bool repository = false);
  ~scratch_tree();
  scratch_tree(const scratch_tree &) = delete;
  scratch_tree &operator=(const scratch_tree &) = delete;

  const std::string &root() const { return root_; }
  std::string path(const std::string &relative) const {
    return root_ + "/" + relative;
  }
  void write(const std::string &relative, const std::string &contents) const;

private:
  std::string root_;
};

} // namespace quelmix::test
