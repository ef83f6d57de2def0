#include "lut/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/Errors.h"

namespace zelvo {

namespace {

using GridPos = TGridPosition;

inline GridPos Locate(double input, int points) { return LocateOnGrid(input, points); }

inline double Lerp1D(double a, double b, double f) {
  // One rounding for the whole expression.
  const long double lf = f;
  return static_cast<double>((1.0L - lf) * a + lf * b);
}

inline double Lerp(double a, double b, double f) {
  const double lo = (1.0 - f) * a;
  const double hi = f * b;
  return lo + hi;
}

// The sample positions i / (points - 1) of a table, each quotient rounded once.
std::vector<double> SamplePositions(int points) {
  std::vector<double> x(static_cast<std::size_t>(points));
  const double s = static_cast<double>(points - 1);
  for (int i = 0; i < points; ++i) x[static_cast<std::size_t>(i)] = i / s;
  return x;
}

// The colours a bake hands to the colour function at once.
constexpr std::size_t kBakeSpan = std::size_t{1} << 16;

void RequireBakeSize(int size, int limit, const char* what) {
  if (size < kMinUsableSize || size > limit) {
    throw ELUTError("A " + std::string(what) + " of " + std::to_string(size) + " cannot be built (" +
                    std::to_string(kMinUsableSize) + " to " + std::to_string(limit) + ").");
  }
}

}  // namespace

bool HasUsableTable(const TLUT& lut) {
  switch (lut.Kind) {
    case TLUTKind::lk1D: return lut.Size1D() >= kMinUsableSize;
    case TLUTKind::lk3D: return lut.Size3D() >= kMinUsableSize;
    case TLUTKind::lk1DAnd3D: return lut.Size1D() >= kMinUsableSize && lut.Size3D() >= kMinUsableSize;
    case TLUTKind::lkNone: return true;
    case TLUTKind::lkChain: return lut.Evaluator != nullptr;
  }
  return false;
}

TColor Interpolate1D(const TLUT& lut, const TColor& in) {
  const int m = lut.Size1D();
  if (m < 1) return in;  // no table: nothing to interpolate in
  const TLUTEntry* t = lut.Data1D();
  const GridPos r = Locate(in.R, m);
  const GridPos g = Locate(in.G, m);
  const GridPos b = Locate(in.B, m);
  return TColor{Lerp1D(t[r.index].R, t[r.next].R, r.frac), Lerp1D(t[g.index].G, t[g.next].G, g.frac),
                Lerp1D(t[b.index].B, t[b.next].B, b.frac)};
}

namespace {

// The cell of a 3D table that holds an input: its corners by offset (false
// the lower point, true the next) and the fractions of the way across.
struct TCell {
  const TLUTEntry* t;
  std::size_t sn;
  GridPos r, g, b;
  TCell(const TLUT& lut, const TColor& in)
      : t(lut.Data3D()), sn(static_cast<std::size_t>(lut.Size3D())), r(Locate(in.R, lut.Size3D())),
        g(Locate(in.G, lut.Size3D())), b(Locate(in.B, lut.Size3D())) {}
  // Red is the fastest index in memory (LUT.h).
  const TLUTEntry& at(bool rn, bool gn, bool bn) const {
    const auto ir = static_cast<std::size_t>(rn ? r.next : r.index);
    const auto ig = static_cast<std::size_t>(gn ? g.next : g.index);
    const auto ib = static_cast<std::size_t>(bn ? b.next : b.index);
    return t[(ib * sn + ig) * sn + ir];
  }
};

}  // namespace

TColor Interpolate3D(const TLUT& lut, const TColor& in) {
  if (lut.Size3D() < 1) return in;
  const TCell cell(lut, in);
  const TLUTEntry& e000 = cell.at(0, 0, 0);
  const TLUTEntry& e001 = cell.at(0, 0, 1);
  const TLUTEntry& e010 = cell.at(0, 1, 0);
  const TLUTEntry& e011 = cell.at(0, 1, 1);
  const TLUTEntry& e100 = cell.at(1, 0, 0);
  const TLUTEntry& e101 = cell.at(1, 0, 1);
  const TLUTEntry& e110 = cell.at(1, 1, 0);
  const TLUTEntry& e111 = cell.at(1, 1, 1);
  auto channel = [&](double TLUTEntry::*c) {
    const double c00 = Lerp(e000.*c, e001.*c, cell.b.frac);
    const double c01 = Lerp(e010.*c, e011.*c, cell.b.frac);
    const double c10 = Lerp(e100.*c, e101.*c, cell.b.frac);
    const double c11 = Lerp(e110.*c, e111.*c, cell.b.frac);
    const double e0 = Lerp(c00, c01, cell.g.frac);
    const double e1 = Lerp(c10, c11, cell.g.frac);
    return Lerp(e0, e1, cell.r.frac);
  };
  return TColor{channel(&TLUTEntry::R), channel(&TLUTEntry::G), channel(&TLUTEntry::B)};
}

TColor Interpolate3DTetrahedral(const TLUT& lut, const TColor& in) {
  if (lut.Size3D() < 1) return in;
  const TCell cell(lut, in);
  const GridPos &pr = cell.r, &pg = cell.g, &pb = cell.b;
  const auto at = [&cell](bool r, bool g, bool b) -> const TLUTEntry& { return cell.at(r, g, b); };
  // The tetrahedron of the cell by the order of the fractions, its four
  // corners weighted by their differences; ties go as OpenColorIO takes them.
  const double fr = pr.frac, fg = pg.frac, fb = pb.frac;
  const TLUTEntry *c1, *c2;
  double w0, w1, w2, w3;
  if (fr > fg) {
    if (fg > fb) {
      c1 = &at(1, 0, 0), c2 = &at(1, 1, 0), w0 = 1 - fr, w1 = fr - fg, w2 = fg - fb, w3 = fb;
    } else if (fr > fb) {
      c1 = &at(1, 0, 0), c2 = &at(1, 0, 1), w0 = 1 - fr, w1 = fr - fb, w2 = fb - fg, w3 = fg;
    } else {
      c1 = &at(0, 0, 1), c2 = &at(1, 0, 1), w0 = 1 - fb, w1 = fb - fr, w2 = fr - fg, w3 = fg;
    }
  } else {
    if (fb > fg) {
      c1 = &at(0, 0, 1), c2 = &at(0, 1, 1), w0 = 1 - fb, w1 = fb - fg, w2 = fg - fr, w3 = fr;
    } else if (fb > fr) {
      c1 = &at(0, 1, 0), c2 = &at(0, 1, 1), w0 = 1 - fg, w1 = fg - fb, w2 = fb - fr, w3 = fr;
    } else {
      c1 = &at(0, 1, 0), c2 = &at(1, 1, 0), w0 = 1 - fg, w1 = fg - fr, w2 = fr - fb, w3 = fb;
    }
  }
  const TLUTEntry& c0 = at(0, 0, 0);
  const TLUTEntry& c3 = at(1, 1, 1);
  return TColor{w0 * c0.R + w1 * c1->R + w2 * c2->R + w3 * c3.R, w0 * c0.G + w1 * c1->G + w2 * c2->G + w3 * c3.G,
                w0 * c0.B + w1 * c1->B + w2 * c2->B + w3 * c3.B};
}

namespace {

// An input brought from a stage's domain onto its table's 0..1.
inline TColor ToTable(const TColor& in, const TLUTDomain& d) {
  return TColor{(in.R - d.Min.R) / (d.Max.R - d.Min.R), (in.G - d.Min.G) / (d.Max.G - d.Min.G),
                (in.B - d.Min.B) / (d.Max.B - d.Min.B)};
}

// A table position 0..1 brought into a stage's domain: the input it stands for.
inline TColor FromTable(const TColor& p, const TLUTDomain& d) {
  return TColor{d.Min.R + p.R * (d.Max.R - d.Min.R), d.Min.G + p.G * (d.Max.G - d.Min.G),
                d.Min.B + p.B * (d.Max.B - d.Min.B)};
}

// One stage of a span; tables over 0..1 take the inputs as they are.
template <typename Stage>
void StageSpan(const TLUTDomain& domain, const TColor* in, TColor* out, std::size_t count, Stage&& stage) {
  if (domain.IsUnit()) {
    for (std::size_t i = 0; i < count; ++i) out[i] = stage(in[i]);
  } else {
    for (std::size_t i = 0; i < count; ++i) out[i] = stage(ToTable(in[i], domain));
  }
}

}  // namespace

TColor EvaluateLUT(const TLUT& lut, const TColor& in) {
  TColor out;
  EvaluateLUTSpan(lut, &in, &out, 1);
  return out;
}

namespace {

// The 3D stage of a span, read as the LUT's Interpolation3D says.
void Stage3DSpan(const TLUT& lut, const TColor* in, TColor* out, std::size_t count) {
  if (lut.Interpolation3D == TInterpolation::Tetrahedral) {
    StageSpan(lut.Domain3D, in, out, count, [&lut](const TColor& c) { return Interpolate3DTetrahedral(lut, c); });
  } else {
    StageSpan(lut.Domain3D, in, out, count, [&lut](const TColor& c) { return Interpolate3D(lut, c); });
  }
}

}  // namespace

void EvaluateLUTSpan(const TLUT& lut, const TColor* in, TColor* out, std::size_t count) {
  const auto stage1d = [&lut](const TColor& c) { return Interpolate1D(lut, c); };
  switch (lut.Kind) {
    case TLUTKind::lk1D: StageSpan(lut.Domain1D, in, out, count, stage1d); return;
    case TLUTKind::lk3D: Stage3DSpan(lut, in, out, count); return;
    case TLUTKind::lk1DAnd3D:
      StageSpan(lut.Domain1D, in, out, count, stage1d);
      Stage3DSpan(lut, out, out, count);
      return;
    case TLUTKind::lkNone:
      if (out != in) std::copy_n(in, count, out);
      return;
    case TLUTKind::lkChain:
      // The chain takes any input; its domain only says where it is meant.
      if (lut.Evaluator) {
        lut.Evaluator->Evaluate(in, out, count);
      } else if (out != in) {
        std::copy_n(in, count, out);
      }
      return;
  }
}

void BakeLUT(TLUT& target, const TColorSpanFunction& f) {
  if (target.Kind == TLUTKind::lk3D) {
    const int n = target.Size3D();
    RequireBakeSize(n, kMaxGridSize, "3D grid of points per axis");
    const std::vector<double> x = SamplePositions(n);
    const std::size_t sn = static_cast<std::size_t>(n);
    const TLUTDomain& domain = target.Domain3D;
    // Whole rows of red inputs (runs of neighbours in memory), as many as fill
    // a span of about kBakeSpan colours: a colour function that bounds its
    // work per call gets a fair share of the bake in each.
    const std::size_t rows_per_span = std::max<std::size_t>(1, kBakeSpan / sn);
    std::vector<TColor> in(rows_per_span * sn);
    TLUTEntry* table = target.Data3D();
    const std::size_t rows = sn * sn;  // (g, b) pairs, g fastest
    for (std::size_t first = 0; first < rows; first += rows_per_span) {
      const std::size_t count = std::min(rows_per_span, rows - first);
      TColor* c = in.data();
      for (std::size_t k = first; k < first + count; ++k) {
        const std::size_t g = k % sn, b = k / sn;
        for (std::size_t r = 0; r < sn; ++r) *c++ = TColor{x[r], x[g], x[b]};
      }
      if (!domain.IsUnit()) {
        for (std::size_t i = 0; i < count * sn; ++i) in[i] = FromTable(in[i], domain);
      }
      f(in.data(), table + first * sn, count * sn);
    }
    return;
  }
  if (target.Kind == TLUTKind::lk1D) {
    const int m = target.Size1D();
    RequireBakeSize(m, kMax1DSize, "1D table of entries");
    const std::vector<double> x = SamplePositions(m);
    const std::size_t sm = static_cast<std::size_t>(m);
    const TLUTDomain& domain = target.Domain1D;
    constexpr std::size_t kChunk = kBakeSpan;
    std::vector<TColor> in(std::min(sm, kChunk));
    for (std::size_t start = 0; start < sm; start += kChunk) {
      const std::size_t count = std::min(kChunk, sm - start);
      for (std::size_t i = 0; i < count; ++i) {
        const TColor p{x[start + i], x[start + i], x[start + i]};
        in[i] = domain.IsUnit() ? p : FromTable(p, domain);
      }
      f(in.data(), target.Data1D() + start, count);
    }
  }
}

namespace {

// Source has a table of the target's kind, size and domain, so that it can
// pass over unchanged.
bool SameTable(TLUTKind kind, int size, const TLUTDomain& domain, const TLUT& source) {
  if (kind != source.Kind) return false;
  if (kind == TLUTKind::lk3D) return size == source.Size3D() && domain == source.Domain3D;
  if (kind == TLUTKind::lk1D) return size == source.Size1D() && domain == source.Domain1D;
  return false;
}

bool SameTable(const TLUT& target, const TLUT& source) {
  return target.Kind == TLUTKind::lk3D
             ? SameTable(target.Kind, target.Size3D(), target.Domain3D, source)
             : SameTable(target.Kind, target.Size1D(), target.Domain1D, source);
}

void EvaluateInto(TLUT& target, const TLUT& source) {
  BakeLUT(target, [&source](const TColor* in, TColor* out, std::size_t count) {
    EvaluateLUTSpan(source, in, out, count);
  });
}

}  // namespace

void ResampleLUT(TLUT& target, const TLUT& source) {
  target.Comments = source.Comments;
  if (SameTable(target, source)) {
    if (target.Kind == TLUTKind::lk3D) {
      const std::size_t n = static_cast<std::size_t>(source.Size3D());
      std::copy_n(source.Data3D(), n * n * n, target.Data3D());
    } else {
      std::copy_n(source.Data1D(), static_cast<std::size_t>(source.Size1D()), target.Data1D());
    }
    return;
  }
  EvaluateInto(target, source);  // lk1DAnd3D and lkNone targets get the comments only
}

bool PassesOver(const TLUT& source, TLUTKind kind, int size, const TLUTDomain& domain) {
  return SameTable(kind, size, domain, source);
}

TLUT ResampledLUT(TLUT&& source, TLUTKind kind, int size, const TLUTDomain& domain) {
  const bool same = SameTable(kind, size, domain, source);
  TLUT target;
  target.Kind = kind;
  (kind == TLUTKind::lk3D ? target.Domain3D : target.Domain1D) = domain;
  if (same) {
    // The table passes over as it is: no copy, no evaluation.
    target.Comments = std::move(source.Comments);
    // The same table means the same colours only read the same way.
    target.Interpolation3D = source.Interpolation3D;
    if (kind == TLUTKind::lk3D) target.TakeTable3D(source);
    else target.TakeTable1D(source);
    return target;
  }
  if (kind == TLUTKind::lk3D) target.SetSize3D(size);
  else if (kind == TLUTKind::lk1D) target.SetSize1D(size);
  ResampleLUT(target, source);
  // Consumed: its tables go now, before the caller writes the new one out.
  source = TLUT();
  return target;
}

}  // namespace zelvo
