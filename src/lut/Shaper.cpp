#include "lut/Shaper.h"

#include <algorithm>
#include <array>
#include <vector>

#include "lut/Resample.h"

namespace zelvo {

namespace {

double& Channel(TColor& c, int i) { return i == 0 ? c.R : i == 1 ? c.G : c.B; }
double ChannelOf(const TLUTEntry& c, int i) { return i == 0 ? c.R : i == 1 ? c.G : c.B; }

// Where a rising table of values 0..1 reaches `u`, as a position 0..m-1
// between its entries (the inverse of linear interpolation in it).
double PositionOf(const std::vector<double>& s, double u) {
  const auto it = std::lower_bound(s.begin(), s.end(), u);
  if (it == s.begin()) return 0.0;
  if (it == s.end()) return static_cast<double>(s.size() - 1);
  const std::size_t hi = static_cast<std::size_t>(it - s.begin());
  const double a = s[hi - 1], b = s[hi];
  return static_cast<double>(hi - 1) + (b > a ? (u - a) / (b - a) : 0.0);
}

// A shaper as rising samples 0..1 of each channel, evenly over a domain.
struct TShaperStage {
  std::array<std::vector<double>, 3> Samples;
  TLUTDomain Domain;
};

// The 1D stage of `read` in place of `stage`, where each channel still rises
// strictly over 0..1 (a curve through a shaper's points may overshoot them).
void UseIfRising(const TLUT& read, TShaperStage& stage) {
  const auto n = static_cast<std::size_t>(read.Size1D());
  if (n < 2) return;
  std::array<std::vector<double>, 3> samples;
  for (int c = 0; c < 3; ++c) {
    std::vector<double>& sc = samples[static_cast<std::size_t>(c)];
    sc.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      const double v = ChannelOf(read.Table1D(static_cast<int>(i)), c);
      if (!(v >= 0.0 && v <= 1.0) || (i > 0 && !(v > sc[i - 1]))) return;
      sc[i] = v;
    }
  }
  stage = TShaperStage{std::move(samples), read.Domain1D};
}

}  // namespace

bool BakeShaped(const TLUT& source, const TLUTDomain& domain, int grid, int shaper_size, bool one_curve,
                TLUT& target, const std::function<bool(TLUT&)>& as_read) {
  const auto m = static_cast<std::size_t>(shaper_size);
  // The inputs of the shaper's entries, and the source's greys there.
  std::vector<TColor> in(m), grey(m);
  for (std::size_t i = 0; i < m; ++i) {
    const double t = static_cast<double>(i) / static_cast<double>(m - 1);
    in[i] = TColor{domain.Min.R + t * (domain.Max.R - domain.Min.R), domain.Min.G + t * (domain.Max.G - domain.Min.G),
                   domain.Min.B + t * (domain.Max.B - domain.Min.B)};
  }
  EvaluateLUTSpan(source, in.data(), grey.data(), m);
  // Each channel's response brought onto 0..1, rising: it must be strictly
  // monotonic to be inverted.
  std::array<std::vector<double>, 3> s;
  int direction = 0;
  for (int c = 0; c < 3; ++c) {
    const double first = Channel(grey[0], c), last = Channel(grey[m - 1], c);
    if (!(last != first)) return false;
    const int dir = last > first ? 1 : -1;
    if (one_curve && direction != 0 && dir != direction) return false;
    direction = dir;
    s[static_cast<std::size_t>(c)].resize(m);
    for (std::size_t i = 0; i < m; ++i) {
      const double v = (Channel(grey[i], c) - first) / (last - first);
      if (!(v >= 0.0 && v <= 1.0) || (i > 0 && !(v > s[static_cast<std::size_t>(c)][i - 1]))) return false;
      s[static_cast<std::size_t>(c)][i] = v;
    }
  }
  if (one_curve) {
    for (std::size_t i = 0; i < m; ++i) s[0][i] = (s[0][i] + s[1][i] + s[2][i]) / 3.0;
    s[1] = s[0];
    s[2] = s[0];
  }
  TLUT shaped;
  shaped.Kind = TLUTKind::lk1DAnd3D;
  shaped.Domain1D = domain;
  shaped.Domain3D = TLUTDomain{};
  shaped.Comments = source.Comments;
  shaped.SetSize1D(shaper_size);
  for (std::size_t i = 0; i < m; ++i) {
    shaped.Table1D(static_cast<int>(i)) = TLUTEntry{s[0][i], s[1][i], s[2][i]};
  }
  // The table's points at the inputs the shaper takes onto them: the
  // shaper as the target's readers take it, where they take it otherwise
  // and it still rises.
  TShaperStage stage{s, domain};
  if (as_read) {
    TLUT read = shaped.Copy();
    if (as_read(read)) UseIfRising(read, stage);
  }
  shaped.SetSize3D(grid);
  shaped.Kind = TLUTKind::lk3D;  // the bake fills the 3D stage alone
  std::array<std::vector<double>, 3> x;
  for (int c = 0; c < 3; ++c) {
    const std::vector<double>& sc = stage.Samples[static_cast<std::size_t>(c)];
    const double from = ChannelOf(stage.Domain.Min, c), to = ChannelOf(stage.Domain.Max, c);
    const double last = static_cast<double>(sc.size() - 1);
    auto& xc = x[static_cast<std::size_t>(c)];
    xc.resize(static_cast<std::size_t>(grid));
    for (int k = 0; k < grid; ++k) {
      const double p = PositionOf(sc, static_cast<double>(k) / (grid - 1));
      xc[static_cast<std::size_t>(k)] = p >= last ? to : from + (p / last) * (to - from);
    }
  }
  BakeLUT(shaped, [&](const TColor* positions, TColor* out, std::size_t count) {
    std::vector<TColor> inputs(count);
    for (std::size_t k = 0; k < count; ++k) {
      const auto at = [&](int c, double u) {
        return x[static_cast<std::size_t>(c)][static_cast<std::size_t>(std::lround(u * (grid - 1)))];
      };
      inputs[k] = TColor{at(0, positions[k].R), at(1, positions[k].G), at(2, positions[k].B)};
    }
    EvaluateLUTSpan(source, inputs.data(), out, count);
  });
  shaped.Kind = TLUTKind::lk1DAnd3D;
  target = std::move(shaped);
  return true;
}

}  // namespace zelvo
