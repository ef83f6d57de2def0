#include "lut/ColorDifference.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

namespace zelvo {

namespace {

// The cube root of a positive finite t, at half the library's cost: a first
// guess from the exponent bits, then three steps of Halley's method, each of
// which triples the correct digits (within an ulp or two in the end).
inline double CubeRoot(double t) {
  double y = std::bit_cast<double>(std::bit_cast<std::uint64_t>(t) / 3 + 0x2A9F7893782DA1CEull);
  for (int i = 0; i < 3; ++i) {
    const double y3 = y * y * y;
    y *= (y3 + 2.0 * t) / (2.0 * y3 + t);
  }
  return y;
}

// Linear sRGB to XYZ (primaries of ITU-R BT.709, white D65 at x 0.3127,
// y 0.3290), each row divided by the white's value so that RGB 1 1 1 lands on
// the reference white at once.
constexpr double kToXYZ[3][3] = {
    {0.4123907992659595 / 0.9504559270516716, 0.3575843393838780 / 0.9504559270516716,
     0.1804807884018343 / 0.9504559270516716},
    {0.2126390058715104, 0.7151686787677559, 0.0721923153607337},
    {0.0193308187155918 / 1.0890577507598784, 0.1191947797946259 / 1.0890577507598784,
     0.9505321522496606 / 1.0890577507598784},
};

// The CIELAB companding of a ratio to the white.
inline double LabF(double t) {
  constexpr double kDelta = 6.0 / 29.0;
  constexpr double kDelta3 = kDelta * kDelta * kDelta;
  if (!(t > kDelta3)) return t / (3.0 * kDelta * kDelta) + 4.0 / 29.0;
  return t <= std::numeric_limits<double>::max() ? CubeRoot(t) : t;
}

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double k25To7 = 6103515625.0;  // 25^7

inline double Pow7(double x) {
  const double x2 = x * x;
  return x2 * x2 * x2 * x;
}

// The hue angle in degrees, 0..360; 0 for a colour without chroma.
inline double HueDegrees(double b, double a) {
  if (a == 0.0 && b == 0.0) return 0.0;
  const double h = std::atan2(b, a) / kDegree;
  return h < 0.0 ? h + 360.0 : h;
}

// cos(angle + shift) from the angle's cosine and sine, for the terms of T.
struct TShift {
  double Cos, Sin;
  explicit TShift(double degrees) : Cos(std::cos(degrees * kDegree)), Sin(std::sin(degrees * kDegree)) {}
  double Of(double c, double s) const { return c * Cos - s * Sin; }
};
const TShift kMinus30(-30.0), kPlus6(6.0), kMinus63(-63.0);
const double kCos117 = std::cos(117.0 * kDegree);

// CIEDE2000 in steps (Sharma, Wu and Dalal's reading, their notes on the mean
// hue and on colours without chroma included). Each step is short, so that a
// span of pairs runs step by step and the processor overlaps the roots and
// divisions of many pairs instead of waiting on one pair's chain of them.

// a' and C' of both colours.
struct TPrimed {
  double A1, A2, C1, C2;
};

inline TPrimed Primed(const TLabColor& x, const TLabColor& y) {
  const double c1 = std::sqrt(x.a * x.a + x.b * x.b);
  const double c2 = std::sqrt(y.a * y.a + y.b * y.b);
  const double cbar7 = Pow7(0.5 * (c1 + c2));
  const double g = 1.0 + 0.5 * (1.0 - std::sqrt(cbar7 / (cbar7 + k25To7)));
  const double a1 = g * x.a, a2 = g * y.a;
  return TPrimed{a1, a2, std::sqrt(a1 * a1 + x.b * x.b), std::sqrt(a2 * a2 + y.b * y.b)};
}

// The hue difference dH' and the direction (cos, sin) of the mean hue h'.
struct THues {
  double DeltaH = 0.0;
  double Cos = 1.0, Sin = 0.0;
};

// Worked on the hue directions as unit vectors rather than angles: |dh'| is
// the chord between them (2 sin(|dh'|/2)) and the mean hue the bisector of
// the shorter arc, as the formula's case rules say. That keeps small hue
// differences exact and saves an arc tangent and two sines a pair.
inline THues Hues(const TPrimed& p, double b1, double b2) {
  THues h;
  if (p.C1 * p.C2 == 0.0) {
    // A colour without chroma has hue 0: the mean hue is the other colour's.
    if (p.C1 != 0.0) h.Cos = p.A1 / p.C1, h.Sin = b1 / p.C1;
    else if (p.C2 != 0.0) h.Cos = p.A2 / p.C2, h.Sin = b2 / p.C2;
    return h;
  }
  const double inv1 = 1.0 / p.C1, inv2 = 1.0 / p.C2;
  const double ux = p.A1 * inv1, uy = b1 * inv1, vx = p.A2 * inv2, vy = b2 * inv2;
  const double cross = ux * vy - uy * vx;  // sin(dh')
  double sign = cross >= 0.0 ? 1.0 : -1.0;
  double wx = ux + vx, wy = uy + vy;
  if (ux * vx + uy * vy < 0.0) {
    // Hues more than a right angle apart: their sum shrinks towards nothing
    // as they turn opposite, while the bisector stays at right angles to
    // their difference.
    wx = -sign * (uy - vy);
    wy = sign * (ux - vx);
    if (cross == 0.0) {
      // Opposite hues: the formula's order of the angles decides.
      const double h1 = HueDegrees(b1, p.A1), h2 = HueDegrees(b2, p.A2);
      sign = h2 > h1 ? 1.0 : -1.0;
      wx = std::cos(0.5 * (h1 + h2) * kDegree);
      wy = std::sin(0.5 * (h1 + h2) * kDegree);
    }
  }
  const double w = 1.0 / std::sqrt(wx * wx + wy * wy);
  h.DeltaH = sign * std::sqrt(p.C1 * p.C2 * ((vx - ux) * (vx - ux) + (vy - uy) * (vy - uy)));
  h.Cos = wx * w;
  h.Sin = wy * w;
  return h;
}

// dL'/SL, dC'/SC, dH'/SH and RC.
struct TWeighted {
  double L, C, H, RC;
};

inline TWeighted Weighted(const TLabColor& x, const TLabColor& y, const TPrimed& p, const THues& hue) {
  const double lbar50 = 0.5 * (x.L + y.L) - 50.0;
  const double cbarp = 0.5 * (p.C1 + p.C2);
  const double cbarp7 = Pow7(cbarp);
  // T by the multiple-angle rules from the mean hue's cosine and sine.
  const double ch = hue.Cos, sh = hue.Sin;
  const double c2h = 2.0 * ch * ch - 1.0, s2h = 2.0 * sh * ch;
  const double c3h = ch * (2.0 * c2h - 1.0), s3h = sh * (2.0 * c2h + 1.0);
  const double c4h = 2.0 * c2h * c2h - 1.0, s4h = 2.0 * s2h * c2h;
  const double t = 1.0 - 0.17 * kMinus30.Of(ch, sh) + 0.24 * c2h + 0.32 * kPlus6.Of(c3h, s3h) -
                   0.20 * kMinus63.Of(c4h, s4h);
  const double s_l = 1.0 + 0.015 * lbar50 * lbar50 / std::sqrt(20.0 + lbar50 * lbar50);
  const double s_c = 1.0 + 0.045 * cbarp;
  const double s_h = 1.0 + 0.015 * cbarp * t;
  return TWeighted{(y.L - x.L) / s_l, (p.C2 - p.C1) / s_c, hue.DeltaH / s_h,
                   2.0 * std::sqrt(cbarp7 / (cbarp7 + k25To7))};
}

// RT, the rotation term, which needs the mean hue's angle. Below 117 degrees
// the hue is so far from blue's 275 that dtheta is under 30 e^-40, and the
// term falls below the rounding of the sum it goes into: 0 then, without the
// arc tangent, the exponential and the sine.
inline double Rotation(const THues& hue, double rc) {
  if (hue.Sin >= 0.0 && hue.Cos > kCos117) return 0.0;
  double hbar = std::atan2(hue.Sin, hue.Cos) / kDegree;
  if (hbar < 0.0) hbar += 360.0;
  const double from_blue = (hbar - 275.0) / 25.0;
  const double d_theta = 30.0 * std::exp(-from_blue * from_blue);
  return -std::sin(2.0 * d_theta * kDegree) * rc;
}

inline double Combined(const TWeighted& w, double rt) {
  return std::sqrt(w.L * w.L + w.C * w.C + w.H * w.H + rt * w.C * w.H);
}

inline TLabColor Lab(const TLUTEntry& c) {
  const double fx = LabF(kToXYZ[0][0] * c.R + kToXYZ[0][1] * c.G + kToXYZ[0][2] * c.B);
  const double fy = LabF(kToXYZ[1][0] * c.R + kToXYZ[1][1] * c.G + kToXYZ[1][2] * c.B);
  const double fz = LabF(kToXYZ[2][0] * c.R + kToXYZ[2][1] * c.G + kToXYZ[2][2] * c.B);
  return TLabColor{116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

inline double Clip01(double v) { return !(v >= 0.0) ? 0.0 : v > 1.0 ? 1.0 : v; }

inline bool SameValue(double x, double y) {
  return x == y || std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
}

}  // namespace

double SRGBToLinear(double encoded) {
  const double v = std::fabs(encoded);
  // exp and log together cost less than pow here, within a few ulps of it.
  const double linear = v <= 0.04045 ? v / 12.92 : std::exp(2.4 * std::log((v + 0.055) * (1.0 / 1.055)));
  return std::copysign(linear, encoded);
}

TLabColor LinearRGBToLab(const TLUTEntry& c) { return Lab(c); }

double CIEDE2000(const TLabColor& x, const TLabColor& y) {
  const TPrimed p = Primed(x, y);
  const THues hue = Hues(p, x.b, y.b);
  const TWeighted w = Weighted(x, y, p, hue);
  return Combined(w, Rotation(hue, w.RC));
}

void ColorDifferenceSpan(TCompareSpace space, const TLUTEntry* x, const TLUTEntry* y, double* de, std::size_t count) {
  if (space == TCompareSpace::csNone) {
    std::fill_n(de, count, 0.0);
    return;
  }
  // Blocks small enough for the stack of any thread.
  constexpr std::size_t kBlock = 64;
  TLUTEntry px[kBlock], py[kBlock];
  TLabColor lx[kBlock], ly[kBlock];
  TPrimed primed[kBlock];
  THues hues[kBlock];
  TWeighted weighted[kBlock];
  std::size_t at[kBlock];
  for (std::size_t start = 0; start < count; start += kBlock) {
    const std::size_t n = std::min(kBlock, count - start);
    // The pairs that are not the same colour, their values clipped when
    // they are display colours.
    std::size_t m = 0;
    for (std::size_t i = start; i < start + n; ++i) {
      TLUTEntry p = x[i], q = y[i];
      if (space == TCompareSpace::csSRGB) {
        p = TLUTEntry{Clip01(p.R), Clip01(p.G), Clip01(p.B)};
        q = TLUTEntry{Clip01(q.R), Clip01(q.G), Clip01(q.B)};
      }
      de[i] = 0.0;
      if (SameValue(p.R, q.R) && SameValue(p.G, q.G) && SameValue(p.B, q.B)) continue;
      px[m] = p;
      py[m] = q;
      at[m++] = i;
    }
    if (space == TCompareSpace::csSRGB) {
      for (std::size_t j = 0; j < m; ++j) {
        px[j] = TLUTEntry{SRGBToLinear(px[j].R), SRGBToLinear(px[j].G), SRGBToLinear(px[j].B)};
        py[j] = TLUTEntry{SRGBToLinear(py[j].R), SRGBToLinear(py[j].G), SRGBToLinear(py[j].B)};
      }
    }
    for (std::size_t j = 0; j < m; ++j) lx[j] = Lab(px[j]);
    for (std::size_t j = 0; j < m; ++j) ly[j] = Lab(py[j]);
    for (std::size_t j = 0; j < m; ++j) primed[j] = Primed(lx[j], ly[j]);
    for (std::size_t j = 0; j < m; ++j) hues[j] = Hues(primed[j], lx[j].b, ly[j].b);
    for (std::size_t j = 0; j < m; ++j) weighted[j] = Weighted(lx[j], ly[j], primed[j], hues[j]);
    for (std::size_t j = 0; j < m; ++j) de[at[j]] = Combined(weighted[j], Rotation(hues[j], weighted[j].RC));
  }
}

}  // namespace zelvo
