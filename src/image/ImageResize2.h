// Bringing a 24-bit picture to another size with a reconstruction filter: a
// separable resampler in two passes (rows to the new width, then columns to
// the new height) with integer weights of 8 fractional bits. Independent of
// the LUT model and of any window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/Bitmap24.h"
#include "image/FloatPicture.h"

namespace zelvo {

enum class TResizeFilter : int {
  rfBox = 0,
  rfTriangle = 1,
  rfHermite = 2,
  rfBell = 3,
  rfBSpline = 4,
  rfLanczos3 = 5,
  rfMitchell = 6,
};

// A filter's value at x, in 32-bit floating point; 0 at and beyond its radius.
using TFilterFunction = float (*)(float x);
TFilterFunction FilterFunctionOf(TResizeFilter filter);
float DefaultRadius(TResizeFilter filter);

// One contribution to an output pixel: the filter value scaled by 256 and
// rounded, and the position of the source pixel along the axis.
struct TSourceWeight {
  std::int32_t Weight = 0;
  std::int32_t Index = 0;
};
using TContributors = std::vector<TSourceWeight>;
// The contributions to one output pixel.
struct TContributorEntry {
  std::int32_t Count = 0;
  TContributors Contributors;
};
// One entry per output pixel along the axis being resampled.
using TContributorList = std::vector<TContributorEntry>;

// The weights of `n` output pixels taken from a row of `length` source pixels
// at `scale` (output over source). The row is mirrored at its ends; a source
// shorter than the filter's reach takes the nearest edge pixel where the
// mirrored position still lies outside it. When rounding has left an output
// pixel no weight (reductions beyond about 500:1), the unit 256 is shared out
// over its window in proportion to the filter, so it stays a picture.
TContributorList BuildContributors(int n, float scale, int length, TFilterFunction f, float radius);

// One source row or intermediate column, split into its channels.
struct TChannelBuffers {
  std::vector<std::int32_t> R, G, B;
};
// Copies `count` pixels, `stride` bytes apart from `first` on, into the buffers.
void SplitChannels(int count, std::ptrdiff_t stride, const std::uint8_t* first, TChannelBuffers& channels);
// The weighted mean of the contributions, written as blue, green, red bytes.
void ApplyContributors(const TContributorEntry& entry, const TChannelBuffers& channels, std::uint8_t* pixel);
// Negative values give 0, values above 255 give 255.
inline std::uint8_t ClampByte(std::int32_t v) {
  return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

struct TPictureSize {
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TPictureSize&, const TPictureSize&) = default;
};
// The size of a picture fitted into a box with its aspect kept; pictures are
// never enlarged. A very thin picture can fit to a side of 0.
TPictureSize FitWithin(int source_width, int source_height, int box_width, int box_height);

// The two passes from the source into the destination, whose size is set. A
// source or destination without pixels leaves the destination as it is.
void ResampleImage(TFilterFunction f, const TBitmap24& source, TBitmap24& destination, float radius);
// A new picture of the given size resampled from the source; a radius of 0
// means the filter's default radius.
void ResizeImage(int new_width, int new_height, TResizeFilter filter, float radius, const TBitmap24& source,
                 TBitmap24& destination);
// The same for a float picture, with the same weights: values are not
// clamped (a filter's ringing may leave them just beyond 0..1), and the
// picture keeps the source's depth.
TFloatPicture ResizeFloatPicture(int new_width, int new_height, TResizeFilter filter, const TFloatPicture& source);

}  // namespace zelvo
