// A reader's memory stays within a small multiple of its input, whatever the
// input: millions of comment or blank lines cost no more than their bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#if defined(__linux__)
#include <sys/resource.h>
#endif

#include "TestSupport.h"
#include "registry/Registry.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZELVO_TEST_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZELVO_TEST_UNDER_ASAN 1
#endif
#endif

namespace zelvo {
namespace {

constexpr int kCommentLines = 5'000'000;

std::string ManyComments() {
  std::string text = "LUT_1D_SIZE 2\n";
  text.reserve(kCommentLines * 4 + 64);
  for (int i = 0; i < kCommentLines; ++i) text += "# c\n";
  return text + "0 0 0\n1 1 1\n";
}

TEST(MemoryBound, OnlyTheFirstThousandCommentsAreKept) {
  TLUT lut;
  LoadLUTFromMemory("many.cube", ManyComments(), lut);
  ASSERT_EQ(lut.Comments.size(), TLineCursor::kMaxComments + 1);
  EXPECT_EQ(lut.Comments[999], "c");
  EXPECT_EQ(lut.Comments.back(), "(4999000 more comment lines left out)");
  EXPECT_EQ(lut.Size1D(), 2);
}

// Tiny files of every reader that sizes a table from its header, each
// declaring the largest table: each is refused from its length alone.
struct TTinyFile {
  const char* name;
  std::string text;
  const char* message;  // part of the error
};

std::vector<TTinyFile> TinyFilesDeclaringLargeTables() {
  const std::string rows256 = "Incomplete file (16777216 rows declared";
  std::string link;  // a device link whose grid header says 255 points
  {
    TLUT two;
    two.Kind = TLUTKind::lk3D;
    two.SetSize3D(2);
    const TFileText bytes = SaveLUTText(two, *OutputProfileByCaption("ICC Device Link 3D"), -1, "two");
    link.assign(bytes.data(), bytes.size());
    const std::size_t tag = link.find("mAB ");
    const auto byte = [&](std::size_t at) { return static_cast<std::size_t>(static_cast<unsigned char>(link[at])); };
    const std::size_t clut = tag + (byte(tag + 24) << 24 | byte(tag + 25) << 16 | byte(tag + 26) << 8 | byte(tag + 27));
    link.replace(clut, 3, "\xff\xff\xff");
  }
  const std::string clf = R"(<?xml version="1.0"?><ProcessList id="x" compCLFversion="3">)";
  return {
      {"a.cube", "LUT_3D_SIZE 256\n0 0 0\n", "16777216 rows declared"},
      {"b.cube", "LUT_1D_SIZE 100000\n0 0 0\n", "100000 rows declared"},
      {"t.cub", "# iDims 3\n# oDims 3\n# width 256 256 256\n# end\n0 0 0\n", "16777216 rows declared"},
      {"p.m3d", "channel 3d\nin 16777216\nout 4096\nformat lut\nvalues red green blue\n0 0 0 0\n",
       "16777216 rows declared"},
      {"n.cms", "NUCODA_3D_CUBE 1\nLUT_3D_SIZE 256\n0 0 0\n", "16777216 rows declared"},
      {"c.txt", "Lut3D: 256\n0 0 0\n", "16777216 rows declared"},
      {"clip.txt", "<LUT3D N='256' BitDepth='16'>\n<values>\n0 0 0\n</values></LUT3D>\n", "16777216 rows declared"},
      {"d.dat", "3DLUTSIZE 256\n0 0 0\n", "16777216 rows declared"},
      {"q.txt", "max value 4095\nvertices 256\n0 0 0\n", "16777216 rows declared"},
      {"l.txt", "#channels: c3\n#elements = 16777216\n0 0 0\n", "16777216 rows declared"},
      {"p.pfl", "<lut>\n<maximum>255</maximum>\n<size>256</size>\n<cube>\n0 0 0\n</cube>\n</lut>\n",
       "16777216 rows declared"},
      {"g.look", "<look>\n<shaders></shaders>\n<lut><size>\"256\"</size><data>\"0000803F\"</data></lut></look>\n",
       "16777216 rows declared"},
      {"c.csp", "CSPLUTV100\n3D\n\n2\n0 1\n0 1\n2\n0 1\n0 1\n2\n0 1\n0 1\n\n256 256 256\n0 0 0\n",
       "16777216 rows declared"},
      {"s.spi3d", "SPILUT 1.0\n3 3\n256 256 256\n0 0 0 0 0 0\n", "16777216 rows declared"},
      {"s.spi1d", "Version 1\nFrom 0 1\nLength 100000\nComponents 1\n{\n0\n}\n", "100000 rows declared"},
      {"h.lut", "Version 3\nFormat any\nType 3D\nFrom 0.0 1.0\nTo 0.0 1.0\nBlack 0\nWhite 1\nLength 256\nLUT:\n{\n0 0 0\n}\n",
       "16777216 rows declared"},
      {"v.vf", "#Inventor V2.1 ascii\n\ngrid_size 256 256 256\nelement_size 1 1 1\ndata\n0 0 0\n",
       "16777216 rows declared"},
      {"x.clf", clf + R"(<LUT3D inBitDepth="32f" outBitDepth="32f"><Array dim="256 256 256 3">0 0 0</Array></LUT3D>)"
                      "</ProcessList>",
       "holds 3 values where its dim \"256 256 256 3\" asks for 50331648"},
      {"link.icc", link, "declares tables larger than its file holds"},
  };
}

TEST(MemoryBound, DeclaredSizesTheFileCannotHoldAreRefused) {
  for (const TTinyFile& f : TinyFilesDeclaringLargeTables()) {
    TLUT lut;
    try {
      LoadLUTFromMemory(f.name, f.text, lut);
      ADD_FAILURE() << f.name << " loaded";
    } catch (const EZelvoError& e) {
      EXPECT_NE(std::string(e.what()).find(f.message), std::string::npos) << f.name << ": " << e.what();
    }
  }
}

#if defined(__linux__) && !defined(ZELVO_TEST_UNDER_ASAN)
// The data memory of this process, from the kernel.
long long DataKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == "VmData:") {
      long long kb = 0;
      status >> kb;
      return kb;
    }
  }
  return -1;
}

// With 64 MB more than the process holds before the load, a load of 20 MB of
// comment lines, and one of 20 MB of blank lines, must succeed: each comment
// kept would cost some 40 bytes for its 4.
TEST(MemoryBoundDeathTest, LargeFilesOfCommentsAndBlankLinesLoadInLittleMemory) {
  const std::string comments = ManyComments();
  std::string blanks = "LUT_3D_SIZE 2\n" + std::string(20'000'000, '\n');
  for (int i = 0; i < 8; ++i) blanks += "0.5 0.5 0.5\n";
  for (const std::string* text : {&comments, static_cast<const std::string*>(&blanks)}) {
    EXPECT_EXIT(
        {
          const long long data = DataKilobytes();
          rlimit limit{};
          limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>((data + 64 * 1024) * 1024);
          setrlimit(RLIMIT_DATA, &limit);
          TLUT lut;
          LoadLUTFromMemory(text == &comments ? "many.cube" : "blank.cube", *text, lut);
          std::exit(lut.FormatIndex == TLUTFormatId::None ? 3 : 0);
        },
        testing::ExitedWithCode(0), "");
  }
}

// ... and before anything is allocated: with 64 MB to spare (a 256-point
// table takes 403 MB) every one ends in our error, none in a failed allocation.
TEST(MemoryBoundDeathTest, DeclaredSizesAreCheckedBeforeTheTablesAreMade) {
  const std::vector<TTinyFile> files = TinyFilesDeclaringLargeTables();
  EXPECT_EXIT(
      {
        const long long data = DataKilobytes();
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>((data + 64 * 1024) * 1024);
        setrlimit(RLIMIT_DATA, &limit);
        for (const TTinyFile& f : files) {
          try {
            TLUT lut;
            LoadLUTFromMemory(f.name, f.text, lut);
            std::exit(2);
          } catch (const EZelvoError&) {
          } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "%s: allocated first\n", f.name);
            std::exit(3);
          }
        }
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace zelvo
