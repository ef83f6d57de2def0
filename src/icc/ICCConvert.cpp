#include "icc/ICCConvert.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "convert/ConvertJob.h"
#include "base/StringLib.h"
#include "base/Errors.h"
#include "lut/Resample.h"

namespace zelvo {

std::string& LastICCFolder() {
  static std::string folder;
  return folder;
}

bool TakesSecondProfile(TICCSignature profile_class) {
  return profile_class == kICCDisplayClass || profile_class == kICCOutputClass || profile_class == kICCInputClass;
}

std::string SecondProfileCaption(TICCSignature profile_class) {
  return profile_class == kICCInputClass ? "Output Color Space" : "Input Color Space";
}

std::string ProfileTypeText(TICCSignature profile_class) { return "Profile Type: " + ICCProfileClassName(profile_class); }

namespace {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// The transform reads and writes RGB: a profile whose data, or a link whose
// ends, are in another colour space cannot become a LUT.
void RequireRGB(const TICCProfile& profile, TICCSignature space) {
  if (space != kICCRGBData) {
    throw EZelvoError("The profile " + Quoted(profile.FileName()) + " describes " + ICCSignatureText(space) +
                      " colours; only RGB profiles can become a LUT.");
  }
}

}  // namespace

TICCTransform BuildICCConvertTransform(const TICCConvertSettings& settings) {
  const TICCProfile source = OpenICCProfile(settings.Profile);
  const TICCSignature profile_class = GetICCProfileClass(source);
  if (profile_class == kICCLinkClass) {
    if (!settings.SecondProfile.empty()) {
      throw EZelvoError("The device link " + Quoted(settings.Profile) +
                        " holds both colour spaces itself; it takes no second profile.");
    }
    if (settings.Invert) throw EZelvoError(kInversionImpossible);
    RequireRGB(source, GetICCColorSpace(source));
    RequireRGB(source, GetICCConnectionSpace(source));
    return CreateICCTransform(source, nullptr);
  }
  if (!TakesSecondProfile(profile_class)) {
    throw EZelvoError("The profile " + Quoted(settings.Profile) + " is a profile of the class \"" +
                      ICCProfileClassName(profile_class) + "\" (" + ICCSignatureText(profile_class) +
                      "); this profile class cannot be turned into a LUT.");
  }
  RequireRGB(source, GetICCColorSpace(source));
  // A second profile the user picked must still be there: quietly taking sRGB
  // instead would build another LUT than the one the dialog names.
  std::string second_name = settings.SecondProfile;
  if (second_name.empty()) {
    second_name = GetSRGBProfileName();
  } else {
    std::error_code ec;
    if (!std::filesystem::exists(second_name, ec)) {
      throw EZelvoError("The second profile " + Quoted(second_name) + " does not exist.");
    }
  }
  const TICCProfile second = OpenICCProfile(second_name);
  RequireRGB(second, GetICCColorSpace(second));
  // Displays and printers: from the colour space to the device; input
  // devices: from the device to the colour space. Inverting swaps the ends.
  const bool from_second = (profile_class != kICCInputClass) != settings.Invert;
  const TICCProfile& first = from_second ? second : source;
  const TICCProfile& last = from_second ? source : second;
  if (!settings.Invert) return CreateICCTransform(first, &last);
  try {
    return CreateICCTransform(first, &last);
  } catch (const EOSError& e) {
    throw EOSError(std::string(kInversionImpossible) + " " + e.what());
  }
}

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
  const int size = ResolveGridSize(size_text, profile);
  if (size < kMinUsableSize) {
    throw EZelvoError("A size of " + std::to_string(size) + " is not supported; a LUT needs at least " +
                      std::to_string(kMinUsableSize) +
                      (FormatOfProfile(profile).Is3D ? " points per axis." : " entries."));
  }
  return std::min(size, LargestSize(profile));
}

TLUT BuildICCLUT(const TICCTransform& transform, const TLutOutputProfile& profile, const std::string& size_text) {
  const int size = ICCGridSize(profile, size_text);
  TLUT lut;
  if (FormatOfProfile(profile).Is3D) {
    lut.Kind = TLUTKind::lk3D;
    lut.SetSize3D(size);
  } else {
    lut.Kind = TLUTKind::lk1D;
    lut.SetSize1D(size);
  }
  // The input codes are i x 65535 / (N - 1) rounded in integers, so that the
  // halves go to even exactly (i / (N - 1) as a double is not exact).
  const std::int64_t steps = size - 1;
  const auto code = [steps](double x) {
    const std::int64_t i = std::llround(x * static_cast<double>(steps));
    const std::int64_t twice = 2 * i * 65535;
    std::int64_t q = twice / (2 * steps);
    const std::int64_t rest = twice - q * 2 * steps;
    if (rest > steps || (rest == steps && (q & 1) != 0)) ++q;
    return static_cast<std::uint16_t>(q);
  };
  std::vector<TRGB16> codes;
  BakeLUT(lut, [&](const TColor* in, TColor* out, std::size_t count) {
    codes.resize(count);
    for (std::size_t i = 0; i < count; ++i) codes[i] = TRGB16{code(in[i].R), code(in[i].G), code(in[i].B)};
    TranslateRGB16Span(transform, codes.data(), codes.data(), count);
    for (std::size_t i = 0; i < count; ++i) out[i] = TColor{codes[i].R / 65535.0, codes[i].G / 65535.0, codes[i].B / 65535.0};
  });
  return lut;
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

std::vector<std::string> ICCSizeItems(const TLutOutputProfile& profile) {
  if (FormatOfProfile(profile).Is3D) return {"Default", "17", "32", "33", "64"};
  return {"Default", "1024", "2048", "4096", "8192", "16384", "32768", "65536"};
}

std::vector<std::string> ICCBitsItems() { return {"Default", "8 bit", "10 bit", "12 bit", "14 bit", "16 bit"}; }

int BitsOfItem(const std::string& item) {
  int bits = -1;
  if (item.ends_with(" bit") && TryParseInt(std::string_view(item).substr(0, item.size() - 4), bits)) return bits;
  return -1;
}

bool AcceptSizeKey(std::string& text, char key) {
  if (text == "Default") text.clear();
  if (key == '\b') return true;
  return key >= '0' && key <= '9' && text.size() <= 4;
}

bool CanConvertICC(const TICCConvertSettings& settings) {
  if (settings.Profile.empty() || settings.OutputProfile == nullptr || settings.LUTFile.empty()) return false;
  return ResolveGridSize(settings.SizeText, *settings.OutputProfile) >= kMinUsableSize;
}

}  // namespace zelvo
