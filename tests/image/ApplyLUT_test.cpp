#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "TestLUTs.h"
#include "image/ApplyLUT.h"
#include "image/ApplyPipeline.h"
#include "image/BmpFile.h"
#include "image/JpegFile.h"
#include "image/PictureFile.h"
#include "image/Preview.h"
#include "base/Errors.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

void FillConstant3D(TLUT& lut, TLUTEntry value) {
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(2);
  for (int i = 0; i < 8; ++i) lut.Data3D()[i] = value;
}

TColorValue Applied(const TLUT& lut, TColorValue in, std::uint8_t out_bits) {
  TColorValue out;
  out.Bits = out_bits;
  ApplyLUTToColor(lut, in, out);
  return out;
}

TEST(ApplyLUT, Colors) {
  TLUT identity, red, beyond, half, none;
  test::FillIdentity3D(identity, 17);
  FillConstant3D(red, {1, 0, 0});
  FillConstant3D(beyond, {1.5, -0.5, std::nan("")});
  FillConstant3D(half, {0.5, 0.5, 0.5});
  none.Kind = TLUTKind::lkNone;
  struct Case {
    const TLUT* lut;
    TColorValue in;
    std::uint8_t bits;
    TColorValue expected;
  };
  const Case cases[] = {
      {&identity, {10, 128, 255, 8}, 8, {10, 128, 255, 8}},
      {&identity, {1023, 0, 512, 10}, 8, {255, 0, 128, 8}},
      {&identity, {255, 0, 0, 8}, 16, {65535, 0, 0, 16}},
      {&red, {3, 99, 200, 8}, 8, {255, 0, 0, 8}},
      {&beyond, {3, 99, 200, 8}, 8, {255, 0, 0, 8}},  // never wrapped; NaN gives 0
      {&half, {0, 0, 0, 8}, 8, {128, 128, 128, 8}},   // 127.5, ties to even
      {&half, {0, 0, 0, 8}, 1, {0, 0, 0, 1}},         // 0.5 at 1 bit
      {&none, {1, 2, 3, 8}, 8, {1, 2, 3, 8}},
      {&none, {300, 2, 3, 8}, 8, {255, 2, 3, 8}},  // inputs are not clamped, outputs are
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Applied(*c.lut, c.in, c.bits), c.expected) << c.in.R << " " << c.in.G << " " << c.in.B;
  }
  TLUT empty;  // a 1D file without rows
  empty.Kind = TLUTKind::lk1D;
  EXPECT_THROW(Applied(empty, {1, 2, 3, 8}, 8), ELUTError);
  EXPECT_THROW(Applied(identity, {1, 2, 3, 0}, 8), EZelvoError);
  EXPECT_THROW(Applied(identity, {1, 2, 3, 8}, 17), EZelvoError);
}

// Every code of every channel, in pixels that mix them.
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

TEST(ApplyLUT, BitmapsGiveWhatEachColorGives) {
  TLUT lut3d, lut1d, both, identity, none, tetrahedral;
  none.Kind = TLUTKind::lkNone;
  test::FillSample3D(lut3d, 17);
  test::FillSample3D(tetrahedral, 17);
  tetrahedral.Interpolation3D = TInterpolation::Tetrahedral;
  test::FillSample1D(lut1d, 1024);
  test::FillSample3D(both, 5);
  both.Kind = TLUTKind::lk1DAnd3D;
  both.SetSize1D(3);
  both.Table1D(0) = {0.1, 0, 0};
  both.Table1D(1) = {0.4, 0.7, 0.5};
  both.Table1D(2) = {1, 0.9, 1.2};
  lut1d.Domain1D.Max = {1.5, 1, 1};
  test::FillIdentity3D(identity, 2);
  const TBitmap24 source = AllCodes();
  for (const TLUT* lut : {&lut3d, &lut1d, &both, &identity, &none, &tetrahedral}) {
    TBitmap24 graded = source.Copy();
    ApplyLUTToBitmap(*lut, graded);
    for (int y = 0; y < graded.Height(); ++y)
      for (int x = 0; x < graded.Width(); ++x) {
        const std::uint8_t* in = source.At(x, y);
        const std::uint8_t* out = graded.At(x, y);
        const TColorValue want = Applied(*lut, {in[2], in[1], in[0], 8}, 8);
        ASSERT_EQ((TColorValue{out[2], out[1], out[0], 8}), want) << x << "," << y;
      }
    if (lut == &identity || lut == &none) {
      EXPECT_EQ(std::memcmp(graded.Pixels(), source.Pixels(), source.ByteCount()), 0);
    }
  }
  TLUT red;
  FillConstant3D(red, {1, 0, 0});
  TBitmap24 picture = source.Copy();
  ApplyLUTToBitmap(red, picture);
  for (std::size_t i = 0; i < picture.ByteCount(); i += 3) {
    ASSERT_EQ(picture.Pixels()[i], 0);
    ASSERT_EQ(picture.Pixels()[i + 1], 0);
    ASSERT_EQ(picture.Pixels()[i + 2], 255);
  }
  TBitmap24 nothing(0, 5);
  ApplyLUTToBitmap(red, nothing);
  EXPECT_EQ(nothing.Height(), 5);
}

TEST(ApplyLUT, PicturesGradedWhileDecodedGiveTheSameBytes) {
  // Large enough for many bands of rows; the grade on the second thread, the
  // plain steps one after the other: the same file, byte for byte.
  TBitmap24 source(333, 250);
  for (std::size_t i = 0; i < source.ByteCount(); ++i) source.Pixels()[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
  const std::string jpeg = EncodeJpeg(source, 90);
  TLUT lut3d, lut1d;
  test::FillSample3D(lut3d, 33);
  test::FillSample1D(lut1d, 256);
  for (const TLUT* lut : {&lut3d, &lut1d}) {
    for (const TPictureType type : {TPictureType::Jpeg, TPictureType::Bmp}) {
      for (const std::string& bytes : {jpeg, EncodeBmp(source)}) {
        TBitmap24 expected = LoadPictureFromMemory(bytes);
        ApplyLUTToBitmap(*lut, expected);
        EXPECT_EQ(ApplyLUTToPictureBytes(*lut, bytes, type), EncodePicture(expected, type));
      }
    }
  }
  // A file cut short fails as the plain decoder fails, and the grading thread ends.
  const std::string cut = jpeg.substr(0, jpeg.size() / 2);
  EXPECT_EQ(test::ErrorOf([&] { ApplyLUTToPictureBytes(lut3d, cut, TPictureType::Jpeg); }),
            test::ErrorOf([&] { LoadPictureFromMemory(cut); }));
  TLUT empty;
  empty.Kind = TLUTKind::lk3D;
  EXPECT_THROW(ApplyLUTToPictureBytes(empty, jpeg, TPictureType::Jpeg), ELUTError);
}

TEST(ApplyLUT, FloatPicturesGiveExactlyWhatEachColourGives) {
  // Values inside and outside 0..1, NaN, through tables with and without a
  // domain, on pictures large enough to be shared out over threads.
  TLUT lut3d, wide, lut1d;
  test::FillSample3D(lut3d, 17);
  test::FillSample3D(wide, 9);
  wide.Domain3D.Min = {-0.25, 0, 0};
  wide.Domain3D.Max = {2, 1.5, 1};
  test::FillSample1D(lut1d, 1024);
  TFloatPicture source(300, 240);
  for (std::size_t i = 0; i < source.SampleCount(); ++i) source.Samples()[i] = static_cast<float>(i % 1013) / 700.0f - 0.2f;
  source.Samples()[5] = std::nanf("");
  for (const TLUT* lut : {&lut3d, &wide, &lut1d}) {
    TFloatPicture graded = source.Copy();
    ApplyLUTToFloatPicture(*lut, graded);
    for (std::size_t i = 0; i < source.PixelCount(); ++i) {
      const float* p = source.Samples() + 3 * i;
      const TColor want = EvaluateLUT(*lut, TColor{p[0], p[1], p[2]});
      const float* q = graded.Samples() + 3 * i;
      ASSERT_EQ(q[0], static_cast<float>(want.R)) << i;
      ASSERT_EQ(q[1], static_cast<float>(want.G)) << i;
      ASSERT_EQ(q[2], static_cast<float>(want.B)) << i;
    }
  }
}

}  // namespace
}  // namespace zelvo
