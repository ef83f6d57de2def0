#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "image/ImageResize2.h"
#include "image/Preview.h"

namespace zelvo {
namespace {

// The filters' formulas in double precision, at a = |x|.
double Formula(int filter, double a) {
  const double t = a * a, pi = std::numbers::pi;
  const auto sinc = [pi](double x) { return x == 0 ? 1.0 : std::sin(pi * x) / (pi * x); };
  switch (filter) {
    case 1: return a < 1 ? 1 - a : 0;
    case 2: return a < 1 ? (2 * a - 3) * t + 1 : 0;
    case 3: return a < 0.5 ? 0.75 - t : a < 1.5 ? 0.5 * (a - 1.5) * (a - 1.5) : 0;
    case 4: return a < 1 ? 0.5 * t * a - t + 2.0 / 3 : a < 2 ? (2 - a) * (2 - a) * (2 - a) / 6 : 0;
    case 5: return a < 3 ? sinc(a) * sinc(a / 3) : 0;
    default:
      return a < 1 ? (7 * a * t - 12 * t + 16.0 / 3) / 6
             : a < 2 ? (-7.0 / 3 * a * t + 12 * t - 20 * a + 32.0 / 3) / 6
                     : 0;
  }
}

TEST(ImageResize, FiltersFollowTheirFormulas) {
  const float radii[] = {0.5f, 1, 1, 1.5f, 2, 3, 2};
  for (int f = 0; f < 7; ++f) {
    EXPECT_EQ(DefaultRadius(static_cast<TResizeFilter>(f)), radii[f]);
    if (f == 0) continue;
    for (const double x : {0.0, 0.25, -0.4, 0.5, 0.75, -1.0, 1.2, 1.5, -1.9, 2.0, 2.5, 3.0, 4.0}) {
      EXPECT_NEAR(FilterFunctionOf(static_cast<TResizeFilter>(f))(static_cast<float>(x)), Formula(f, std::abs(x)), 2e-6)
          << f << " at " << x;
    }
  }
  const TFilterFunction box = FilterFunctionOf(TResizeFilter::rfBox);
  EXPECT_EQ(box(0.5f), 1.0f);
  EXPECT_EQ(box(-0.5f), 0.0f);
  EXPECT_EQ(box(0.0f), 1.0f);
  EXPECT_EQ(box(0.51f), 0.0f);
}

TEST(ImageResize, FitWithinNeverEnlarges) {
  EXPECT_EQ(FitWithin(2000, 1000, 210, 169), (TPictureSize{210, 105}));
  EXPECT_EQ(FitWithin(100, 50, 210, 169), (TPictureSize{100, 50}));
  EXPECT_EQ(FitWithin(1000, 2, 210, 169), (TPictureSize{210, 0}));
  EXPECT_EQ(FitWithin(3, 1000, 210, 169), (TPictureSize{1, 169}));
  EXPECT_EQ(FitWithin(420, 338, 210, 169), (TPictureSize{210, 169}));
}

// A small picture of distinct colours.
TBitmap24 Sample(int w, int h) {
  TBitmap24 src(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = src.At(x, y);
      p[0] = static_cast<std::uint8_t>(40 * x + 10 * y);
      p[1] = static_cast<std::uint8_t>((x * y * 37) % 256);
      p[2] = static_cast<std::uint8_t>(x == 2 && y == 1 ? 255 : 20 * y);
    }
  return src;
}

std::vector<int> BytesOf(const TBitmap24& b) { return std::vector<int>(b.Pixels(), b.Pixels() + b.ByteCount()); }

TEST(ImageResize, SameSizeWithLanczos3LeavesThePicture) {
  const TBitmap24 src = Sample(7, 5);
  TBitmap24 dst;
  ResizeImage(7, 5, TResizeFilter::rfLanczos3, 0, src, dst);
  EXPECT_EQ(BytesOf(dst), BytesOf(src));
  for (const TContributorEntry& e : BuildContributors(7, 1.0f, 7, FilterFunctionOf(TResizeFilter::rfLanczos3), 3)) {
    ASSERT_EQ(e.Count, 1);
    EXPECT_EQ(e.Contributors[0].Weight, 256);
  }
}

TEST(ImageResize, EveryFilterGivesItsGoldenPicture) {
  const std::vector<std::vector<int>> golden = {
      {26, 12, 13, 66, 36, 91, 146, 86, 13, 46, 49, 53, 86, 147, 53, 166, 131, 53},
      {28, 16, 17, 88, 65, 70, 158, 80, 17, 44, 44, 48, 104, 145, 61, 174, 132, 48},
      {28, 15, 16, 88, 62, 74, 158, 82, 16, 44, 45, 49, 104, 147, 59, 174, 133, 49},
      {41, 32, 35, 91, 75, 60, 153, 94, 29, 52, 60, 48, 102, 121, 58, 164, 126, 46},
      {48, 41, 40, 93, 79, 56, 151, 98, 34, 55, 64, 48, 100, 110, 56, 158, 123, 45},
      {18, 2, 13, 83, 56, 77, 163, 80, 4, 38, 44, 53, 103, 157, 62, 183, 137, 52},
      {30, 18, 24, 88, 67, 68, 158, 87, 19, 45, 52, 49, 103, 137, 60, 173, 133, 48},
  };
  const TBitmap24 src = Sample(5, 4);
  for (std::size_t f = 0; f < golden.size(); ++f) {
    TBitmap24 dst;
    ResizeImage(3, 2, static_cast<TResizeFilter>(f), 0, src, dst);
    EXPECT_EQ(BytesOf(dst), golden[f]) << "filter " << f;
  }
  // Enlarged with the box filter, each output pixel is its nearest source pixel.
  TBitmap24 big;
  ResizeImage(10, 8, TResizeFilter::rfBox, 0, src, big);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) {
      const int sx = static_cast<int>(std::floor(static_cast<float>(x) / (9.0f / 4.0f) + 0.5f));
      const int sy = static_cast<int>(std::floor(static_cast<float>(y) / (7.0f / 3.0f) + 0.5f));
      EXPECT_EQ(std::vector<int>(big.At(x, y), big.At(x, y) + 3), std::vector<int>(src.At(sx, sy), src.At(sx, sy) + 3))
          << x << "," << y;
    }
}

TEST(ImageResize, EdgesAreMirroredAndShortRowsClampedToTheEdge) {
  // Enlarging a row of 4: left of pixel 0 mirrors without repeating it, right
  // of pixel 3 repeats it.
  const TContributorList up = BuildContributors(7, 2.0f, 4, FilterFunctionOf(TResizeFilter::rfLanczos3), 3);
  ASSERT_EQ(up.size(), 7u);
  const auto indexes = [](const TContributorEntry& e) {
    std::vector<int> v;
    for (const TSourceWeight& w : e.Contributors) v.push_back(w.Index);
    return v;
  };
  EXPECT_EQ(indexes(up[1]), (std::vector<int>{2, 1, 0, 1, 2, 3}));  // centre 0.5: j = -2 .. 3
  EXPECT_EQ(indexes(up[5]), (std::vector<int>{0, 1, 2, 3, 3, 2}));  // centre 2.5: j = 0 .. 5
  // Rows shorter than the reach: 3 -> 1 (a 3 x 1000 picture in the pane), 3 ->
  // 2, 2 -> 5, 10 -> 1. Mirroring alone would read outside the row.
  struct Case {
    int n, length;
  };
  for (const Case c : {Case{1, 3}, Case{2, 3}, Case{5, 2}, Case{1, 10}}) {
    const float scale = c.n == 1 || c.length == 1 ? static_cast<float>(c.n) / c.length
                                                  : static_cast<float>(c.n - 1) / static_cast<float>(c.length - 1);
    for (const TContributorEntry& e : BuildContributors(c.n, scale, c.length, FilterFunctionOf(TResizeFilter::rfLanczos3), 3)) {
      EXPECT_GT(e.Count, 0);
      for (const TSourceWeight& w : e.Contributors) {
        EXPECT_GE(w.Index, 0) << c.length << " -> " << c.n;
        EXPECT_LT(w.Index, c.length) << c.length << " -> " << c.n;
      }
    }
  }
  // A width of 1 from a wider row is built from the whole reach around column 0.
  const TBitmap24 thin = FitPreviewBitmap(Sample(3, 1000));
  EXPECT_EQ(thin.Width(), 1);
  EXPECT_EQ(thin.Height(), 169);
}

TEST(ImageResize, ContributionTotals) {
  TChannelBuffers ch;
  const std::uint8_t pixels[] = {0, 0, 0, 200, 100, 255};
  SplitChannels(2, 3, pixels, ch);
  std::uint8_t out[3];
  // A total of 0: the sum is divided by 256; a negative sum gives 0.
  ApplyContributors(TContributorEntry{2, {{-256, 1}, {256, 0}}}, ch, out);
  EXPECT_EQ(out[0], 0);
  ApplyContributors(TContributorEntry{2, {{256, 1}, {-256, 0}}}, ch, out);
  EXPECT_EQ(out[0], 200);
  // Above 255 x total gives 255.
  ApplyContributors(TContributorEntry{2, {{300, 1}, {-100, 0}}}, ch, out);
  EXPECT_EQ(out[2], 255);
  EXPECT_EQ(ClampByte(-5), 0);
  EXPECT_EQ(ClampByte(256), 255);
}

TEST(ImageResize, StrongReductionsStayAPicture) {
  // Beyond about 512:1 every rounded weight is 0; the unit is shared out instead.
  const TContributorList list =
      BuildContributors(169, 168.0f / 99999.0f, 100000, FilterFunctionOf(TResizeFilter::rfLanczos3), 3);
  for (const TContributorEntry& e : list) {
    int total = 0;
    for (const TSourceWeight& w : e.Contributors) total += w.Weight;
    EXPECT_EQ(total, 256);
  }
  TBitmap24 tall(1, 1200);
  for (int y = 0; y < 1200; ++y) tall.At(0, y)[1] = 128;
  TBitmap24 small;
  ResizeImage(1, 2, TResizeFilter::rfLanczos3, 0, tall, small);
  EXPECT_EQ(small.At(0, 0)[1], 128);
  EXPECT_EQ(small.At(0, 1)[1], 128);
}

TEST(ImageResize, ZeroSizedTargetsStayEmpty) {
  const TBitmap24 flat = FitPreviewBitmap(TBitmap24(1000, 2));
  EXPECT_EQ(flat.Width(), 210);
  EXPECT_EQ(flat.Height(), 0);
  EXPECT_EQ(flat.ByteCount(), 0u);
  // A picture smaller than the box keeps its size and its pixels.
  const TBitmap24 small = Sample(30, 20);
  EXPECT_EQ(BytesOf(FitPreviewBitmap(small)), BytesOf(small));
}

// Float pictures fit with the weights of 8-bit ones, without clamping:
// values beyond 0..1 keep their level, and a smooth picture's fit agrees with
// its bitmap's within the two codes the 8-bit passes truncate.
TEST(ImageResize, FloatPicturesFitWithTheSameWeightsUnclamped) {
  TBitmap24 bitmap(420, 300);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 420; ++x) {
      std::uint8_t* p = bitmap.At(x, y);
      p[0] = static_cast<std::uint8_t>(128 + 100 * std::sin(x / 6.0) * std::cos(y / 7.0));
      p[1] = static_cast<std::uint8_t>(128 + 100 * std::cos(x / 5.0 + y / 9.0));
      p[2] = static_cast<std::uint8_t>(x * 255 / 419);
    }
  const TFloatPicture values = FloatPictureOf(bitmap);
  const TFloatPicture fitted = ResizeFloatPicture(210, 150, TResizeFilter::rfLanczos3, values);
  TBitmap24 expected;
  ResizeImage(210, 150, TResizeFilter::rfLanczos3, 0, bitmap, expected);
  const TBitmap24 shown = BitmapOf(fitted);
  int worst = 0;
  for (std::size_t i = 0; i < shown.ByteCount(); ++i) worst = std::max(worst, std::abs(shown.Pixels()[i] - expected.Pixels()[i]));
  EXPECT_LE(worst, 2);
  EXPECT_EQ(fitted.Depth(), TPictureDepth::pd8);

  TFloatPicture bright(300, 40, TPictureDepth::pdHalf);
  for (std::size_t i = 0; i < bright.SampleCount(); i += 3) {
    bright.Samples()[i] = 2.5f;
    bright.Samples()[i + 1] = -0.25f;
  }
  const TFloatPicture small = ResizeFloatPicture(30, 4, TResizeFilter::rfLanczos3, bright);
  EXPECT_EQ(small.Depth(), TPictureDepth::pdHalf);
  for (const auto& [x, y] : {std::pair{0, 0}, {29, 3}, {15, 2}}) {
    EXPECT_NEAR(small.At(x, y)[0], 2.5f, 1e-5f);
    EXPECT_NEAR(small.At(x, y)[1], -0.25f, 1e-5f);
    EXPECT_EQ(small.At(x, y)[2], 0.0f);
  }
}

// The pane fits pictures beyond 8 bits with their values and says how they
// are shown; 8-bit ones keep the bitmap fit and say nothing.
TEST(ImageResize, PanePicturesKeepValuesAndSayHowTheyAreShown) {
  struct Case {
    TPictureDepth depth;
    TPictureFileType type;
    float value;
    const char* note;  // a part of the note; nullptr: none
    bool values_kept;
  };
  const Case cases[] = {
      {TPictureDepth::pd8, TPictureFileType::Png, 0.5f, nullptr, false},
      {TPictureDepth::pd16, TPictureFileType::Tiff, 0.5f, nullptr, true},
      {TPictureDepth::pd10, TPictureFileType::Dpx, 0.5f, "a log picture looks flat", true},
      {TPictureDepth::pdFloat, TPictureFileType::Exr, 0.5f, "without a view transform", true},
      {TPictureDepth::pdHalf, TPictureFileType::Exr, 1.5f, "values beyond 0..1 are shown clipped", true},
      {TPictureDepth::pdFloat, TPictureFileType::Tiff, -0.01f, "values beyond 0..1 are shown clipped", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(DepthName(c.depth));
    TFloatPicture picture(840, 400, c.depth);
    picture.At(839, 399)[1] = c.value;
    const TPanePicture pane = PanePictureOf(picture, c.type);
    EXPECT_EQ(pane.Shown.Width(), 210);
    EXPECT_EQ(pane.Shown.Height(), 100);
    if (c.note == nullptr) {
      EXPECT_EQ(pane.Note, "");
    } else {
      EXPECT_NE(pane.Note.find(c.note), std::string::npos) << pane.Note;
    }
    EXPECT_EQ(pane.Values.Width(), c.values_kept ? 210 : 0);
  }
}

}  // namespace
}  // namespace zelvo
