#include "image/ApplyLUT.h"

#include <string>

#include "base/Errors.h"
#include "image/GridEvaluator.h"
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
  const TGridEvaluator evaluator(lut);
  ForRowBands(bitmap.Height(), static_cast<std::size_t>(bitmap.Width()), [&](int first, int end) {
    evaluator.EvaluateBgr8(bitmap.Row(first), static_cast<std::size_t>(bitmap.Width()) * static_cast<std::size_t>(end - first));
  });
}

void ApplyLUTToFloatPicture(const TLUT& lut, TFloatPicture& picture) {
  RequireUsableTable(lut);
  if (picture.Empty()) return;
  const TGridEvaluator evaluator(lut);
  ForRowBands(picture.Height(), static_cast<std::size_t>(picture.Width()), [&](int first, int end) {
    evaluator.EvaluateRgbFloat(picture.Row(first),
                               static_cast<std::size_t>(picture.Width()) * static_cast<std::size_t>(end - first));
  });
}

}  // namespace zelvo
