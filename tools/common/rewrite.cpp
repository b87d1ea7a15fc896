// SPDX-License-Identifier: MIT
#include "rewrite.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "output.hpp"

namespace quelmix::tools {
namespace {

// A file descriptor that closes itself.
class descriptor {
public:
  explicit descriptor(int fd = -1) : fd_(fd) {}
  ~descriptor() {
    if (fd_ >= 0)
      close(fd_);
  }
  descriptor(const descriptor &) = delete;
  descriptor &operator=(const descriptor &) = delete;
  int get() const { return fd_; }
  bool open() const { return fd_ >= 0; }
  // Closes now, reporting the error a close may bring (NFS, quotas).
  bool finish() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

private:
  int fd_;
};

// Holds off the signals that would end the process while a temporary file
// exists; they arrive when it goes out of scope, after the clean-up.
class signals_held {
public:
  signals_held() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
      sigaddset(&held, signal);
    sigprocmask(SIG_BLOCK, &held, &previous_);
  }
  ~signals_held() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
  signals_held(const signals_held &) = delete;
  signals_held &operator=(const signals_held &) = delete;

private:
  sigset_t previous_;
};

rewrite_result failure(rewrite_outcome outcome, std::string what,
                       int error = 0) {
  if (error != 0)
    what += ": " + error_words(error);
  return {outcome, what};
}

std::string folder_of(const std::string &path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A new file beside `target`, with a name short enough for any folder.
int create_beside(const std::string &target, std::string &name) {
  name = folder_of(target) + "/.quelmix-XXXXXX";
  return mkostemp(name.data(), O_CLOEXEC);
}

void sync_folder(const std::string &target) {
  const descriptor folder(
      open(folder_of(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.open())
    fsync(folder.get()); // a folder that cannot be synced is no failure
}

// Copies every extended attribute (ACLs are two of them); false when one
// cannot be read or written. A file system without them has none to copy.
bool copy_attributes(int from, int to) {
  ssize_t size = flistxattr(from, nullptr, 0);
  if (size < 0)
    return errno == ENOTSUP;
  std::vector<char> names(static_cast<std::size_t>(size) + 1);
  size = flistxattr(from, names.data(), names.size());
  if (size < 0)
    return false;
  std::vector<char> value;
  for (const char *name = names.data(); name < names.data() + size;
       name += std::strlen(name) + 1) {
    const ssize_t length = fgetxattr(from, name, nullptr, 0);
    if (length < 0)
      return false;
    value.resize(static_cast<std::size_t>(length) + 1);
    const ssize_t got = fgetxattr(from, name, value.data(), value.size());
    if (got < 0 || fsetxattr(to, name, value.data(),
                             static_cast<std::size_t>(got), 0) != 0)
      return false;
  }
  return true;
}

// Makes the temporary file what the original is: owner, group, mode, then
// the attributes (an ACL sets the group bits of the mode as it should).
bool give_identity(int original, int copy, const struct stat &status) {
  return fchown(copy, status.st_uid, status.st_gid) == 0 &&
         fchmod(copy, status.st_mode & 07777) == 0 &&
         copy_attributes(original, copy);
}

// Writes `text` to `fd` and syncs it.
bool write_synced(int fd, std::string_view text) {
  return write_all(fd, text) && fsync(fd) == 0;
}

bool read_all(int fd, std::string &text);

// Whether the file at `target` still holds `expected`, the text the tool
// read and worked from: another writer may have changed it meanwhile.
bool still_as_read(const std::string &target, std::string_view expected) {
  const descriptor file(open(target.c_str(), O_RDONLY | O_CLOEXEC));
  std::string now;
  return file.open() && read_all(file.get(), now) && now == expected;
}

rewrite_result changed_meanwhile() {
  return failure(rewrite_outcome::refused,
                 "changed since it was read; not overwritten (run again)");
}

enum class attempt { done, use_in_place, failed };

// The temporary file and the rename. `use_in_place` when the new file
// could not be given the original's identity.
attempt replace(const std::string &target, int original,
                const struct stat &status, std::string_view text,
                std::string_view expected, rewrite_result &result) {
  std::string name;
  descriptor copy(create_beside(target, name));
  if (!copy.open()) {
    result = failure(rewrite_outcome::failed,
                     "cannot create a temporary file beside it", errno);
    return attempt::failed;
  }
  if (!give_identity(original, copy.get(), status)) {
    unlink(name.c_str());
    return attempt::use_in_place;
  }
  const bool written = write_synced(copy.get(), text);
  int error = errno;
  const bool closed = copy.finish();
  if (written && !closed)
    error = errno;
  // The last look before the rename: the new text is ready, so what is
  // left is the instant between this read and the rename.
  if (written && closed && !still_as_read(target, expected)) {
    unlink(name.c_str());
    result = changed_meanwhile();
    return attempt::failed;
  }
  if (!written || !closed || std::rename(name.c_str(), target.c_str()) != 0) {
    if (written && closed)
      error = errno;
    unlink(name.c_str());
    result = failure(rewrite_outcome::failed, "cannot write", error);
    return attempt::failed;
  }
  sync_folder(target);
  result = {rewrite_outcome::replaced, {}};
  return attempt::done;
}

// Writes into the file itself, a synced copy of the old text beside it
// until the new text is safely in; on failure the old text is put back.
rewrite_result write_in_place(const std::string &target,
                              std::string_view old_text,
                              std::string_view text) {
  std::string name;
  descriptor backup(create_beside(target, name));
  if (!backup.open())
    return failure(rewrite_outcome::failed,
                   "cannot create a copy of the file beside it", errno);
  if (!write_synced(backup.get(), old_text) || !backup.finish()) {
    const int error = errno;
    unlink(name.c_str());
    return failure(rewrite_outcome::failed,
                   "cannot write a copy of the file beside it", error);
  }
  descriptor file(open(target.c_str(), O_WRONLY | O_CLOEXEC));
  const auto put = [&file](std::string_view bytes) {
    return lseek(file.get(), 0, SEEK_SET) == 0 &&
           write_all(file.get(), bytes) &&
           ftruncate(file.get(), static_cast<off_t>(bytes.size())) == 0 &&
           fsync(file.get()) == 0;
  };
  if (!file.open() || !put(text)) {
    const int error = errno;
    if (file.open() && put(old_text))
      unlink(name.c_str()); // the old text is back; the copy is not needed
    return failure(rewrite_outcome::failed,
                   "cannot write (a copy of the old text is in " + name + ")",
                   error);
  }
  if (!file.finish())
    return failure(rewrite_outcome::failed,
                   "cannot write (a copy of the old text is in " + name + ")",
                   errno);
  unlink(name.c_str());
  sync_folder(target);
  return {rewrite_outcome::written_in_place, {}};
}

// Reads the file's current text through `fd`.
bool read_all(int fd, std::string &text) {
  std::vector<char> block(64 * 1024);
  for (;;) {
    const ssize_t got = read(fd, block.data(), block.size());
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      return false;
    if (got == 0)
      return true;
    text.append(block.data(), static_cast<std::size_t>(got));
  }
}

} // namespace

rewrite_result check_rewritable(const char *path) {
  struct stat status {};
  if (stat(path, &status) != 0)
    return failure(rewrite_outcome::failed, "cannot open", errno);
  if (!S_ISREG(status.st_mode))
    return failure(rewrite_outcome::refused,
                   "not a regular file; only regular files are rewritten");
  return {rewrite_outcome::replaced, {}};
}

rewrite_result rewrite_file(const char *path, std::string_view text,
                            std::string_view expected) {
  std::vector<char> resolved(PATH_MAX + 1);
  if (realpath(path, resolved.data()) == nullptr)
    return failure(rewrite_outcome::failed, "cannot open", errno);
  const std::string target = resolved.data();
  // Opened without blocking, so that a FIFO cannot hang the tool before it
  // is seen for what it is.
  const descriptor original(
      open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat status {};
  if (!original.open() || fstat(original.get(), &status) != 0)
    return failure(rewrite_outcome::failed, "cannot open", errno);
  if (!S_ISREG(status.st_mode))
    return failure(rewrite_outcome::refused,
                   "not a regular file; only regular files are rewritten");
  const signals_held held;
  if (status.st_nlink == 1) {
    rewrite_result result{rewrite_outcome::failed, {}};
    if (replace(target, original.get(), status, text, expected, result) !=
        attempt::use_in_place)
      return result;
  }
  std::string old_text;
  if (!read_all(original.get(), old_text))
    return failure(rewrite_outcome::failed, "cannot read", errno);
  if (old_text != expected)
    return changed_meanwhile();
  return write_in_place(target, old_text, text);
}

} // namespace quelmix::tools
