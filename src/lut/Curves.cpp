#include "lut/Curves.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "lut/Resample.h"

namespace zelvo {

namespace {

// A straight line through the input domain, from black to a colour whose
// channels are 0 (the domain's minimum) or 1 (its maximum).
struct TRamp {
  const char* Name;
  TLUTEntry End;
};

constexpr TRamp kChannels[] = {
    {"Red", {1, 0, 0}},
    {"Green", {0, 1, 0}},
    {"Blue", {0, 0, 1}},
};

constexpr TRamp kRamps[] = {
    {"Grey axis", {1, 1, 1}},     {"Black to red", {1, 0, 0}},  {"Black to green", {0, 1, 0}},
    {"Black to blue", {0, 0, 1}}, {"Black to cyan", {0, 1, 1}}, {"Black to magenta", {1, 0, 1}},
    {"Black to yellow", {1, 1, 0}},
};

double Lerp(double from, double to, double t) { return from + (to - from) * t; }

// The point at t (0..1) of a ramp through the domain. A channel curve of a
// 1D LUT moves its channels together along the grey axis; each output channel
// depends on its own input only.
TLUTEntry RampPoint(const TLUTDomain& domain, const TLUTEntry& end, double t) {
  return TLUTEntry{Lerp(domain.Min.R, domain.Max.R, t * end.R), Lerp(domain.Min.G, domain.Max.G, t * end.G),
                   Lerp(domain.Min.B, domain.Max.B, t * end.B)};
}

// The input value drawn along the horizontal axis: the first channel that moves.
double DrawnInput(const TLUTEntry& in, const TLUTEntry& end) {
  if (end.R > 0) return in.R;
  if (end.G > 0) return in.G;
  return in.B;
}

void Widen(double value, double& low, double& high) {
  if (!std::isfinite(value)) return;
  low = std::min(low, value);
  high = std::max(high, value);
}

}  // namespace

TCurveSet SampleCurves(const TLUT& lut, int points, TCurveForm form) {
  TCurveSet set;
  if (lut.Kind == TLUTKind::lkNone || !HasUsableTable(lut)) return set;
  const std::size_t n = static_cast<std::size_t>(std::clamp(points, 2, kMaxCurvePoints));
  const TLUTDomain& domain = lut.InputDomain();
  const bool channels = form == TCurveForm::cfOwn && lut.Kind == TLUTKind::lk1D;
  const TRamp* first = channels ? std::begin(kChannels) : std::begin(kRamps);
  const TRamp* last = channels ? std::end(kChannels) : std::end(kRamps);

  // Every curve's inputs in one run, evaluated at once.
  std::vector<TLUTEntry> inputs;
  inputs.reserve(n * static_cast<std::size_t>(last - first));
  for (const TRamp* ramp = first; ramp != last; ++ramp) {
    const TLUTEntry end = channels ? TLUTEntry{1, 1, 1} : ramp->End;
    for (std::size_t i = 0; i < n; ++i) inputs.push_back(RampPoint(domain, end, static_cast<double>(i) / (n - 1)));
  }
  std::vector<TLUTEntry> outputs(inputs.size());
  EvaluateLUTSpan(lut, inputs.data(), outputs.data(), inputs.size());

  set.InputMin = std::min({domain.Min.R, domain.Min.G, domain.Min.B});
  set.InputMax = std::max({domain.Max.R, domain.Max.G, domain.Max.B});
  std::size_t at = 0;
  for (const TRamp* ramp = first; ramp != last; ++ramp) {
    TCurve& curve = set.Curves.emplace_back();
    curve.Name = ramp->Name;
    curve.Colour = ramp->End;
    for (int c = 0; c < 3; ++c) curve.Shows[c] = !channels || c == ramp - first;
    curve.Inputs.reserve(n);
    for (std::size_t i = 0; i < n; ++i, ++at) {
      curve.Inputs.push_back(DrawnInput(inputs[at], ramp->End));
      const TLUTEntry& out = outputs[at];
      if (curve.Shows[0]) Widen(out.R, set.OutputMin, set.OutputMax);
      if (curve.Shows[1]) Widen(out.G, set.OutputMin, set.OutputMax);
      if (curve.Shows[2]) Widen(out.B, set.OutputMin, set.OutputMax);
    }
    curve.Outputs.assign(outputs.begin() + static_cast<std::ptrdiff_t>(at - n),
                         outputs.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return set;
}

TCurvePair SampleCurvePair(const TLUT& first, const TLUT& second, int points) {
  TCurvePair pair{SampleCurves(first, points), SampleCurves(second, points)};
  if (pair.First.Curves.empty() || pair.Second.Curves.empty()) return pair;
  // A 1D LUT beside a 3D one is drawn along the 3D one's ramps.
  if (pair.First.Curves.size() != pair.Second.Curves.size()) {
    TCurveSet& channels = pair.First.Curves.size() < pair.Second.Curves.size() ? pair.First : pair.Second;
    channels = SampleCurves(&channels == &pair.First ? first : second, points, TCurveForm::cfRamps);
  }
  for (TCurveSet* set : {&pair.First, &pair.Second}) {
    TCurveSet& other = set == &pair.First ? pair.Second : pair.First;
    set->InputMin = std::min(set->InputMin, other.InputMin);
    set->InputMax = std::max(set->InputMax, other.InputMax);
    set->OutputMin = std::min(set->OutputMin, other.OutputMin);
    set->OutputMax = std::max(set->OutputMax, other.OutputMax);
  }
  return pair;
}

}  // namespace zelvo
