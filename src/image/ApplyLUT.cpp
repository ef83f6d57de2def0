#include "image/ApplyLUT.h"

#include <algorithm>
#include <array>
#include <string>

#include "base/Errors.h"
#include "lut/Resample.h"

namespace zelvo {

namespace {

void RequireUsableTable(const TLUT& lut) {
  if (!HasUsableTable(lut)) throw ELUTError("The LUT has fewer than 2 points; it cannot be applied.");
}

void RequireDepth(int bits) {
  if (bits < 1 || bits > 16) {
    throw EZelvoError("A colour depth of " + std::to_string(bits) + " bits is not supported (1 to 16 bits).");
  }
}

// QuantizeValue(8, v) without a library call per channel: adding and taking
// away 1.5 * 2^52 leaves the nearest integer, ties to even, in the default
// rounding mode, for every value 0..255 this sees.
inline std::uint8_t Quantize8(double v) {
  if (!(v >= 0.0)) v = 0.0;
  if (v > 1.0) v = 1.0;
  constexpr double kMagic = 6755399441055744.0;
  return static_cast<std::uint8_t>((255.0 * v + kMagic) - kMagic);
}

}  // namespace

void ApplyLUTToColor(const TLUT& lut, const TColorValue& in, TColorValue& out) {
  RequireDepth(in.Bits);
  RequireDepth(out.Bits);
  RequireUsableTable(lut);
  const double scale = static_cast<double>((1u << in.Bits) - 1u);
  const TColor v = EvaluateLUT(lut, TColor{in.R / scale, in.G / scale, in.B / scale});
  out.R = static_cast<std::uint16_t>(QuantizeValue(out.Bits, v.R));
  out.G = static_cast<std::uint16_t>(QuantizeValue(out.Bits, v.G));
  out.B = static_cast<std::uint16_t>(QuantizeValue(out.Bits, v.B));
}

void ApplyLUTToBitmap(const TLUT& lut, TBitmap24& bitmap) {
  RequireUsableTable(lut);
  if (bitmap.Empty()) return;
  // code / 255 for every byte, each quotient rounded once as in ApplyLUTToColor.
  static const auto kNormalised = [] {
    std::array<double, 256> t{};
    for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = i / 255.0;
    return t;
  }();
  constexpr std::size_t kChunk = 1024;
  std::array<TColor, kChunk> colors;
  std::uint8_t* p = bitmap.Pixels();
  const std::size_t total = static_cast<std::size_t>(bitmap.Width()) * static_cast<std::size_t>(bitmap.Height());
  for (std::size_t start = 0; start < total; start += kChunk) {
    const std::size_t count = std::min(kChunk, total - start);
    std::uint8_t* q = p + start * 3;
    for (std::size_t k = 0; k < count; ++k, q += 3) colors[k] = TColor{kNormalised[q[2]], kNormalised[q[1]], kNormalised[q[0]]};
    EvaluateLUTSpan(lut, colors.data(), colors.data(), count);
    q = p + start * 3;
    for (std::size_t k = 0; k < count; ++k, q += 3) {
      q[0] = Quantize8(colors[k].B);
      q[1] = Quantize8(colors[k].G);
      q[2] = Quantize8(colors[k].R);
    }
  }
}

}  // namespace zelvo
