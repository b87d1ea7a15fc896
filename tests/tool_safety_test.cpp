// SPDX-License-Identifier: MIT
// The tools never lose a file, never claim a write they did not make, and
// never hand a terminal raw control bytes from a file: -i on every kind of
// file, writes that fail, escape sequences in file text and names, and the
// bounds of input size, memory and stack.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/messages/terminal.hpp"
#include "rewrite.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

const std::string UNFORMATTED = "[camera parameter]\nCFG_MODE=1\n";
const std::string FORMATTED = "[camera parameter]\nCFG_MODE = 1\n";

// A folder of its own for each test, removed with what is in it.
class scratch_folder {
public:
  scratch_folder() {
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp ? tmp : "/tmp") + "/quelmix-t-XXXXXX";
    path_ = mkdtemp(pattern.data()) != nullptr ? pattern : "";
  }
  ~scratch_folder() { run_tool("rm", "-rf '" + path_ + "'"); }
  scratch_folder(const scratch_folder &) = delete;
  scratch_folder &operator=(const scratch_folder &) = delete;
  std::string file(const std::string &name) const { return path_ + "/" + name; }
  // The names in the folder (temporary files left behind would show here).
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    if (DIR *d = opendir(path_.c_str())) {
      while (const dirent *entry = readdir(d)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
          out.push_back(name);
      }
      closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
  }

private:
  std::string path_;
};

void write_file(const std::string &path, const std::string &text) {
  FILE *f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

tool_run format_in_place(const std::string &path) {
  return run_tool(QUELMIX_FORMATTER, "-i '" + path + "'");
}

struct stat status_of(const std::string &path, bool follow = true) {
  struct stat s {};
  if (follow)
    stat(path.c_str(), &s);
  else
    lstat(path.c_str(), &s);
  return s;
}

TEST(InPlace, FollowsALinkAndKeepsIt) {
  scratch_folder dir;
  write_file(dir.file("target.cfg"), UNFORMATTED);
  ASSERT_EQ(symlink("target.cfg", dir.file("link.cfg").c_str()), 0);
  EXPECT_EQ(format_in_place(dir.file("link.cfg")).status, 0);
  EXPECT_TRUE(S_ISLNK(status_of(dir.file("link.cfg"), false).st_mode));
  EXPECT_EQ(read_file(dir.file("target.cfg")), FORMATTED);
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"link.cfg", "target.cfg"}));
}

TEST(InPlace, KeepsHardLinksTogether) {
  scratch_folder dir;
  write_file(dir.file("a.cfg"), UNFORMATTED);
  ASSERT_EQ(link(dir.file("a.cfg").c_str(), dir.file("b.cfg").c_str()), 0);
  const ino_t inode = status_of(dir.file("a.cfg")).st_ino;
  EXPECT_EQ(format_in_place(dir.file("a.cfg")).status, 0);
  EXPECT_EQ(read_file(dir.file("b.cfg")), FORMATTED);
  EXPECT_EQ(status_of(dir.file("a.cfg")).st_ino, inode);
  EXPECT_EQ(status_of(dir.file("b.cfg")).st_nlink, 2u);
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.cfg", "b.cfg"}));
}

// A file another writer changed after the tool read it is left alone
// (refused, the writer's text kept, no temporary file left), whether it
// would be replaced or, with a second hard link, written in place; one
// that still holds what was read is rewritten.
TEST(InPlace, AFileChangedSinceItWasReadIsNotOverwritten) {
  const struct {
    const char *name;
    bool changed;
    bool hard_link;
  } cases[] = {
      {"replaced, changed meanwhile", true, false},
      {"in place, changed meanwhile", true, true},
      {"replaced, unchanged", false, false},
      {"in place, unchanged", false, true},
  };
  for (const auto &c : cases) {
    scratch_folder dir;
    const std::string path = dir.file("a.cfg");
    write_file(path, UNFORMATTED);
    const std::string read = read_file(path); // what the tool works from
    if (c.hard_link) {
      ASSERT_EQ(link(path.c_str(), dir.file("b.cfg").c_str()), 0);
    }
    const std::string theirs = UNFORMATTED + "TRANS_LVL=3\n";
    if (c.changed)
      write_file(path, theirs); // the other writer, between read and write
    const tools::rewrite_result r =
        tools::rewrite_file(path.c_str(), FORMATTED, read);
    EXPECT_EQ(r.outcome == tools::rewrite_outcome::refused, c.changed)
        << c.name;
    EXPECT_EQ(read_file(path), c.changed ? theirs : FORMATTED) << c.name;
    EXPECT_EQ(dir.names().size(), c.hard_link ? 2u : 1u) << c.name;
  }
}

TEST(InPlace, RefusesWhatIsNoRegularFile) {
  scratch_folder dir;
  ASSERT_EQ(mkfifo(dir.file("pipe.cfg").c_str(), 0600), 0);
  ASSERT_EQ(symlink("/proc/self/fd/0", dir.file("stdin.cfg").c_str()), 0);
  // Refused before anything reads them: a FIFO without a writer, and a
  // link to the formatter's own standard input, here a pipe.
  for (const char *name : {"pipe.cfg", "stdin.cfg"}) {
    const tool_run r = run_tool(
        "bash", std::string("-c \"echo x | timeout 10 ") + QUELMIX_FORMATTER +
                    " -i '" + dir.file(name) + "'\"");
    EXPECT_EQ(r.status, 2) << name;
    EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
  }
  EXPECT_TRUE(S_ISFIFO(status_of(dir.file("pipe.cfg"), false).st_mode));
  EXPECT_TRUE(S_ISLNK(status_of(dir.file("stdin.cfg"), false).st_mode));
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"pipe.cfg", "stdin.cfg"}));
}

TEST(InPlace, KeepsModeOwnerAttributesAndAcl) {
  scratch_folder dir;
  const std::string path = dir.file("f.cfg");
  write_file(path, UNFORMATTED);
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  const bool attribute =
      setxattr(path.c_str(), "user.quelmix", "kept", 4, 0) == 0;
  const bool acl =
      run_tool("setfacl", "-m u:65534:rw '" + path + "'").status == 0;
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
  }
  const std::string acl_before =
      acl ? run_tool("getfacl", "-cp '" + path + "'").out : "";
  const struct stat before = status_of(path);

  EXPECT_EQ(format_in_place(path).status, 0);
  EXPECT_EQ(read_file(path), FORMATTED);
  const struct stat after = status_of(path);
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  if (attribute) {
    char value[8] = {};
    EXPECT_EQ(getxattr(path.c_str(), "user.quelmix", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
  }
  if (acl) {
    EXPECT_EQ(run_tool("getfacl", "-cp '" + path + "'").out, acl_before);
  }
  if (!attribute || !acl || !root)
    std::printf("checked without:%s%s%s\n", attribute ? "" : " xattrs",
                acl ? "" : " ACLs (no setfacl)", root ? "" : " other owner");
  EXPECT_EQ(dir.names(), std::vector<std::string>{"f.cfg"});
}

TEST(InPlace, FormatsAFileWithTheLongestName) {
  scratch_folder dir;
  const std::string path = dir.file(std::string(251, 'n') + ".cfg");
  write_file(path, UNFORMATTED);
  EXPECT_EQ(format_in_place(path).status, 0);
  EXPECT_EQ(read_file(path), FORMATTED);
}

// A write that fails part-way (here the file-size limit, with the signal
// it raises ignored) leaves the file as it was and says so.
TEST(InPlace, AFailedWriteLosesNothing) {
  scratch_folder dir;
  std::string big = "[register parameter]\n";
  while (big.size() < 64 * 1024)
    big += "REG=0x3008,0x82\n";
  for (const bool linked : {false, true}) {
    const std::string path = dir.file(linked ? "linked.cfg" : "plain.cfg");
    write_file(path, big);
    if (linked) {
      ASSERT_EQ(link(path.c_str(), dir.file("other.cfg").c_str()), 0);
    }
    const tool_run r =
        run_tool("bash", std::string("-c \"trap '' XFSZ; ulimit -f 64; exec ") +
                             QUELMIX_FORMATTER + " -i '" + path + "'\"");
    EXPECT_EQ(r.status, 2) << linked;
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Success"), std::string::npos) << r.err;
    EXPECT_EQ(read_file(path), big) << linked;
  }
  EXPECT_EQ(dir.names(),
            (std::vector<std::string>{"linked.cfg", "other.cfg", "plain.cfg"}));
}

// Interrupted while it writes, the formatter leaves no temporary file: the
// signal waits until the file is either written or untouched.
TEST(InPlace, TerminatedLeavesNoTemporaryFile) {
  scratch_folder dir;
  std::string big = "[register parameter]\n";
  while (big.size() < 4 * 1024 * 1024)
    big += "REG=0x3008,0x82\n";
  const std::string path = dir.file("big.cfg");
  write_file(path, big);
  for (const char *delay : {"0.02", "0.2", "0.4"}) {
    run_tool("bash", std::string("-c \"") + QUELMIX_FORMATTER + " -i '" + path +
                         "' & sleep " + delay + "; kill -TERM $!; wait\"");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"big.cfg"}) << delay;
    const std::string now = read_file(path);
    EXPECT_TRUE(now == big || now.substr(0, 25) == "[register parameter]\nREG ")
        << delay;
  }
}

TEST(Output, AFailedWriteIsExitStatusTwo) {
  const temp_file file(UNFORMATTED);
  const std::string quoted = std::string("'") + file.path() + "'";
  for (const std::string &command :
       {std::string(QUELMIX_FORMATTER) + " " + quoted,
        std::string(QUELMIX_CHECKER) + " " + quoted,
        std::string(QUELMIX_CHECKER) + " --json " + quoted}) {
    const tool_run r = run_tool("bash", "-c \"" + command + " > /dev/full\"");
    EXPECT_EQ(r.status, 2) << command;
    EXPECT_NE(r.err.find("cannot write to standard output: No space"),
              std::string::npos)
        << command << ": " << r.err;
  }
}

// Bytes a terminal would act on: ESC (an OSC 52 clipboard write), BEL, CR,
// DEL, C1 controls raw and as UTF-8.
bool has_control_bytes(const std::string &text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F)
      return true;
    if (c == 0xC2 && i + 1 < text.size() &&
        static_cast<unsigned char>(text[i + 1]) < 0xA0)
      return true;
    if (c >= 0x80 && c < 0xA0 &&
        (i == 0 || static_cast<unsigned char>(text[i - 1]) < 0xC2))
      return true;
  }
  return false;
}

TEST(TerminalSafety, NoControlBytesReachTheTerminal) {
  const std::string controls[] = {"\033]52;c;ZWNobyBwd25lZAo=\007", "\r",
                                  "\x7F",
                                  "\x9B"
                                  "31m",
                                  "\xC2\x9B"
                                  "31m"};
  for (const std::string &bad : controls) {
    scratch_folder dir;
    const std::string path = dir.file("n" + bad + ".cfg");
    write_file(path, "[camera parameter]\nTYPE=ab" + bad + "cd\nK" + bad +
                         "X = 1\nI2C_ADDR = 0x10000" + bad + "\n[s" + bad +
                         "]\nCFG_MODE=1\n");
    const std::string quoted = "'" + path + "'";
    for (const std::string &command :
         {std::string(QUELMIX_CHECKER) + " --color=never " + quoted,
          std::string(QUELMIX_CHECKER) + " --color=always " + quoted,
          std::string(QUELMIX_CHECKER) + " --dump " + quoted,
          std::string(QUELMIX_FORMATTER) + " --check " + quoted,
          std::string(QUELMIX_FORMATTER) + " " + quoted + "x",
          std::string(QUELMIX_CHECKER) + " -x" + bad}) {
      const tool_run r = run_tool("bash", "-c \"" + command + "\"");
      const bool coloured = command.find("always") != std::string::npos;
      std::string out = r.out + r.err;
      if (coloured) { // the checker's own colours are the one escape allowed
        for (const char *code : {"\033[1m", "\033[1;31m", "\033[1;35m",
                                 "\033[1;36m", "\033[1;32m", "\033[0m"})
          for (std::size_t at; (at = out.find(code)) != std::string::npos;)
            out.erase(at, std::string(code).size());
      }
      EXPECT_FALSE(has_control_bytes(out)) << command << "\n" << out;
    }
  }
}

TEST(TerminalSafety, EscapesAsTheCaretLineDoes) {
  EXPECT_EQ(quelmix::terminal_safe("a\033]52;c\007b"), "a<1B>]52;c<07>b");
  EXPECT_EQ(quelmix::terminal_safe("caf\xC3\xA9 \xC2\x9B \x9B \x7F\r"),
            "caf\xC3\xA9 <C2><9B> <9B> <7F><0D>");
  EXPECT_EQ(quelmix::terminal_safe("x\ny\tz", true), "x\ny\tz");
  EXPECT_EQ(quelmix::terminal_safe("x\ny"), "x<0A>y");
  // Invisible and direction-turning characters, as their bytes; visible
  // characters beside them as they are.
  const struct {
    std::string text, shown;
  } invisible[] = {
      {"cfg\u202Eexe", "cfg<E2><80><AE>exe"},     // right-to-left override
      {"\uFEFFI2C_MODE", "<EF><BB><BF>I2C_MODE"}, // a BOM inside a line
      {"a\u200Bb\u2066c\u2069", "a<E2><80><8B>b<E2><81><A6>c<E2><81><A9>"},
      {"soft\u00ADhyphen", "soft<C2><AD>hyphen"},
      {"\U000E0041tag", "<F3><A0><81><81>tag"},
      {"caf\u00E9 \u2192 \u00A0", "caf\u00E9 \u2192 \u00A0"},
  };
  for (const auto &c : invisible)
    EXPECT_EQ(quelmix::terminal_safe(c.text), c.shown) << c.shown;
}

TEST(TerminalSafety, CaretStandsUnderItsCharacter) {
  struct caret_case {
    std::string line;
    std::int64_t column;
    std::string shown;
    std::size_t caret;
  };
  const caret_case cases[] = {
      {"\xEF\xBB\xBFKEY = 1", 4, "KEY = 1", 0},     // a byte-order mark
      {"caf\xC3\xA9 = 1", 7, "caf\xC3\xA9 = 1", 5}, // a 2-byte character
      {"\tK = \x01", 6, "        K = <01>", 12},    // a tab, a control
  };
  for (const caret_case &c : cases) {
    std::size_t caret = 99;
    EXPECT_EQ(quelmix::displayed_line(c.line, c.column, caret), c.shown);
    EXPECT_EQ(caret, c.caret) << c.shown;
  }
  // A long line is cut to a window around the caret, which stays under its
  // byte.
  const std::string line =
      std::string(5000, 'a') + "X" + std::string(5000, 'b');
  std::size_t caret = 0;
  const std::string shown = quelmix::displayed_line(line, 5001, caret);
  EXPECT_LT(shown.size(), 200u);
  EXPECT_EQ(shown[caret], 'X');
}

TEST(Bounds, InputSizeMemoryAndStack) {
  // /dev/zero is refused at the size limit, not read until memory ends.
  tool_run r = run_tool(QUELMIX_CHECKER, "/dev/zero");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("larger than 256 MiB"), std::string::npos) << r.err;
  // A small stack will do.
  r = run_tool("bash", std::string("-c \"ulimit -s 72; exec ") +
                           QUELMIX_CHECKER + " -q " + sample_path() + "\"");
  EXPECT_EQ(r.status, 0) << r.err;
  // A name that looks like options is named as such, not as the program.
  r = run_tool(QUELMIX_CHECKER, "-dash.cfg");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("unknown option '-d' (in '-dash.cfg'"),
            std::string::npos)
      << r.err;
}

// Out of memory is a message and exit status 2, never an abort.
// Not built under the address sanitizer, which needs more address space
// than this.
#if !defined(QUELMIX_TEST_UNDER_ASAN)
TEST(Bounds, OutOfMemoryIsAnErrorNotACrash) {
  scratch_folder dir;
  std::string big = "[register parameter]\n";
  while (big.size() < 24 * 1024 * 1024)
    big += "REG = 0x3008, 0x82 ; a comment to make the line longer\n";
  write_file(dir.file("big.cfg"), big);
  for (const char *tool : {QUELMIX_CHECKER, QUELMIX_FORMATTER}) {
    const tool_run r =
        run_tool("bash", std::string("-c \"ulimit -v 65536; exec ") + tool +
                             " '" + dir.file("big.cfg") + "' > /dev/null\"");
    EXPECT_TRUE(r.status == 1 || r.status == 2) << tool << ": " << r.status;
    EXPECT_NE(r.err.find("out of memory"), std::string::npos)
        << tool << ": " << r.err;
  }
}
#endif

} // namespace
} // namespace quelmix::test
