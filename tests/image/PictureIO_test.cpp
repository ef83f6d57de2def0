#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

#include "PictureBytes.h"
#include "TestSupport.h"
#include "image/BmpFile.h"
#include "image/PictureIO.h"
#include "base/Errors.h"
#include "lut/LUT.h"

namespace zelvo {
namespace {

using D = TPictureDepth;
using T = TPictureFileType;

// Values that show every rule of the writers: below 0, NaN, the extremes, a
// tie at 8 bits (0.5 / 255 away from a code), above 1 and far above.
const float kValues[] = {-0.5f, std::numeric_limits<float>::quiet_NaN(), 0.0f, 1.0f, 0.5f, 1.0f / 3.0f,
                         1.5f / 255.0f, 0.25f, 1.5f, 1000.0f, 65504.0f, 1e-3f};

TFloatPicture ValuesPicture() {
  // 4 x 2 pixels: the values, then the values reversed.
  TFloatPicture p(4, 2);
  const std::size_t n = std::size(kValues);
  for (std::size_t i = 0; i < p.SampleCount(); ++i) p.Samples()[i] = kValues[i < n ? i : 2 * n - 1 - i];
  return p;
}

TEST(PictureIO, EveryTypeAndDepthReadsBackByTheWritingRules) {
  const TFloatPicture source = ValuesPicture();
  struct Case {
    T type;
    D depth;
  };
  const Case cases[] = {{T::Png, D::pd8},   {T::Png, D::pd16},    {T::Tiff, D::pd8},   {T::Tiff, D::pd16},
                        {T::Tiff, D::pdFloat}, {T::Exr, D::pdHalf}, {T::Exr, D::pdFloat}, {T::Dpx, D::pd8},
                        {T::Dpx, D::pd10},  {T::Dpx, D::pd16},    {T::Bmp, D::pd8},    {T::Jpeg, D::pd8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(PictureFileTypeName(c.type)) + " " + DepthName(c.depth));
    const std::string bytes = EncodeFloatPicture(source, c.type, c.depth);
    EXPECT_EQ(PictureFileTypeOf(bytes), c.type);
    const TFloatPicture read = DecodeFloatPicture(bytes);
    ASSERT_EQ(read.Width(), 4);
    ASSERT_EQ(read.Height(), 2);
    EXPECT_EQ(read.Depth(), c.type == T::Jpeg || c.type == T::Bmp ? D::pd8 : c.depth);
    if (c.type == T::Jpeg) continue;  // lossy: only its size and depth say anything
    for (std::size_t i = 0; i < source.SampleCount(); ++i) {
      const float v = source.Samples()[i];
      const float got = read.Samples()[i];
      if (IsIntegerDepth(c.depth)) {
        const double largest = std::ldexp(1.0, DepthBits(c.depth)) - 1;
        EXPECT_NEAR(got, QuantizeValue(DepthBits(c.depth), v) / largest, 1e-7) << i << ": " << v;
      } else if (std::isnan(v)) {
        EXPECT_TRUE(std::isnan(got)) << i;
      } else {
        // Half keeps 11 significant bits, and 65504 is its largest value.
        EXPECT_NEAR(got, v, c.depth == D::pdHalf ? std::abs(v) / 1024 : 0.0) << i;
      }
    }
  }
}

TEST(PictureIO, IntegerScalingAtTheExtremes) {
  // Every code at the ends of 8 and 16 bits, as a grey PNG and an RGB one.
  struct Case {
    int bits;
    std::vector<unsigned> codes;
  };
  const Case cases[] = {{8, {0, 1, 127, 128, 254, 255}}, {16, {0, 1, 32767, 32768, 65534, 65535}}};
  for (const Case& c : cases) {
    std::string grey, rgb;
    for (const unsigned code : c.codes) {
      const std::string sample = c.bits == 8 ? std::string(1, static_cast<char>(code)) : test::Be16(code);
      grey += sample;
      rgb += sample + sample + sample;
    }
    const auto width = static_cast<std::uint32_t>(c.codes.size());
    for (const std::string& png : {test::MakePng(width, 1, 0, c.bits, {grey}), test::MakePng(width, 1, 2, c.bits, {rgb})}) {
      const TFloatPicture read = DecodeFloatPicture(png);
      ASSERT_EQ(read.Width(), static_cast<int>(width));
      EXPECT_EQ(read.Depth(), c.bits == 8 ? D::pd8 : D::pd16);
      const double largest = std::ldexp(1.0, c.bits) - 1;
      for (std::size_t x = 0; x < c.codes.size(); ++x) {
        for (int k = 0; k < 3; ++k) {
          EXPECT_FLOAT_EQ(read.At(static_cast<int>(x), 0)[k], static_cast<float>(c.codes[x] / largest)) << c.codes[x];
        }
      }
      EXPECT_EQ(read.At(0, 0)[0], 0.0f);
      EXPECT_EQ(read.At(static_cast<int>(width) - 1, 0)[2], 1.0f);
    }
  }
  // Written values on a tie go to the even code (127.5 and 32767.5).
  TFloatPicture ties(2, 1);
  ties.At(0, 0)[0] = 0.5f;
  ties.At(1, 0)[0] = 1.0f / 3.0f;
  const TFloatPicture at8 = DecodeFloatPicture(EncodeFloatPicture(ties, T::Png, D::pd8));
  EXPECT_FLOAT_EQ(at8.At(0, 0)[0], 128 / 255.0f);
  EXPECT_FLOAT_EQ(at8.At(1, 0)[0], 85 / 255.0f);
  const TFloatPicture at16 = DecodeFloatPicture(EncodeFloatPicture(ties, T::Png, D::pd16));
  EXPECT_FLOAT_EQ(at16.At(0, 0)[0], 32768 / 65535.0f);
  EXPECT_FLOAT_EQ(at16.At(1, 0)[0], 21845 / 65535.0f);
}

TEST(PictureIO, GreyAndAlphaGiveTheirColoursAsStored) {
  // Grey with alpha, and RGBA whose alpha is 0 or half: the colours stay as
  // stored, never multiplied by the alpha.
  const TFloatPicture grey_alpha = DecodeFloatPicture(test::MakePng(2, 1, 4, 8, {std::string("\x40\x00\xC0\x80", 4)}));
  EXPECT_FLOAT_EQ(grey_alpha.At(0, 0)[0], 64 / 255.0f);
  EXPECT_FLOAT_EQ(grey_alpha.At(0, 0)[2], 64 / 255.0f);
  EXPECT_FLOAT_EQ(grey_alpha.At(1, 0)[1], 192 / 255.0f);
  const TFloatPicture rgba =
      DecodeFloatPicture(test::MakePng(2, 1, 6, 8, {std::string("\x10\x20\x30\x00\xF0\xE0\xD0\x80", 8)}));
  const float want[] = {16, 32, 48, 240, 224, 208};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(rgba.Samples()[i], want[i] / 255.0f) << i;
}

TEST(PictureIO, DamagedAndOversizedPicturesAreRefused) {
  const std::string png = EncodeFloatPicture(ValuesPicture(), T::Png, D::pd16);
  const std::string tiff = EncodeFloatPicture(ValuesPicture(), T::Tiff, D::pdFloat);
  const std::string exr = EncodeFloatPicture(ValuesPicture(), T::Exr, D::pdHalf);
  // A DPX header that states 3 billion pixels a line, checked before the
  // library sizes its buffers from it.
  std::string dpx_huge = EncodeFloatPicture(TFloatPicture(7, 1), T::Dpx, D::pd10);
  dpx_huge.replace(772, 4, dpx_huge.substr(0, 4) == "SDPX" ? std::string("\xB0\0\0\0", 4) : std::string("\0\0\0\xB0", 4));
  // OpenEXR headers whose data window states 400 and 100 megapixels: the
  // first above the limits, the second more than 300 bytes hold (its table of
  // chunk offsets alone takes 2.5 kB), both refused before the library
  // allocates for them.
  const auto exr_window = [&](std::int32_t x_max, std::int32_t y_max) {
    std::string bytes = EncodeFloatPicture(TFloatPicture(4, 2), T::Exr, D::pdHalf);
    const std::size_t at = bytes.find(std::string("dataWindow\0box2i\0", 17)) + 17 + 4;
    std::memcpy(&bytes[at + 8], &x_max, 4);  // little-endian, as the file is
    std::memcpy(&bytes[at + 12], &y_max, 4);
    return bytes;
  };
  struct Case {
    std::string bytes, message;
  };
  const Case cases[] = {
      {exr_window(19999, 19999), "100 megapixels"},
      {exr_window(9999, 9999), "The OpenEXR picture cannot be read: its header states more than the file holds."},
      {png.substr(0, png.size() / 2), "The PNG picture cannot be read: "},
      {png.substr(0, 12), "The PNG picture cannot be read: "},
      {tiff.substr(0, tiff.size() - 20), "The TIFF picture cannot be read: "},
      {exr.substr(0, exr.size() / 2), "The OpenEXR picture cannot be read: "},
      {"SDPX" + std::string(40, '\0'), "The DPX picture cannot be read: its header is incomplete."},
      {dpx_huge, "30000 pixels a side"},
      {test::MakePng(100000, 1, 0, 8, {std::string(100000, '\x7F')}), "30000 pixels a side"},
      {test::MakePng(12000, 12000, 0, 8, {}), "100 megapixels"},
      {"GIF89a", "not a picture of a known type (JPEG, Windows bitmap, PNG, TIFF, OpenEXR or DPX)"},
  };
  for (const Case& c : cases) {
    const std::string error = test::ErrorOf([&] { DecodeFloatPicture(c.bytes); });
    EXPECT_NE(error.find(c.message), std::string::npos) << c.message << " / " << error;
  }
  // Whatever a damaged file holds, the outcome is a picture or our error.
  for (const std::string& copy : test::MutatedCopies({png, tiff, exr}, {"IDAT", "IEND", "\xFF\xFF"}, 40, 11)) {
    try {
      const TFloatPicture read = DecodeFloatPicture(copy);
      EXPECT_LE(read.PixelCount(), static_cast<std::size_t>(kMaxPicturePixels));
    } catch (const EZelvoError&) {
    }
  }
}

TEST(PictureIO, FilesTypesAndDepths) {
  test::TempDir dir;
  EXPECT_EQ(PictureFileTypeForName("a.TIFF"), T::Tiff);
  EXPECT_EQ(PictureFileTypeForName("a.tif"), T::Tiff);
  EXPECT_EQ(PictureFileTypeForName("a.exr"), T::Exr);
  EXPECT_EQ(PictureFileTypeForName("a.Dpx"), T::Dpx);
  EXPECT_EQ(PictureFileTypeForName("a.png"), T::Png);
  EXPECT_EQ(PictureFileTypeForName("a.jpe"), T::Jpeg);
  EXPECT_EQ(PictureFileTypeForName("a.gif"), T::Unknown);
  struct Case {
    T type;
    D own, written;
  };
  const Case cases[] = {
      {T::Png, D::pd8, D::pd8},       {T::Png, D::pdFloat, D::pd16},  {T::Png, D::pd10, D::pd16},
      {T::Tiff, D::pdHalf, D::pdFloat}, {T::Tiff, D::pd16, D::pd16},    {T::Exr, D::pd8, D::pdFloat},
      {T::Exr, D::pdHalf, D::pdHalf}, {T::Dpx, D::pd10, D::pd10},     {T::Dpx, D::pdFloat, D::pd16},
      {T::Jpeg, D::pdFloat, D::pd8},  {T::Bmp, D::pd16, D::pd8},
  };
  for (const Case& c : cases) EXPECT_EQ(OutputDepthFor(c.type, c.own), c.written) << PictureFileTypeName(c.type);

  const TFloatPicture picture = ValuesPicture();
  SaveFloatPicture(dir.File("a.exr"), picture, D::pdFloat);
  EXPECT_EQ(LoadFloatPicture(dir.File("a.exr")).At(3, 0)[0], 1000.0f);
  // A depth the type cannot hold, or a type nobody reads, leaves the file there as it was.
  const std::string existing = dir.Write("b.png", "keep me");
  EXPECT_NE(test::ErrorOf([&] { SaveFloatPicture(existing, picture, D::pdHalf); })
                .find("PNG pictures cannot be written at half float."),
            std::string::npos);
  EXPECT_EQ(test::ReadAll(existing), "keep me");
  EXPECT_NE(test::ErrorOf([&] { SaveFloatPicture(dir.File("c.gif"), picture, D::pd8); }).find("Pictures are written as"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.File("c.gif")));
  EXPECT_THROW(LoadFloatPicture(dir.File("missing.png")), EOSError);
  // The 8-bit readers stay the JPEG and bitmap ones.
  const TFloatPicture bmp = LoadFloatPicture(dir.Write("d.bmp", EncodeBmp(BitmapOf(picture))));
  EXPECT_EQ(bmp.Depth(), D::pd8);
  EXPECT_FLOAT_EQ(bmp.At(0, 0)[0], 0.0f);
  EXPECT_FLOAT_EQ(bmp.At(1, 0)[0], 1.0f);  // 1000 clipped to the largest code
}

}  // namespace
}  // namespace zelvo
