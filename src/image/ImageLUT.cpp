#include "image/ImageLUT.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "base/Errors.h"
#include "lut/Resample.h"

namespace zelvo {

namespace {

constexpr int kMaxHaldLevel = 16;
constexpr int kMaxStripProfileSize = 64;

std::int64_t Cube(std::int64_t n) { return n * n * n; }

// The whole square root of n, or 0 when n is not a square number.
int SquareRoot(int n) {
  int s = static_cast<int>(std::lround(std::sqrt(static_cast<double>(n))));
  return s * s == n ? s : 0;
}

void RequireSize(int size) {
  if (size < kMinUsableSize || size > kMaxGridSize) {
    throw ELUTError("An image LUT of " + std::to_string(size) + " points per axis is not supported (" +
                    std::to_string(kMinUsableSize) + " to " + std::to_string(kMaxGridSize) + ").");
  }
}

TImageLUTLayout TilesLayout(int size, int tiles_per_row, bool green_bottom_up) {
  RequireSize(size);
  TImageLUTLayout layout;
  layout.Arrangement = TImageLUTArrangement::Tiles;
  layout.Size = size;
  layout.TilesPerRow = tiles_per_row;
  layout.GreenBottomUp = green_bottom_up;
  return layout;
}

// The grid index (red fastest) that pixel (x, y) holds under the layout, or
// -1 for a pixel past the last grid point.
std::int64_t GridIndexAt(const TImageLUTLayout& layout, int x, int y) {
  const std::int64_t n = layout.Size;
  if (layout.Arrangement == TImageLUTArrangement::Raster) {
    const std::int64_t i = static_cast<std::int64_t>(y) * layout.Width + x;
    return i < Cube(n) ? i : -1;
  }
  const std::int64_t b = static_cast<std::int64_t>(y / layout.Size) * layout.TilesPerRow + x / layout.Size;
  if (b >= n) return -1;
  const std::int64_t row = y % layout.Size;
  const std::int64_t g = layout.GreenBottomUp ? n - 1 - row : row;
  return (b * n + g) * n + x % layout.Size;
}

// The pixel that holds grid point (r, g, b) under the layout.
const float* PixelOfPoint(const TFloatPicture& picture, const TImageLUTLayout& layout, int r, int g, int b) {
  const std::int64_t n = layout.Size;
  if (layout.Arrangement == TImageLUTArrangement::Raster) {
    const std::int64_t i = (b * n + g) * n + r;
    return picture.At(static_cast<int>(i % layout.Width), static_cast<int>(i / layout.Width));
  }
  const int x = b % layout.TilesPerRow * layout.Size + r;
  const int y = b / layout.TilesPerRow * layout.Size + (layout.GreenBottomUp ? layout.Size - 1 - g : g);
  return picture.At(x, y);
}

void RequirePictureOfLayout(const TFloatPicture& picture, const TImageLUTLayout& layout) {
  const int w = LayoutPictureWidth(layout);
  const int h = LayoutPictureHeight(layout);
  if (picture.Width() != w || picture.Height() != h) {
    throw ELUTError("The picture is " + std::to_string(picture.Width()) + " x " + std::to_string(picture.Height()) +
                    " pixels; a " + DescribeLayout(layout) + " is " + std::to_string(w) + " x " + std::to_string(h) +
                    ".");
  }
}

// Reads a sample as a table value: integer pictures give exactly
// code / (2^bits - 1), whatever rounding the float on the way added.
struct TSampleScale {
  double largest = 0.0;  // 0: a float picture
  explicit TSampleScale(TPictureDepth depth)
      : largest(IsIntegerDepth(depth) ? std::ldexp(1.0, DepthBits(depth)) - 1.0 : 0.0) {}
  double operator()(float v) const { return largest > 0 ? std::nearbyint(v * largest) / largest : v; }
};

// Calls f(grid index, pixel samples) for every pixel that holds a grid point.
template <typename F>
void ForEachGridPixel(const TFloatPicture& picture, const TImageLUTLayout& layout, F&& f) {
  for (int y = 0; y < picture.Height(); ++y) {
    const float* p = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x, p += 3) {
      const std::int64_t i = GridIndexAt(layout, x, y);
      if (i >= 0) f(i, p);
    }
  }
}

// The LUT as a 3D table of `size` points over 0..1: itself when it is one,
// else resampled into `scratch`.
const TLUT& TableOfSize(const TLUT& lut, int size, TLUT& scratch) {
  if (!HasUsableTable(lut)) throw ELUTError("The LUT has fewer than 2 points; it cannot be written as a picture.");
  if (lut.Kind == TLUTKind::lk3D && lut.Size3D() == size && lut.Domain3D.IsUnit()) return lut;
  scratch.Kind = TLUTKind::lk3D;
  scratch.SetSize3D(size);
  ResampleLUT(scratch, lut);
  return scratch;
}

// Every size a layout makes, with a short name, for the refusal's list.
struct TKnownSize {
  int width, height;
  std::string name;
};

void AddKnownSize(std::vector<TKnownSize>& sizes, int width, int height, const std::string& name) {
  for (TKnownSize& s : sizes) {
    if (s.width == width && s.height == height) {
      s.name += ", or " + name;
      return;
    }
  }
  sizes.push_back({width, height, name});
}

std::vector<TKnownSize> KnownSizes() {
  std::vector<TKnownSize> sizes;
  for (int level = 2; level <= kMaxHaldLevel; ++level) {
    const int side = level * level * level;
    AddKnownSize(sizes, side, side,
                 "Hald CLUT of level " + std::to_string(level) + ", or a square of tiles of " +
                     std::to_string(level * level) + " points");
  }
  for (int n = kMinUsableSize; n * n <= kMaxPictureSide && n <= kMaxGridSize; ++n) {
    AddKnownSize(sizes, n * n, n, "strip of " + std::to_string(n) + " tiles");
  }
  for (int n = kMinUsableSize; n <= kMaxGridSize; ++n) {
    const TImageLUTLayout raster = OCIORasterLayout(n);
    AddKnownSize(sizes, LayoutPictureWidth(raster), LayoutPictureHeight(raster),
                 "ociolutimage raster of " + std::to_string(n) + " points");
  }
  return sizes;
}

}  // namespace

TImageLUTLayout HaldLayout(int level) {
  if (level < 2 || level > kMaxHaldLevel) {
    throw ELUTError("A Hald CLUT of level " + std::to_string(level) + " is not supported (2 to " +
                    std::to_string(kMaxHaldLevel) + ").");
  }
  return RasterLayout(level * level, level * level * level);
}

TImageLUTLayout OCIORasterLayout(int size, int max_width) {
  return RasterLayout(size, std::min(size * size, std::max(max_width, 1)));
}

TImageLUTLayout RasterLayout(int size, int width) {
  RequireSize(size);
  if (width < 1 || width > kMaxPictureSide) {
    throw ELUTError("A raster of rows of " + std::to_string(width) + " pixels is not supported (1 to " +
                    std::to_string(kMaxPictureSide) + ").");
  }
  TImageLUTLayout layout;
  layout.Arrangement = TImageLUTArrangement::Raster;
  layout.Size = size;
  layout.Width = width;
  return layout;
}

TImageLUTLayout StripLayout(int size, bool green_bottom_up) { return TilesLayout(size, size, green_bottom_up); }

TImageLUTLayout SquareLayout(int size, bool green_bottom_up) {
  const int root = size > 0 ? SquareRoot(size) : 0;
  if (root < 2) {
    throw ELUTError("A square of tiles needs a square number of points (4, 9, 16, ...), not " + std::to_string(size) +
                    ".");
  }
  return TilesLayout(size, root, green_bottom_up);
}

int LayoutPictureWidth(const TImageLUTLayout& layout) {
  return layout.Arrangement == TImageLUTArrangement::Raster ? layout.Width : layout.TilesPerRow * layout.Size;
}

int LayoutPictureHeight(const TImageLUTLayout& layout) {
  if (layout.Arrangement == TImageLUTArrangement::Raster) {
    return static_cast<int>((Cube(layout.Size) + layout.Width - 1) / layout.Width);
  }
  return (layout.Size + layout.TilesPerRow - 1) / layout.TilesPerRow * layout.Size;
}

std::string DescribeLayout(const TImageLUTLayout& layout) {
  const std::string n = std::to_string(layout.Size);
  if (layout.Arrangement == TImageLUTArrangement::Raster) {
    const int level = SquareRoot(layout.Size);
    if (level > 0 && layout.Width == level * layout.Size) return "Hald CLUT of level " + std::to_string(level);
    return "raster of " + n + " points in rows of " + std::to_string(layout.Width) + " pixels";
  }
  std::string text = layout.TilesPerRow == layout.Size
                         ? "strip of " + n + " tiles"
                         : layout.TilesPerRow * layout.TilesPerRow == layout.Size
                               ? "square of " + std::to_string(layout.TilesPerRow) + " x " +
                                     std::to_string(layout.TilesPerRow) + " tiles"
                               : "picture of tiles, " + std::to_string(layout.TilesPerRow) + " to a row,";
  text += " of " + n + " x " + n + " pixels";
  if (layout.GreenBottomUp) text += ", green from the bottom";
  return text;
}

std::vector<int> HaldSizes() {
  std::vector<int> sizes;
  for (int level = 2; level <= kMaxHaldLevel; ++level) sizes.push_back(level * level);
  return sizes;
}

std::vector<int> StripSizes() {
  std::vector<int> sizes;
  for (int n = kMinUsableSize; n <= kMaxStripProfileSize; ++n) sizes.push_back(n);
  return sizes;
}

std::vector<int> SquareSizes() { return HaldSizes(); }

std::vector<TImageLUTLayout> LayoutsForPictureSize(int width, int height, const TImageLUTReadOptions& options) {
  using TChoice = TImageLUTReadOptions::TChoice;
  std::vector<TImageLUTLayout> layouts;
  if (width < 1 || height < 1) return layouts;
  if (options.RasterWidth > 0) {
    if (options.Layout == TChoice::Tiles || width != options.RasterWidth) return layouts;
    // The most points whose last row is the picture's last row.
    const std::int64_t pixels = static_cast<std::int64_t>(width) * height;
    for (int n = kMaxGridSize; n >= kMinUsableSize; --n) {
      if (Cube(n) <= pixels && Cube(n) > pixels - width) {
        layouts.push_back(RasterLayout(n, width));
        break;
      }
    }
    return layouts;
  }
  if (options.Layout != TChoice::Tiles) {
    for (int level = 2; level <= kMaxHaldLevel; ++level) {
      if (width == height && width == level * level * level) layouts.push_back(HaldLayout(level));
    }
    for (int n = kMinUsableSize; n <= kMaxGridSize; ++n) {
      const TImageLUTLayout raster = OCIORasterLayout(n);
      if (LayoutPictureWidth(raster) == width && LayoutPictureHeight(raster) == height) layouts.push_back(raster);
    }
  }
  if (options.Layout != TChoice::Raster) {
    for (const bool bottom_up : {false, true}) {
      const int n = height;
      if (n >= kMinUsableSize && n <= kMaxGridSize && static_cast<std::int64_t>(n) * n == width) {
        layouts.push_back(StripLayout(n, bottom_up));
      }
      for (int root = 2; root * root <= kMaxGridSize; ++root) {
        if (width == height && width == root * root * root) layouts.push_back(SquareLayout(root * root, bottom_up));
      }
    }
  }
  return layouts;
}

std::string NoLayoutMessage(int width, int height) {
  std::vector<TKnownSize> sizes = KnownSizes();
  const auto distance = [&](const TKnownSize& s) {
    return std::hypot(static_cast<double>(s.width - width), static_cast<double>(s.height - height));
  };
  std::stable_sort(sizes.begin(), sizes.end(),
                   [&](const TKnownSize& a, const TKnownSize& b) { return distance(a) < distance(b); });
  std::string text = "The picture is " + std::to_string(width) + " x " + std::to_string(height) +
                     " pixels, the size of no image LUT layout; the nearest sizes that are: ";
  for (std::size_t i = 0; i < 3 && i < sizes.size(); ++i) {
    if (i > 0) text += "; ";
    text += std::to_string(sizes[i].width) + " x " + std::to_string(sizes[i].height) + " (" + sizes[i].name + ")";
  }
  return text + ".";
}

TLayoutFit MeasureLayoutFit(const TFloatPicture& picture, const TImageLUTLayout& layout) {
  RequirePictureOfLayout(picture, layout);
  const int n = layout.Size;
  const double step = 1.0 / (n - 1);
  // Every point of tables up to 64 points, every few of larger ones: a mean
  // over a quarter of a million points decides as well as one over all.
  const int stride = (n + 63) / 64;
  // A difference that is not a number counts as a large one. (The samples'
  // rounding by the float they went through is far below what decides.)
  const auto finite_or = [](double d, double large) { return std::isfinite(d) ? d : large; };
  double roughness = 0.0, own = 0.0, distance = 0.0;
  std::int64_t pairs = 0, points = 0;
  for (int b = 0; b < n; b += stride)
    for (int g = 0; g < n; g += stride)
      for (int r = 0; r < n; r += stride) {
        const int at[3] = {r, g, b};
        const float* p = PixelOfPoint(picture, layout, r, g, b);
        double d2 = 0.0;
        for (int c = 0; c < 3; ++c) {
          const double d = p[c] - at[c] * step;
          d2 += d * d;
        }
        distance += finite_or(std::sqrt(d2), 1e6);
        ++points;
        for (int axis = 0; axis < 3; ++axis) {
          if (at[axis] + 1 >= n) continue;
          int next[3] = {r, g, b};
          ++next[axis];
          const float* q = PixelOfPoint(picture, layout, next[0], next[1], next[2]);
          for (int c = 0; c < 3; ++c) {
            const double d = static_cast<double>(q[c]) - p[c];
            roughness += finite_or(d * d, 1.0);
            if (c == axis) own += finite_or(d, 0.0);
          }
          ++pairs;
        }
      }
  TLayoutFit fit;
  fit.Roughness = roughness / static_cast<double>(pairs);
  fit.OwnSlope = own / static_cast<double>(pairs);
  fit.IdentityDistance = distance / static_cast<double>(points);
  return fit;
}

TImageLUTLayout DetectImageLUTLayout(const TFloatPicture& picture, const TImageLUTReadOptions& options) {
  if (options.RasterWidth > 0 && options.Layout == TImageLUTReadOptions::TChoice::Tiles) {
    throw ELUTError("A raster width asks for a raster; tiles have none.");
  }
  const std::vector<TImageLUTLayout> layouts = LayoutsForPictureSize(picture.Width(), picture.Height(), options);
  if (layouts.empty()) {
    if (options.RasterWidth > 0 && picture.Width() != options.RasterWidth) {
      throw ELUTError("The picture is " + std::to_string(picture.Width()) + " pixels wide, not the " +
                      std::to_string(options.RasterWidth) + " of the raster asked for.");
    }
    throw ELUTError(NoLayoutMessage(picture.Width(), picture.Height()));
  }
  if (layouts.size() == 1) return layouts.front();
  std::vector<TLayoutFit> fits;
  for (const TImageLUTLayout& layout : layouts) fits.push_back(MeasureLayoutFit(picture, layout));
  // Equal within what sampling a large table changes (wrong layouts are
  // rougher by the factor of the points they skip, 2 at the least).
  const auto same = [](double a, double b) { return std::fabs(a - b) <= 0.01 * std::max(std::fabs(a), std::fabs(b)); };
  std::size_t best = 0;
  for (std::size_t i = 1; i < fits.size(); ++i) {
    const TLayoutFit& f = fits[i];
    const TLayoutFit& b = fits[best];
    const bool better = !same(f.Roughness, b.Roughness) ? f.Roughness < b.Roughness
                        : !same(f.OwnSlope, b.OwnSlope) ? f.OwnSlope > b.OwnSlope
                                                         : f.IdentityDistance < b.IdentityDistance;
    if (better) best = i;
  }
  return layouts[best];
}

TLUT LUTFromPicture(const TFloatPicture& picture, const TImageLUTLayout& layout) {
  RequirePictureOfLayout(picture, layout);
  TLUT lut;
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(layout.Size);
  const TSampleScale scale(picture.Depth());
  TLUTEntry* table = lut.Data3D();
  ForEachGridPixel(picture, layout, [&](std::int64_t i, const float* p) {
    table[i] = TLUTEntry{scale(p[0]), scale(p[1]), scale(p[2])};
  });
  lut.Comments.push_back("Image LUT read as a " + DescribeLayout(layout) + " (" + std::to_string(picture.Width()) +
                         " x " + std::to_string(picture.Height()) + ", " + DepthName(picture.Depth()) +
                         "): values taken as they are, no colour space assumed");
  return lut;
}

TLUT ReadImageLUT(const TFloatPicture& picture, const TImageLUTReadOptions& options) {
  return LUTFromPicture(picture, DetectImageLUTLayout(picture, options));
}

TLUT DecodeImageLUT(std::string_view bytes, const TImageLUTReadOptions& options) {
  return ReadImageLUT(DecodeFloatPicture(bytes), options);
}

TFloatPicture PictureOfLUT(const TLUT& lut, const TImageLUTLayout& layout) {
  TLUT scratch;
  const TLUTEntry* table = TableOfSize(lut, layout.Size, scratch).Data3D();
  TFloatPicture picture(LayoutPictureWidth(layout), LayoutPictureHeight(layout), TPictureDepth::pdFloat);
  for (int y = 0; y < picture.Height(); ++y) {
    float* p = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x, p += 3) {
      const std::int64_t i = GridIndexAt(layout, x, y);
      if (i < 0) continue;
      p[0] = static_cast<float>(table[i].R);
      p[1] = static_cast<float>(table[i].G);
      p[2] = static_cast<float>(table[i].B);
    }
  }
  return picture;
}

std::string EncodeImageLUT(const TLUT& lut, const TImageLUTLayout& layout, TPictureFileType type,
                           TPictureDepth depth) {
  TLUT scratch;
  const TLUTEntry* table = TableOfSize(lut, layout.Size, scratch).Data3D();
  const int width = LayoutPictureWidth(layout);
  return EncodePictureRows(width, LayoutPictureHeight(layout), type, depth, [&](int y, double* rgb) {
    for (int x = 0; x < width; ++x, rgb += 3) {
      const std::int64_t i = GridIndexAt(layout, x, y);
      const TLUTEntry e = i >= 0 ? table[i] : TLUTEntry{};
      rgb[0] = e.R;
      rgb[1] = e.G;
      rgb[2] = e.B;
    }
  });
}

}  // namespace zelvo
