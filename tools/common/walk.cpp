// SPDX-License-Identifier: MIT
#include "walk.hpp"

#include <dirent.h>
#include <git2.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <set>
#include <utility>

#include "git_library.hpp"
#include "output.hpp"

namespace quelmix::tools {
namespace {

using folder_id = std::pair<dev_t, ino_t>;

// The repository a walked folder lies in, for its ignore rules.
struct repository {
  std::unique_ptr<git_repository, void (*)(git_repository *)> handle{
      nullptr, git_repository_free};
  std::string workdir; // absolute, ending in "/"

  // Whether the repository ignores the file or folder at absolute `path`.
  bool ignores(const std::string &path) const {
    if (!handle || path.compare(0, workdir.size(), workdir) != 0)
      return false;
    int ignored = 0;
    const std::string relative = path.substr(workdir.size());
    return git_ignore_path_is_ignored(&ignored, handle.get(),
                                      relative.c_str()) == 0 &&
           ignored == 1;
  }
};

repository repository_of(const std::string &folder) {
  use_git_library();
  repository r;
  git_repository *handle = nullptr;
  if (git_repository_open_ext(&handle, folder.c_str(), 0, nullptr) != 0)
    return r;
  r.handle.reset(handle);
  if (const char *workdir = git_repository_workdir(handle))
    r.workdir = workdir;
  else
    r.handle.reset();
  return r;
}

std::string absolute(const std::string &path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? resolved : path;
}

std::string joined(const std::string &folder, const std::string &name) {
  if (folder == ".")
    return name;
  if (!folder.empty() && folder.back() == '/')
    return folder + name;
  return folder + "/" + name;
}

struct walker {
  const walk_choices &choices;
  walked &out;
  repository repo;
  std::set<folder_id> visited;
  std::vector<folder_id> ancestors;

  void problem(const std::string &path, std::string words, bool fails) {
    out.problems.push_back({path, std::move(words), fails});
  }

  // The names in `folder`, sorted; false when it cannot be read.
  bool names_in(const std::string &folder, std::vector<std::string> &names) {
    std::unique_ptr<DIR, int (*)(DIR *)> dir(opendir(folder.c_str()), closedir);
    if (!dir) {
      problem(folder, "cannot read folder: " + error_words(errno), true);
      return false;
    }
    errno = 0;
    while (const dirent *entry = readdir(dir.get())) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..")
        names.push_back(name);
    }
    if (errno != 0) {
      problem(folder, "cannot read folder: " + error_words(errno), true);
      return false;
    }
    std::sort(names.begin(), names.end());
    return true;
  }

  void walk(const std::string &folder, const struct stat &info) {
    const folder_id id{info.st_dev, info.st_ino};
    if (std::find(ancestors.begin(), ancestors.end(), id) != ancestors.end()) {
      problem(folder, "skipped: a link back to a folder it is in", false);
      return;
    }
    if (!visited.insert(id).second)
      return; // reached again through another link
    std::vector<std::string> names;
    if (!names_in(folder, names))
      return;
    ancestors.push_back(id);
    const std::string real = repo.handle ? absolute(folder) + "/" : "";
    for (const std::string &name : names)
      visit(joined(folder, name), name, real + name);
    ancestors.pop_back();
  }

  void visit(const std::string &path, const std::string &name,
             const std::string &real) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
      if (errno == ELOOP)
        problem(path, "skipped: a link loop", false);
      // A dangling link or a file gone meanwhile: nothing to check.
      return;
    }
    if (S_ISDIR(info.st_mode)) {
      if (name.front() == '.' || choices.left_out(path) ||
          (repo.handle && repo.ignores(real)))
        return;
      walk(path, info);
    } else if (S_ISREG(info.st_mode) && choices.wanted(path) &&
               !(repo.handle && repo.ignores(real))) {
      out.files.push_back(path);
    }
  }
};

} // namespace

bool is_folder(const std::string &path) {
  struct stat info {};
  return path != "-" && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool has_config_ending(const std::string &path) {
  constexpr std::string_view ending = ".cfg";
  const std::string name = path.substr(path.rfind('/') + 1);
  return name.size() > ending.size() &&
         name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
}

walked collect_files(const std::vector<std::string> &arguments,
                     const walk_choices &choices) {
  walked out;
  for (const std::string &argument : arguments) {
    struct stat info {};
    if (argument == "-" || stat(argument.c_str(), &info) != 0 ||
        !S_ISDIR(info.st_mode)) {
      out.files.push_back(argument);
      continue;
    }
    out.folders = true;
    const std::size_t first = out.files.size();
    walker w{choices, out, repository_of(argument), {}, {}};
    w.walk(argument, info);
    // In byte order of whole paths ("a.cfg" before "a/b.cfg").
    std::sort(out.files.begin() + static_cast<std::ptrdiff_t>(first),
              out.files.end());
  }
  return out;
}

} // namespace quelmix::tools
