#include <gtest/gtest.h>

#include <cmath>

#include "TestLUTs.h"
#include "image/ImageLUT.h"
#include "base/Errors.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

using D = TPictureDepth;
using T = TPictureFileType;

// A grade as a photo editor makes one: a warm channel mix, a lifted black
// and a contrast curve; no axis stays as it was.
void FillGraded(TLUT& lut, int n) {
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(n);
  BakeLUT(lut, [](const TColor* in, TColor* out, std::size_t count) {
    const auto curve = [](double v) { return 0.04 + 0.92 * v * v * (3 - 2 * v); };
    for (std::size_t i = 0; i < count; ++i) {
      const double x = in[i].R, y = in[i].G, z = in[i].B;
      out[i] = TColor{curve(0.85 * x + 0.15 * y), curve(0.1 * x + 0.8 * y + 0.1 * z), curve(0.05 * x + 0.2 * y + 0.75 * z)};
    }
  });
}

TEST(ImageLUT, EveryLayoutRoundTripsThroughEveryFileDepth) {
  struct Case {
    TImageLUTLayout layout;
    int width, height;
  };
  const Case cases[] = {
      {HaldLayout(4), 64, 64},           {HaldLayout(6), 216, 216},
      {HaldLayout(8), 512, 512},         {OCIORasterLayout(16), 256, 16},
      {OCIORasterLayout(36), 1296, 36},  {OCIORasterLayout(64), 2048, 128},
      {OCIORasterLayout(17), 289, 17},   {StripLayout(16), 256, 16},
      {StripLayout(36), 1296, 36},       {StripLayout(64, true), 4096, 64},
      {SquareLayout(16), 64, 64},        {SquareLayout(36, true), 216, 216},
      {SquareLayout(64), 512, 512},      {RasterLayout(33, 1000), 1000, 36},
  };
  struct File {
    T type;
    D depth;
    double tolerance;
  };
  const File files[] = {{T::Png, D::pd16, 0.5 / 65535}, {T::Tiff, D::pdFloat, 1e-7}, {T::Exr, D::pdFloat, 1e-7},
                        {T::Png, D::pd8, 0.5 / 255}};
  for (const Case& c : cases) {
    SCOPED_TRACE(DescribeLayout(c.layout));
    EXPECT_EQ(LayoutPictureWidth(c.layout), c.width);
    EXPECT_EQ(LayoutPictureHeight(c.layout), c.height);
    TLUT lut;
    FillGraded(lut, c.layout.Size);
    for (const File& f : files) {
      // 8 bits on one small size, and the large pictures in one file type, keep the test quick.
      if (f.depth == D::pd8 && c.layout.Size > 16) continue;
      if (c.layout.Size == 64 && f.type != T::Png) continue;
      const std::string bytes = EncodeImageLUT(lut, c.layout, f.type, f.depth);
      const TFloatPicture picture = DecodeFloatPicture(bytes);
      TImageLUTReadOptions options;
      if (c.layout.Arrangement == TImageLUTArrangement::Raster && c.layout.Width == 1000) options.RasterWidth = 1000;
      EXPECT_EQ(DetectImageLUTLayout(picture, options), c.layout);
      const TLUT read = ReadImageLUT(picture, options);
      ASSERT_EQ(read.Size3D(), c.layout.Size);
      EXPECT_LE(test::MaxDifference3D(read, lut, c.layout.Size), f.tolerance) << PictureFileTypeName(f.type);
    }
    // In memory, the float picture gives the table back to float precision.
    const TLUT direct = LUTFromPicture(PictureOfLUT(lut, c.layout), c.layout);
    EXPECT_LE(test::MaxDifference3D(direct, lut, c.layout.Size), 1e-7);
  }
}

TEST(ImageLUT, PixelsWhereTheLayoutsPutThem) {
  // Red 1 at green 0, blue 1 of 4 points: raster index 1 + 16 * 3 = 49.
  TLUT lut;
  test::FillIdentity3D(lut, 4);
  const TFloatPicture hald = PictureOfLUT(lut, HaldLayout(2));  // 8 x 8
  EXPECT_EQ(hald.At(49 % 8, 49 / 8)[0], 1.0f / 3);
  EXPECT_EQ(hald.At(49 % 8, 49 / 8)[2], 1.0f);
  // Tiles of 4 x 4, blue 3 in tile (1, 1) of a square, in tile 3 of a strip.
  const TFloatPicture square = PictureOfLUT(lut, SquareLayout(4));
  EXPECT_EQ(square.At(4 + 2, 4 + 1)[0], 2.0f / 3);
  EXPECT_EQ(square.At(4 + 2, 4 + 1)[1], 1.0f / 3);
  EXPECT_EQ(square.At(4 + 2, 4 + 1)[2], 1.0f);
  const TFloatPicture strip = PictureOfLUT(lut, StripLayout(4, true));
  EXPECT_EQ(strip.At(12 + 2, 3 - 1)[1], 1.0f / 3);  // green counted from the bottom row
  EXPECT_EQ(strip.At(12 + 2, 3 - 1)[2], 1.0f);
  // ociolutimage wraps rows of 46^2 at 2048 pixels; the pixels past the last point stay black.
  const TImageLUTLayout wrapped = OCIORasterLayout(46);
  EXPECT_EQ(LayoutPictureWidth(wrapped), 2048);
  EXPECT_EQ(LayoutPictureHeight(wrapped), 48);
  TLUT white;
  white.Kind = TLUTKind::lk3D;
  white.SetSize3D(46);
  for (std::size_t i = 0; i < 46u * 46 * 46; ++i) white.Data3D()[i] = {1, 1, 1};
  const TFloatPicture last = PictureOfLUT(white, wrapped);
  EXPECT_EQ(last.At(97336 % 2048 - 1, 47)[0], 1.0f);
  EXPECT_EQ(last.At(97336 % 2048, 47)[0], 0.0f);
  // A LUT of another size or kind is resampled to the layout's.
  TLUT curve;
  test::FillSample1D(curve, 1024);
  const TLUT read = LUTFromPicture(PictureOfLUT(curve, StripLayout(9)), StripLayout(9));
  EXPECT_NEAR(read.Table3D(8, 4, 0).R, EvaluateLUT(curve, {1, 0.5, 0}).R, 1e-7);
  EXPECT_NEAR(read.Table3D(8, 4, 0).G, EvaluateLUT(curve, {1, 0.5, 0}).G, 1e-7);
  EXPECT_NE(read.Comments.at(0).find("values taken as they are"), std::string::npos);
}

TEST(ImageLUT, AmbiguousSizesGoToTheLayoutTheTableWasWrittenIn) {
  // Every Hald size is a square of tiles, and a strip has the size of an
  // ociolutimage raster up to 45 points: a graded LUT written in one layout
  // reads back in that layout, not in the other.
  struct Case {
    TImageLUTLayout written, other;
  };
  const Case cases[] = {
      {HaldLayout(8), SquareLayout(64)},        {SquareLayout(64), HaldLayout(8)},
      {SquareLayout(16, true), HaldLayout(4)},  {HaldLayout(3), SquareLayout(9, true)},
      {StripLayout(32), OCIORasterLayout(32)},  {OCIORasterLayout(32), StripLayout(32)},
      {StripLayout(17, true), StripLayout(17)}, {OCIORasterLayout(33), StripLayout(33, true)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(DescribeLayout(c.written));
    TLUT lut;
    FillGraded(lut, c.written.Size);
    const TFloatPicture picture = PictureOfLUT(lut, c.written);
    const std::vector<TImageLUTLayout> fits = LayoutsForPictureSize(picture.Width(), picture.Height());
    EXPECT_NE(std::find(fits.begin(), fits.end(), c.other), fits.end());
    EXPECT_LT(MeasureLayoutFit(picture, c.written).IdentityDistance, MeasureLayoutFit(picture, c.other).IdentityDistance);
    EXPECT_EQ(DetectImageLUTLayout(picture), c.written);
    // The user's choice of arrangement overrides the content.
    if (c.other.Arrangement != c.written.Arrangement) {
      TImageLUTReadOptions forced;
      forced.Layout = c.other.Arrangement == TImageLUTArrangement::Raster ? TImageLUTReadOptions::TChoice::Raster
                                                                           : TImageLUTReadOptions::TChoice::Tiles;
      EXPECT_EQ(DetectImageLUTLayout(picture, forced).Arrangement, c.other.Arrangement);
    }
  }
  // An identity picture is an identity in its own layout.
  TLUT identity;
  test::FillIdentity3D(identity, 64);
  EXPECT_LT(MeasureLayoutFit(PictureOfLUT(identity, HaldLayout(8)), HaldLayout(8)).IdentityDistance, 1e-7);
}

TEST(ImageLUT, TablesFarFromAnIdentityReadInTheirOwnLayout) {
  // A display transform keeps little of its input: green held at one value
  // and blue doubled is closer to an identity read as a square of tiles than
  // in its own Hald layout, but only its own layout keeps neighbouring points
  // together. A falling curve on red leaves green and blue to decide.
  const auto flat_green = [](const TColor& c) { return TColor{0.4 + 0.4 * c.R, 0.1, 2.0 * c.B}; };
  const auto falling_red = [](const TColor& c) { return TColor{1.25 - 1.5 * std::pow(c.R, 2.2), c.G, c.B}; };
  struct Case {
    TImageLUTLayout written;
    TColor (*grade)(const TColor&);
  };
  const Case cases[] = {
      {HaldLayout(8), flat_green},         {SquareLayout(64), flat_green},  {OCIORasterLayout(32), flat_green},
      {StripLayout(32, true), flat_green}, {HaldLayout(4), falling_red},    {SquareLayout(16, true), falling_red},
      {StripLayout(32), falling_red},      {OCIORasterLayout(32), falling_red},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(DescribeLayout(c.written));
    TLUT lut;
    lut.Kind = TLUTKind::lk3D;
    lut.SetSize3D(c.written.Size);
    BakeLUT(lut, [&](const TColor* in, TColor* out, std::size_t count) {
      for (std::size_t i = 0; i < count; ++i) out[i] = c.grade(in[i]);
    });
    // Layouts that give the same table (green held, read from either end) are both right.
    EXPECT_LE(test::MaxDifference3D(ReadImageLUT(PictureOfLUT(lut, c.written)), lut, c.written.Size), 1e-7);
  }
  TLUT flat;
  flat.Kind = TLUTKind::lk3D;
  flat.SetSize3D(64);
  BakeLUT(flat, [&](const TColor* in, TColor* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out[i] = flat_green(in[i]);
  });
  const TFloatPicture hald = PictureOfLUT(flat, HaldLayout(8));
  EXPECT_GT(MeasureLayoutFit(hald, HaldLayout(8)).IdentityDistance,
            MeasureLayoutFit(hald, SquareLayout(64)).IdentityDistance);
}

TEST(ImageLUT, Refusals) {
  struct Case {
    int width, height;
    std::string message;
  };
  const Case cases[] = {
      {500, 500, "The picture is 500 x 500 pixels, the size of no image LUT layout; the nearest sizes that are: 512 x 512 "
                 "(Hald CLUT of level 8, or a square of tiles of 64 points)"},
      {1024, 31, "1024 x 32 (strip of 32 tiles, or ociolutimage raster of 32 points)"},
      {2048, 200, "2048 x 198 (ociolutimage raster of 74 points)"},
      {1, 1, "4 x 2 (strip of 2 tiles, or ociolutimage raster of 2 points)"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(LayoutsForPictureSize(c.width, c.height).empty());
    const std::string error = test::ErrorOf([&] { ReadImageLUT(TFloatPicture(c.width, c.height)); });
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
  TImageLUTReadOptions raster;
  raster.RasterWidth = 300;
  EXPECT_NE(test::ErrorOf([&] { ReadImageLUT(TFloatPicture(256, 16), raster); }).find("256 pixels wide, not the 300"),
            std::string::npos);
  raster.Layout = TImageLUTReadOptions::TChoice::Tiles;
  EXPECT_NE(test::ErrorOf([&] { ReadImageLUT(TFloatPicture(256, 16), raster); }).find("tiles have none"),
            std::string::npos);
  EXPECT_NE(test::ErrorOf([] { LUTFromPicture(TFloatPicture(64, 64), StripLayout(16)); })
                .find("The picture is 64 x 64 pixels; a strip of 16 tiles of 16 x 16 pixels is 256 x 16."),
            std::string::npos);
  EXPECT_THROW(SquareLayout(10), ELUTError);
  EXPECT_THROW(HaldLayout(17), ELUTError);
  EXPECT_THROW(StripLayout(257), ELUTError);
  TLUT empty;
  empty.Kind = TLUTKind::lk3D;
  EXPECT_NE(test::ErrorOf([&] { EncodeImageLUT(empty, HaldLayout(2), T::Png, D::pd16); }).find("fewer than 2 points"),
            std::string::npos);
  EXPECT_EQ(HaldSizes().back(), 256);
  EXPECT_EQ(StripSizes().back(), 64);
}

}  // namespace
}  // namespace zelvo
