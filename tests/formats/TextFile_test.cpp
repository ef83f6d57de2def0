#include <gtest/gtest.h>

#include <filesystem>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "TestSupport.h"
#include "formats/LUTFormat.h"
#include "formats/TextFile.h"
#include "lut/Errors.h"

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
  EXPECT_THROW(DetectLUTFormat(fifo), EOSError);
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
