// The inverse 3D search: cells found through buckets, each solved for the
// position that its interpolation maps onto the colour. The nearest colour
// on the surface a table reaches is in GridSurface.cpp.
#include "lut/GridSearch.h"
#include "lut/Alongside.h"
#include "lut/GridMath.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>

namespace zelvo {

using grid::Above;
using grid::Below;
using grid::Dot;

namespace {

// The six tetrahedra of a cell around its diagonal from corner 000 to 111,
// in the order they are tried: the two corners between the ends of each, as
// red, green and blue offsets.
constexpr int kTetrahedra[6][2][3] = {{{1, 0, 0}, {1, 1, 0}}, {{1, 1, 0}, {0, 1, 0}}, {{0, 1, 0}, {0, 1, 1}},
                                      {{0, 1, 1}, {0, 0, 1}}, {{0, 0, 1}, {1, 0, 1}}, {{1, 0, 1}, {1, 0, 0}}};

// How far a weight (or a fraction of a cell) may stray outside its cell, and
// the smallest pivot that still spans a direction.
constexpr double kWeightSlack = 1e-9;
constexpr double kTinyPivot = 1e-9;
// How far a cell's bounds reach beyond its corners.
constexpr float kBoundsSlack = 1e-6f;
// The most cell entries the buckets may hold together, and the most buckets
// per channel (finer buckets list a cell in more of them, as it straddles
// their edges, for little gain: the cells a colour is tried in are those
// whose bounds hold it, whatever bucket lists them).
constexpr std::size_t kMaxBucketEntries = std::size_t{1} << 22;
constexpr int kMaxBuckets = 48;
// Per cell of a grown table: the axis of its cone, the cosine of its
// half-angle and its nearest point along the axis.
constexpr std::size_t kConeFloats = 5;
// Cells enough to share their bounds between two threads.
constexpr std::size_t kSharedCells = std::size_t{1} << 15;


// Solves the weights w[1..3] of the corners v[1..3] of a tetrahedron
// (against v[0]) that give p, and w[0] = 1 - the others; false where they
// do not exist.
bool SolveTetrahedron(const double v[4][3], const double p[3], double w[4]) {
  double a[3][4];
  for (int c = 0; c < 3; ++c) {
    for (int k = 0; k < 3; ++k) a[c][k] = v[k + 1][c] - v[0][c];
    a[c][3] = p[c] - v[0][c];
  }
  for (int col = 0; col < 3; ++col) {
    int best = col;
    for (int r = col + 1; r < 3; ++r) {
      if (std::fabs(a[r][col]) > std::fabs(a[best][col])) best = r;
    }
    if (!(std::fabs(a[best][col]) >= kTinyPivot)) return false;
    std::swap(a[best], a[col]);
    for (int r = col + 1; r < 3; ++r) {
      const double f = a[r][col] / a[col][col];
      for (int k = col; k < 4; ++k) a[r][k] -= f * a[col][k];
    }
  }
  for (int col = 2; col >= 0; --col) {
    double sum = a[col][3];
    for (int k = col + 1; k < 3; ++k) sum -= a[col][k] * w[k + 1];
    w[col + 1] = sum / a[col][col];
  }
  w[0] = 1.0 - w[1] - w[2] - w[3];
  return true;
}

// The same for a flat tetrahedron, whose corners span less than a volume: p
// must lie on one of its faces, edges or corners.
bool SolveFlat(const double v[4][3], const double p[3], double w[4]) {
  const auto holds = [&](std::initializer_list<int> corners) {
    double q[3] = {0, 0, 0};
    for (int i : corners) {
      for (int c = 0; c < 3; ++c) q[c] += w[i] * v[i][c];
    }
    for (int c = 0; c < 3; ++c) {
      if (!(std::fabs(q[c] - p[c]) <= kTinyPivot)) return false;
    }
    for (int i : corners) {
      if (!(w[i] >= -kWeightSlack && w[i] <= 1.0 + kWeightSlack)) return false;
    }
    return true;
  };
  static constexpr int kFaces[4][3] = {{0, 1, 2}, {0, 1, 3}, {0, 2, 3}, {1, 2, 3}};
  for (const auto& f : kFaces) {
    double e1[3], e2[3], d[3];
    for (int c = 0; c < 3; ++c) {
      e1[c] = v[f[1]][c] - v[f[0]][c], e2[c] = v[f[2]][c] - v[f[0]][c], d[c] = p[c] - v[f[0]][c];
    }
    const double g11 = Dot(e1, e1), g12 = Dot(e1, e2), g22 = Dot(e2, e2);
    const double det = g11 * g22 - g12 * g12;
    if (!(det > 0.0)) continue;
    std::fill(w, w + 4, 0.0);
    w[f[1]] = (g22 * Dot(d, e1) - g12 * Dot(d, e2)) / det;
    w[f[2]] = (g11 * Dot(d, e2) - g12 * Dot(d, e1)) / det;
    w[f[0]] = 1.0 - w[f[1]] - w[f[2]];
    if (holds({f[0], f[1], f[2]})) return true;
  }
  for (int i = 0; i < 4; ++i) {
    for (int j = i + 1; j < 4; ++j) {
      double e[3], d[3];
      for (int c = 0; c < 3; ++c) e[c] = v[j][c] - v[i][c], d[c] = p[c] - v[i][c];
      const double length = Dot(e, e);
      if (!(length > 0.0)) continue;
      std::fill(w, w + 4, 0.0);
      w[j] = Dot(d, e) / length;
      w[i] = 1.0 - w[j];
      if (holds({i, j})) return true;
    }
  }
  for (int i = 0; i < 4; ++i) {
    std::fill(w, w + 4, 0.0);
    w[i] = 1.0;
    if (holds({i})) return true;
  }
  return false;
}

// The position inside a cell (fractions along red, green and blue) whose
// tetrahedral interpolation gives p; corners by offset, red in bit 0.
bool SolveTetrahedral(const double corner[8][3], const double p[3], double x[3]) {
  const auto corner_of = [](const int offset[3]) { return offset[0] | offset[1] << 1 | offset[2] << 2; };
  for (const auto& tetrahedron : kTetrahedra) {
    const int* o1 = tetrahedron[0];
    const int* o2 = tetrahedron[1];
    double v[4][3], w[4];
    std::copy_n(corner[0], 3, v[0]);
    std::copy_n(corner[corner_of(o1)], 3, v[1]);
    std::copy_n(corner[corner_of(o2)], 3, v[2]);
    std::copy_n(corner[7], 3, v[3]);
    if (SolveTetrahedron(v, p, w)) {
      if (!(w[1] >= -kWeightSlack && w[2] >= -kWeightSlack && w[3] >= -kWeightSlack &&
            w[1] + w[2] + w[3] <= 1.0 + kWeightSlack)) {
        continue;
      }
    } else if (!SolveFlat(v, p, w)) {
      continue;
    }
    for (int c = 0; c < 3; ++c) x[c] = w[1] * o1[c] + w[2] * o2[c] + w[3];
    return true;
  }
  return false;
}

// The same for trilinear interpolation: Newton's method on the cell's
// polynomial a + er u + eg v + eb w + erg uv + erb uw + egb vw + ergb uvw from
// the middle of the cell, damped a little (Levenberg-Marquardt) so that a
// cell flat in some direction still converges on the colours it holds.
bool SolveTrilinear(const double c[8][3], const double p[3], double x[3]) {
  double k[8][3];  // a, er, eg, eb, erg, erb, egb, ergb per channel
  for (int ch = 0; ch < 3; ++ch) {
    k[0][ch] = c[0][ch];
    k[1][ch] = c[1][ch] - c[0][ch];
    k[2][ch] = c[2][ch] - c[0][ch];
    k[3][ch] = c[4][ch] - c[0][ch];
    k[4][ch] = c[3][ch] - c[1][ch] - c[2][ch] + c[0][ch];
    k[5][ch] = c[5][ch] - c[1][ch] - c[4][ch] + c[0][ch];
    k[6][ch] = c[6][ch] - c[2][ch] - c[4][ch] + c[0][ch];
    k[7][ch] = c[7][ch] - c[3][ch] - c[5][ch] - c[6][ch] + c[1][ch] + c[2][ch] + c[4][ch] - c[0][ch];
  }
  const double tolerance = 1e-12 * std::max({1.0, std::fabs(p[0]), std::fabs(p[1]), std::fabs(p[2])});
  double u = 0.5, v = 0.5, w = 0.5;
  for (int iteration = 0; iteration < 24; ++iteration) {
    double r[3], j[3][3];
    double largest = 0.0;
    for (int ch = 0; ch < 3; ++ch) {
      r[ch] = k[0][ch] + k[1][ch] * u + k[2][ch] * v + k[3][ch] * w + k[4][ch] * u * v + k[5][ch] * u * w +
              k[6][ch] * v * w + k[7][ch] * u * v * w - p[ch];
      j[ch][0] = k[1][ch] + k[4][ch] * v + k[5][ch] * w + k[7][ch] * v * w;
      j[ch][1] = k[2][ch] + k[4][ch] * u + k[6][ch] * w + k[7][ch] * u * w;
      j[ch][2] = k[3][ch] + k[5][ch] * u + k[6][ch] * v + k[7][ch] * u * v;
      largest = std::max(largest, std::fabs(r[ch]));
    }
    if (!(largest == largest)) return false;  // NaN corners
    if (largest <= tolerance) {
      const double at[3] = {u, v, w};
      for (int i = 0; i < 3; ++i) {
        if (!(at[i] >= -kWeightSlack && at[i] <= 1.0 + kWeightSlack)) return false;
        x[i] = std::clamp(at[i], 0.0, 1.0);
      }
      return true;
    }
    // (J^T J + mu I) d = -J^T r, solved by Cramer's rule.
    double a[3][3], g[3];
    for (int i = 0; i < 3; ++i) {
      g[i] = -(j[0][i] * r[0] + j[1][i] * r[1] + j[2][i] * r[2]);
      for (int m = 0; m < 3; ++m) a[i][m] = j[0][i] * j[0][m] + j[1][i] * j[1][m] + j[2][i] * j[2][m];
    }
    const double mu = 1e-13 * (a[0][0] + a[1][1] + a[2][2]) + 1e-300;
    for (int i = 0; i < 3; ++i) a[i][i] += mu;
    const auto det3 = [](const double m[3][3]) {
      return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
             m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    const double det = det3(a);
    if (!(std::fabs(det) > 0.0)) return false;
    double step[3];
    for (int col = 0; col < 3; ++col) {
      double m[3][3];
      for (int i = 0; i < 3; ++i)
        for (int n = 0; n < 3; ++n) m[i][n] = n == col ? g[i] : a[i][n];
      step[col] = det3(m) / det;
    }
    u += step[0], v += step[1], w += step[2];
    // A cell that does not hold the colour sends the position far outside.
    if (iteration >= 2 && !(u > -1.0 && u < 2.0 && v > -1.0 && v < 2.0 && w > -1.0 && w < 2.0)) return false;
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// TGridSearch

TGridSearch::TGridSearch(const TLUT& table, TInterpolation interpolation, bool grown)
    : table_(&table), interpolation_(interpolation), points_(table.Size3D()), grown_(grown) {
  BoundCells();
  FillBuckets();
}

const TLUTEntry& TGridSearch::Point(int r, int g, int b) const {
  const auto n = static_cast<std::size_t>(points_);
  return table_->Data3D()[(static_cast<std::size_t>(b) * n + static_cast<std::size_t>(g)) * n +
                          static_cast<std::size_t>(r)];
}

void TGridSearch::BoundCells() {
  const int cells = points_ - 1;
  const std::size_t cell_count = static_cast<std::size_t>(cells) * cells * cells;
  bounds_.resize(6 * cell_count);
  if (grown_) cones_.resize(kConeFloats * cell_count);
  // Each cell's bounds are its own: the lower and upper layers side by side.
  if (cell_count < kSharedCells) return BoundLayers(0, cells);
  RunAlongside([&] { BoundLayers(0, cells / 2); }, [&] { BoundLayers(cells / 2, cells); });
}

void TGridSearch::BoundLayers(int first, int end) {
  const int cells = points_ - 1;
  for (int b = first; b < end; ++b)
    for (int g = 0; g < cells; ++g)
      for (int r = 0; r < cells; ++r) {
        double lo[3], hi[3];
        for (int c = 0; c < 3; ++c) lo[c] = std::numeric_limits<double>::max(), hi[c] = -lo[c];
        for (int corner = 0; corner < 8; ++corner) {
          const TLUTEntry& e = Point(r + (corner & 1), g + (corner >> 1 & 1), b + (corner >> 2));
          const double v[3] = {e.R, e.G, e.B};
          for (int c = 0; c < 3; ++c) lo[c] = std::min(lo[c], v[c]), hi[c] = std::max(hi[c], v[c]);
        }
        const std::size_t cell = (static_cast<std::size_t>(b) * cells + g) * cells + r;
        float* box = bounds_.data() + 6 * cell;
        for (int c = 0; c < 3; ++c) box[c] = Below(lo[c]) - kBoundsSlack, box[3 + c] = Above(hi[c]) + kBoundsSlack;
        if (grown_) BoundCone(r, g, b, cones_.data() + kConeFloats * cell);
      }
}

void TGridSearch::BoundCone(int r, int g, int b, float* cone) const {
  // The corners seen from mid-grey: a cell lies in the cone they span, and
  // along its axis no nearer than its nearest corner. A cell whose corners
  // spread too wide (or reach mid-grey) gets no cone.
  double toward[8][3], axis[3] = {0, 0, 0}, length[8];
  for (int corner = 0; corner < 8; ++corner) {
    const TLUTEntry& e = Point(r + (corner & 1), g + (corner >> 1 & 1), b + (corner >> 2));
    toward[corner][0] = e.R - 0.5, toward[corner][1] = e.G - 0.5, toward[corner][2] = e.B - 0.5;
    length[corner] = std::sqrt(Dot(toward[corner], toward[corner]));
    if (!(length[corner] > 1e-9) || !std::isfinite(length[corner])) return void(cone[3] = -2.0f);
    for (int c = 0; c < 3; ++c) axis[c] += toward[corner][c] / length[corner];
  }
  const double norm = std::sqrt(Dot(axis, axis));
  if (!(norm > 1e-9)) return void(cone[3] = -2.0f);
  for (double& a : axis) a /= norm;
  double cosine = 1.0, nearest = std::numeric_limits<double>::max(), farthest = 0.0;
  for (int corner = 0; corner < 8; ++corner) {
    const double along = Dot(toward[corner], axis);
    cosine = std::min(cosine, along / length[corner]);
    nearest = std::min(nearest, along);
    farthest = std::max(farthest, length[corner]);
  }
  if (!(cosine > 0.01)) return void(cone[3] = -2.0f);
  for (int c = 0; c < 3; ++c) cone[c] = static_cast<float>(axis[c]);
  // Widened for the axis held in single precision and the solve's slack.
  cone[3] = static_cast<float>(cosine - 1e-6);
  cone[4] = Below(nearest - 1e-6 * (1.0 + farthest));
}

bool TGridSearch::InCone(std::uint32_t cell, const double p[3]) const {
  const float* cone = cones_.data() + kConeFloats * static_cast<std::size_t>(cell);
  if (cone[3] < -1.0f) return true;
  const double d[3] = {p[0] - 0.5, p[1] - 0.5, p[2] - 0.5};
  const double along = d[0] * cone[0] + d[1] * cone[1] + d[2] * cone[2];
  return along >= cone[4] && along >= cone[3] * std::sqrt(Dot(d, d)) - 1e-6;
}

template <typename F>
void TGridSearch::InSearchOrder(F&& f) const {
  // The bits of the cell indexes interleaved from the highest, red lowest.
  const int cells = points_ - 1;
  int bits = 0;
  while ((1 << bits) < cells) ++bits;
  for (std::uint32_t key = 0; key < (std::uint32_t{1} << (3 * bits)); ++key) {
    int idx[3] = {0, 0, 0};
    for (int bit = 0; bit < bits; ++bit) {
      for (int c = 0; c < 3; ++c) idx[c] |= static_cast<int>((key >> (3 * bit + c)) & 1) << bit;
    }
    if (idx[0] < cells && idx[1] < cells && idx[2] < cells) {
      f(static_cast<std::uint32_t>((idx[2] * cells + idx[1]) * cells + idx[0]));
    }
  }
}

void TGridSearch::CellBuckets(std::uint32_t cell, int buckets, int lo[3], int hi[3]) const {
  const float* box = bounds_.data() + 6 * static_cast<std::size_t>(cell);
  const double last = buckets - 1;
  for (int c = 0; c < 3; ++c) {
    // (NaN bounds, of a cell of NaN corners, go to the first bucket.)
    const double from = std::floor((box[c] - lo_[c]) * scale_[c]);
    const double to = std::floor((box[3 + c] - lo_[c]) * scale_[c]);
    lo[c] = static_cast<int>(from >= 0.0 ? std::min(from, last) : 0.0);
    hi[c] = static_cast<int>(to >= 0.0 ? std::min(to, last) : 0.0);
    if (hi[c] < lo[c]) hi[c] = lo[c];
  }
}

void TGridSearch::FillBuckets() {
  // The buckets span 0..1 and the values of the table's own points, whichever
  // reaches further; cells beyond go to the buckets at the edge.
  const int own = grown_ ? 1 : 0;
  double lo[3] = {0.0, 0.0, 0.0}, hi[3] = {1.0, 1.0, 1.0};
  for (int b = own; b < points_ - own; ++b)
    for (int g = own; g < points_ - own; ++g)
      for (int r = own; r < points_ - own; ++r) {
        const TLUTEntry& e = Point(r, g, b);
        const double v[3] = {e.R, e.G, e.B};
        for (int c = 0; c < 3; ++c) {
          if (!std::isfinite(v[c])) continue;
          lo[c] = std::min(lo[c], v[c]);
          hi[c] = std::max(hi[c], v[c]);
        }
      }
  std::copy_n(lo, 3, lo_);
  const std::size_t cell_count = bounds_.size() / 6;
  // Each cell's first and last bucket per channel, at the current count.
  std::vector<std::uint8_t> spans(6 * cell_count);
  const auto each_bucket = [&](std::uint32_t cell, auto&& f) {
    const std::uint8_t* span = spans.data() + 6 * static_cast<std::size_t>(cell);
    for (int b = span[2]; b <= span[5]; ++b)
      for (int g = span[1]; g <= span[4]; ++g)
        for (int r = span[0]; r <= span[3]; ++r) f((static_cast<std::size_t>(b) * buckets_ + g) * buckets_ + r);
  };
  // As fine as the table's own cells, but holding no more entries than the
  // limit (the cells of a table that folds span it all).
  buckets_ = std::clamp(points_ - 1 - 2 * own, 1, kMaxBuckets);
  for (;;) {
    for (int c = 0; c < 3; ++c) scale_[c] = buckets_ / (hi[c] - lo[c]);
    std::size_t entries = 0;
    for (std::uint32_t cell = 0; cell < cell_count; ++cell) {
      int from[3], to[3];
      CellBuckets(cell, buckets_, from, to);
      std::uint8_t* span = spans.data() + 6 * static_cast<std::size_t>(cell);
      for (int c = 0; c < 3; ++c) span[c] = static_cast<std::uint8_t>(from[c]), span[3 + c] = static_cast<std::uint8_t>(to[c]);
      entries += static_cast<std::size_t>(to[0] - from[0] + 1) * (to[1] - from[1] + 1) * (to[2] - from[2] + 1);
    }
    if (entries <= kMaxBucketEntries || buckets_ == 1) break;
    buckets_ /= 2;
  }
  // Counted first, then filled in search order (generated as it goes).
  const std::size_t bucket_count = static_cast<std::size_t>(buckets_) * buckets_ * buckets_;
  start_.assign(bucket_count + 1, 0);
  for (std::uint32_t cell = 0; cell < cell_count; ++cell) each_bucket(cell, [&](std::size_t k) { ++start_[k + 1]; });
  for (std::size_t k = 0; k < bucket_count; ++k) start_[k + 1] += start_[k];
  cells_.resize(start_[bucket_count]);
  // Filled from each bucket's start, which moves up to the next one's; then
  // put back.
  InSearchOrder([&](std::uint32_t cell) { each_bucket(cell, [&](std::size_t k) { cells_[start_[k]++] = cell; }); });
  std::copy_backward(start_.begin(), start_.end() - 2, start_.end() - 1);
  start_[0] = 0;
}

bool TGridSearch::HoldsIn(std::uint32_t cell, const double p[3], double position[3]) const {
  const int cells = points_ - 1;
  const int base[3] = {static_cast<int>(cell % cells), static_cast<int>(cell / cells % cells),
                       static_cast<int>(cell / cells / cells)};
  // The cell's corners by their offsets, red in bit 0, green 1, blue 2.
  double corner[8][3];
  for (int i = 0; i < 8; ++i) {
    const TLUTEntry& e = Point(base[0] + (i & 1), base[1] + (i >> 1 & 1), base[2] + (i >> 2));
    corner[i][0] = e.R, corner[i][1] = e.G, corner[i][2] = e.B;
  }
  double x[3];
  const bool held = interpolation_ == TInterpolation::Tetrahedral ? SolveTetrahedral(corner, p, x)
                                                                  : SolveTrilinear(corner, p, x);
  if (!held) return false;
  for (int c = 0; c < 3; ++c) position[c] = base[c] + x[c];
  return true;
}

TSearchResult TGridSearch::Find(const TColor& colour, TColor& position, long long& budget) const {
  const double p[3] = {colour.R, colour.G, colour.B};
  std::size_t bucket = 0;
  for (int c = 2; c >= 0; --c) {
    if (std::isnan(p[c])) return TSearchResult::Missed;
    const double at = std::clamp(std::floor((p[c] - lo_[c]) * scale_[c]), 0.0, static_cast<double>(buckets_ - 1));
    bucket = bucket * static_cast<std::size_t>(buckets_) + static_cast<std::size_t>(at);
  }
  for (std::size_t k = start_[bucket]; k < start_[bucket + 1]; ++k) {
    const std::uint32_t cell = cells_[k];
    const float* box = bounds_.data() + 6 * static_cast<std::size_t>(cell);
    if (p[0] < box[0] || p[1] < box[1] || p[2] < box[2] || p[0] > box[3] || p[1] > box[4] || p[2] > box[5]) continue;
    if (grown_ && !InCone(cell, p)) continue;
    if (--budget < 0) return TSearchResult::Exhausted;
    double at[3];
    if (HoldsIn(cell, p, at)) {
      position = TColor{at[0], at[1], at[2]};
      return TSearchResult::Found;
    }
  }
  return TSearchResult::Missed;
}

}  // namespace zelvo
