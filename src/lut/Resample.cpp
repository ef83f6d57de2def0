#include "lut/Resample.h"

#include <algorithm>
#include <cmath>

#include "lut/Errors.h"

namespace zelvo {

namespace {

// Position of an input on a table of `points` points: the lower grid index and
// the fraction towards the next one. Inputs outside 0..1 (and NaN) are clamped so
// that the indexes stay inside the table; at exactly 1 the fraction is 0.
struct GridPos {
  int index;
  int next;
  double frac;
};

inline GridPos Locate(double input, int points) {
  if (!(input >= 0.0)) input = 0.0;
  if (input > 1.0) input = 1.0;
  const double s = static_cast<double>(points - 1);
  const double p = s * input;
  const double t = std::trunc(p);
  GridPos pos;
  pos.index = static_cast<int>(t);
  pos.frac = p - t;
  pos.next = std::min(pos.index + 1, points - 1);
  return pos;
}

inline int ClampPoints(int points, int capacity) { return std::min(points, capacity); }

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

}  // namespace

bool HasUsableTable(const TLUT& lut) {
  switch (lut.Kind) {
    case TLUTKind::lk1D: return lut.Size1D >= kMinUsableSize;
    case TLUTKind::lk3D: return lut.Size3D >= kMinUsableSize;
    case TLUTKind::lk1DAnd3D: return lut.Size1D >= kMinUsableSize && lut.Size3D >= kMinUsableSize;
    case TLUTKind::lkNone: return true;
  }
  return false;
}

TColor Interpolate1D(const TLUT& lut, const TColor& in) {
  const int m = ClampPoints(lut.Size1D, kMax1DSize);
  if (m < 1) return in;  // no table: nothing to interpolate in
  const GridPos r = Locate(in.R, m);
  const GridPos g = Locate(in.G, m);
  const GridPos b = Locate(in.B, m);
  TColor out;
  out.R = Lerp1D(lut.Table1D(r.index).R, lut.Table1D(r.next).R, r.frac);
  out.G = Lerp1D(lut.Table1D(g.index).G, lut.Table1D(g.next).G, g.frac);
  out.B = Lerp1D(lut.Table1D(b.index).B, lut.Table1D(b.next).B, b.frac);
  return out;
}

TColor Interpolate3D(const TLUT& lut, const TColor& in) {
  const int n = ClampPoints(lut.Size3D, kMaxGridSize);
  if (n < 1) return in;
  const GridPos pr = Locate(in.R, n);
  const GridPos pg = Locate(in.G, n);
  const GridPos pb = Locate(in.B, n);

  const TLUTEntry& e000 = lut.Table3D(pr.index, pg.index, pb.index);
  const TLUTEntry& e001 = lut.Table3D(pr.index, pg.index, pb.next);
  const TLUTEntry& e010 = lut.Table3D(pr.index, pg.next, pb.index);
  const TLUTEntry& e011 = lut.Table3D(pr.index, pg.next, pb.next);
  const TLUTEntry& e100 = lut.Table3D(pr.next, pg.index, pb.index);
  const TLUTEntry& e101 = lut.Table3D(pr.next, pg.index, pb.next);
  const TLUTEntry& e110 = lut.Table3D(pr.next, pg.next, pb.index);
  const TLUTEntry& e111 = lut.Table3D(pr.next, pg.next, pb.next);

  auto channel = [&](double TLUTEntry::*c) {
    const double c00 = Lerp(e000.*c, e001.*c, pb.frac);
    const double c01 = Lerp(e010.*c, e011.*c, pb.frac);
    const double c10 = Lerp(e100.*c, e101.*c, pb.frac);
    const double c11 = Lerp(e110.*c, e111.*c, pb.frac);
    const double e0 = Lerp(c00, c01, pg.frac);
    const double e1 = Lerp(c10, c11, pg.frac);
    return Lerp(e0, e1, pr.frac);
  };
  return TColor{channel(&TLUTEntry::R), channel(&TLUTEntry::G), channel(&TLUTEntry::B)};
}

TColor EvaluateLUT(const TLUT& lut, const TColor& in) {
  switch (lut.Kind) {
    case TLUTKind::lk1D: return Interpolate1D(lut, in);
    case TLUTKind::lk3D: return Interpolate3D(lut, in);
    case TLUTKind::lk1DAnd3D: return Interpolate3D(lut, Interpolate1D(lut, in));
    case TLUTKind::lkNone: return in;
  }
  return in;
}

void ResampleLUT(TLUT& target, const TLUT& source) {
  target.Comments = source.Comments;

  if (target.Kind == TLUTKind::lk3D) {
    const int n = target.Size3D;
    if (n < kMinUsableSize || n > kMaxGridSize) {
      throw ELUTError("A 3D grid of " + std::to_string(n) + " points per axis cannot be built (2 to " +
                      std::to_string(kMaxGridSize) + ").");
    }
    if (source.Kind == TLUTKind::lk3D && source.Size3D == n) {
      for (int r = 0; r < n; ++r)
        for (int g = 0; g < n; ++g)
          std::copy_n(&source.Table3D(r, g, 0), n, &target.Table3D(r, g, 0));
      return;
    }
    const double s = static_cast<double>(n - 1);
    for (int r = 0; r < n; ++r) {
      const double x = r / s;
      for (int g = 0; g < n; ++g) {
        const double y = g / s;
        TLUTEntry* row = &target.Table3D(r, g, 0);
        for (int b = 0; b < n; ++b) {
          const TColor c = EvaluateLUT(source, TColor{x, y, b / s});
          row[b] = TLUTEntry{c.R, c.G, c.B};
        }
      }
    }
    return;
  }

  if (target.Kind == TLUTKind::lk1D) {
    const int m = target.Size1D;
    if (m < kMinUsableSize || m > kMax1DSize) {
      throw ELUTError("A 1D table of " + std::to_string(m) + " entries cannot be built (2 to " +
                      std::to_string(kMax1DSize) + ").");
    }
    if (source.Kind == TLUTKind::lk1D && source.Size1D == m) {
      std::copy_n(&source.Table1D(0), m, &target.Table1D(0));
      return;
    }
    const double s = static_cast<double>(m - 1);
    for (int i = 0; i < m; ++i) {
      const double x = i / s;
      const TColor c = EvaluateLUT(source, TColor{x, x, x});
      target.Table1D(i) = TLUTEntry{c.R, c.G, c.B};
    }
  }
  // lk1DAnd3D and lkNone targets get the comments only.
}

}  // namespace zelvo
