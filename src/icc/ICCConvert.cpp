#include "icc/ICCConvert.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "base/Errors.h"
#include "lut/Resample.h"

namespace zelvo {

bool TakesSecondProfile(TICCSignature profile_class) {
  return profile_class == kICCDisplayClass || profile_class == kICCOutputClass || profile_class == kICCInputClass;
}

std::string SecondProfileCaption(TICCSignature profile_class) {
  return profile_class == kICCInputClass ? "Output Color Space" : "Input Color Space";
}

std::string ProfileTypeText(TICCSignature profile_class) { return "Profile Type: " + ICCProfileClassName(profile_class); }

bool IsSoftProof(TICCSignature profile_class, TICCSignature device_space) {
  return TakesSecondProfile(profile_class) && device_space != kICCRGBData;
}

std::string SoftProofText(TICCSignature device_space) {
  return "Soft proof: RGB to " + ICCSignatureText(device_space) + " and back";
}

namespace {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// The transform reads and writes RGB: a second profile, or a link whose
// ends, in another colour space cannot become a LUT.
void RequireRGB(const TICCProfile& profile, TICCSignature space) {
  if (space != kICCRGBData) {
    throw EZelvoError("The profile " + Quoted(profile.FileName()) + " describes " + ICCSignatureText(space) +
                      " colours; a LUT needs RGB at both ends of its transform.");
  }
}

}  // namespace

namespace {

// The second colour space: the one the user picked, which must still be
// there (quietly taking sRGB instead would build another LUT than the one
// the dialog names), or the engine's own sRGB, made in memory.
TICCProfile OpenSecondProfile(const std::string& name) {
  if (!name.empty()) {
    std::error_code ec;
    if (!std::filesystem::exists(name, ec)) throw EZelvoError("The second profile " + Quoted(name) + " does not exist.");
  }
  TICCProfile second = name.empty() ? OpenSRGBProfile() : OpenICCProfile(name);
  RequireRGB(second, GetICCColorSpace(second));
  return second;
}

}  // namespace

TICCTransform BuildICCConvertTransform(const TICCTransformSettings& settings) {
  return BuildICCConvertTransform(OpenICCProfile(settings.Profile), settings);
}

TICCTransform BuildICCConvertTransform(const TICCProfile& source, const TICCTransformSettings& settings) {
  const TICCSignature profile_class = GetICCProfileClass(source);
  if (profile_class == kICCLinkClass) {
    if (!settings.SecondProfile.empty()) {
      throw EZelvoError("The device link " + Quoted(source.FileName()) +
                        " holds both colour spaces itself; it takes no second profile.");
    }
    if (settings.Invert) throw EZelvoError(kInversionImpossible);
    RequireRGB(source, GetICCColorSpace(source));
    RequireRGB(source, GetICCConnectionSpace(source));
    return CreateICCTransform(source, nullptr);
  }
  if (!TakesSecondProfile(profile_class)) {
    throw EZelvoError("The profile " + Quoted(source.FileName()) + " is a profile of the class \"" +
                      ICCProfileClassName(profile_class) + "\" (" + ICCSignatureText(profile_class) +
                      "); this profile class cannot be turned into a LUT.");
  }
  const TICCSignature device_space = GetICCColorSpace(source);
  if (IsSoftProof(profile_class, device_space)) {
    // RGB to the device and back is its own way round: there is nothing to invert.
    if (settings.Invert) {
      throw EZelvoError(std::string(kInversionImpossible) + " The profile " + Quoted(settings.Profile) + " describes " +
                        ICCSignatureText(device_space) + " colours: its LUT is a soft proof, RGB to " +
                        ICCSignatureText(device_space) + " and back.");
    }
    return CreateICCProofTransform(OpenSecondProfile(settings.SecondProfile), source);
  }
  const TICCProfile second = OpenSecondProfile(settings.SecondProfile);
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

std::uint16_t ICCInputCode(double x) {
  if (!(x > 0.0)) return 0;
  if (x >= 1.0) return 65535;
  const double v = x * 65535.0;
  const double below = std::floor(v);
  const double rest = v - below;
  const auto low = static_cast<std::uint16_t>(below);
  if (std::fabs(rest - 0.5) < 1e-9) return static_cast<std::uint16_t>(low + (low & 1));
  return static_cast<std::uint16_t>(rest < 0.5 ? low : low + 1);
}

void EvaluateICCTransform(const TICCTransform& transform, const TColor* in, TColor* out, std::size_t count) {
  constexpr std::size_t kChunk = 4096;
  TRGB16 codes[kChunk];
  for (std::size_t done = 0; done < count; done += kChunk) {
    const std::size_t n = std::min(kChunk, count - done);
    const TColor* from = in + done;
    for (std::size_t i = 0; i < n; ++i) {
      codes[i] = TRGB16{ICCInputCode(from[i].R), ICCInputCode(from[i].G), ICCInputCode(from[i].B)};
    }
    TranslateRGB16Span(transform, codes, codes, n);
    TColor* to = out + done;
    for (std::size_t i = 0; i < n; ++i) to[i] = TColor{codes[i].R / 65535.0, codes[i].G / 65535.0, codes[i].B / 65535.0};
  }
}

TLUT BuildICCLUT(const TICCTransform& transform, TLUTKind kind, int size) {
  TLUT lut;
  if (kind == TLUTKind::lk3D) {
    lut.Kind = TLUTKind::lk3D;
    lut.SetSize3D(size);
  } else {
    lut.Kind = TLUTKind::lk1D;
    lut.SetSize1D(size);
  }
  BakeLUT(lut, [&transform](const TColor* in, TColor* out, std::size_t count) {
    EvaluateICCTransform(transform, in, out, count);
  });
  return lut;
}

}  // namespace zelvo
