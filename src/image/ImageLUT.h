// LUTs kept as pictures: the N^3 grid points of a 3D table laid out as pixels.
//
// Raster: the points in one run, red fastest, then green, then blue, row by
// row from the top left in rows of Width pixels; the last row may end early,
// its other pixels black. A Hald CLUT of level L is the raster with N = L^2
// and Width = L^3 (a square picture); OpenColorIO's ociolutimage writes rows
// of N^2 pixels, wrapped at its maximum width of 2048.
//
// Tiles: one tile of N x N pixels per blue step, red along x and green along
// y (green 0 in the top row, or in the bottom one for engines that read
// textures bottom up), laid left to right in rows of TilesPerRow tiles: N
// tiles make a strip (N^2 x N), sqrt(N) a square (64 points: 512 x 512).
//
// Grid point i maps to the input i / (N - 1). Integer pictures give
// code / (2^bits - 1), float ones their values; nothing is assumed about the
// picture's colour space.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/LUTSource.h"
#include "image/FloatPicture.h"
#include "image/PictureIO.h"
#include "lut/LUT.h"

namespace zelvo {

enum class TImageLUTArrangement : std::uint8_t { Raster, Tiles };

// ociolutimage's default maximum width.
inline constexpr int kOCIOLutImageMaxWidth = 2048;

struct TImageLUTLayout {
  TImageLUTArrangement Arrangement = TImageLUTArrangement::Raster;
  int Size = 0;             // N, points per axis
  int Width = 0;            // raster: pixels per row
  int TilesPerRow = 0;      // tiles: K
  bool GreenBottomUp = false;  // tiles: green 0 in the bottom row of a tile
  friend bool operator==(const TImageLUTLayout&, const TImageLUTLayout&) = default;
};

// The layouts by name. Sizes outside 2..kMaxGridSize, a Hald level outside
// 2..16 and a square of a size that is not a square number raise ELUTError.
TImageLUTLayout HaldLayout(int level);
TImageLUTLayout OCIORasterLayout(int size, int max_width = kOCIOLutImageMaxWidth);
TImageLUTLayout RasterLayout(int size, int width);
TImageLUTLayout StripLayout(int size, bool green_bottom_up = false);
TImageLUTLayout SquareLayout(int size, bool green_bottom_up = false);

// The picture size of a layout.
int LayoutPictureWidth(const TImageLUTLayout& layout);
int LayoutPictureHeight(const TImageLUTLayout& layout);
// "Hald CLUT of level 8", "raster of 33 points in rows of 1089 pixels",
// "strip of 32 tiles of 32 x 32 pixels", "square of 8 x 8 tiles of 64 x 64
// pixels", the last two with ", green from the bottom" where so.
std::string DescribeLayout(const TImageLUTLayout& layout);

// The sizes an image LUT profile offers: Hald L^2 (4 .. 256), strips 2 .. 64,
// squares the square numbers 4 .. 256.
std::vector<int> HaldSizes();
std::vector<int> StripSizes();
std::vector<int> SquareSizes();

// What the reader may take a picture as: TImageLUTReadOptions
// (base/LUTSource.h), which a load carries in its source.

// The layouts a picture of this size can be read in: Hald, ociolutimage's
// raster, strips and squares of tiles of either green orientation.
std::vector<TImageLUTLayout> LayoutsForPictureSize(int width, int height, const TImageLUTReadOptions& options = {});
// The refusal for a picture that fits no layout: its size and the nearest
// sizes that would fit, with their layouts.
std::string NoLayoutMessage(int width, int height);

// How the table of a picture reads under a layout, over a lattice of at most
// 64 points per axis: the mean step between neighbouring grid points (the
// three outputs, along each axis); the mean step of each output along its
// own input; and the mean distance between each point's input and its value
// (0 for an identity).
struct TLayoutFit {
  double Roughness = 0.0;
  double OwnSlope = 0.0;
  double IdentityDistance = 0.0;
};
TLayoutFit MeasureLayoutFit(const TFloatPicture& picture, const TImageLUTLayout& layout);
// Of the layouts that fit the picture, the one a LUT is most likely laid out
// in. A layout the table was not written in puts far-apart points side by
// side: the smoothest reading wins. Readings that are equally smooth (green
// counted from the other end, or green and blue swapped, as between a strip
// and an ociolutimage raster) go to the one whose outputs rise most with
// their own inputs, then to the one closest to an identity. A size that fits
// none raises ELUTError (NoLayoutMessage).
TImageLUTLayout DetectImageLUTLayout(const TFloatPicture& picture, const TImageLUTReadOptions& options = {});

// The 3D table of a picture under a layout, with a comment that says how it
// was read. A picture of another size than the layout's raises ELUTError.
TLUT LUTFromPicture(const TFloatPicture& picture, const TImageLUTLayout& layout);
// Detects the layout and reads the table.
TLUT ReadImageLUT(const TFloatPicture& picture, const TImageLUTReadOptions& options = {});
// The same from a picture file's bytes (PNG, TIFF, OpenEXR, ...).
TLUT DecodeImageLUT(std::string_view bytes, const TImageLUTReadOptions& options = {});

// The picture of a LUT under a layout (the LUT resampled to the layout's
// size first when it is not a 3D table of that size over 0..1); pixels past
// the last grid point are black. Values are kept as floats.
TFloatPicture PictureOfLUT(const TLUT& lut, const TImageLUTLayout& layout);
// The bytes of a picture file of the LUT, written from the table's values
// (integer depths quantised from them directly, by the writing rules of
// EncodePictureRows).
std::string EncodeImageLUT(const TLUT& lut, const TImageLUTLayout& layout, TPictureFileType type,
                           TPictureDepth depth);

}  // namespace zelvo
