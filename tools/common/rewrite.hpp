// SPDX-License-Identifier: MIT
// Rewriting a file in place without ever losing it or changing what it is.
//
// A symbolic link is followed: the file it names is rewritten and the link
// stays. Anything but a regular file (a FIFO, a device, a link to a pipe)
// is refused. The new text goes to a temporary file beside the file (a
// short name, so that any file name fits), which gets the file's owner,
// group, mode and extended attributes (ACLs among them), is synced and
// renamed over the file; then the folder is synced. A reader sees the old
// file or the new one, never half of one.
//
// A file whose identity a new file cannot carry is written in place
// instead, after a copy of its old text has been synced beside it (and
// removed once the new text is safely written): a file with other hard
// links (they all see the new text), one owned by another user who cannot
// be made its owner again, or one with attributes that cannot be copied.
//
// Interrupt, terminate and hang-up signals are held off while a temporary
// file exists, so that none is left behind.
//
// A file that no longer holds the text the tool read (another writer
// changed it while the tool worked) is not overwritten: `refused`, and the
// caller says so. The file is read again just before the rename (or before
// writing in place); a writer that changes it in the instant between that
// read and the rename still loses its change.
#pragma once

#include <string>
#include <string_view>

namespace quelmix::tools {

// How the file was written, or why it was not.
enum class rewrite_outcome { replaced, written_in_place, refused, failed };

struct rewrite_result {
  rewrite_outcome outcome;
  std::string problem; // words for refused and failed
};

// Replaces the file's text `expected` (what the tool read) with `text`.
rewrite_result rewrite_file(const char *path, std::string_view text,
                            std::string_view expected);

// Whether `path` is (or links to) a regular file, before anything reads it:
// a FIFO without a writer would otherwise hold the tool forever.
// `replaced` when it is; `refused` or `failed` with the words otherwise.
rewrite_result check_rewritable(const char *path);

} // namespace quelmix::tools
