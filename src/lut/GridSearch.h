// Where a colour comes from in a 3D table: the grid position whose
// interpolation gives it (the exact inverse of the table's trilinear or
// tetrahedral reading), and, for a colour the table never gives, the nearest
// colour it does give. The inverse of a LUT and the inverse 3D nodes of
// process lists both search this way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lut/LUT.h"
#include "lut/Resample.h"

namespace zelvo {

// The work one bake, or one evaluation call, may spend in the inverse 3D
// search: on average so many cells per colour asked for, and a fixed amount
// beyond that, so that a table that folds everywhere ends in an error rather
// than hours of searching. It belongs to the caller, never to a search, so a
// colour's result does not depend on what was evaluated before it.
struct TSearchBudget {
  static constexpr long long kCellsPerColour = 64;
  static constexpr long long kCellsAnyway = 1LL << 20;
  long long CellsLeft = kCellsAnyway;
  static TSearchBudget ForColours(std::size_t count) {
    return TSearchBudget{kCellsPerColour * static_cast<long long>(count) + kCellsAnyway};
  }
};

enum class TSearchResult : std::uint8_t {
  Found,      // a cell holds the colour
  Missed,     // no cell does: the table never gives it
  Exhausted,  // the budget ran out first
};

// The cells of a table's grid that may hold a colour, found through buckets
// over the range of its values, each cell tried in a fixed order so that
// where the table folds and several positions give the colour, the same one
// wins whatever was asked before. A table `grown` beyond its own points by a
// layer moved away from mid-grey has cells that reach far across its colours;
// each cell's bounds then include the cone from mid-grey that holds it, so
// that those cells are passed over at once. The table is kept by reference
// and must outlive the search; it never changes, so any number of threads
// may search at once.
class TGridSearch {
 public:
  TGridSearch(const TLUT& table, TInterpolation interpolation, bool grown = false);
  TGridSearch(const TGridSearch&) = delete;
  TGridSearch& operator=(const TGridSearch&) = delete;

  // The grid position, in points per axis (0..Size3D-1), whose interpolation
  // gives `colour`. `budget` counts down the cells looked into.
  TSearchResult Find(const TColor& colour, TColor& position, long long& budget) const;

 private:
  const TLUT* table_;
  TInterpolation interpolation_;
  int points_;  // of the grid, per axis
  bool grown_;
  // Per cell: the lowest and highest of its corners, a little widened; of a
  // grown table also the cone from mid-grey: its axis, the cosine of its
  // half-angle and the nearest its corners come along the axis.
  std::vector<float> bounds_;
  std::vector<float> cones_;
  // The buckets cover lo_..lo_ + buckets_ / scale_ per channel; bucket k
  // lists the cells whose bounds meet it, in search order, at
  // cells_[start_[k] .. start_[k + 1]).
  int buckets_ = 1;
  double lo_[3] = {0, 0, 0};
  double scale_[3] = {1, 1, 1};
  std::vector<std::uint32_t> start_, cells_;

  void BoundCells();
  void BoundLayers(int first, int end);  // the cells of blue layers [first, end)
  void FillBuckets();
  // f(cell) for every cell, in search order.
  template <typename F>
  void InSearchOrder(F&& f) const;
  void CellBuckets(std::uint32_t cell, int buckets, int lo[3], int hi[3]) const;
  const TLUTEntry& Point(int r, int g, int b) const;
  void BoundCone(int r, int g, int b, float* cone) const;
  bool InCone(std::uint32_t cell, const double p[3]) const;
  bool HoldsIn(std::uint32_t cell, const double p[3], double position[3]) const;
};

// The colours a table gives to the inputs on the faces of its cube: the
// surface of every colour it reaches (of a table that does not fold), each
// face cell a pair of triangles (tetrahedral reading) or a bilinear patch
// (trilinear). The table is kept by reference, as by TGridSearch.
class TGridSurface {
 public:
  TGridSurface(const TLUT& table, TInterpolation interpolation);
  TGridSurface(const TGridSurface&) = delete;
  TGridSurface& operator=(const TGridSurface&) = delete;

  // The colour on the surface nearest to `colour` and its grid position (in
  // points per axis). `hint` is a face cell to measure first (the previous
  // answer of a run of neighbouring colours); it is set to this answer's.
  void Nearest(const TColor& colour, TColor& position, TColor& nearest, std::uint32_t& hint) const;

 private:
  struct TPatch {
    std::uint8_t Axis, High;  // the face: the axis held at 0 or at its last point
    std::uint16_t I, J;       // the lower point of the cell on the other two axes
  };
  // A node's bounds: a box, and a slab Lo <= N . x <= Hi across the mean
  // normal of its piece of surface (thin where the piece is nearly flat, so
  // that a colour far off the surface passes over the pieces beside its
  // nearest at once).
  struct TNode {
    float Min[3], Max[3];
    float N[3], Lo, Hi;
    std::uint32_t First, Count;  // a leaf's patches, or (Count 0) the children First, First + 1
  };
  const TLUT* table_;
  bool trilinear_;
  std::vector<TPatch> patches_;
  std::vector<float> boxes_;     // per patch: its corners' lowest and highest values
  std::vector<double> corners_;  // per patch: its four corners' colours
  std::vector<TNode> nodes_;

  void Corners(const TPatch& patch, double c[4][3]) const;
  // The squared distance from p to the face cell, and where on it (0..1 on
  // its two axes) and which colour is nearest; once it is sure not to come
  // below `limit`, a value not below it.
  double Distance2(std::size_t patch, const double p[3], double limit, double uv[2], double at[3]) const;
  // Rectangles of face cells: [I0, I1) x [J0, J1) on a face.
  struct TBlock {
    std::uint8_t Axis, High;
    int I0, I1, J0, J1;
  };
  // Node `node` over the blocks: the faces split in halves, then each face
  // halved across its longer side down to a few neighbouring cells a leaf,
  // so that every node's bounds hold a compact piece of the surface.
  void Build(std::uint32_t node, const std::vector<TBlock>& blocks);
  // The slab of the node over the patches [first, end).
  void BoundSlab(TNode& node, std::size_t first, std::size_t end) const;
  // No nearer to p than the node's bounds allow, squared.
  double LowerBound2(const TNode& node, const double p[3]) const;
};

}  // namespace zelvo
