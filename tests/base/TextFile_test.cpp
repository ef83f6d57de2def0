#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "TestSupport.h"
#include "base/LUTSource.h"
#include "base/TextFile.h"
#include "base/Errors.h"

namespace zelvo {
namespace {

std::vector<std::string> LinesOf(std::string text) {
  TTextFile f;
  f.ReadFromText(std::move(text));
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < f.Count(); ++i) lines.emplace_back(f[i]);
  return lines;
}

TEST(TextFile, SplitsLinesAtEveryLineEnd) {
  using L = std::vector<std::string>;
  EXPECT_EQ(LinesOf("a\nb\n"), (L{"a", "b"}));
  EXPECT_EQ(LinesOf("a\r\nb\r\n"), (L{"a", "b"}));
  EXPECT_EQ(LinesOf("a\rb"), (L{"a", "b"}));
  EXPECT_EQ(LinesOf("a\n\rb"), (L{"a", "", "b"}));  // LF CR is two line ends
  EXPECT_EQ(LinesOf("a\n\n"), (L{"a", ""}));
  EXPECT_EQ(LinesOf(""), L{});
  EXPECT_EQ(LinesOf(std::string("a\nb\0c\nd", 7)), (L{"a", "b"}));  // NUL ends the text
  EXPECT_EQ(LinesOf("\xEF\xBB\xBFLUT_3D_SIZE 2\n"), (L{"LUT_3D_SIZE 2"}));
  EXPECT_EQ(LinesOf("  x \t"), (L{"  x \t"}));  // nothing is trimmed
}

TEST(TextFile, WritesLineFeedsOnly) {
  test::TempDir dir;
  TTextFile f;
  f.Add("a");
  f.Add("");
  const std::string name = dir.File("out.txt");
  f.WriteToFile(name);
  EXPECT_EQ(test::ReadAll(name), "a\n\n");
  TTextFile back;
  back.ReadFromFile(name);
  ASSERT_EQ(back.Count(), 2u);
  EXPECT_EQ(back[0], "a");
}

TEST(TextFile, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
#if defined(_WIN32)
  GTEST_SKIP() << "needs a file-size limit";
#endif
  test::TempDir dir;
  const std::string target = dir.Write("keep.cube", "old contents\n");
  TTextFile f;
  for (int i = 0; i < 1000; ++i) f.Add("0.000000 0.000000 0.000000");
  {
    // A file-size limit makes the write fail part way, as a full disk would.
    test::FileSizeLimit limit(4096);
    try {
      f.WriteToFile(target);
      FAIL() << "the write should have failed";
    } catch (const EOSError& e) {
      EXPECT_NE(std::string(e.what()).find(target), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(test::ReadAll(target), "old contents\n");
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1u);
}

// The temporary file has a short name of its own: a target whose name is as
// long as the file system allows is written, replaced, and leaves nothing else.
TEST(AtomicWrite, TheLongestLegalNamesAreWritten) {
  test::TempDir dir;
  for (const std::size_t length : {std::size_t{200}, std::size_t{250}, std::size_t{255}}) {
    const std::string name = dir.File(std::string(length - 5, 'n') + ".cube");
    WriteFileAtomically(name, "first\n");
    WriteFileAtomically(name, "second\n");
    EXPECT_EQ(test::ReadAll(name), "second\n") << length;
    std::filesystem::remove(name);
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(TextFile, WriteIntoMissingFolderOrOverAFolderFails) {
  test::TempDir dir;
  TTextFile f;
  f.Add("x");
  EXPECT_THROW(f.WriteToFile(dir.File("no-such-folder/out.cube")), EOSError);
  std::filesystem::create_directory(dir.File("sub"));
  EXPECT_THROW(f.WriteToFile(dir.File("sub")), EOSError);
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("sub")));
}

TEST(TextFile, WritingThroughALinkReplacesTheFileItPointsTo) {
  test::TempDir dir;
  const std::string real = dir.Write("real.cube", "old\n");
  std::filesystem::create_symlink(real, dir.File("link.cube"));
  TTextFile f;
  f.Add("new");
  f.WriteToFile(dir.File("link.cube"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.cube")));
  EXPECT_EQ(test::ReadAll(real), "new\n");
}

#if !defined(_WIN32)
// Only the names in a folder, to see that no temporary file is left.
std::vector<std::string> Names(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(AtomicWrite, KeepExistingNeverReplacesAFileThatAppears) {
  test::TempDir dir;
  const std::string target = dir.File("out.cube");
  // The file appears while the new text is being written.
  SetTemporaryFileHook([&](const std::string&) { dir.Write("out.cube", "theirs"); });
  EXPECT_EQ(test::ErrorOf([&] { WriteFileAtomically(target, "ours", TReplace::KeepExisting); }),
            "Cannot create file \"" + target + "\". File exists");
  SetTemporaryFileHook(nullptr);
  EXPECT_EQ(test::ReadAll(target), "theirs");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"out.cube"});
  // One that is there from the start is refused before anything is written.
  EXPECT_THROW(WriteFileAtomically(target, "ours", TReplace::KeepExisting), EOSError);
  WriteFileAtomically(dir.File("new.cube"), "ours", TReplace::KeepExisting);
  EXPECT_EQ(test::ReadAll(dir.File("new.cube")), "ours");
}

TEST(AtomicWrite, ReplacingKeepsPermissionsAndRefusesWhatTheUserMayNotWrite) {
  test::TempDir dir;
  const std::string target = dir.Write("grade.cube", "old");
  ::chmod(target.c_str(), 0640);
  WriteFileAtomically(target, "new");
  struct stat st {};
  ::stat(target.c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(test::ReadAll(target), "new");

  ::chmod(target.c_str(), 0444);
  const bool writable = ::access(target.c_str(), W_OK) == 0;  // the superuser may write anything
  const std::string error = test::ErrorOf([&] { WriteFileAtomically(target, "newer"); });
  if (writable) {
    EXPECT_EQ(error, "");
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
  } else {
    EXPECT_EQ(error, "Cannot create file \"" + target + "\". Permission denied");
    EXPECT_EQ(test::ReadAll(target), "new");
  }
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"grade.cube"});
}

TEST(AtomicWriteDeathTest, ASignalRemovesTheTemporaryFile) {
  test::TempDir dir;
  const std::string target = dir.Write("grade.cube", "old");
  EXPECT_EXIT(
      {
        InstallTemporaryFileCleanup();
        SetTemporaryFileHook([](const std::string&) { std::raise(SIGTERM); });
        WriteFileAtomically(target, "new");
      },
      testing::KilledBySignal(SIGTERM), "");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"grade.cube"});
  EXPECT_EQ(test::ReadAll(target), "old");
}
#endif

TEST(TextFile, ReadingErrorsNameTheFile) {
  test::TempDir dir;
  TTextFile f;
  try {
    f.ReadFromFile(dir.File("missing.cube"));
    FAIL();
  } catch (const EOSError& e) {
    EXPECT_NE(std::string(e.what()).find("missing.cube"), std::string::npos);
  }
  EXPECT_THROW(f.ReadFromFile(dir.path().string()), EOSError);
  EXPECT_THROW(ReadFileHead(dir.File("missing.cube"), 4096), EOSError);
#if !defined(_WIN32)
  // A named pipe with no writer would block the open for ever.
  const std::string fifo = dir.File("pipe.cube");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_NE(test::ErrorOf([&] { f.ReadFromFile(fifo); }).find("not a regular file"), std::string::npos);
  EXPECT_THROW(TLUTSource::FromFileHead(fifo), EOSError);  // what detection reads
#endif
}

TEST(TextFile, FileHead) {
  test::TempDir dir;
  const std::string name = dir.Write("big.txt", std::string(5000, 'x') + "KEY");
  EXPECT_EQ(ReadFileHead(name, 4096).size(), 4096u);
  EXPECT_EQ(ReadFileHead(dir.Write("small.txt", "abc"), 4096), "abc");
}

}  // namespace
}  // namespace zelvo
