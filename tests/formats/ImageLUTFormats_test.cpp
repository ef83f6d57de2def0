// Image LUTs through the registry: every image profile writes pictures that
// the image LUT reader gives back, at the sizes and depths the profile lists;
// pictures are found before any text format; what no layout or depth holds
// is refused with a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "TestFormats.h"
#include "image/PictureBytes.h"

namespace zelvo {
namespace {

using P = TOutputProfileId;

// The bytes of a profile's file for the table, and the table read back from them.
TLUT RoundTrip(const TLUT& lut, const TLutOutputProfile& profile, int bits) {
  const TFileText bytes = SaveLUTText(lut, profile, bits, "grade");
  TLUT back;
  LoadLUTFromMemory("grade." + profile.Extension, std::string_view(bytes.data(), bytes.size()), back);
  EXPECT_EQ(back.FormatIndex, TLUTFormatId::ImageLUT);
  return back;
}

// What a depth keeps of a value in 0..1: half an integer code step, half a
// half float's step at 1, or a float's.
double Tolerance(const TProfileDepth& depth) {
  if (!depth.Float) return 0.5 / (std::ldexp(1.0, depth.Bits) - 1) + 1e-9;
  return depth.Bits == 16 ? std::ldexp(1.0, -11) : 1e-7;
}

TEST(ImageLUTFormats, EveryProfileRoundTripsItsSizesAndDepths) {
  struct Case {
    P profile;
    std::vector<int> sizes;
  };
  // The smallest, some between, the largest strip, the default Hald; the
  // OpenColorIO raster past its wrapping width (46 points: rows of 2048).
  const Case cases[] = {
      {P::HaldPng, {4, 16, 36, 64}}, {P::HaldTiff, {4, 25}},       {P::StripPng, {2, 16, 33, 64}},
      {P::StripPngBottomUp, {3, 32}}, {P::SquarePng, {9, 16, 36}}, {P::OCIORasterExr, {2, 17, 46}},
      {P::OCIORasterPng, {5, 32}},
  };
  for (const Case& c : cases) {
    const TLutOutputProfile& profile = OutputProfileOf(c.profile);
    for (const int n : c.sizes) {
      ASSERT_TRUE(profile.Sizes.empty() || std::ranges::find(profile.Sizes, n) != profile.Sizes.end()) << n;
      TLUT lut;
      test::FillSample3D(lut, n);
      for (const TProfileDepth& depth : profile.Depths) {
        SCOPED_TRACE(profile.Caption + ", " + std::to_string(n) + " points, " + DepthCaption(depth));
        const TLUT back = RoundTrip(lut, profile, depth.Bits);
        ASSERT_EQ(back.Size3D(), n);
        EXPECT_LE(test::MaxDifference3D(back, lut, n), Tolerance(depth));
      }
    }
  }
}

TEST(ImageLUTFormats, IntegerDepthsClampFloatDepthsKeepEveryValue) {
  // (The rounding of each code is the picture writer's, PictureIO_test.)
  const double nan = std::numeric_limits<double>::quiet_NaN();
  TLUT lut;
  test::FillIdentity3D(lut, 4);  // a Hald CLUT of level 2
  lut.Data3D()[1] = {-0.5, nan, 1.5};
  const auto point = [&](P profile, int bits) { return RoundTrip(lut, OutputProfileOf(profile), bits).Data3D()[1]; };
  EXPECT_EQ(point(P::HaldPng, 8), (TLUTEntry{0, 0, 1}));
  EXPECT_EQ(point(P::HaldTiff, 16), (TLUTEntry{0, 0, 1}));
  const TLUTEntry floats = point(P::HaldTiff, 32);
  EXPECT_EQ(floats.R, -0.5);
  EXPECT_TRUE(std::isnan(floats.G));
  EXPECT_EQ(floats.B, 1.5);
  lut.Data3D()[1] = {4.0, -1.0, 1000.0};  // exact in half floats
  EXPECT_EQ(point(P::OCIORasterExr, 16), (TLUTEntry{4.0, -1.0, 1000.0}));
}

TEST(ImageLUTFormats, PicturesAreFoundBeforeTheTextFormats) {
  TLUT lut;
  test::FillSample3D(lut, 4);
  const TFileText png = SaveLUTText(lut, OutputProfileOf(P::HaldPng), 8, "grade");
  // Words other formats look for, after the picture's last chunk.
  const std::string tagged = std::string(png.data(), png.size()) + "LUT_3D_SIZE 2\n<ProcessList>\n3DMESH\n";
  ASSERT_LT(tagged.size(), kSignatureBytes);
  EXPECT_EQ(DetectLUTFormat(TLUTSource("grade.cube", tagged)), TLUTFormatId::ImageLUT);
  TLUT back;
  LoadLUTFromMemory("grade.cube", tagged, back);
  EXPECT_LE(test::MaxDifference3D(back, lut, 4), 0.5 / 255 + 1e-9);
  // The writers read nothing; their files are read back as Image LUT.
  for (int id = IndexOf(TLUTFormatId::HaldPng); id < kLUTFormatCount; ++id) {
    const TLUTFormat& writer = *LUTFormatByIndex(id);
    EXPECT_FALSE(writer.CanRead(TLUTSource("grade.png", tagged))) << writer.Name;
    EXPECT_EQ(writer.ReadBackAs(), TLUTFormatId::ImageLUT) << writer.Name;
  }
}

TEST(ImageLUTFormats, WhatNoLayoutOrDepthHoldsIsRefused) {
  struct Case {
    std::string bytes;
    std::string message;
  };
  const std::string rgb_row(3 * 5, '\x80');
  const std::string png = test::MakePng(5, 5, 2, 8, std::vector<std::string>(5, rgb_row));
  TLUT graded;
  test::FillSample3D(graded, 4);
  const TFileText hald = SaveLUTText(graded, OutputProfileOf(P::HaldPng), 16, "grade");
  const Case cases[] = {
      {png, "The picture is 5 x 5 pixels, the size of no image LUT layout; the nearest sizes that are: "},
      {png, "; 8 x 8 (Hald CLUT of level 2, or a square of tiles of 4 points); "},
      {std::string(hald.data(), hald.size() / 2), "The PNG picture cannot be read"},
      {test::MakePng(100000, 1, 2, 8, {std::string(300000, '\0')}), "The picture is 100000 x 1 pixels; pictures of more than 30000 pixels a side"},
  };
  for (const Case& c : cases) {
    const std::string error = test::LoadError(c.bytes, "picture.png");
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_NE(error.find("Image LUT (PNG, TIFF, OpenEXR)"), std::string::npos) << error;
  }
  // Writers: a Hald CLUT of a size that is no square; a depth the picture type does not hold.
  TLUT ten;
  test::FillSample3D(ten, 10);
  EXPECT_NE(test::ErrorOf([&] { SaveLUTText(ten, OutputProfileOf(P::HaldPng), 16, "t"); })
                .find("A Hald CLUT holds a square number of points per axis (4, 9, 16, ... 256), not 10."),
            std::string::npos);
  EXPECT_NE(test::ErrorOf([&] { SaveLUTText(graded, OutputProfileOf(P::OCIORasterExr), 8, "t"); })
                .find("cannot be written at 8 bits (16 bits (half float) or 32 bits (float))"),
            std::string::npos);
}

}  // namespace
}  // namespace zelvo
