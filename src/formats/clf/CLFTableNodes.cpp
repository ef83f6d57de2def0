// The linear and table nodes of a CLF document: Range, Matrix, LUT1D (and
// InverseLUT1D) and LUT3D. A node's parameters follow its bit depths; they are
// normalised here once, so that evaluation never looks at a depth again.
//
//   <Range inBitDepth="10i" outBitDepth="32f">
//     <minInValue>64</minInValue> <maxInValue>940</maxInValue>
//     <minOutValue>0</minOutValue> <maxOutValue>1</maxOutValue>
//   </Range>
//   <LUT3D inBitDepth="32f" outBitDepth="32f" interpolation="tetrahedral">
//     <Array dim="2 2 2 3"> 0 0 0  0 0 1 ... </Array>      <- blue fastest
//   </LUT3D>
#include "formats/clf/CLFNodes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "base/Errors.h"
#include "base/StringLib.h"
#include "base/XMLNode.h"
#include "formats/clf/CLFReading.h"

namespace zelvo {

using namespace clf;

TCLFOp::TCLFOp(const TXMLNode& node) : Element(node.Name), Offset(node.Offset) {
  // (An IndexMap's range states no depths of its own.)
  if (node.Attributes.Find("outBitDepth") != nullptr) DepthScale(node, "outBitDepth", &OutBits);
}

// ---------------------------------------------------------------------------
// Range

TCLFRange::TCLFRange(const TXMLNode& node, double in_scale, double out_scale)
    : TCLFOp(node), Lower(-std::numeric_limits<double>::infinity()), Upper(std::numeric_limits<double>::infinity()) {
  const auto value = [&](std::string_view name, double& v) {
    const TXMLNode* e = node.FindChild(name);
    if (e != nullptr) v = NumberOf(*e, e->Value.Text);
    return e != nullptr;
  };
  const bool min_in = value("minInValue", MinIn), min_out = value("minOutValue", MinOut);
  const bool max_in = value("maxInValue", MaxIn), max_out = value("maxOutValue", MaxOut);
  if (min_in != min_out || max_in != max_out) {
    Fail(node, "The " + Quoted(node.Name) + " node needs minInValue with minOutValue and maxInValue with maxOutValue.");
  }
  HasMin = min_in;
  HasMax = max_in;
  Clamps = !SameName(AttributeText(node, "style"), "noClamp");
  MinIn /= in_scale;
  MaxIn /= in_scale;
  MinOut /= out_scale;
  MaxOut /= out_scale;
  if (HasMin && HasMax) {
    if (!(MaxIn > MinIn) || !(MaxOut >= MinOut)) {
      Fail(node, "The " + Quoted(node.Name) + " node maps no inputs (maxInValue must be above minInValue, "
                                              "maxOutValue not below minOutValue).");
    }
    Scale = (MaxOut - MinOut) / (MaxIn - MinIn);
    Shift = MinOut - MinIn * Scale;
  } else if (!HasMin && !HasMax) {
    Fail(node, "The " + Quoted(node.Name) + " node states no values.");
  } else if ((HasMin && MinIn != MinOut) || (HasMax && MaxIn != MaxOut)) {
    // One end alone clamps: it cannot also move the values.
    Fail(node, "The " + Quoted(node.Name) + " node with one end only must map it onto itself.");
  }
  if (!Clamps && !(HasMin && HasMax)) {
    Fail(node, "The " + Quoted(node.Name) + " node of style \"noClamp\" needs all four values.");
  }
  if (Clamps && HasMin) Lower = MinOut;
  if (Clamps && HasMax) Upper = MaxOut;
}

TCLFRange::TCLFRange(const TXMLNode& node, double min_in, double max_in, double min_out, double max_out)
    : TCLFOp(node), Lower(min_out), Upper(max_out), MinIn(min_in), MaxIn(max_in), MinOut(min_out), MaxOut(max_out),
      HasMin(true), HasMax(true) {
  if (!(max_in > min_in) || !(max_out >= min_out)) {
    Fail(node, "The " + Quoted(node.Name) + " maps no inputs (its second entry must lie above its first).");
  }
  Scale = (max_out - min_out) / (max_in - min_in);
  Shift = min_out - min_in * Scale;
}

void TCLFRange::Apply(TColor* colors, std::size_t count, TSearchBudget& /*budget*/) const {
  for (std::size_t k = 0; k < count; ++k) {
    for (int i = 0; i < 3; ++i) {
      double& v = Channel(colors[k], i);
      v = std::clamp(v * Scale + Shift, Lower, Upper);
    }
  }
}

bool TCLFRange::InputRange(double& min, double& max) const {
  if (!HasMin || !HasMax || !Clamps) return false;
  min = MinIn;
  max = MaxIn;
  return true;
}

bool TCLFRange::AsDomain(TLUTDomain& domain) const {
  if (!HasMin || !HasMax || !Clamps || MinOut != 0.0 || MaxOut != 1.0) return false;
  domain.Min = TLUTEntry{MinIn, MinIn, MinIn};
  domain.Max = TLUTEntry{MaxIn, MaxIn, MaxIn};
  return true;
}

// ---------------------------------------------------------------------------
// Matrix

TCLFMatrix::TCLFMatrix(const TXMLNode& node, double in_scale, double out_scale) : TCLFOp(node) {
  const TArray a = ReadArray(node, 20, 2);
  // "3 3" and "3 4" of CLF, "3 3 3" and "3 4 3" of older files, and the
  // 4-channel forms whose alpha row and column are left out.
  const long long rows = a.Dim[0];
  const long long cols = a.Dim.size() >= 2 ? a.Dim[1] : 0;
  const bool shape_ok = (a.Dim.size() == 2 || (a.Dim.size() == 3 && (a.Dim[2] == rows || a.Dim[2] == 3))) &&
                        ((rows == 3 && (cols == 3 || cols == 4)) || (rows == 4 && (cols == 4 || cols == 5)));
  if (!shape_ok) BadShape(node);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) M[r][c] = a.Values[static_cast<std::size_t>(r * cols + c)] * in_scale / out_scale;
    // "4 4 3" of older files is a 3x4 matrix laid out in four rows.
    const bool offsets4 = cols == 4 && (rows == 3 || (a.Dim.size() == 3 && a.Dim[2] == 3));
    if (offsets4) M[r][3] = a.Values[static_cast<std::size_t>(r * cols + 3)] / out_scale;
    if (cols == 5) M[r][3] = a.Values[static_cast<std::size_t>(r * cols + 4)] / out_scale;
  }
}

void TCLFMatrix::Apply(TColor* colors, std::size_t count, TSearchBudget& /*budget*/) const {
  for (std::size_t k = 0; k < count; ++k) {
    const TColor c = colors[k];
    colors[k] = TColor{M[0][0] * c.R + M[0][1] * c.G + M[0][2] * c.B + M[0][3],
                       M[1][0] * c.R + M[1][1] * c.G + M[1][2] * c.B + M[1][3],
                       M[2][0] * c.R + M[2][1] * c.G + M[2][2] * c.B + M[2][3]};
  }
}

bool TCLFMatrix::AsDomain(TLUTDomain& domain) const {
  // A scale and an offset per channel: input Min goes to 0 and Max to 1. The
  // table behind clamps its inputs, as a domain does.
  double min[3], max[3];
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      if (r != c && M[r][c] != 0.0) return false;
    }
    if (!(M[r][r] > 0.0)) return false;
    min[r] = -M[r][3] / M[r][r];
    max[r] = (1.0 - M[r][3]) / M[r][r];
  }
  domain.Min = TLUTEntry{min[0], min[1], min[2]};
  domain.Max = TLUTEntry{max[0], max[1], max[2]};
  return domain.IsValid();
}

// ---------------------------------------------------------------------------
// LUT1D and InverseLUT1D

namespace {

// Half-float codes: the sign in the top bit, then five bits of exponent and
// ten of fraction.
constexpr int kHalfCodes = 65536;
constexpr unsigned kHalfSign = 0x8000;
constexpr unsigned kHalfLargest = 0x7BFF;  // 65504, the largest finite half float
constexpr unsigned kHalfNaN = 0x7E00;      // the code a NaN input converts to

// The magnitude of a code without its sign bit; infinity and NaN for the
// codes of exponent 31.
double HalfMagnitude(unsigned code) {
  const unsigned exponent = (code >> 10) & 0x1F, fraction = code & 0x3FF;
  if (exponent == 0x1F) return fraction == 0 ? INFINITY : NAN;
  if (exponent == 0) return std::ldexp(static_cast<double>(fraction), -24);
  return std::ldexp(static_cast<double>(1024 + fraction), static_cast<int>(exponent) - 25);
}

double HalfValue(unsigned code) { return (code & kHalfSign) != 0 ? -HalfMagnitude(code) : HalfMagnitude(code); }

// The code of the largest half-float magnitude not above m (0 <= m < 65504):
// exact, as the steps are powers of two.
unsigned HalfCodeBelow(double m) {
  if (m < 0x1p-14) return static_cast<unsigned>(std::ldexp(m, 24));
  int e = 0;
  const double f = std::frexp(m, &e);  // m = f x 2^e, f in [0.5, 1)
  const auto fraction = static_cast<unsigned>(std::ldexp(f, 11) - 1024);
  return static_cast<unsigned>(e + 14) << 10 | fraction;
}

// A value of the Array as the node gives it: a half-float code (rawHalfs),
// refused unless it is a whole number of a finite half float.
double RawHalf(const TXMLNode& array, double v) {
  if (!(v >= 0 && v < kHalfCodes && v == std::floor(v)) || !std::isfinite(HalfValue(static_cast<unsigned>(v)))) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v, std::chars_format::general).ptr;
    Fail(array, "The value " + std::string(text, end) + " of the \"Array\" is not the code of a finite half float "
                "(rawHalfs).");
  }
  return HalfValue(static_cast<unsigned>(v));
}

}  // namespace

TCLFLUT1D::TCLFLUT1D(const TXMLNode& node, double out_scale, bool inverse) : TCLFOp(node), Inverse(inverse) {
  // Only "true" switches the forms on ("false" is what their absence means).
  HalfDomain = SameName(AttributeText(node, "halfDomain"), "true");
  const bool raw_halfs = SameName(AttributeText(node, "rawHalfs"), "true");
  if (HalfDomain && inverse) {
    Fail(node, "The \"halfDomain\" form of " + Quoted(node.Name) + " is not supported.");
  }
  const std::string_view hue = AttributeText(node, "hueAdjust");
  if (!hue.empty() && !SameName(hue, "none")) {
    if (!SameName(hue, "dw3") || inverse) {
      Fail(node, "The hueAdjust " + Quoted(hue) + " of " + Quoted(node.Name) + " is not supported.");
    }
    HueAdjust = true;
  }
  const TArray a = ReadArray(node, kMaxCLF1DValues);
  const TXMLNode& array = node.ChildByName("Array");
  const long long channels = a.Dim.size() >= 2 ? a.Dim[1] : 0;
  if (a.Dim.size() != 2 || (channels != 1 && channels != 3) || a.Dim[0] < kMinUsableSize) BadShape(node);
  const int n = static_cast<int>(a.Dim[0]);
  if (HalfDomain && n != kHalfCodes) {
    Fail(node, "The " + Quoted(node.Name) + " over the half-float domain needs " + std::to_string(kHalfCodes) +
                   " entries, one per half-float code; its \"Array\" has " + std::to_string(n) + ".");
  }
  Table.Kind = TLUTKind::lk1D;
  Table.SetSize1D(n);
  const auto value = [&](std::size_t at) {
    return TableValue(array, raw_halfs ? RawHalf(array, a.Values[at]) : a.Values[at], out_scale);
  };
  for (int i = 0; i < n; ++i) {
    const std::size_t at = static_cast<std::size_t>(i * channels);
    const double r = value(at);
    TLUTEntry& e = Table.Table1D(i);
    e.R = r;
    e.G = channels == 1 ? r : value(at + 1);
    e.B = channels == 1 ? r : value(at + 2);
  }
  if (!Inverse) return;
  // Each channel's curve run backwards, over its monotonic hull where it
  // turns back on itself.
  for (int c = 0; c < 3; ++c) Curves[c] = TInverseCurve(Table.Data1D(), static_cast<std::size_t>(n), c);
}

// As OpenColorIO reads such tables: the two codes of the half floats around
// the input's magnitude (of its sign), the entries between them interpolated
// by where the input lies; beyond the largest half float the last entry, a
// NaN the entry of the NaN code.
double TCLFLUT1D::HalfDomainValue(int channel, double x) const {
  const TLUTEntry* t = Table.Data1D();
  if (std::isnan(x)) return ChannelOf(t[kHalfNaN], channel);
  const unsigned sign = std::signbit(x) ? kHalfSign : 0;
  const double m = std::fabs(x);
  if (m >= HalfMagnitude(kHalfLargest)) return ChannelOf(t[sign | kHalfLargest], channel);
  const unsigned code = HalfCodeBelow(m);
  const double low = HalfMagnitude(code);
  const double frac = (m - low) / (HalfMagnitude(code + 1) - low);
  const double a = ChannelOf(t[sign | code], channel), b = ChannelOf(t[sign | (code + 1)], channel);
  return a + frac * (b - a);
}

void TCLFLUT1D::Apply(TColor* colors, std::size_t count, TSearchBudget& /*budget*/) const {
  for (std::size_t k = 0; k < count; ++k) {
    TColor& c = colors[k];
    if (Inverse) {
      c = TColor{Curves[0].Position(c.R), Curves[1].Position(c.G), Curves[2].Position(c.B)};
      continue;
    }
    const TColor in = c;
    c = HalfDomain ? TColor{HalfDomainValue(0, in.R), HalfDomainValue(1, in.G), HalfDomainValue(2, in.B)}
                   : Interpolate1D(Table, in);
    if (!HueAdjust) continue;
    // The curve keeps the hue: the middle channel is put back where it lay
    // between the others.
    const double v[3] = {in.R, in.G, in.B};
    int hi = 0, lo = 0;
    for (int i = 1; i < 3; ++i) {
      if (v[i] > v[hi]) hi = i;
      if (v[i] < v[lo]) lo = i;
    }
    if (hi == lo) continue;
    const int mid = 3 - hi - lo;
    const double factor = (v[mid] - v[lo]) / (v[hi] - v[lo]);
    Channel(c, mid) = ChannelOf(c, lo) + factor * (ChannelOf(c, hi) - ChannelOf(c, lo));
  }
}

// ---------------------------------------------------------------------------
// LUT3D


TCLFLUT3D::TCLFLUT3D(const TXMLNode& node, double out_scale) : TCLFOp(node) {
  Tetrahedral = IsTetrahedral(node);
  ReadGrid(node, out_scale, Table);
}

void TCLFLUT3D::Apply(TColor* colors, std::size_t count, TSearchBudget& /*budget*/) const {
  if (Tetrahedral) {
    for (std::size_t k = 0; k < count; ++k) colors[k] = Interpolate3DTetrahedral(Table, colors[k]);
  } else {
    for (std::size_t k = 0; k < count; ++k) colors[k] = Interpolate3D(Table, colors[k]);
  }
}

}  // namespace zelvo
