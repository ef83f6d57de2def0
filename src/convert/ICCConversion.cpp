#include "convert/ICCConversion.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "base/Errors.h"
#include "base/StringLib.h"
#include "convert/ConvertJob.h"

namespace zelvo {

TBitmap24 TransformTestImage(const TICCTransform& transform, const TBitmap24& picture) {
  TBitmap24 result = TBitmap24::Uninitialised(picture.Width(), picture.Height());
  std::vector<TRGB16> colors(static_cast<std::size_t>(picture.Width()));
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* in = picture.Row(y);
    for (TRGB16& c : colors) {
      c = TRGB16{static_cast<std::uint16_t>(in[2] * 256), static_cast<std::uint16_t>(in[1] * 256),
                 static_cast<std::uint16_t>(in[0] * 256)};
      in += 3;
    }
    TranslateRGB16Span(transform, colors.data(), colors.data(), colors.size());
    std::uint8_t* out = result.Row(y);
    for (const TRGB16& c : colors) {
      out[0] = static_cast<std::uint8_t>(c.B >> 8);
      out[1] = static_cast<std::uint8_t>(c.G >> 8);
      out[2] = static_cast<std::uint8_t>(c.R >> 8);
      out += 3;
    }
  }
  return result;
}

int ICCGridSize(const TLutOutputProfile& profile, const std::string& size_text) {
  ConversionSettings typed;
  typed.OutputProfile = &profile;
  typed.SizeText = size_text;
  CheckSizeInRange(typed);
  return size_text.empty() ? profile.DefaultSize : ResolveGridSize(size_text, profile);
}

TLUT BuildICCLUT(const TICCTransform& transform, const TLutOutputProfile& profile, const std::string& size_text) {
  return BuildICCLUT(transform, profile.Is3D ? TLUTKind::lk3D : TLUTKind::lk1D, ICCGridSize(profile, size_text));
}

TBitmap24 PreviewICCProfile(const TICCConvertSettings& settings, const TBitmap24& picture) {
  return TransformTestImage(BuildICCConvertTransform(settings), picture);
}

void CheckICCOutputSettings(const TICCConvertSettings& settings) {
  ConversionSettings output;
  output.OutputProfile = settings.OutputProfile;
  output.SizeText = settings.SizeText;
  output.Bits = settings.Bits;
  CheckConversionSettings(output);
  ICCGridSize(*settings.OutputProfile, settings.SizeText);
  if (settings.LUTFile.empty()) throw EZelvoError("No output LUT file is set.");
}

void ConvertICCProfile(const TICCConvertSettings& settings, TReplace replace) {
  CheckICCOutputSettings(settings);
  const TLutOutputProfile& profile = *settings.OutputProfile;
  const TLUT lut = BuildICCLUT(BuildICCConvertTransform(settings), profile, settings.SizeText);
  SaveLUTFile(settings.LUTFile, lut, profile, settings.Bits, replace);
}

std::string ICCOutputFileName(const std::string& path, const TLutOutputProfile& profile) {
  const std::filesystem::path p(path);
  const std::string name = p.filename().string();
  const std::string upper = UpperCase(name);
  // The longest output extension the name ends with, else what follows its last dot.
  std::size_t stem = std::string::npos;
  for (const auto& candidate : OutputProfiles()) {
    const std::string ext = UpperCase(candidate->Extension);
    if (upper.size() <= ext.size() + 1 || !upper.ends_with(ext)) continue;
    const std::size_t dot = upper.size() - ext.size() - 1;
    if (upper[dot] == '.' && (stem == std::string::npos || dot < stem)) stem = dot;
  }
  if (stem == std::string::npos) {
    const std::size_t dot = name.rfind('.');
    stem = dot == std::string::npos || dot == 0 ? name.size() : dot;
  }
  std::string renamed = name.substr(0, stem);
  renamed += '.';
  renamed += profile.Extension;
  return p.has_parent_path() ? (p.parent_path() / renamed).string() : renamed;
}

bool CanConvertICC(const TICCConvertSettings& settings) {
  return !settings.Profile.empty() && settings.OutputProfile != nullptr && !settings.LUTFile.empty();
}

}  // namespace zelvo
