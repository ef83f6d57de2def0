#include "lut/Compare.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <thread>
#include <vector>

#include "base/Errors.h"

namespace zelvo {

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

  void Add(const TColor& in, const TColor& x, const TColor& y, double de, double threshold) {
    bool above = false;
    for (int k = 0; k < 3; ++k) {
      const auto c = static_cast<std::size_t>(k);
      const double d = Difference(Channel(x, k), Channel(y, k));
      Sum[c] += d;
      if (d > Max[c]) {
        Max[c] = d;
        MaxAt[c] = TCompareSpot{in, x, y};
      }
      above = above || BeyondThreshold(d, threshold, Channel(x, k), Channel(y, k));
    }
    if (std::isnan(de)) de = kInfinity;
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
  std::vector<double> DE = std::vector<double>(kRange);
};

TPartial CompareRange(const TLUT& a, const TLUT& b, const TInputWalk& walk, std::size_t begin, std::size_t end,
                      const TCompareOptions& o, TRangeBuffers& buffers) {
  TPartial partial;
  const std::size_t count = walk.Gather(begin, end, buffers.In.data());
  EvaluateForComparison(a, buffers.In.data(), buffers.A.data(), count, o);
  EvaluateForComparison(b, buffers.In.data(), buffers.B.data(), count, o);
  ColorDifferenceSpan(o.Space, buffers.A.data(), buffers.B.data(), buffers.DE.data(), count);
  for (std::size_t i = 0; i < count; ++i) {
    partial.Add(buffers.In[i], buffers.A[i], buffers.B[i], buffers.DE[i], o.Threshold);
  }
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
  helpers.reserve(threads);  // nothing may throw once a helper runs
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
