// The identities of the LUT file formats. A TLUT records which format read it,
// and an output profile names the format that writes it, by these values.
//
// The values are stable: they are what stored settings, profiles and tests
// refer to, so a new format takes the next free value. The order in which
// formats are asked to recognise a file is a separate list in the registry
// (FormatRegistry.cpp); putting a format earlier there changes no value here.
#pragma once

namespace zelvo {

enum class TLUTFormatId : int {
  None = -1,  // no format has read the LUT, or none recognised the file
  Cube3DTruelight = 0,
  Cube3D = 1,
  Lustre3D = 2,
  Pandora3D = 3,
  ThreeDL = 4,
  Nucoda3D = 5,
  Codex3D = 6,
  Cube1D = 7,
  Clipster3D = 8,
  Luther3D = 9,
  ColorFrontOSD3D = 10,
  DavinciDat3D = 11,
  Quantel3D = 12,
  Codex1D = 13,
  Lustre1D = 14,
  Filmlight1D = 15,
  Quantel1D = 16,
  Stwo1D = 17,
  Nucoda1D = 18,
  ColorFrontOSD1D = 19,
  Fusion1D = 20,
  Blackmagic1D = 21,
  Cinetal1D = 22,
  Shake1D = 23,
  DavinciILut1D = 24,
  DavinciOLut1D = 25,
  SpeedgradeLook3D = 26,
  ASC_CDL = 27,
  PFClean3D = 28,
  CLF = 29,
  Cinespace = 30,
  Spi1D = 31,
  Spi3D = 32,
  SpiMtx = 33,
  Houdini = 34,
  NukeVF = 35,
  IridasItx = 36,
  ASC_CDLCollection = 37,
  ICCProfile = 38,
  ImageLUT = 39,          // pictures of any layout (PNG, TIFF, OpenEXR), read only
  HaldPng = 40,           // the image LUT writers, one per layout and picture type
  HaldTiff = 41,
  StripPng = 42,
  StripPngBottomUp = 43,
  SquarePng = 44,
  OCIORasterExr = 45,
  OCIORasterPng = 46,
};

// The number of format identities (one more than the largest value).
inline constexpr int kLUTFormatCount = 47;

constexpr int IndexOf(TLUTFormatId id) { return static_cast<int>(id); }

}  // namespace zelvo
