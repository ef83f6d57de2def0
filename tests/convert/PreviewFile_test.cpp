#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"
#include "base/Errors.h"
#include "convert/PreviewFile.h"
#include "image/ApplyLUT.h"

namespace zelvo {
namespace {

// A picture of many different colours.
TBitmap24 AllCodes() {
  TBitmap24 b(256, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 256; ++x) {
      std::uint8_t* p = b.At(x, y);
      p[0] = static_cast<std::uint8_t>(x * 7 + y * 3);
      p[1] = static_cast<std::uint8_t>(255 - x);
      p[2] = static_cast<std::uint8_t>(x + y * 4);
    }
  return b;
}

TEST(Preview, LUTFilesForThePane) {
  test::TempDir dir;
  const TBitmap24 ungraded = AllCodes();
  const TLUTPreview cube = PreviewLUTFile(
      dir.Write("a.cube", "# warm\nLUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 0.5\n"), ungraded);
  EXPECT_TRUE(cube.Recognised);
  ASSERT_TRUE(cube.Graded);
  EXPECT_EQ(cube.Lines, (std::vector<std::string>{"Type: 3D", "Dimension: 2", "warm"}));
  TBitmap24 expected = ungraded.Copy();
  ApplyLUTToBitmap(cube.LUT, expected);
  EXPECT_EQ(std::memcmp(cube.Picture.Pixels(), expected.Pixels(), expected.ByteCount()), 0);

  const TLUTPreview unknown = PreviewLUTFile(dir.Write("notes.txt", "hello\n"), ungraded);
  EXPECT_FALSE(unknown.Recognised);
  EXPECT_FALSE(unknown.Graded);

  // A grid of one point: described, never applied.
  const TLUTPreview point = PreviewLUTFile(dir.Write("point.cube", "LUT_3D_SIZE 1\n0.5 0.5 0.5\n"), ungraded);
  ASSERT_TRUE(point.Recognised);
  EXPECT_FALSE(point.Graded);
  EXPECT_EQ(point.Lines, (std::vector<std::string>{"Type: 3D", "Dimension: 1"}));

  EXPECT_THROW(PreviewLUTFile(dir.Write("bad.cube", "LUT_3D_SIZE 2\n0 0 0\n"), ungraded), EZelvoError);
}

}  // namespace
}  // namespace zelvo
