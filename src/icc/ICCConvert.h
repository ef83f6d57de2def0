// Turning an ICC profile into a colour transform, and sampling a transform
// into a LUT: which transform a profile gives by its class, and the grid of
// 16-bit codes it is sampled at. The conversion that writes the LUT file and
// the dialog's preview are the job's (convert/ICCConversion.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "icc/ICCLib.h"
#include "lut/LUT.h"
#include "lut/Resample.h"

namespace zelvo {

inline constexpr const char* kInversionImpossible = "Inversion is impossible for selected ICC profile.";

// Display, output and input device profiles take a second colour space (the
// other end of the transform); device links carry both ends themselves.
bool TakesSecondProfile(TICCSignature profile_class);
// "Output Color Space" for input devices, else "Input Color Space".
std::string SecondProfileCaption(TICCSignature profile_class);
// "Profile Type: " and the class name.
std::string ProfileTypeText(TICCSignature profile_class);
// Display, printer and input device profiles whose device space is not RGB
// (CMYK and others): their LUT is a soft proof, RGB to the device and back.
bool IsSoftProof(TICCSignature profile_class, TICCSignature device_space);
// What the dialog says of such a profile: "Soft proof: RGB to CMYK and back".
std::string SoftProofText(TICCSignature device_space);

struct TICCTransformSettings {
  std::string Profile;
  // The second colour space the user picked; empty for the engine's own
  // sRGB. Only for the classes that take one (a device link with one is
  // refused).
  std::string SecondProfile;
  bool Invert = false;
};

// The transform for the settings' profiles, by the class of the profile:
// a device link alone; displays and printers from the second colour space to
// the device, input devices from the device to the second colour space; the
// other way when inverted. A device whose space is not RGB gives a soft
// proof: the second colour space to the device and back (IsSoftProof).
// Refused with a clear error: classes that give no transform, a device link
// or a second profile that is not RGB, a second profile that does not exist
// (any more), a device link with a second profile, a device link or a soft
// proof inverted, and a direction the profile cannot do ("Inversion is
// impossible ..." when inverted).
TICCTransform BuildICCConvertTransform(const TICCTransformSettings& settings);
// The same for a profile already open (settings.Profile is not used).
TICCTransform BuildICCConvertTransform(const TICCProfile& source, const TICCTransformSettings& settings);

// The 16-bit code an input 0..1 is sampled at: the nearest code to x x 65535,
// halves to the even code, inputs outside 0..1 (and NaN) at the nearer end.
// A product that lies within 1e-9 of a half counts as the half: the grid
// positions i/(N-1), rounded to doubles, land that close to i x 65535/(N-1)
// (each at least 1/(2(N-1)) from a half unless exactly on one), so a grid
// sampled through this function gets exactly the codes of integer arithmetic.
std::uint16_t ICCInputCode(double x);
// The transform at colours: each channel at its ICCInputCode, the outputs
// divided by 65535. `out` may be `in`.
void EvaluateICCTransform(const TICCTransform& transform, const TColor* in, TColor* out, std::size_t count);

// The transform sampled into a LUT of a kind (lk3D or lk1D) and size: grid
// point [r][g][b] from the inputs round(r/(N-1) x 65535) (ties to even), a 1D
// entry i from the grey input round(i/(M-1) x 65535); outputs divided by 65535.
// (ICCInputCode of the sample positions.)
TLUT BuildICCLUT(const TICCTransform& transform, TLUTKind kind, int size);

}  // namespace zelvo
