// Reading lines and writing files: every line end a text editor may leave, and writes that
// either replace a file whole or leave it as it was, saying why.
#include "core/test_support.h"
#include "core/reference/text.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace kesmora {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TEST(SplitLines, CrLfLfAndCrAloneEachEndALine) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\rb\r\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\n\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("\r\n"), Lines{""});
}

TEST(ValueStream, CrAloneEndsAValue) {
  ValueStream values("a,b\rc\r\r\"d,e\"\r");
  Lines read;
  while (auto v = values.Next()) read.push_back(*v);
  EXPECT_EQ(read, (Lines{"a", "b", "c", "d,e"}));
}

class WriteFileTest : public ::testing::Test {
 protected:
  fs::path File(const std::string& name, const std::string& text) { return dir.Write(name, text); }
  // The folder holds only these names (no temporary file left behind).
  void ExpectOnly(std::vector<std::string> names) {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(dir.path())) found.push_back(e.path().filename().string());
    std::sort(found.begin(), found.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(found, names);
  }
  test::ScratchDir dir;
};

TEST_F(WriteFileTest, ReplacesTheFileAndKeepsItsPermissions) {
  fs::path file = File("a.txt", "old and longer");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteFileAtomically(file, "new\r\n"));
  EXPECT_EQ(ReadWholeFile(file), "new\r\n");
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ExpectOnly({"a.txt"});
}

TEST_F(WriteFileTest, WritesThroughASymbolicLinkToItsTarget) {
  fs::path target = File("real.ini", "old");
  fs::create_symlink("real.ini", dir.path() / "link.ini");
  ASSERT_TRUE(WriteFileAtomically(dir.path() / "link.ini", "new"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.ini"));
  EXPECT_EQ(ReadWholeFile(target), "new");
  ExpectOnly({"link.ini", "real.ini"});
}

// A writer that ended between its two steps leaves its temporary behind; whatever stands
// under that name (here a folder) must not block the next write, which takes a name of its own.
TEST_F(WriteFileTest, ALeftoverTemporaryDoesNotBlockTheNextWrite) {
  fs::path file = File("Kesmora.INI", "old");
  TemporaryFile left = WriteTemporaryBeside(file, "half");
  ASSERT_TRUE(left.result);
  fs::remove(left.path);
  fs::create_directories(left.path);
  EXPECT_TRUE(WriteFileAtomically(file, "new"));
  EXPECT_EQ(ReadWholeFile(file), "new");
}

// A FIFO (as /dev/stdout in a pipe) gets the text, whole or piece by piece; it once was
// replaced by a file.
TEST_F(WriteFileTest, AFifoIsWrittenNotReplaced) {
  const fs::path fifo = dir.path() / "out.csv";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (bool pieces : {false, true}) {
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(pieces ? WriteFileAtomically(fifo, [](const TextSink& out) { out("a,"), out("b\r\n"); })
                       : WriteFileAtomically(fifo, "a,b\r\n"));
    char buffer[16] = {};
    EXPECT_EQ(read(reader, buffer, sizeof buffer), 5) << pieces;
    close(reader);
    EXPECT_EQ(std::string(buffer), "a,b\r\n") << pieces;
    EXPECT_TRUE(fs::is_fifo(fifo));
    ExpectOnly({"out.csv"});
  }
}

TEST_F(WriteFileTest, AFailedWriteKeepsTheOldFileAndNamesTheCause) {
  fs::path file = File("a.csv", "old");
  // The file-size limit makes the write fail as a full disk does, with a cause of its own.
  struct rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  WriteResult result = WriteFileAtomically(file, std::string(1000, 'x'));
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(result);
  EXPECT_EQ(result.error, "File too large");
  EXPECT_EQ(WriteFailureText(file, result), "The file " + file.string() + " could not be written: File too large.");
  EXPECT_EQ(ReadWholeFile(file), "old");
  ExpectOnly({"a.csv"});
}

// A text written piece by piece replaces the file once whole; a writer that stops halfway
// (a cancelled export) leaves the old file and no temporary one.
TEST_F(WriteFileTest, APiecewiseWriteThatStopsHalfwayKeepsTheOldFile) {
  fs::path file = File("big.csv", "old");
  const std::string line(1000, 'x');
  auto write = [&](int lines, bool stop) {
    return WriteFileAtomically(file, [&](const TextSink& out) {
      for (int n = 0; n < lines; ++n) out(line);
      if (stop) throw std::runtime_error("stopped");
    });
  };
  EXPECT_THROW(write(200, true), std::runtime_error);
  EXPECT_EQ(ReadWholeFile(file), "old");
  ExpectOnly({"big.csv"});
  ASSERT_TRUE(write(200, false));
  EXPECT_EQ(ReadWholeFile(file)->size(), 200 * line.size());
}

TEST_F(WriteFileTest, AFolderInTheWayIsRefusedWithItsCause) {
  fs::create_directories(dir.path() / "taken");
  WriteResult result = WriteFileAtomically(dir.path() / "taken", "x");
  EXPECT_EQ(result.error, "Is a directory");
  EXPECT_EQ(WriteFileAtomically(dir.path() / "no" / "such" / "folder.txt", "x").error, "No such file or directory");
  ExpectOnly({"taken"});
}

}  // namespace
}  // namespace kesmora
