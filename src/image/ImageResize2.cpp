#include "image/ImageResize2.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/Errors.h"

namespace zelvo {

namespace {

// The filters compute in 32-bit floating point, each named intermediate
// rounded to float; the fractional constants and pi are taken at extended
// precision and the sum with them rounded once.
constexpr long double kPi = 3.14159265358979323846264338327950288L;

float Sinc(float x) {
  if (x == 0.0f) return 1.0f;
  const float y = static_cast<float>(kPi * x);
  const float s = static_cast<float>(std::sin(static_cast<double>(y)));
  return s / y;
}

float BoxFilter(float x) { return (x > -0.5f && x <= 0.5f) ? 1.0f : 0.0f; }

float TriangleFilter(float x) {
  const float a = std::fabs(x);
  return a < 1.0f ? 1.0f - a : 0.0f;
}

float HermiteFilter(float x) {
  const float a = std::fabs(x);
  if (a >= 1.0f) return 0.0f;
  const float t = a * a;
  return (2.0f * a - 3.0f) * t + 1.0f;
}

float BellFilter(float x) {
  const float a = std::fabs(x);
  if (a < 0.5f) return 0.75f - a * a;
  if (a < 1.5f) {
    const float t = a - 1.5f;
    return 0.5f * (t * t);
  }
  return 0.0f;
}

float BSplineFilter(float x) {
  const float a = std::fabs(x);
  if (a < 1.0f) {
    const float t = a * a;
    const float p = 0.5f * t * a - t;
    return static_cast<float>(p + 2.0L / 3.0L);
  }
  if (a < 2.0f) {
    const float u = 2.0f - a;
    return u * u * u / 6.0f;
  }
  return 0.0f;
}

float Lanczos3Filter(float x) {
  const float a = std::fabs(x);
  return a < 3.0f ? Sinc(a) * Sinc(a / 3.0f) : 0.0f;
}

float MitchellFilter(float x) {
  const float a = std::fabs(x);
  const float t = a * a;
  if (a < 1.0f) {
    const float p = 7.0f * a * t - 12.0f * t;
    return static_cast<float>(p + 16.0L / 3.0L) / 6.0f;
  }
  if (a < 2.0f) {
    const float p = static_cast<float>(-7.0L / 3.0L * a) * t + 12.0f * t - 20.0f * a;
    return static_cast<float>(p + 32.0L / 3.0L) / 6.0f;
  }
  return 0.0f;
}

struct TFilterRow {
  TFilterFunction f;
  float radius;
};
constexpr TFilterRow kFilters[] = {
    {BoxFilter, 0.5f},     {TriangleFilter, 1.0f}, {HermiteFilter, 1.0f}, {BellFilter, 1.5f},
    {BSplineFilter, 2.0f}, {Lanczos3Filter, 3.0f}, {MitchellFilter, 2.0f},
};

const TFilterRow& RowOf(TResizeFilter filter) {
  const auto i = static_cast<std::size_t>(filter);
  if (i >= std::size(kFilters)) throw EZelvoError("Unknown resize filter " + std::to_string(static_cast<int>(filter)) + ".");
  return kFilters[i];
}

// Round to the nearest integer, halves to even (the default rounding mode).
inline std::int32_t RoundEven(double v) { return static_cast<std::int32_t>(std::nearbyint(v)); }

// The source position of j on a row of `length` pixels: mirrored at the ends
// (on the left without repeating the edge pixel, on the right repeating it),
// then, for rows shorter than the reach, the nearest edge.
inline std::int32_t SourceIndex(std::int64_t j, std::int64_t length) {
  std::int64_t k = j < 0 ? -j : j >= length ? 2 * length - j - 1 : j;
  k = std::clamp<std::int64_t>(k, 0, length - 1);
  return static_cast<std::int32_t>(k);
}

// The unit 256 shared over the window of one output pixel in proportion to
// the filter: floors first, then the units left over to the largest
// remainders. For reductions so strong that every rounded weight is 0.
void ShareUnit(TContributorEntry& entry, std::int64_t first, std::int64_t last, float c, float s, bool reduce,
               std::int64_t length, TFilterFunction f) {
  struct Share {
    double exact;
    std::int32_t index;
  };
  std::vector<Share> shares;
  double total = 0.0;
  for (std::int64_t j = first; j <= last; ++j) {
    const double d = static_cast<double>(c) - static_cast<double>(j);
    const double w = reduce ? static_cast<double>(f(static_cast<float>(d * s))) * s
                            : static_cast<double>(f(static_cast<float>(d)));
    if (w == 0.0) continue;
    shares.push_back({w, SourceIndex(j, length)});
    total += w;
  }
  entry.Contributors.clear();
  entry.Count = 0;
  if (!(total > 0.0)) return;
  std::vector<double> remainders(shares.size());
  std::int32_t given = 0;
  std::vector<std::int32_t> weights(shares.size());
  for (std::size_t k = 0; k < shares.size(); ++k) {
    const double exact = shares[k].exact * 256.0 / total;
    weights[k] = static_cast<std::int32_t>(std::floor(exact));
    remainders[k] = exact - weights[k];
    given += weights[k];
  }
  std::vector<std::size_t> order(shares.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return remainders[a] > remainders[b]; });
  for (std::size_t k = 0; given < 256 && k < order.size(); ++k, ++given) ++weights[order[k]];
  for (std::size_t k = 0; k < shares.size(); ++k) {
    if (weights[k] != 0) entry.Contributors.push_back({weights[k], shares[k].index});
  }
  entry.Count = static_cast<std::int32_t>(entry.Contributors.size());
}

}  // namespace

TFilterFunction FilterFunctionOf(TResizeFilter filter) { return RowOf(filter).f; }
float DefaultRadius(TResizeFilter filter) { return RowOf(filter).radius; }

TContributorList BuildContributors(int n, float scale, int length, TFilterFunction f, float radius) {
  TContributorList list(static_cast<std::size_t>(std::max(n, 0)));
  if (length <= 0 || !(scale > 0.0f)) return list;
  const bool reduce = scale < 1.0f;
  const float reach = reduce ? radius / scale : radius;
  const auto room = static_cast<std::size_t>(std::max(0.0f, std::trunc(2.0f * reach + 1.0f)));
  for (int i = 0; i < n; ++i) {
    TContributorEntry& entry = list[static_cast<std::size_t>(i)];
    entry.Contributors.reserve(room);
    const float c = static_cast<float>(i) / scale;
    const auto first = static_cast<std::int64_t>(std::floor(c - reach));
    const auto last = static_cast<std::int64_t>(std::ceil(c + reach));
    std::int32_t total = 0;
    for (std::int64_t j = first; j <= last; ++j) {
      // c - j and its product with the scale are exact in double; the
      // argument is then rounded to float once.
      const double d = static_cast<double>(c) - static_cast<double>(j);
      const std::int32_t w =
          reduce ? RoundEven(static_cast<double>(f(static_cast<float>(d * scale))) * scale * 256.0)
                 : RoundEven(static_cast<double>(f(static_cast<float>(d))) * 256.0);
      if (w == 0) continue;
      entry.Contributors.push_back({w, SourceIndex(j, length)});
      total += w;
    }
    entry.Count = static_cast<std::int32_t>(entry.Contributors.size());
    if (total <= 0) ShareUnit(entry, first, last, c, scale, reduce, length, f);
  }
  return list;
}

void SplitChannels(int count, std::ptrdiff_t stride, const std::uint8_t* first, TChannelBuffers& channels) {
  const auto n = static_cast<std::size_t>(count);
  if (channels.R.size() < n) {
    channels.R.resize(n);
    channels.G.resize(n);
    channels.B.resize(n);
  }
  std::int32_t* r = channels.R.data();
  std::int32_t* g = channels.G.data();
  std::int32_t* b = channels.B.data();
  const std::uint8_t* p = first;
  for (std::size_t k = 0; k < n; ++k, p += stride) {
    b[k] = p[0];
    g[k] = p[1];
    r[k] = p[2];
  }
}

void ApplyContributors(const TContributorEntry& entry, const TChannelBuffers& channels, std::uint8_t* pixel) {
  const std::int32_t* r = channels.R.data();
  const std::int32_t* g = channels.G.data();
  const std::int32_t* b = channels.B.data();
  std::int32_t sr = 0, sg = 0, sb = 0, total = 0;
  const TSourceWeight* c = entry.Contributors.data();
  for (std::int32_t k = 0; k < entry.Count; ++k) {
    const std::int32_t w = c[k].Weight;
    const std::int32_t i = c[k].Index;
    sr += w * r[i];
    sg += w * g[i];
    sb += w * b[i];
    total += w;
  }
  const std::int32_t d = total != 0 ? total : 256;
  pixel[0] = ClampByte(sb / d);
  pixel[1] = ClampByte(sg / d);
  pixel[2] = ClampByte(sr / d);
}

TPictureSize FitWithin(int source_width, int source_height, int box_width, int box_height) {
  if (source_width <= 0 || source_height <= 0) return {source_width, source_height};
  const float sx = static_cast<float>(box_width) / static_cast<float>(source_width);
  const float sy = static_cast<float>(box_height) / static_cast<float>(source_height);
  const float s = sx < sy ? sx : sy;
  if (s > 1.0f) return {source_width, source_height};
  // Both products are exact in double.
  return {RoundEven(static_cast<double>(source_width) * s), RoundEven(static_cast<double>(source_height) * s)};
}

namespace {

// The scale of one axis: the first and last pixel centres of the source land
// on those of the destination, except where either side is one pixel.
float AxisScale(int destination, int source) {
  if (source == 1 || destination == 1) return static_cast<float>(destination) / static_cast<float>(source);
  return static_cast<float>(destination - 1) / static_cast<float>(source - 1);
}

}  // namespace

void ResampleImage(TFilterFunction f, const TBitmap24& source, TBitmap24& destination, float radius) {
  const int sw = source.Width(), sh = source.Height();
  const int dw = destination.Width(), dh = destination.Height();
  if (sw == 0 || sh == 0 || dw == 0 || dh == 0) return;

  TChannelBuffers channels;
  TBitmap24 work = TBitmap24::Uninitialised(dw, sh);
  {
    const TContributorList across = BuildContributors(dw, AxisScale(dw, sw), sw, f, radius);
    for (int y = 0; y < sh; ++y) {
      SplitChannels(sw, 3, source.Row(y), channels);
      std::uint8_t* out = work.Row(y);
      for (int i = 0; i < dw; ++i) ApplyContributors(across[static_cast<std::size_t>(i)], channels, out + 3 * i);
    }
  }
  const TContributorList down = BuildContributors(dh, AxisScale(dh, sh), sh, f, radius);
  const auto stride = static_cast<std::ptrdiff_t>(work.RowBytes());
  for (int x = 0; x < dw; ++x) {
    SplitChannels(sh, stride, work.At(x, 0), channels);
    for (int j = 0; j < dh; ++j) ApplyContributors(down[static_cast<std::size_t>(j)], channels, destination.At(x, j));
  }
}

void ResizeImage(int new_width, int new_height, TResizeFilter filter, float radius, const TBitmap24& source,
                 TBitmap24& destination) {
  const TFilterRow& row = RowOf(filter);
  destination = TBitmap24(new_width, new_height);
  ResampleImage(row.f, source, destination, radius == 0.0f ? row.radius : radius);
}

namespace {

// One output value of `entry` from samples `stride` floats apart.
inline void WeighFloats(const TContributorEntry& entry, const float* first, std::ptrdiff_t stride, float* out) {
  float sr = 0, sg = 0, sb = 0;
  std::int32_t total = 0;
  for (const TSourceWeight& c : entry.Contributors) {
    const float* p = first + c.Index * stride;
    const auto w = static_cast<float>(c.Weight);
    sr += w * p[0];
    sg += w * p[1];
    sb += w * p[2];
    total += c.Weight;
  }
  const float d = static_cast<float>(total != 0 ? total : 256);
  out[0] = sr / d;
  out[1] = sg / d;
  out[2] = sb / d;
}

}  // namespace

TFloatPicture ResizeFloatPicture(int new_width, int new_height, TResizeFilter filter, const TFloatPicture& source) {
  const TFilterRow& row = RowOf(filter);
  TFloatPicture destination(new_width, new_height, source.Depth());
  const int sw = source.Width(), sh = source.Height();
  if (sw == 0 || sh == 0 || destination.Empty()) return destination;
  TFloatPicture work = TFloatPicture::Uninitialised(new_width, sh, source.Depth());
  const TContributorList across = BuildContributors(new_width, AxisScale(new_width, sw), sw, row.f, row.radius);
  for (int y = 0; y < sh; ++y) {
    for (int i = 0; i < new_width; ++i) WeighFloats(across[static_cast<std::size_t>(i)], source.Row(y), 3, work.At(i, y));
  }
  const TContributorList down = BuildContributors(new_height, AxisScale(new_height, sh), sh, row.f, row.radius);
  const auto stride = static_cast<std::ptrdiff_t>(new_width) * 3;
  for (int x = 0; x < new_width; ++x) {
    for (int j = 0; j < new_height; ++j) {
      WeighFloats(down[static_cast<std::size_t>(j)], work.At(x, 0), stride, destination.At(x, j));
    }
  }
  return destination;
}

}  // namespace zelvo
