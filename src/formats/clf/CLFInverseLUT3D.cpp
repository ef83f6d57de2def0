// The InverseLUT3D node of CTF files: the grid position whose tetrahedral
// interpolation in the table gives the colour.
#include "formats/clf/CLFNodes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Errors.h"
#include "base/StringLib.h"
#include "base/XMLNode.h"
#include "formats/clf/CLFReading.h"

namespace zelvo {

using namespace clf;

// ---------------------------------------------------------------------------
// InverseLUT3D

namespace {

// The six tetrahedra of a cell around its diagonal from corner 000 to 111,
// in the order they are tried: the two corners between the ends of each, as
// red, green and blue offsets.
constexpr int kTetrahedra[6][2][3] = {{{1, 0, 0}, {1, 1, 0}}, {{1, 1, 0}, {0, 1, 0}}, {{0, 1, 0}, {0, 1, 1}},
                                      {{0, 1, 1}, {0, 0, 1}}, {{0, 0, 1}, {1, 0, 1}}, {{1, 0, 1}, {1, 0, 0}}};

// How far a weight may stray outside its tetrahedron, and the smallest pivot
// that still spans a direction.
constexpr double kWeightSlack = 1e-9;
constexpr double kTinyPivot = 1e-9;
// How far a cell's bounds reach beyond its corners.
constexpr float kBoundsSlack = 1e-6f;
// The most cell entries the buckets may hold together.
constexpr std::size_t kMaxBucketEntries = std::size_t{1} << 22;

// A table value as the float the search works in (at most the largest).
float AsFloat(double v) {
  constexpr double kLargest = std::numeric_limits<float>::max();
  return static_cast<float>(std::clamp(v, -kLargest, kLargest));
}

// A colour at the table's edge moved away from mid-grey, for the grown grid.
float GrownValue(double v) { return (AsFloat(v) - 0.5f) * 4.0f + 0.5f; }

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
  const auto dot = [](const double* x, const double* y) { return x[0] * y[0] + x[1] * y[1] + x[2] * y[2]; };
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
    const double g11 = dot(e1, e1), g12 = dot(e1, e2), g22 = dot(e2, e2);
    const double det = g11 * g22 - g12 * g12;
    if (!(det > 0.0)) continue;
    std::fill(w, w + 4, 0.0);
    w[f[1]] = (g22 * dot(d, e1) - g12 * dot(d, e2)) / det;
    w[f[2]] = (g11 * dot(d, e2) - g12 * dot(d, e1)) / det;
    w[f[0]] = 1.0 - w[f[1]] - w[f[2]];
    if (holds({f[0], f[1], f[2]})) return true;
  }
  for (int i = 0; i < 4; ++i) {
    for (int j = i + 1; j < 4; ++j) {
      double e[3], d[3];
      for (int c = 0; c < 3; ++c) e[c] = v[j][c] - v[i][c], d[c] = p[c] - v[i][c];
      const double length = dot(e, e);
      if (!(length > 0.0)) continue;
      std::fill(w, w + 4, 0.0);
      w[j] = dot(d, e) / length;
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

}  // namespace

const float* TCLFInverseLUT3D::GrownAt(int r, int g, int b) const {
  return Grown.data() + 3 * ((static_cast<std::size_t>(b) * Points + g) * Points + r);
}

TCLFInverseLUT3D::TCLFInverseLUT3D(const TXMLNode& node, double in_scale) : TCLFOp(node) {
  // (Colours are found through the table's tetrahedra whatever it states.)
  IsTetrahedral(node);
  // The table holds the inputs of the inverse, at its input depth.
  ReadGrid(node, in_scale, Table);
  GrowGrid();
  BoundCells();
  FillBuckets();
}

void TCLFInverseLUT3D::GrowGrid() {
  const int n = Table.Size3D();
  Points = n + 2;
  Grown.resize(3 * static_cast<std::size_t>(Points) * Points * Points);
  const auto inner = [&](int i) { return std::clamp(i - 1, 0, n - 1); };
  float* v = Grown.data();  // filled in GrownAt's order
  for (int b = 0; b < Points; ++b)
    for (int g = 0; g < Points; ++g)
      for (int r = 0; r < Points; ++r, v += 3) {
        const TLUTEntry& e = Table.Table3D(inner(r), inner(g), inner(b));
        const bool edge = r == 0 || g == 0 || b == 0 || r == Points - 1 || g == Points - 1 || b == Points - 1;
        v[0] = edge ? GrownValue(e.R) : AsFloat(e.R);
        v[1] = edge ? GrownValue(e.G) : AsFloat(e.G);
        v[2] = edge ? GrownValue(e.B) : AsFloat(e.B);
      }
}

void TCLFInverseLUT3D::BoundCells() {
  const int cells = Points - 1;
  const std::size_t cell_count = static_cast<std::size_t>(cells) * cells * cells;
  Bounds.resize(6 * cell_count);
  for (int b = 0; b < cells; ++b)
    for (int g = 0; g < cells; ++g)
      for (int r = 0; r < cells; ++r) {
        float* box = Bounds.data() + 6 * ((static_cast<std::size_t>(b) * cells + g) * cells + r);
        for (int c = 0; c < 3; ++c) box[c] = std::numeric_limits<float>::max(), box[3 + c] = -box[c];
        for (int corner = 0; corner < 8; ++corner) {
          const float* v = GrownAt(r + (corner & 1), g + (corner >> 1 & 1), b + (corner >> 2));
          for (int c = 0; c < 3; ++c) box[c] = std::min(box[c], v[c]), box[3 + c] = std::max(box[3 + c], v[c]);
        }
        for (int c = 0; c < 3; ++c) box[c] -= kBoundsSlack, box[3 + c] += kBoundsSlack;
      }
}

std::vector<std::uint32_t> TCLFInverseLUT3D::SearchOrder() const {
  // The bits of the cell indexes interleaved from the highest, red lowest.
  const int cells = Points - 1;
  int bits = 0;
  while ((1 << bits) < cells) ++bits;
  std::vector<std::uint32_t> order;
  order.reserve(static_cast<std::size_t>(cells) * cells * cells);
  for (std::uint32_t key = 0; key < (std::uint32_t{1} << (3 * bits)); ++key) {
    int idx[3] = {0, 0, 0};
    for (int bit = 0; bit < bits; ++bit) {
      for (int c = 0; c < 3; ++c) idx[c] |= static_cast<int>((key >> (3 * bit + c)) & 1) << bit;
    }
    if (idx[0] < cells && idx[1] < cells && idx[2] < cells) {
      order.push_back(static_cast<std::uint32_t>((idx[2] * cells + idx[1]) * cells + idx[0]));
    }
  }
  return order;
}

bool TCLFInverseLUT3D::CellBuckets(std::uint32_t cell, int buckets, int lo[3], int hi[3]) const {
  const float* box = Bounds.data() + 6 * static_cast<std::size_t>(cell);
  for (int c = 0; c < 3; ++c) {
    if (box[3 + c] < 0.0f || box[c] > 1.0f) return false;
    lo[c] = std::clamp(static_cast<int>(std::floor(static_cast<double>(box[c]) * buckets)), 0, buckets - 1);
    hi[c] = std::clamp(static_cast<int>(std::floor(static_cast<double>(box[3 + c]) * buckets)), 0, buckets - 1);
  }
  return true;
}

void TCLFInverseLUT3D::FillBuckets() {
  const std::vector<std::uint32_t> order = SearchOrder();
  // Buckets over 0..1 per channel, as fine as the table but holding no more
  // entries than the limit (the cells of a table that folds span it all).
  Buckets = std::clamp(Table.Size3D(), 1, 64);
  for (;;) {
    std::size_t entries = 0;
    for (const std::uint32_t cell : order) {
      int lo[3], hi[3];
      if (CellBuckets(cell, Buckets, lo, hi)) {
        entries += static_cast<std::size_t>(hi[0] - lo[0] + 1) * (hi[1] - lo[1] + 1) * (hi[2] - lo[2] + 1);
      }
    }
    if (entries <= kMaxBucketEntries || Buckets == 1) break;
    Buckets /= 2;
  }
  const auto each_bucket = [&](std::uint32_t cell, auto&& f) {
    int lo[3], hi[3];
    if (!CellBuckets(cell, Buckets, lo, hi)) return;
    for (int b = lo[2]; b <= hi[2]; ++b)
      for (int g = lo[1]; g <= hi[1]; ++g)
        for (int r = lo[0]; r <= hi[0]; ++r) f((static_cast<std::size_t>(b) * Buckets + g) * Buckets + r);
  };
  // Counted first, then filled in search order.
  const std::size_t bucket_count = static_cast<std::size_t>(Buckets) * Buckets * Buckets;
  BucketStart.assign(bucket_count + 1, 0);
  for (const std::uint32_t cell : order) each_bucket(cell, [&](std::size_t k) { ++BucketStart[k + 1]; });
  for (std::size_t k = 0; k < bucket_count; ++k) BucketStart[k + 1] += BucketStart[k];
  BucketCells.resize(BucketStart[bucket_count]);
  std::vector<std::uint32_t> fill(BucketStart.begin(), BucketStart.end() - 1);
  for (const std::uint32_t cell : order) each_bucket(cell, [&](std::size_t k) { BucketCells[fill[k]++] = cell; });
}

bool TCLFInverseLUT3D::Find(const double p[3], double position[3], long long& budget) const {
  const int cells = Points - 1;
  std::size_t bucket = 0;
  for (int c = 2; c >= 0; --c) {
    bucket = bucket * Buckets + static_cast<std::size_t>(std::min(static_cast<int>(p[c] * Buckets), Buckets - 1));
  }
  for (std::uint32_t k = BucketStart[bucket]; k < BucketStart[bucket + 1]; ++k) {
    const std::uint32_t cell = BucketCells[k];
    const float* box = Bounds.data() + 6 * static_cast<std::size_t>(cell);
    if (p[0] < box[0] || p[1] < box[1] || p[2] < box[2] || p[0] > box[3] || p[1] > box[4] || p[2] > box[5]) continue;
    if (--budget < 0) {
      ELUTError e("The table of " + Quoted(Element) + " folds over itself too much to be inverted.");
      e.Position = Offset;
      e.Line = Line;
      throw e;
    }
    const int base[3] = {static_cast<int>(cell % cells), static_cast<int>(cell / cells % cells),
                         static_cast<int>(cell / cells / cells)};
    // The cell's corners by their offsets, red in bit 0, green 1, blue 2.
    double corner[8][3];
    for (int i = 0; i < 8; ++i) {
      const float* c = GrownAt(base[0] + (i & 1), base[1] + (i >> 1 & 1), base[2] + (i >> 2));
      for (int ch = 0; ch < 3; ++ch) corner[i][ch] = c[ch];
    }
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
      for (int c = 0; c < 3; ++c) position[c] = base[c] + w[1] * o1[c] + w[2] * o2[c] + w[3];
      return true;
    }
  }
  return false;
}

void TCLFInverseLUT3D::Apply(TColor* colors, std::size_t count, TSearchBudget& budget) const {
  const double last = Points - 3;
  for (std::size_t k = 0; k < count; ++k) {
    double p[3] = {colors[k].R, colors[k].G, colors[k].B};
    for (double& v : p) v = v >= 0.0 ? std::min(v, 1.0) : 0.0;
    // A colour no cell holds becomes black.
    double position[3] = {1.0, 1.0, 1.0};
    Find(p, position, budget.CellsLeft);
    for (int c = 0; c < 3; ++c) position[c] = std::clamp(position[c] - 1.0, 0.0, last) / last;
    colors[k] = TColor{position[0], position[1], position[2]};
  }
}

}  // namespace zelvo
