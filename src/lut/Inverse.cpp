#include "lut/Inverse.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>

#include "base/Errors.h"
#include "base/LargeAlloc.h"
#include "lut/Alongside.h"

namespace zelvo {

namespace {

double ChannelValue(const TLUTEntry& e, int channel) { return channel == 0 ? e.R : channel == 1 ? e.G : e.B; }

// Runs of colours at least this long are shared between two threads.
constexpr std::size_t kThreadedRun = 4096;

}  // namespace

// ---------------------------------------------------------------------------
// TInverseCurve

TInverseCurve::TInverseCurve(const TLUTEntry* entries, std::size_t count, int channel) : values_(count) {
  for (std::size_t i = 0; i < count; ++i) {
    const double v = ChannelValue(entries[i], channel);
    values_[i] = v == v ? v : 0.0;  // an undefined entry counts as 0
  }
  if (count == 0) return;
  rising_ = values_.front() < values_.back();
  if (!rising_) {
    for (double& v : values_) v = -v;
  }
  // A reversal takes the value before it.
  for (std::size_t i = 1; i < count; ++i) values_[i] = std::max(values_[i], values_[i - 1]);
  // The flat stretches at the ends: from the last, then from the first.
  last_ = count - 1;
  while (last_ > 0 && values_[last_ - 1] == values_[count - 1]) --last_;
  first_ = 0;
  while (first_ < last_ && values_[first_ + 1] == values_[0]) ++first_;
}

double TInverseCurve::Position(double value) const {
  const std::vector<double>& v = values_;
  if (v.size() < 2) return 0.0;
  const double y = rising_ ? value : -value;
  const double scale = 1.0 / static_cast<double>(v.size() - 1);
  if (!(y > v[first_])) return static_cast<double>(first_) * scale;
  if (y >= v[last_]) return static_cast<double>(last_) * scale;
  // The first entry not below y; the one before it is below.
  const auto it = std::lower_bound(v.begin() + static_cast<std::ptrdiff_t>(first_),
                                   v.begin() + static_cast<std::ptrdiff_t>(last_) + 1, y);
  const std::size_t k = static_cast<std::size_t>(it - v.begin());
  const double f = (y - v[k - 1]) / (v[k] - v[k - 1]);
  return (static_cast<double>(k - 1) + f) * scale;
}

double TInverseCurve::Lowest() const {
  if (values_.empty()) return 0.0;
  return rising_ ? values_[first_] : -values_[last_];
}

double TInverseCurve::Highest() const {
  if (values_.empty()) return 0.0;
  return rising_ ? values_[last_] : -values_[first_];
}

// ---------------------------------------------------------------------------
// TLUTInverse

void TInverseStats::Add(const TInverseStats& other) {
  Colours += other.Colours;
  Unreached += other.Unreached;
  LargestRoundTrip = std::max(LargestRoundTrip, other.LargestRoundTrip);
}

TLUTDomain OutputRange(const TLUT& lut) {
  const TLUTEntry* values = nullptr;
  std::size_t count = 0;
  if (lut.Kind == TLUTKind::lk3D || lut.Kind == TLUTKind::lk1DAnd3D) {
    const auto n = static_cast<std::size_t>(lut.Size3D());
    values = lut.Data3D(), count = n * n * n;
  } else if (lut.Kind == TLUTKind::lk1D) {
    values = lut.Data1D(), count = static_cast<std::size_t>(lut.Size1D());
  }
  if (count == 0) return TLUTDomain{};
  double lo[3], hi[3];
  std::fill_n(lo, 3, std::numeric_limits<double>::infinity());
  std::fill_n(hi, 3, -std::numeric_limits<double>::infinity());
  for (std::size_t i = 0; i < count; ++i) {
    for (int c = 0; c < 3; ++c) {
      const double v = ChannelValue(values[i], c);
      if (!std::isfinite(v)) continue;
      lo[c] = std::min(lo[c], v);
      hi[c] = std::max(hi[c], v);
    }
  }
  TLUTDomain range;
  for (int c = 0; c < 3; ++c) {
    if (lo[c] > hi[c]) lo[c] = 0.0, hi[c] = 1.0;  // no finite value at all
  }
  range.Min = TLUTEntry{lo[0], lo[1], lo[2]};
  range.Max = TLUTEntry{hi[0], hi[1], hi[2]};
  return range;
}

TLUTInverse::TLUTInverse(std::shared_ptr<const TLUT> forward) : forward_(std::move(forward)) {
  const TLUT& lut = *forward_;
  if (lut.Kind == TLUTKind::lkChain) {
    const std::string nodes = lut.Evaluator ? " (" + lut.Evaluator->Description() + ")" : std::string();
    throw ELUTError("A process list of nodes" + nodes + " cannot be inverted; only tables (1D, 3D or both) can.");
  }
  if (!HasUsableTable(lut)) throw ELUTError("The LUT has fewer than 2 points; it cannot be inverted.");
  if (lut.Kind == TLUTKind::lk1D || lut.Kind == TLUTKind::lk1DAnd3D) {
    for (int c = 0; c < 3; ++c) curves_[c] = TInverseCurve(lut.Data1D(), static_cast<std::size_t>(lut.Size1D()), c);
  }
  if (lut.Kind == TLUTKind::lk3D || lut.Kind == TLUTKind::lk1DAnd3D) {
    // The search holds much memory for as long as it lives (a file's text
    // block, kept for reuse, is not wanted beside it).
    GiveBackKeptBlock();
    const auto make_search = [&] { search_ = std::make_unique<TGridSearch>(lut, lut.Interpolation3D); };
    const auto make_surface = [&] { surface_ = std::make_unique<TGridSurface>(lut, lut.Interpolation3D); };
    // Independent, and each takes a while on a big table.
    const auto points = static_cast<std::size_t>(lut.Size3D());
    if (points * points * points < kThreadedRun) make_search(), make_surface();
    else RunAlongside(make_search, make_surface);
  }
  // 0..1, and as far beyond as the outputs reach.
  const TLUTDomain range = OutputRange(lut);
  domain_.Min = TLUTEntry{std::min(0.0, range.Min.R), std::min(0.0, range.Min.G), std::min(0.0, range.Min.B)};
  domain_.Max = TLUTEntry{std::max(1.0, range.Max.R), std::max(1.0, range.Max.G), std::max(1.0, range.Max.B)};
}

TLUTInverse::~TLUTInverse() = default;

bool TLUTInverse::Invert3D(const TColor& colour, TColor& input, long long& budget, std::uint32_t& hint) const {
  TColor position;
  const TSearchResult result = search_->Find(colour, position, budget);
  if (result == TSearchResult::Exhausted) {
    throw ELUTError("The 3D table folds over itself too much to be inverted.");
  }
  if (result == TSearchResult::Missed) {
    TColor nearest;
    surface_->Nearest(colour, position, nearest, hint);
  }
  const TLUT& lut = *forward_;
  const double last = lut.Size3D() - 1;
  const TLUTDomain& d = lut.Domain3D;
  input = TColor{d.Min.R + position.R / last * (d.Max.R - d.Min.R), d.Min.G + position.G / last * (d.Max.G - d.Min.G),
                 d.Min.B + position.B / last * (d.Max.B - d.Min.B)};
  return result == TSearchResult::Found;
}

bool TLUTInverse::Invert1D(const TColor& colour, TColor& input) const {
  const double v[3] = {colour.R, colour.G, colour.B};
  const TLUTDomain& d = forward_->Domain1D;
  const double lo[3] = {d.Min.R, d.Min.G, d.Min.B}, hi[3] = {d.Max.R, d.Max.G, d.Max.B};
  double x[3];
  bool reached = true;
  for (int c = 0; c < 3; ++c) {
    reached = reached && v[c] >= curves_[c].Lowest() && v[c] <= curves_[c].Highest();
    x[c] = lo[c] + curves_[c].Position(v[c]) * (hi[c] - lo[c]);
  }
  input = TColor{x[0], x[1], x[2]};
  return reached;
}

void TLUTInverse::EvaluateRun(const TColor* in, TColor* out, std::size_t count, TInverseStats* stats) const {
  TSearchBudget budget = TSearchBudget::ForColours(count);
  std::uint32_t hint = 0;
  TInverseStats met;
  const TLUT& lut = *forward_;
  for (std::size_t i = 0; i < count; ++i) {
    const TColor colour = in[i];
    TColor input = colour;
    bool reached = true;
    switch (lut.Kind) {
      case TLUTKind::lk1D: reached = Invert1D(colour, input); break;
      case TLUTKind::lk3D: reached = Invert3D(colour, input, budget.CellsLeft, hint); break;
      case TLUTKind::lk1DAnd3D: {
        TColor between;
        reached = Invert3D(colour, between, budget.CellsLeft, hint);
        reached = Invert1D(between, input) && reached;
        break;
      }
      case TLUTKind::lkNone:
      case TLUTKind::lkChain: break;
    }
    out[i] = input;
    if (stats == nullptr) continue;
    ++met.Colours;
    if (!reached) {
      ++met.Unreached;
      continue;
    }
    const TColor back = EvaluateLUT(lut, input);
    const double difference = std::max(
        {std::fabs(back.R - colour.R), std::fabs(back.G - colour.G), std::fabs(back.B - colour.B)});
    if (difference > met.LargestRoundTrip) met.LargestRoundTrip = difference;
  }
  if (stats != nullptr) stats->Add(met);
}

void TLUTInverse::Evaluate(const TColor* in, TColor* out, std::size_t count, TInverseStats* stats) const {
  if (count < kThreadedRun || std::thread::hardware_concurrency() < 2) {
    EvaluateRun(in, out, count, stats);
    return;
  }
  // The search is per colour: the second half of the run on a thread of its own.
  const std::size_t half = count / 2;
  TInverseStats second;
  RunAlongside([&] { EvaluateRun(in, out, half, stats); },
               [&] { EvaluateRun(in + half, out + half, count - half, stats != nullptr ? &second : nullptr); });
  if (stats != nullptr) stats->Add(second);
}

}  // namespace zelvo
