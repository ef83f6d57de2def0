// Turning an ICC profile into a LUT file: the settings of the conversion,
// its checks, the file it writes and the test picture the dialog shows. The
// dialog and the command line both call these; the dialog only shows what
// they decide.
#pragma once

#include <string>
#include <vector>

#include "icc/ICCConvert.h"
#include "image/Bitmap24.h"
#include "registry/Registry.h"

namespace zelvo {

// The profiles and the LUT file to write.
struct TICCConvertSettings : TICCTransformSettings {
  const TLutOutputProfile* OutputProfile = nullptr;
  std::string SizeText = "Default";  // "Default" or the digits the user typed
  int Bits = -1;                     // -1 for the profile's default
  std::string LUTFile;
};

// The picture through the transform: each byte taken as byte x 256, each
// result byte the top 8 bits of the output.
TBitmap24 TransformTestImage(const TICCTransform& transform, const TBitmap24& picture);

// The grid size (3D) or length (1D) a size text gives for a profile: its
// default for "Default" or an empty text; the conversion dialog's rules
// refuse sizes outside 2..LargestSize and text that is not a whole number.
int ICCGridSize(const TLutOutputProfile& profile, const std::string& size_text);

// The transform sampled into a LUT of the profile's kind and the size the
// text gives (ICCGridSize).
TLUT BuildICCLUT(const TICCTransform& transform, const TLutOutputProfile& profile, const std::string& size_text);

// The test picture as the dialog's preview shows it for the settings.
TBitmap24 PreviewICCProfile(const TICCConvertSettings& settings, const TBitmap24& picture);

// Refuses output settings no LUT can be written with: those the conversion
// job refuses, a size below 2, no output file.
void CheckICCOutputSettings(const TICCConvertSettings& settings);

// Convert: checks the output settings as the conversion job does, builds the
// transform and the LUT and writes the LUT file whole or not at all.
void ConvertICCProfile(const TICCConvertSettings& settings, TReplace replace = TReplace::Replace);

// The name of the LUT file: the path with its extension replaced by the
// profile's. An extension that is an output profile's as a whole
// ("a.swto.xml") goes whole, so names never grow when the format changes.
std::string ICCOutputFileName(const std::string& path, const TLutOutputProfile& profile);

// Convert may run: a profile, a format and a file are set (the size is
// checked when Convert runs, as the conversion dialog does).
bool CanConvertICC(const TICCConvertSettings& settings);

}  // namespace zelvo
