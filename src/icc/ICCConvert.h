// Turning an ICC profile into a LUT: which transform a profile gives, the
// sampling of that transform into a table, the test picture it shows, and
// the rules and texts of the dialog. The dialog and the command line both
// call these; the dialog only shows what they decide.
#pragma once

#include <string>
#include <vector>

#include "formats/LUTFormat.h"
#include "icc/ICCLib.h"
#include "image/Bitmap24.h"

namespace zelvo {

// Texts the dialog shows.
inline constexpr const char* kSRGBDefaultText = "sRGB (Default)";
inline constexpr const char* kInversionImpossible = "Inversion is impossible for selected ICC profile.";
inline constexpr const char* kICCConversionDone = "The conversion was successfully completed.";

// The folder of the last chosen ICC profile, for both profile buttons; empty
// at start, never stored.
std::string& LastICCFolder();

// Display, output and input device profiles take a second colour space (the
// other end of the transform); device links carry both ends themselves.
bool TakesSecondProfile(TICCSignature profile_class);
// "Output Color Space" for input devices, else "Input Color Space".
std::string SecondProfileCaption(TICCSignature profile_class);
// "Profile Type: " and the class name.
std::string ProfileTypeText(TICCSignature profile_class);

struct TICCConvertSettings {
  std::string Profile;
  // The second colour space the user picked; empty for sRGB. Only for the
  // classes that take one (a device link with one is refused).
  std::string SecondProfile;
  bool Invert = false;
  const TLutOutputProfile* OutputProfile = nullptr;
  std::string SizeText = "Default";  // "Default" or the digits the user typed
  int Bits = -1;                     // -1 for the profile's default
  std::string LUTFile;
};

// The transform for the settings' profiles, by the class of the profile:
// a device link alone; displays and printers from the second colour space to
// the device, input devices from the device to the second colour space; the
// other way when inverted. Refused with a clear error: classes that give no
// transform, profiles that are not RGB, a second profile that does not exist
// (any more), a device link with a second profile or inverted, and a
// direction the profile cannot do ("Inversion is impossible ..." when inverted).
TICCTransform BuildICCConvertTransform(const TICCConvertSettings& settings);

// The picture through the transform: each byte taken as byte x 256, each
// result byte the top 8 bits of the output.
TBitmap24 TransformTestImage(const TICCTransform& transform, const TBitmap24& picture);

// The grid size (3D) or length (1D) a size text gives for a profile: its
// default for "Default" or text that is no number, sizes above the largest
// built brought down to it; sizes below 2 are refused.
int ICCGridSize(const TLutOutputProfile& profile, const std::string& size_text);

// The transform sampled into a LUT of the profile's kind: grid point [r][g][b]
// from the inputs round(r/(N-1) x 65535) (ties to even), a 1D entry i from
// the grey input round(i/(M-1) x 65535); outputs divided by 65535.
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

// The items of the size box for a profile: "Default", then the usual sizes of
// its kind.
std::vector<std::string> ICCSizeItems(const TLutOutputProfile& profile);
// The items of the depth box, and the depth an item stands for: -1 for
// "Default" (the profile's own), 8 for "8 bit" and so on.
std::vector<std::string> ICCBitsItems();
int BitsOfItem(const std::string& item);
// A key typed into the size box: "Default" is emptied first; backspace always
// passes; a digit passes while the text has at most 4 characters. Returns
// whether the key goes into `text`, which it may have emptied.
bool AcceptSizeKey(std::string& text, char key);
// Convert may run: a profile, a format and a file are set, and the size text
// gives a size of at least 2.
bool CanConvertICC(const TICCConvertSettings& settings);

}  // namespace zelvo
