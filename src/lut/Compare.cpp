#include "lut/Compare.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>
#include <system_error>
#include <thread>
#include <vector>

#include "lut/Errors.h"

namespace zelvo {

// ---------------------------------------------------------------------------
// Colour science

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

}  // namespace

double SRGBToLinear(double encoded) {
  const double v = std::fabs(encoded);
  // exp and log together cost less than pow here, within an ulp or two of it.
  const double linear = v <= 0.04045 ? v / 12.92 : std::exp(2.4 * std::log((v + 0.055) / 1.055));
  return std::copysign(linear, encoded);
}

namespace {

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

// cos(angle + shift) from the angle's cosine and sine, for the shifts of T.
struct TShift {
  double Cos, Sin;
  explicit TShift(double degrees) : Cos(std::cos(degrees * kDegree)), Sin(std::sin(degrees * kDegree)) {}
  double Of(double c, double s) const { return c * Cos - s * Sin; }
};
const TShift kMinus30(-30.0), kPlus6(6.0), kMinus63(-63.0);

// The hue difference dH' and the direction (cos, sin) of the mean hue h'.
struct THues {
  double DeltaH = 0.0;
  double Cos = 1.0, Sin = 0.0;
};

// Worked on the hue directions as unit vectors rather than angles: |dh'| is
// the chord between them (2 sin(|dh'|/2)) and the mean hue the direction of
// their sum, the bisector of the shorter arc, as the formula's case rules
// say. That keeps small hue differences exact and saves an arc tangent and
// two sines a pair.
THues Hues(double a1, double b1, double c1, double a2, double b2, double c2) {
  THues h;
  if (c1 * c2 == 0.0) {
    // A colour without chroma has hue 0: the mean hue is the other colour's.
    if (c1 != 0.0) h.Cos = a1 / c1, h.Sin = b1 / c1;
    else if (c2 != 0.0) h.Cos = a2 / c2, h.Sin = b2 / c2;
    return h;
  }
  const double ux = a1 / c1, uy = b1 / c1, vx = a2 / c2, vy = b2 / c2;
  const double chord = std::sqrt((vx - ux) * (vx - ux) + (vy - uy) * (vy - uy));
  double sign = ux * vy - uy * vx >= 0.0 ? 1.0 : -1.0;  // the sign of sin(dh')
  double wx = ux + vx, wy = uy + vy;
  if (wx == 0.0 && wy == 0.0) {
    // Opposite hues: the formula's order of the angles decides.
    const double h1 = HueDegrees(b1, a1), h2 = HueDegrees(b2, a2);
    sign = h2 > h1 ? 1.0 : -1.0;
    wx = std::cos(0.5 * (h1 + h2) * kDegree);
    wy = std::sin(0.5 * (h1 + h2) * kDegree);
  }
  const double w = std::sqrt(wx * wx + wy * wy);
  h.DeltaH = sign * std::sqrt(c1 * c2) * chord;
  h.Cos = wx / w;
  h.Sin = wy / w;
  return h;
}

}  // namespace

TLabColor LinearRGBToLab(const TColor& c) {
  const double fx = LabF(kToXYZ[0][0] * c.R + kToXYZ[0][1] * c.G + kToXYZ[0][2] * c.B);
  const double fy = LabF(kToXYZ[1][0] * c.R + kToXYZ[1][1] * c.G + kToXYZ[1][2] * c.B);
  const double fz = LabF(kToXYZ[2][0] * c.R + kToXYZ[2][1] * c.G + kToXYZ[2][2] * c.B);
  return TLabColor{116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

// Sharma, Wu and Dalal's reading of the formula, their notes on the mean hue
// and the hue difference of achromatic colours included.
double CIEDE2000(const TLabColor& x, const TLabColor& y) {
  constexpr double k25To7 = 6103515625.0;  // 25^7
  const double c1 = std::sqrt(x.a * x.a + x.b * x.b);
  const double c2 = std::sqrt(y.a * y.a + y.b * y.b);
  const double cbar7 = Pow7(0.5 * (c1 + c2));
  const double g = 0.5 * (1.0 - std::sqrt(cbar7 / (cbar7 + k25To7)));
  const double a1 = (1.0 + g) * x.a;
  const double a2 = (1.0 + g) * y.a;
  const double c1p = std::sqrt(a1 * a1 + x.b * x.b);
  const double c2p = std::sqrt(a2 * a2 + y.b * y.b);
  const THues hue = Hues(a1, x.b, c1p, a2, y.b, c2p);

  const double lbar50 = 0.5 * (x.L + y.L) - 50.0;
  const double cbarp = 0.5 * (c1p + c2p);
  const double cbarp7 = Pow7(cbarp);
  // T by the multiple-angle rules from the mean hue's cosine and sine.
  const double ch = hue.Cos, sh = hue.Sin;
  const double c2h = 2.0 * ch * ch - 1.0, s2h = 2.0 * sh * ch;
  const double c3h = ch * (2.0 * c2h - 1.0), s3h = sh * (2.0 * c2h + 1.0);
  const double c4h = 2.0 * c2h * c2h - 1.0, s4h = 2.0 * s2h * c2h;
  const double t = 1.0 - 0.17 * kMinus30.Of(ch, sh) + 0.24 * c2h + 0.32 * kPlus6.Of(c3h, s3h) -
                   0.20 * kMinus63.Of(c4h, s4h);
  double hbar = std::atan2(sh, ch) / kDegree;
  if (hbar < 0.0) hbar += 360.0;
  const double hue_from_blue = (hbar - 275.0) / 25.0;
  const double d_theta = 30.0 * std::exp(-hue_from_blue * hue_from_blue);
  const double r_c = 2.0 * std::sqrt(cbarp7 / (cbarp7 + k25To7));
  const double s_l = 1.0 + 0.015 * lbar50 * lbar50 / std::sqrt(20.0 + lbar50 * lbar50);
  const double s_c = 1.0 + 0.045 * cbarp;
  const double s_h = 1.0 + 0.015 * cbarp * t;
  const double r_t = -std::sin(2.0 * d_theta * kDegree) * r_c;

  const double l = (y.L - x.L) / s_l, c = (c2p - c1p) / s_c, h = hue.DeltaH / s_h;
  return std::sqrt(l * l + c * c + h * h + r_t * c * h);
}

const char* CompareSpaceName(TCompareSpace space) {
  switch (space) {
    case TCompareSpace::csSRGB: return "srgb";
    case TCompareSpace::csLinear: return "linear";
    case TCompareSpace::csNone: return "none";
  }
  return "none";
}

bool ParseCompareSpace(std::string_view text, TCompareSpace& space) {
  for (const TCompareSpace s : {TCompareSpace::csSRGB, TCompareSpace::csLinear, TCompareSpace::csNone}) {
    if (text == CompareSpaceName(s)) {
      space = s;
      return true;
    }
  }
  return false;
}

const char* CompareSpaceAssumption(TCompareSpace space) {
  switch (space) {
    case TCompareSpace::csSRGB:
      return "dE2000 taking values as sRGB-encoded display colours (clipped to 0..1)";
    case TCompareSpace::csLinear:
      return "dE2000 taking values as linear light with sRGB primaries and D65 white";
    case TCompareSpace::csNone: return "no colour difference computed";
  }
  return "";
}

double HalfCodeStep(int bits) { return 0.5 / (std::ldexp(1.0, bits) - 1.0); }

double TCompareReport::CodeSteps(double value) const {
  return value * (std::ldexp(1.0, Options.DepthBits) - 1.0);
}

double TCompareReport::ShareAboveThreshold() const {
  return Inputs == 0 ? 0.0 : static_cast<double>(AboveThreshold) / static_cast<double>(Inputs);
}

// ---------------------------------------------------------------------------
// The inputs

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

double Channel(const TColor& c, int i) { return i == 0 ? c.R : i == 1 ? c.G : c.B; }

// n positions spread evenly from lo to hi, both ends exact; the same formula
// for every grid, so that grids that share points give the same numbers.
std::vector<double> AxisPositions(int n, double lo, double hi) {
  std::vector<double> x(static_cast<std::size_t>(n));
  const double s = static_cast<double>(n - 1);
  for (int i = 0; i < n; ++i) x[static_cast<std::size_t>(i)] = lo + (i / s) * (hi - lo);
  x.back() = hi;
  return x;
}

// A set of inputs: every combination of the three axes (a lattice, red
// fastest), or the i-th value of each axis together (a ramp).
struct TInputSet {
  bool Ramp = false;
  std::array<std::vector<double>, 3> Axis;

  std::size_t Size() const {
    return Ramp ? Axis[0].size() : Axis[0].size() * Axis[1].size() * Axis[2].size();
  }
  // The i-th input of a ramp.
  TColor At(std::size_t i) const { return TColor{Axis[0][i], Axis[1][i], Axis[2][i]}; }
  bool Contains(const TColor& c) const {
    if (!Ramp) {
      for (int k = 0; k < 3; ++k) {
        const auto& axis = Axis[static_cast<std::size_t>(k)];
        if (!std::binary_search(axis.begin(), axis.end(), Channel(c, k))) return false;
      }
      return true;
    }
    auto it = std::lower_bound(Axis[0].begin(), Axis[0].end(), c.R);
    for (; it != Axis[0].end() && *it == c.R; ++it) {
      const auto i = static_cast<std::size_t>(it - Axis[0].begin());
      if (Axis[1][i] == c.G && Axis[2][i] == c.B) return true;
    }
    return false;
  }
};

bool Inside(double v, const TLUTDomain& d, int channel) {
  return v >= Channel(d.Min, channel) && v <= Channel(d.Max, channel);
}

// A lattice from its axes, each sorted and kept to the common inputs.
TInputSet Lattice(std::array<std::vector<double>, 3> axes, const TLUTDomain& common) {
  TInputSet set;
  for (int k = 0; k < 3; ++k) {
    auto& axis = axes[static_cast<std::size_t>(k)];
    std::sort(axis.begin(), axis.end());
    axis.erase(std::unique(axis.begin(), axis.end()), axis.end());
    std::erase_if(axis, [&](double v) { return !Inside(v, common, k); });
  }
  set.Axis = std::move(axes);
  return set;
}

TInputSet EvenLattice(int n, const TLUTDomain& d, const TLUTDomain& common) {
  return Lattice({AxisPositions(n, d.Min.R, d.Max.R), AxisPositions(n, d.Min.G, d.Max.G),
                  AxisPositions(n, d.Min.B, d.Max.B)},
                 common);
}

// The grey ramp through a LUT's curve entries, kept to the common inputs.
TInputSet CurveRamp(const TLUT& lut, const TLUTDomain& common) {
  const TLUTDomain& d = lut.Domain1D;
  const int m = lut.Size1D();
  const std::array<std::vector<double>, 3> all{AxisPositions(m, d.Min.R, d.Max.R),
                                               AxisPositions(m, d.Min.G, d.Max.G),
                                               AxisPositions(m, d.Min.B, d.Max.B)};
  TInputSet set;
  set.Ramp = true;
  for (std::size_t i = 0; i < static_cast<std::size_t>(m); ++i) {
    if (!Inside(all[0][i], common, 0) || !Inside(all[1][i], common, 1) || !Inside(all[2][i], common, 2)) continue;
    for (std::size_t k = 0; k < 3; ++k) set.Axis[k].push_back(all[k][i]);
  }
  return set;
}

// Of a 1D+3D LUT, the inputs whose curve outputs are the 3D grid's points:
// per channel, the first place along the curve that reaches each grid
// position. Grid positions the curve never reaches have no input.
std::vector<double> CurveInputsOfGrid(const TLUT& lut, int channel) {
  const TLUTDomain& d3 = lut.Domain3D;
  const TLUTDomain& d1 = lut.Domain1D;
  const std::vector<double> nodes =
      AxisPositions(lut.Size3D(), Channel(d3.Min, channel), Channel(d3.Max, channel));
  std::vector<double> found(nodes.size(), std::numeric_limits<double>::quiet_NaN());
  const int m = lut.Size1D();
  const double lo1 = Channel(d1.Min, channel), span1 = Channel(d1.Max, channel) - lo1;
  for (int j = 0; j + 1 < m; ++j) {
    const double v0 = Channel(lut.Table1D(j), channel), v1 = Channel(lut.Table1D(j + 1), channel);
    const double lo = std::min(v0, v1), hi = std::max(v0, v1);
    for (auto k = static_cast<std::size_t>(std::lower_bound(nodes.begin(), nodes.end(), lo) - nodes.begin());
         k < nodes.size() && nodes[k] <= hi; ++k) {
      if (!std::isnan(found[k])) continue;
      const double frac = v1 == v0 ? 0.0 : (nodes[k] - v0) / (v1 - v0);
      found[k] = lo1 + ((j + frac) / (m - 1)) * span1;
    }
  }
  std::erase_if(found, [](double v) { return std::isnan(v); });
  return found;
}

// The inputs at a LUT's own points: its 3D grid, its curve entries.
void AddOwnPoints(const TLUT& lut, const TLUTDomain& common, std::vector<TInputSet>& sets) {
  if (lut.Kind == TLUTKind::lk3D) sets.push_back(EvenLattice(lut.Size3D(), lut.Domain3D, common));
  if (lut.Kind == TLUTKind::lk1DAnd3D) {
    sets.push_back(Lattice({CurveInputsOfGrid(lut, 0), CurveInputsOfGrid(lut, 1), CurveInputsOfGrid(lut, 2)}, common));
  }
  if (lut.Kind == TLUTKind::lk1D || lut.Kind == TLUTKind::lk1DAnd3D) sets.push_back(CurveRamp(lut, common));
}

// Whether the points of a set lie in an earlier set. Between two lattices that
// is a question per axis, answered once.
struct TEarlierSet {
  const TInputSet* Set = nullptr;
  bool ByAxis = false;
  std::array<std::vector<char>, 3> InAxis;
  bool Holds(const TColor& c, std::size_t r, std::size_t g, std::size_t b) const {
    return ByAxis ? InAxis[0][r] && InAxis[1][g] && InAxis[2][b] : Set->Contains(c);
  }
};

// The sets one after another, each point once: a point of a later set that an
// earlier set holds is left out.
class TInputWalk {
 public:
  explicit TInputWalk(std::vector<TInputSet> sets) : sets_(std::move(sets)) {
    earlier_.resize(sets_.size());
    for (std::size_t k = 0; k < sets_.size(); ++k) {
      total_ += sets_[k].Size();
      for (std::size_t j = 0; j < k; ++j) AddEarlier(k, j);
    }
  }
  // Positions run over all sets; the walk is cut into ranges of them.
  std::size_t Positions() const { return total_; }
  // The inputs at positions begin..end, duplicates left out; gives their number.
  std::size_t Gather(std::size_t begin, std::size_t end, TColor* out) const {
    std::size_t count = 0, offset = 0;
    for (std::size_t k = 0; k < sets_.size() && begin < end; ++k) {
      const std::size_t size = sets_[k].Size();
      if (begin < offset + size) {
        const std::size_t stop = std::min(end, offset + size);
        count += GatherFrom(k, begin - offset, stop - offset, out + count);
        begin = stop;
      }
      offset += size;
    }
    return count;
  }

 private:
  std::size_t GatherFrom(std::size_t k, std::size_t begin, std::size_t end, TColor* out) const {
    const TInputSet& set = sets_[k];
    const auto& earlier = earlier_[k];
    std::size_t count = 0;
    if (set.Ramp) {
      for (std::size_t i = begin; i < end; ++i) {
        const TColor c = set.At(i);
        if (std::none_of(earlier.begin(), earlier.end(), [&](const TEarlierSet& e) { return e.Set->Contains(c); })) {
          out[count++] = c;
        }
      }
      return count;
    }
    // Red fastest, as in the tables, so that neighbouring inputs read
    // neighbouring entries.
    const std::size_t nr = set.Axis[0].size(), ng = set.Axis[1].size();
    std::size_t r = begin % nr, g = (begin / nr) % ng, b = begin / (nr * ng);
    for (std::size_t i = begin; i < end; ++i) {
      const TColor c{set.Axis[0][r], set.Axis[1][g], set.Axis[2][b]};
      const auto held = [&](const TEarlierSet& e) { return e.Holds(c, r, g, b); };
      if (std::none_of(earlier.begin(), earlier.end(), held)) out[count++] = c;
      if (++r == nr) {
        r = 0;
        if (++g == ng) g = 0, ++b;
      }
    }
    return count;
  }

  void AddEarlier(std::size_t k, std::size_t j) {
    TEarlierSet e;
    e.Set = &sets_[j];
    e.ByAxis = !sets_[k].Ramp && !sets_[j].Ramp;
    if (e.ByAxis) {
      for (std::size_t a = 0; a < 3; ++a) {
        const auto& mine = sets_[k].Axis[a];
        const auto& theirs = sets_[j].Axis[a];
        for (const double v : mine) e.InAxis[a].push_back(std::binary_search(theirs.begin(), theirs.end(), v));
        // No value of an axis in common: no point in common.
        if (std::find(e.InAxis[a].begin(), e.InAxis[a].end(), 1) == e.InAxis[a].end()) return;
      }
    }
    earlier_[k].push_back(std::move(e));
  }

  std::vector<TInputSet> sets_;
  std::vector<std::vector<TEarlierSet>> earlier_;
  std::size_t total_ = 0;
};

// ---------------------------------------------------------------------------
// The comparison

// The outputs the comparison sees: the one place that decides how a LUT is
// evaluated for it.
void EvaluateForComparison(const TLUT& lut, const TColor* in, TColor* out, std::size_t count,
                           const TCompareOptions& /*options*/) {
  EvaluateLUTSpan(lut, in, out, count);
}

std::string DomainText(const TLUTDomain& d) {
  std::string text;
  for (int k = 0; k < 3; ++k) {
    char buf[64];
    text += k == 0 ? "R " : k == 1 ? ", G " : ", B ";
    text.append(buf, std::to_chars(buf, buf + sizeof buf, Channel(d.Min, k)).ptr);
    text += "..";
    text.append(buf, std::to_chars(buf, buf + sizeof buf, Channel(d.Max, k)).ptr);
  }
  return text;
}

TLUTDomain CommonDomain(const TLUT& a, const TLUT& b) {
  const TLUTDomain& da = a.InputDomain();
  const TLUTDomain& db = b.InputDomain();
  TLUTDomain common;
  common.Min = TColor{std::max(da.Min.R, db.Min.R), std::max(da.Min.G, db.Min.G), std::max(da.Min.B, db.Min.B)};
  common.Max = TColor{std::min(da.Max.R, db.Max.R), std::min(da.Max.G, db.Max.G), std::min(da.Max.B, db.Max.B)};
  if (!common.IsValid()) {
    throw EZelvoError("The two LUTs have no inputs in common: the first covers " + DomainText(da) +
                      ", the second " + DomainText(db) + ".");
  }
  return common;
}

void CheckOptions(const TCompareOptions& o, const TLUT& a, const TLUT& b) {
  if (o.Grid < kMinCompareGrid || o.Grid > kMaxCompareGrid) {
    throw EZelvoError("The grid of a comparison has " + std::to_string(kMinCompareGrid) + " to " +
                      std::to_string(kMaxCompareGrid) + " points per axis, not " + std::to_string(o.Grid) + ".");
  }
  if (o.DepthBits < 1 || o.DepthBits > kMaxCompareDepth) {
    throw EZelvoError("Code steps are told for depths of 1 to " + std::to_string(kMaxCompareDepth) + " bits, not " +
                      std::to_string(o.DepthBits) + ".");
  }
  if (std::isnan(o.Threshold)) throw EZelvoError("The threshold of a comparison is not a number.");
  if (!HasUsableTable(a) || !HasUsableTable(b)) {
    throw EZelvoError(std::string("The ") + (HasUsableTable(a) ? "second" : "first") +
                      " LUT has fewer than 2 points; it cannot be compared.");
  }
}

// The difference of two output values: 0 when they are the same number (the
// same infinity, the same bits), infinite when either is not a number.
inline double Difference(double x, double y) {
  if (x == y || std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y)) return 0.0;
  const double d = std::fabs(x - y);
  return std::isnan(d) ? kInfinity : d;
}

// Outputs carry a few units in the last place of rounding from the
// interpolation; a difference that exceeds the threshold by no more than that
// is not a difference of the tables.
inline bool BeyondThreshold(double d, double threshold, double x, double y) {
  constexpr double kSlack = 16.0 * DBL_EPSILON;
  return d > threshold && (d == kInfinity || d - threshold > kSlack * std::max({1.0, std::fabs(x), std::fabs(y)}));
}

inline double Clip01(double v) { return !(v >= 0.0) ? 0.0 : v > 1.0 ? 1.0 : v; }

// The colour difference of two outputs, as the space takes them; 0 where they
// are the same colour.
double ColorDifference(TCompareSpace space, const TColor& x, const TColor& y) {
  if (space == TCompareSpace::csNone) return 0.0;
  TColor p = x, q = y;
  if (space == TCompareSpace::csSRGB) {
    p = TColor{Clip01(x.R), Clip01(x.G), Clip01(x.B)};
    q = TColor{Clip01(y.R), Clip01(y.G), Clip01(y.B)};
  }
  if (Difference(p.R, q.R) == 0.0 && Difference(p.G, q.G) == 0.0 && Difference(p.B, q.B) == 0.0) return 0.0;
  if (space == TCompareSpace::csSRGB) {
    p = TColor{SRGBToLinear(p.R), SRGBToLinear(p.G), SRGBToLinear(p.B)};
    q = TColor{SRGBToLinear(q.R), SRGBToLinear(q.G), SRGBToLinear(q.B)};
  }
  const double de = CIEDE2000(LinearRGBToLab(p), LinearRGBToLab(q));
  return std::isnan(de) ? kInfinity : de;
}

// What one range of inputs found. Ranges are merged in their order, so that
// the sums and the first place of a largest difference do not depend on how
// the work was shared.
struct TPartial {
  std::array<double, 3> Max{-1.0, -1.0, -1.0};
  std::array<double, 3> Sum{};
  std::array<TCompareSpot, 3> MaxAt{};
  double MaxDE = -1.0;
  double SumDE = 0.0;
  TCompareSpot MaxDEAt;
  std::size_t Count = 0;
  std::size_t Above = 0;

  void Add(const TColor& in, const TColor& x, const TColor& y, const TCompareOptions& o) {
    bool above = false;
    for (int k = 0; k < 3; ++k) {
      const auto c = static_cast<std::size_t>(k);
      const double d = Difference(Channel(x, k), Channel(y, k));
      Sum[c] += d;
      if (d > Max[c]) {
        Max[c] = d;
        MaxAt[c] = TCompareSpot{in, x, y};
      }
      above = above || BeyondThreshold(d, o.Threshold, Channel(x, k), Channel(y, k));
    }
    const double de = ColorDifference(o.Space, x, y);
    SumDE += de;
    if (de > MaxDE) {
      MaxDE = de;
      MaxDEAt = TCompareSpot{in, x, y};
    }
    Above += above ? 1 : 0;
    ++Count;
  }

  void Merge(const TPartial& later) {
    for (std::size_t c = 0; c < 3; ++c) {
      Sum[c] += later.Sum[c];
      if (later.Max[c] > Max[c]) {
        Max[c] = later.Max[c];
        MaxAt[c] = later.MaxAt[c];
      }
    }
    SumDE += later.SumDE;
    if (later.MaxDE > MaxDE) {
      MaxDE = later.MaxDE;
      MaxDEAt = later.MaxDEAt;
    }
    Count += later.Count;
    Above += later.Above;
  }
};

// Inputs are evaluated this many at a time: large enough for the span
// evaluation, small enough to stay in the cache.
constexpr std::size_t kRange = 4096;

// The buffers of one worker: inputs and both LUTs' outputs.
struct TRangeBuffers {
  std::vector<TColor> In = std::vector<TColor>(kRange);
  std::vector<TColor> A = std::vector<TColor>(kRange);
  std::vector<TColor> B = std::vector<TColor>(kRange);
};

TPartial CompareRange(const TLUT& a, const TLUT& b, const TInputWalk& walk, std::size_t begin, std::size_t end,
                      const TCompareOptions& o, TRangeBuffers& buffers) {
  TPartial partial;
  const std::size_t count = walk.Gather(begin, end, buffers.In.data());
  EvaluateForComparison(a, buffers.In.data(), buffers.A.data(), count, o);
  EvaluateForComparison(b, buffers.In.data(), buffers.B.data(), count, o);
  for (std::size_t i = 0; i < count; ++i) partial.Add(buffers.In[i], buffers.A[i], buffers.B[i], o);
  return partial;
}

// The ranges of the walk compared on up to as many threads as the machine
// has cores; a thread that cannot be started leaves its share to the others.
// Nothing inside a worker allocates or throws.
std::vector<TPartial> CompareRanges(const TLUT& a, const TLUT& b, const TInputWalk& walk, const TCompareOptions& o) {
  const std::size_t ranges = (walk.Positions() + kRange - 1) / kRange;
  std::vector<TPartial> partials(ranges);
  constexpr std::size_t kRangesPerThread = 8;  // below that, starting a thread costs more than it saves
  const std::size_t threads =
      std::clamp<std::size_t>(std::min<std::size_t>(std::thread::hardware_concurrency(), ranges / kRangesPerThread),
                              1, 8);
  std::vector<TRangeBuffers> buffers(threads);
  std::atomic<std::size_t> next{0};
  const auto work = [&](TRangeBuffers& mine) {
    for (std::size_t r = next++; r < ranges; r = next++) {
      partials[r] = CompareRange(a, b, walk, r * kRange, std::min((r + 1) * kRange, walk.Positions()), o, mine);
    }
  };
  std::vector<std::thread> helpers;
  for (std::size_t t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(work, std::ref(buffers[t]));
    } catch (const std::system_error&) {
      break;
    }
  }
  work(buffers[0]);
  for (std::thread& t : helpers) t.join();
  return partials;
}

}  // namespace

TCompareReport CompareLUTs(const TLUT& a, const TLUT& b, const TCompareOptions& options) {
  CheckOptions(options, a, b);
  TCompareReport report;
  report.Options = options;
  if (report.Options.Threshold < 0.0) report.Options.Threshold = HalfCodeStep(options.DepthBits);
  report.Domain = CommonDomain(a, b);

  std::vector<TInputSet> sets;
  sets.push_back(EvenLattice(options.Grid, report.Domain, report.Domain));
  AddOwnPoints(a, report.Domain, sets);
  AddOwnPoints(b, report.Domain, sets);
  const TInputWalk walk(std::move(sets));
  TPartial total;
  for (const TPartial& p : CompareRanges(a, b, walk, report.Options)) total.Merge(p);

  report.Inputs = total.Count;
  const double n = static_cast<double>(std::max<std::size_t>(total.Count, 1));
  for (std::size_t c = 0; c < 3; ++c) {
    report.Channels[c] = TChannelDifference{std::max(total.Max[c], 0.0), total.Sum[c] / n, total.MaxAt[c]};
    if (report.Channels[c].Max > report.MaxDifference()) report.WorstChannel = static_cast<int>(c);
  }
  report.MaxDE = std::max(total.MaxDE, 0.0);
  report.MeanDE = total.SumDE / n;
  report.MaxDEAt = total.MaxDEAt;
  report.AboveThreshold = total.Above;
  return report;
}

}  // namespace zelvo
