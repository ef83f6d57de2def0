// The InverseLUT3D node of CTF files: the grid position whose tetrahedral
// interpolation in the table gives the colour, found by the inverse 3D
// search of the LUT layer over the table grown by a point on every side.
#include <algorithm>
#include <limits>

#include "base/Errors.h"
#include "base/StringLib.h"
#include "base/XMLNode.h"
#include "formats/clf/CLFNodes.h"
#include "formats/clf/CLFReading.h"

namespace zelvo {

using namespace clf;

namespace {

// A table value as the float the search works in (at most the largest).
float AsFloat(double v) {
  constexpr double kLargest = std::numeric_limits<float>::max();
  return static_cast<float>(std::clamp(v, -kLargest, kLargest));
}

// A colour at the table's edge moved away from mid-grey, for the grown grid.
float GrownValue(double v) { return (AsFloat(v) - 0.5f) * 4.0f + 0.5f; }

}  // namespace

TCLFInverseLUT3D::TCLFInverseLUT3D(const TXMLNode& node, double in_scale) : TCLFOp(node) {
  // (Colours are found through the table's tetrahedra whatever it states.)
  IsTetrahedral(node);
  // The table holds the inputs of the inverse, at its input depth.
  ReadGrid(node, in_scale, Table);
  GrowGrid();
  Search = std::make_unique<TGridSearch>(Grown, TInterpolation::Tetrahedral, true);
}

void TCLFInverseLUT3D::GrowGrid() {
  const int n = Table.Size3D();
  const int points = n + 2;
  Grown.Kind = TLUTKind::lk3D;
  Grown.SetSize3D(points);
  const auto inner = [&](int i) { return std::clamp(i - 1, 0, n - 1); };
  TLUTEntry* v = Grown.Data3D();  // red fastest
  for (int b = 0; b < points; ++b)
    for (int g = 0; g < points; ++g)
      for (int r = 0; r < points; ++r, ++v) {
        const TLUTEntry& e = Table.Table3D(inner(r), inner(g), inner(b));
        const bool edge = r == 0 || g == 0 || b == 0 || r == points - 1 || g == points - 1 || b == points - 1;
        *v = edge ? TLUTEntry{GrownValue(e.R), GrownValue(e.G), GrownValue(e.B)}
                  : TLUTEntry{AsFloat(e.R), AsFloat(e.G), AsFloat(e.B)};
      }
}

void TCLFInverseLUT3D::Apply(TColor* colors, std::size_t count, TSearchBudget& budget) const {
  const double last = Table.Size3D() - 1;
  for (std::size_t k = 0; k < count; ++k) {
    double p[3] = {colors[k].R, colors[k].G, colors[k].B};
    for (double& v : p) v = v >= 0.0 ? std::min(v, 1.0) : 0.0;
    // A colour no cell holds becomes black.
    TColor position{1.0, 1.0, 1.0};
    if (Search->Find(TColor{p[0], p[1], p[2]}, position, budget.CellsLeft) == TSearchResult::Exhausted) {
      ELUTError e("The table of " + Quoted(Element) + " folds over itself too much to be inverted.");
      e.Position = Offset;
      e.Line = Line;
      throw e;
    }
    colors[k] = TColor{std::clamp(position.R - 1.0, 0.0, last) / last, std::clamp(position.G - 1.0, 0.0, last) / last,
                       std::clamp(position.B - 1.0, 0.0, last) / last};
  }
}

}  // namespace zelvo
