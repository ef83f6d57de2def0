// ICC profiles (.icc, .icm, .pf) as LUT files.
//
// Reading: an RGB profile becomes the transform the ICC conversion builds
// for it by its class, with the engine's sRGB as the second colour space and
// the transform not inverted (display and output devices from sRGB to the
// device, input devices from the device to sRGB, device links alone). The
// LUT holds no table: the engine evaluates every colour at 16-bit codes, so
// that eval, apply and the preview see the profile itself, and a conversion
// samples it at the grid the ICC conversion samples (the same codes, so the
// same table).
//
// Writing: a device link profile, ICC version 4, RGB to RGB, whose AToB0 is
// the 3D table as a 16-bit grid (red slowest, blue fastest, as the engine
// lays out its grids) between identity curves. Grid sizes are single bytes
// in the profile, so a link holds at most 255 points per axis.
#include "icc/ICCFormat.h"

#include <memory>
#include <vector>

#include "base/Errors.h"
#include "base/LargeAlloc.h"
#include "icc/ICCConvert.h"

namespace zelvo {

namespace {

// The profile's transform as the colour function of a LUT. The engine's
// transform keeps no cache (it is built without one), so any number of
// threads may evaluate it at once.
class TICCTransformEvaluator final : public TColorEvaluator {
 public:
  TICCTransformEvaluator(TICCTransform transform, TICCSignature profile_class, std::string description)
      : transform_(std::move(transform)), class_(profile_class), description_(std::move(description)) {}

  void Evaluate(const TLUTEntry* in, TLUTEntry* out, std::size_t count) const override {
    EvaluateICCTransform(transform_, in, out, count);
  }

  std::string Description() const override { return "ICC profile transform (" + ICCProfileClassName(class_) + ")"; }

  std::vector<std::string> DescriptionLines() const override {
    std::vector<std::string> lines{"Type: ICC profile transform", "Profile: " + ICCProfileClassName(class_) + Ends()};
    if (!description_.empty()) lines.push_back("Description: " + description_);
    lines.emplace_back("Evaluated by the colour engine at 16-bit codes; inputs beyond 0..1 are taken at 0 or 1");
    return lines;
  }

 private:
  std::string Ends() const {
    if (class_ == kICCLinkClass) return "";
    return class_ == kICCInputClass ? ", from the device to sRGB" : ", from sRGB to the device";
  }

  TICCTransform transform_;
  TICCSignature class_;
  std::string description_;
};

class TICCProfileFormat final : public TLUTFormat {
 public:
  TICCProfileFormat() : TLUTFormat(TLUTFormatId::ICCProfile, "ICC profile", true) {}

  // The profile file signature 'acsp' at byte 36 of the 128-byte header,
  // whatever the file is called.
  bool CanRead(const TLUTSource& source) const override {
    const std::string_view bytes = source.Bytes();
    return bytes.size() >= 128 && bytes.substr(36, 4) == "acsp";
  }

  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override {
    const TICCProfile profile = OpenICCProfileFromMemory(source.Bytes(), source.Name());
    TICCTransform transform = BuildICCConvertTransform(profile, TICCTransformSettings{});
    lut.Kind = TLUTKind::lkChain;
    lut.Evaluator = std::make_shared<const TICCTransformEvaluator>(std::move(transform), GetICCProfileClass(profile),
                                                                   GetICCDescription(profile));
    return {};
  }

  TFileText Save(const TLUT& lut, int /*bits*/, std::string_view title) const override {
    if (lut.Kind != TLUTKind::lk3D) throw ELUTError("A device link profile holds a 3D table; this LUT has none.");
    const int n = lut.Size3D();
    if (n > kMaxDeviceLinkPoints) {
      throw ELUTError("A device link profile holds at most " + std::to_string(kMaxDeviceLinkPoints) +
                      " points per axis; this table has " + std::to_string(n) + ".");
    }
    const auto sn = static_cast<std::size_t>(n);
    std::vector<std::uint16_t, LargeAllocator<std::uint16_t>> codes(3 * sn * sn * sn);
    // Memory order (red fastest) into the link's order (blue fastest).
    const TLUTEntry* e = lut.Data3D();
    for (std::size_t b = 0; b < sn; ++b) {
      for (std::size_t g = 0; g < sn; ++g) {
        for (std::size_t r = 0; r < sn; ++r, ++e) {
          std::uint16_t* c = codes.data() + 3 * ((r * sn + g) * sn + b);
          c[0] = static_cast<std::uint16_t>(QuantizeValue(16, e->R));
          c[1] = static_cast<std::uint16_t>(QuantizeValue(16, e->G));
          c[2] = static_cast<std::uint16_t>(QuantizeValue(16, e->B));
        }
      }
    }
    const std::string_view description =
        !lut.Comments.empty() && !lut.Comments.front().empty() ? std::string_view(lut.Comments.front()) : title;
    return MakeDeviceLinkProfile(codes.data(), n, description);
  }

  int LargestGridSize() const override { return kMaxDeviceLinkPoints; }
  bool ClipsOutputs() const override { return true; }
  // Written at 16 bits whatever is asked: the grid of the link is 16-bit.
  bool HoldsBits(int bits) const override { return bits == 16; }
  // Read back as the engine's transform, which takes its inputs as 16-bit
  // codes and interpolates in fixed point: within 1.5 code steps.
  // The engine reads the link's grid tetrahedrally.
  bool AsReadBack(TLUT& lut) const override {
    if (lut.Kind != TLUTKind::lk3D || lut.Interpolation3D == TInterpolation::Tetrahedral) return false;
    lut.Interpolation3D = TInterpolation::Tetrahedral;
    return true;
  }
  TWrittenValues WrittenValues(int) const override {
    TWrittenValues held;
    held.Low = 0.0;
    held.High = 1.0;
    held.Step = 3.0 / 65535.0;
    held.InputShift = 0.5 / 65535.0;
    held.CodeBits = 16;
    return held;
  }
};

}  // namespace

void AddICCFormats(TFormatList& formats) { formats.push_back(std::make_unique<TICCProfileFormat>()); }

}  // namespace zelvo
