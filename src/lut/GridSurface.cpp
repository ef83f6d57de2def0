// The nearest colour on the surface a table reaches: the table's six faces
// in a tree of boxes and slabs, each face cell's patch searched for the point
// nearest to a colour.
#include <algorithm>
#include <cmath>
#include <limits>

#include "lut/GridMath.h"
#include "lut/GridSearch.h"

namespace zelvo {

using grid::Above;
using grid::Below;
using grid::Dot;

// ---------------------------------------------------------------------------
// TGridSurface

namespace {

// The faces' cells held per leaf of the tree.
constexpr std::uint32_t kLeafPatches = 4;

// The point of segment a..b nearest to p, as the weight of b.
double ClosestOnSegment(const double p[3], const double a[3], const double b[3]) {
  double ab[3], ap[3];
  for (int c = 0; c < 3; ++c) ab[c] = b[c] - a[c], ap[c] = p[c] - a[c];
  const double length = Dot(ab, ab);
  return length > 0.0 ? std::clamp(Dot(ap, ab) / length, 0.0, 1.0) : 0.0;
}

// The point of triangle a b c nearest to p, as the weights of b and c (a
// gets the rest): by the region of the triangle's plane p projects into.
void ClosestOnTriangle(const double p[3], const double a[3], const double b[3], const double c[3], double& wb,
                       double& wc) {
  double ab[3], ac[3], ap[3], bp[3], cp[3];
  for (int i = 0; i < 3; ++i) {
    ab[i] = b[i] - a[i], ac[i] = c[i] - a[i], ap[i] = p[i] - a[i], bp[i] = p[i] - b[i], cp[i] = p[i] - c[i];
  }
  const double d1 = Dot(ab, ap), d2 = Dot(ac, ap), d3 = Dot(ab, bp), d4 = Dot(ac, bp), d5 = Dot(ab, cp),
               d6 = Dot(ac, cp);
  const double va = d3 * d6 - d5 * d4, vb = d5 * d2 - d1 * d6, vc = d1 * d4 - d3 * d2;
  wb = 0.0, wc = 0.0;
  if (d1 <= 0.0 && d2 <= 0.0) return;                 // corner a
  if (d3 >= 0.0 && d4 <= d3) return void(wb = 1.0);  // corner b
  if (d6 >= 0.0 && d5 <= d6) return void(wc = 1.0);  // corner c
  if (vc <= 0.0 && d1 >= 0.0 && d3 <= 0.0) return void(wb = ClosestOnSegment(p, a, b));
  if (vb <= 0.0 && d2 >= 0.0 && d6 <= 0.0) return void(wc = ClosestOnSegment(p, a, c));
  if (va <= 0.0 && d4 - d3 >= 0.0 && d5 - d6 >= 0.0) {
    wc = ClosestOnSegment(p, b, c);
    wb = 1.0 - wc;
    return;
  }
  const double sum = va + vb + vc;
  if (sum > 0.0) {
    wb = vb / sum, wc = vc / sum;
    return;
  }
  // A triangle without area: the nearest of its edges.
  const auto distance2 = [&](double b_weight, double c_weight) {
    double d = 0.0;
    for (int i = 0; i < 3; ++i) {
      const double q = a[i] + b_weight * ab[i] + c_weight * ac[i] - p[i];
      d += q * q;
    }
    return d;
  };
  const double t_ab = ClosestOnSegment(p, a, b), t_ac = ClosestOnSegment(p, a, c), t_bc = ClosestOnSegment(p, b, c);
  const double options[3][2] = {{t_ab, 0.0}, {0.0, t_ac}, {1.0 - t_bc, t_bc}};
  double best = std::numeric_limits<double>::infinity();
  for (const auto& o : options) {
    if (const double d = distance2(o[0], o[1]); d < best) best = d, wb = o[0], wc = o[1];
  }
}

// The colour of a bilinear patch c0 + u e1 + v e2 + u v d and its squared
// distance from p.
double PatchDistance2(const double c0[3], const double e1[3], const double e2[3], const double d[3], double u,
                      double v, const double p[3], double at[3]) {
  double sum = 0.0;
  for (int i = 0; i < 3; ++i) {
    at[i] = c0[i] + u * e1[i] + v * e2[i] + u * v * d[i];
    sum += (at[i] - p[i]) * (at[i] - p[i]);
  }
  return sum;
}

}  // namespace

TGridSurface::TGridSurface(const TLUT& table, TInterpolation interpolation)
    : table_(&table), trilinear_(interpolation == TInterpolation::Trilinear) {
  const int cells = table.Size3D() - 1;
  std::vector<TBlock> faces;
  for (std::uint8_t axis = 0; axis < 3; ++axis)
    for (std::uint8_t high = 0; high < 2; ++high) faces.push_back(TBlock{axis, high, 0, cells, 0, cells});
  const std::size_t count = 6 * static_cast<std::size_t>(cells) * static_cast<std::size_t>(cells);
  patches_.reserve(count);
  boxes_.reserve(6 * count);
  corners_.reserve(12 * count);
  nodes_.reserve(2 * count);
  nodes_.push_back(TNode{});
  Build(0, faces);
}

void TGridSurface::Build(std::uint32_t node, const std::vector<TBlock>& blocks) {
  TNode made{};
  std::vector<TBlock> halves[2];
  if (blocks.size() > 1) {
    halves[0].assign(blocks.begin(), blocks.begin() + static_cast<std::ptrdiff_t>(blocks.size() / 2));
    halves[1].assign(blocks.begin() + static_cast<std::ptrdiff_t>(blocks.size() / 2), blocks.end());
  } else {
    const TBlock& b = blocks.front();
    if ((b.I1 - b.I0) * (b.J1 - b.J0) <= static_cast<int>(kLeafPatches)) {
      // A leaf: the block's face cells and their bounds (a bilinear patch
      // lies within its corners' hull).
      made.First = static_cast<std::uint32_t>(patches_.size());
      for (int c = 0; c < 3; ++c) made.Min[c] = std::numeric_limits<float>::max(), made.Max[c] = -made.Min[c];
      for (int j = b.J0; j < b.J1; ++j)
        for (int i = b.I0; i < b.I1; ++i) {
          const TPatch patch{b.Axis, b.High, static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(j)};
          double c[4][3];
          Corners(patch, c);
          patches_.push_back(patch);
          for (const auto& corner : c) corners_.insert(corners_.end(), corner, corner + 3);
          for (int ch = 0; ch < 3; ++ch) {
            const float lo = Below(std::min({c[0][ch], c[1][ch], c[2][ch], c[3][ch]}));
            const float hi = Above(std::max({c[0][ch], c[1][ch], c[2][ch], c[3][ch]}));
            boxes_.push_back(lo);
            made.Min[ch] = std::min(made.Min[ch], lo), made.Max[ch] = std::max(made.Max[ch], hi);
          }
          for (int ch = 0; ch < 3; ++ch) boxes_.push_back(Above(std::max({c[0][ch], c[1][ch], c[2][ch], c[3][ch]})));
        }
      made.Count = static_cast<std::uint32_t>(patches_.size()) - made.First;
      BoundSlab(made, made.First, patches_.size());
      nodes_[node] = made;
      return;
    }
    // Halved across its longer side.
    TBlock low = b, high = b;
    if (b.I1 - b.I0 >= b.J1 - b.J0) low.I1 = high.I0 = (b.I0 + b.I1) / 2;
    else low.J1 = high.J0 = (b.J0 + b.J1) / 2;
    halves[0] = {low};
    halves[1] = {high};
  }
  const auto first = static_cast<std::uint32_t>(nodes_.size());
  const std::size_t first_patch = patches_.size();
  nodes_.push_back(TNode{});
  nodes_.push_back(TNode{});
  Build(first, halves[0]);
  Build(first + 1, halves[1]);
  for (int c = 0; c < 3; ++c) {
    made.Min[c] = std::min(nodes_[first].Min[c], nodes_[first + 1].Min[c]);
    made.Max[c] = std::max(nodes_[first].Max[c], nodes_[first + 1].Max[c]);
  }
  made.First = first;
  made.Count = 0;
  BoundSlab(made, first_patch, patches_.size());
  nodes_[node] = made;
}

void TGridSurface::BoundSlab(TNode& node, std::size_t first, std::size_t end) const {
  // The mean normal: the cross products of each cell's diagonals.
  double normal[3] = {0, 0, 0};
  for (std::size_t k = first; k < end; ++k) {
    const double* c = corners_.data() + 12 * k;
    double d1[3], d2[3];
    for (int i = 0; i < 3; ++i) d1[i] = c[9 + i] - c[i], d2[i] = c[6 + i] - c[3 + i];
    normal[0] += d1[1] * d2[2] - d1[2] * d2[1];
    normal[1] += d1[2] * d2[0] - d1[0] * d2[2];
    normal[2] += d1[0] * d2[1] - d1[1] * d2[0];
  }
  const double length = std::sqrt(Dot(normal, normal));
  node.Lo = -std::numeric_limits<float>::infinity();
  node.Hi = std::numeric_limits<float>::infinity();
  for (int i = 0; i < 3; ++i) node.N[i] = 0.0f;
  if (!(length > 0.0) || !std::isfinite(length)) return;
  for (int i = 0; i < 3; ++i) node.N[i] = static_cast<float>(normal[i] / length);
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (std::size_t k = first; k < end; ++k) {
    for (int corner = 0; corner < 4; ++corner) {
      const double* c = corners_.data() + 12 * k + 3 * corner;
      const double along = node.N[0] * c[0] + node.N[1] * c[1] + node.N[2] * c[2];
      lo = std::min(lo, along), hi = std::max(hi, along);
    }
  }
  if (lo <= hi) node.Lo = Below(lo), node.Hi = Above(hi);
}

double TGridSurface::LowerBound2(const TNode& node, const double p[3]) const {
  double box = 0.0;
  for (int c = 0; c < 3; ++c) {
    const double below = node.Min[c] - p[c], above = p[c] - node.Max[c];
    const double out = below > 0.0 ? below : above > 0.0 ? above : 0.0;
    box += out * out;
  }
  const double along = node.N[0] * p[0] + node.N[1] * p[1] + node.N[2] * p[2];
  const double off = along > node.Hi ? along - node.Hi : node.Lo > along ? node.Lo - along : 0.0;
  // (The normal, held in single precision, may be a little longer than 1.)
  const double slab = off * (1.0 - 1e-6);
  return box > slab * slab ? box : slab * slab;
}

void TGridSurface::Corners(const TPatch& patch, double c[4][3]) const {
  const int n = table_->Size3D();
  const int a1 = patch.Axis == 0 ? 1 : 0;
  const int a2 = patch.Axis == 2 ? 1 : 2;
  for (int k = 0; k < 4; ++k) {
    int idx[3];
    idx[patch.Axis] = patch.High ? n - 1 : 0;
    idx[a1] = patch.I + (k & 1);
    idx[a2] = patch.J + (k >> 1);
    const TLUTEntry& e = table_->Table3D(idx[0], idx[1], idx[2]);
    c[k][0] = e.R, c[k][1] = e.G, c[k][2] = e.B;
  }
}

double TGridSurface::Distance2(std::size_t patch, const double p[3], double limit, double uv[2],
                                double at[3]) const {
  const double* flat = corners_.data() + 12 * patch;
  const double(*c)[3] = reinterpret_cast<const double(*)[3]>(flat);
  double twist[3];
  for (int i = 0; i < 3; ++i) twist[i] = c[3][i] - c[1][i] - c[2][i] + c[0][i];
  // A triangle whose plane lies beyond the limit (widened by the patch's
  // reach beyond its triangles, when it is bilinear) is passed over.
  const double widen = trilinear_ ? 0.25 * std::sqrt(Dot(twist, twist)) : 0.0;
  const double beyond = widen > 0.0 ? (std::sqrt(limit) + widen) * (std::sqrt(limit) + widen) : limit;
  // The two triangles of the cell split along its diagonal from corner 0 to
  // corner 3, as tetrahedral interpolation reads a face.
  double best = std::numeric_limits<double>::infinity();
  for (int t = 0; t < 2; ++t) {
    const double* b = t == 0 ? c[1] : c[2];
    double e1[3], e2[3], ap[3];
    for (int i = 0; i < 3; ++i) e1[i] = b[i] - c[0][i], e2[i] = c[3][i] - c[0][i], ap[i] = p[i] - c[0][i];
    const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    const double area2 = Dot(n, n), height = Dot(n, ap);
    if (area2 > 0.0 && height * height >= beyond * area2) continue;
    double wb, wc, q[3], d = 0.0;
    ClosestOnTriangle(p, c[0], b, c[3], wb, wc);
    for (int i = 0; i < 3; ++i) {
      q[i] = c[0][i] + wb * (b[i] - c[0][i]) + wc * (c[3][i] - c[0][i]);
      d += (q[i] - p[i]) * (q[i] - p[i]);
    }
    if (!(d < best)) continue;
    best = d;
    std::copy_n(q, 3, at);
    uv[0] = t == 0 ? wb + wc : wc;
    uv[1] = t == 0 ? wc : wb + wc;
  }
  if (!(best < std::numeric_limits<double>::infinity())) return std::max(best, limit);
  if (!trilinear_) return best;
  // A bilinear patch lies within a quarter of its twist d of the triangles:
  // one that cannot come below the limit is not refined.
  double e1[3], e2[3];
  const double* d = twist;
  for (int i = 0; i < 3; ++i) e1[i] = c[1][i] - c[0][i], e2[i] = c[2][i] - c[0][i];
  const double reach = std::sqrt(best) - widen;
  if (reach > 0.0 && reach * reach >= limit) return std::max(best, limit);
  // Newton's method on the squared distance from the triangles' answer, kept
  // inside the cell.
  double u = uv[0], v = uv[1];
  double f = PatchDistance2(c[0], e1, e2, d, u, v, p, at);
  for (int iteration = 0; iteration < 8; ++iteration) {
    double bu[3], bv[3], r[3];
    for (int i = 0; i < 3; ++i) bu[i] = e1[i] + v * d[i], bv[i] = e2[i] + u * d[i], r[i] = at[i] - p[i];
    const double gu = Dot(bu, r), gv = Dot(bv, r);
    const double huu = Dot(bu, bu), hvv = Dot(bv, bv), huv = Dot(bu, bv) + Dot(r, d);
    const double det = huu * hvv - huv * huv;
    double su, sv;
    if (det > 0.0 && huu > 0.0) {
      su = -(hvv * gu - huv * gv) / det, sv = -(huu * gv - huv * gu) / det;
    } else {
      const double scale = huu + hvv;
      if (!(scale > 0.0)) break;
      su = -gu / scale, sv = -gv / scale;
    }
    bool better = false;
    for (int halving = 0; halving < 6 && !better; ++halving, su *= 0.5, sv *= 0.5) {
      const double nu = std::clamp(u + su, 0.0, 1.0), nv = std::clamp(v + sv, 0.0, 1.0);
      double q[3];
      const double nf = PatchDistance2(c[0], e1, e2, d, nu, nv, p, q);
      if (nf < f) {
        better = true;
        const double moved = std::fabs(nu - u) + std::fabs(nv - v);
        u = nu, v = nv, f = nf;
        std::copy_n(q, 3, at);
        if (moved < 1e-14) iteration = 8;
      }
    }
    if (!better) break;
  }
  PatchDistance2(c[0], e1, e2, d, u, v, p, at);
  uv[0] = u, uv[1] = v;
  return f;
}

void TGridSurface::Nearest(const TColor& colour, TColor& position, TColor& nearest, std::uint32_t& hint) const {
  // Far-off and undefined colours measured from a finite point.
  const auto finite = [](double v) { return v == v ? std::clamp(v, -1e30, 1e30) : 0.0; };
  const double p[3] = {finite(colour.R), finite(colour.G), finite(colour.B)};
  double best = std::numeric_limits<double>::infinity();
  std::uint32_t best_patch = hint < patches_.size() ? hint : 0;
  double best_uv[2] = {0.0, 0.0}, best_at[3] = {0.0, 0.0, 0.0};
  best = Distance2(best_patch, p, std::numeric_limits<double>::infinity(), best_uv, best_at);
  const auto box_distance2 = [&](const TNode& node) { return LowerBound2(node, p); };
  // Nodes still to look into, with their distance when they were put there.
  struct TPending {
    std::uint32_t Node;
    double Distance2;
  };
  TPending stack[96];
  int depth = 0;
  stack[depth++] = TPending{0, box_distance2(nodes_[0])};
  while (depth > 0) {
    const TPending pending = stack[--depth];
    if (!(pending.Distance2 < best)) continue;
    const TNode& node = nodes_[pending.Node];
    if (node.Count > 0) {
      for (std::uint32_t k = node.First; k < node.First + node.Count; ++k) {
        const float* box = boxes_.data() + 6 * static_cast<std::size_t>(k);
        double outside = 0.0;
        for (int c = 0; c < 3; ++c) {
          const double out = std::max({box[c] - p[c], 0.0, p[c] - box[3 + c]});
          outside += out * out;
        }
        if (!(outside < best)) continue;
        double uv[2], at[3];
        const double d = Distance2(k, p, best, uv, at);
        if (d < best) {
          best = d, best_patch = k;
          std::copy_n(uv, 2, best_uv);
          std::copy_n(at, 3, best_at);
        }
      }
      continue;
    }
    // The nearer child is looked into first; a child beyond the best so far
    // not at all.
    const double near0 = box_distance2(nodes_[node.First]), near1 = box_distance2(nodes_[node.First + 1]);
    const TPending first{near0 <= near1 ? node.First : node.First + 1, std::min(near0, near1)};
    const TPending second{near0 <= near1 ? node.First + 1 : node.First, std::max(near0, near1)};
    if (second.Distance2 < best && depth < 95) stack[depth++] = second;
    if (first.Distance2 < best && depth < 96) stack[depth++] = first;
  }
  const TPatch& patch = patches_[best_patch];
  const double last = table_->Size3D() - 1;
  double at[3];
  at[patch.Axis] = patch.High ? last : 0.0;
  at[patch.Axis == 0 ? 1 : 0] = patch.I + best_uv[0];
  at[patch.Axis == 2 ? 1 : 2] = patch.J + best_uv[1];
  position = TColor{at[0], at[1], at[2]};
  nearest = TColor{best_at[0], best_at[1], best_at[2]};
  hint = best_patch;
}

}  // namespace zelvo
