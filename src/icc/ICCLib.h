// The thin layer over the colour-management engine (LittleCMS, used from this
// folder only): open ICC profiles, read their class, build a colour transform
// from one or two profiles and translate 16-bit RGB colours through it. Every
// engine failure becomes an EOSError carrying the engine's own message, and
// every handle is released with the object that owns it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/TextFile.h"

namespace zelvo {

// A four-character signature of the ICC header, first character in the
// highest byte: 'mntr' is 0x6D6E7472.
using TICCSignature = std::uint32_t;
constexpr TICCSignature ICCSignature(const char (&s)[5]) {
  return static_cast<TICCSignature>(static_cast<unsigned char>(s[0])) << 24 |
         static_cast<TICCSignature>(static_cast<unsigned char>(s[1])) << 16 |
         static_cast<TICCSignature>(static_cast<unsigned char>(s[2])) << 8 |
         static_cast<TICCSignature>(static_cast<unsigned char>(s[3]));
}
inline constexpr TICCSignature kICCInputClass = ICCSignature("scnr");
inline constexpr TICCSignature kICCDisplayClass = ICCSignature("mntr");
inline constexpr TICCSignature kICCOutputClass = ICCSignature("prtr");
inline constexpr TICCSignature kICCLinkClass = ICCSignature("link");
inline constexpr TICCSignature kICCColorSpaceClass = ICCSignature("spac");
inline constexpr TICCSignature kICCAbstractClass = ICCSignature("abst");
inline constexpr TICCSignature kICCNamedColorClass = ICCSignature("nmcl");
inline constexpr TICCSignature kICCRGBData = ICCSignature("RGB ");

// One engine context with the last error message it reported.
struct TICCEngine;

// An open profile; closed with the object.
class TICCProfile {
 public:
  TICCProfile(TICCProfile&&) noexcept;
  TICCProfile& operator=(TICCProfile&&) noexcept;
  ~TICCProfile();
  const std::string& FileName() const { return file_name_; }
  void* Handle() const { return handle_; }
  TICCEngine& Engine() const { return *engine_; }

 private:
  friend TICCProfile OpenICCProfileFromMemory(std::string_view bytes, const std::string& name);
  friend TICCProfile OpenSRGBProfile();
  TICCProfile(std::unique_ptr<TICCEngine> engine, void* handle, std::string file_name);
  std::unique_ptr<TICCEngine> engine_;
  void* handle_ = nullptr;
  std::string file_name_;
};

// A colour transform, 16-bit RGB in and out; deleted with the object.
class TICCTransform {
 public:
  TICCTransform(TICCTransform&&) noexcept;
  TICCTransform& operator=(TICCTransform&&) noexcept;
  ~TICCTransform();
  void* Handle() const { return handle_; }

 private:
  friend TICCTransform CreateICCTransform(const TICCProfile& first, const TICCProfile* second);
  friend TICCTransform CreateICCProofTransform(const TICCProfile& rgb, const TICCProfile& device);
  TICCTransform(std::unique_ptr<TICCEngine> engine, void* handle);
  std::unique_ptr<TICCEngine> engine_;
  void* handle_ = nullptr;
};

struct TRGB16 {
  std::uint16_t R = 0;
  std::uint16_t G = 0;
  std::uint16_t B = 0;
  friend bool operator==(const TRGB16&, const TRGB16&) = default;
};

// Opens a profile file read-only. A file that is missing, unreadable or not a
// profile raises EOSError.
TICCProfile OpenICCProfile(const std::string& file_name);
// The same for the bytes of a profile, named `name` in messages.
TICCProfile OpenICCProfileFromMemory(std::string_view bytes, const std::string& name);
// The profile/device class of the header ('mntr', 'link', ...).
TICCSignature GetICCProfileClass(const TICCProfile& profile);
// The colour space of the profile's data ('RGB ', 'CMYK', 'GRAY', ...) and its
// connection space, which for a device link is the space of its outputs.
TICCSignature GetICCColorSpace(const TICCProfile& profile);
TICCSignature GetICCConnectionSpace(const TICCProfile& profile);
// "Display Device Profile" and the like; "Unknown" for other values.
std::string ICCProfileClassName(TICCSignature signature);
// A colour-space signature as text, without its padding ("RGB", "CMYK").
std::string ICCSignatureText(TICCSignature signature);

// The profile's own description text (its 'desc' tag), at most 200
// characters; empty when it has none.
std::string GetICCDescription(const TICCProfile& profile);

// The engine's own sRGB profile, made in memory: its matrix and curves are
// exact, not rounded to the fixed point of a saved profile.
TICCProfile OpenSRGBProfile();

// A transform from the colour space of the first profile to that of the last,
// perceptual intent, the engine's most accurate mode. Without a second
// profile the first must be a device link. EOSError when the engine cannot
// build it (for example a profile without tables for that direction).
TICCTransform CreateICCTransform(const TICCProfile& first, const TICCProfile* second);
// A soft proof: RGB colours of the first profile sent to the device of the
// second (perceptual intent, like the other transforms) and shown back in
// the same RGB as the device renders them (the engine's proofing transform,
// relative colorimetric from the device's measured colours). EOSError when
// the engine cannot build it (a device profile without tables for one of
// the two directions).
TICCTransform CreateICCProofTransform(const TICCProfile& rgb, const TICCProfile& device);
// The bytes of a device link profile (ICC version 4) from RGB to RGB whose
// transform is one 16-bit table: `points` points per axis (2 to 255, as the
// profile's grid sizes are single bytes), red slowest and blue fastest, three
// codes a point. `description` is the profile's description text (UTF-8).
TFileText MakeDeviceLinkProfile(const std::uint16_t* codes, int points, std::string_view description);
inline constexpr int kMaxDeviceLinkPoints = 255;

// Translates one colour; true on success.
bool TranslateRGB16(const TICCTransform& transform, const TRGB16& in, TRGB16& out);
// The same for `count` colours at once.
void TranslateRGB16Span(const TICCTransform& transform, const TRGB16* in, TRGB16* out, std::size_t count);

}  // namespace zelvo
