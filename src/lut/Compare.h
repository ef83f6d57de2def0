// Comparing two LUTs: how far apart their outputs are over the inputs both
// cover, per channel, in code steps of a depth, and as a colour difference
// (CIEDE2000) for a colourist's eye.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "lut/ColorDifference.h"
#include "lut/Resample.h"

namespace zelvo {

// "srgb", "linear", "none": the words of the command line and of the JSON report.
const char* CompareSpaceName(TCompareSpace space);
bool ParseCompareSpace(std::string_view text, TCompareSpace& space);
// The sentence that says how the colour difference takes the values; shown
// wherever a colour difference is.
const char* CompareSpaceAssumption(TCompareSpace space);

inline constexpr int kMinCompareGrid = 2;
inline constexpr int kMaxCompareGrid = 129;
inline constexpr int kMaxCompareDepth = 32;

struct TCompareOptions {
  // Points per axis of the even grid over the common inputs (2 to 129).
  int Grid = 17;
  // The depth whose code steps, 1 / (2^DepthBits - 1), differences are told in (1 to 32).
  int DepthBits = 10;
  TCompareSpace Space = TCompareSpace::csSRGB;
  // The largest difference of a channel that still counts as the same output;
  // below 0: half a code step of DepthBits.
  double Threshold = -1.0;
};

// Where a largest difference is: the input and the outputs of both LUTs there.
struct TCompareSpot {
  TColor Input;
  TColor A;
  TColor B;
};

struct TChannelDifference {
  double Max = 0.0;
  double Mean = 0.0;
  TCompareSpot At;
};

struct TCompareReport {
  // The options the comparison ran with, the threshold resolved.
  TCompareOptions Options;
  // The inputs both LUTs cover, over which the inputs were spread.
  TLUTDomain Domain;
  // Inputs compared: the even grid and the grid points of both LUTs, each once.
  std::size_t Inputs = 0;
  // Absolute differences of red, green and blue. A difference that is not a
  // number (an output that is not) counts as infinite.
  std::array<TChannelDifference, 3> Channels;
  // The channel of the largest difference (0 red, 1 green, 2 blue).
  int WorstChannel = 0;
  // CIEDE2000 between the outputs, taken as Options.Space says (0 for csNone).
  double MaxDE = 0.0;
  double MeanDE = 0.0;
  TCompareSpot MaxDEAt;
  // Inputs where some channel differs by more than the threshold. Rounding of
  // the arithmetic (a few units in the last place of the outputs) does not count.
  std::size_t AboveThreshold = 0;

  double MaxDifference() const { return Channels[static_cast<std::size_t>(WorstChannel)].Max; }
  const TCompareSpot& MaxDifferenceAt() const { return Channels[static_cast<std::size_t>(WorstChannel)].At; }
  // A difference in code steps of Options.DepthBits.
  double CodeSteps(double value) const;
  // AboveThreshold as a share of Inputs, 0..1.
  double ShareAboveThreshold() const;
  bool WithinThreshold() const { return AboveThreshold == 0; }
};

// Half a code step of a depth: the default threshold.
double HalfCodeStep(int bits);

// Compares the outputs of two LUTs of any kinds over the inputs both cover.
// The inputs are an even grid of options.Grid points per axis spread over the
// intersection of the two input domains, every 3D grid point of each LUT (of
// a 1D+3D LUT: the inputs its curves take onto them) and, for LUTs with
// curves, the grey ramp through the curves' entries; each input once. Raises
// EZelvoError when the domains do not overlap, a LUT has no usable table, or
// an option is out of range.
TCompareReport CompareLUTs(const TLUT& a, const TLUT& b, const TCompareOptions& options = {});

// The report for people, naming the two LUTs as given (the caller makes the
// names safe to print), and for scripts as one JSON object. Numbers are
// written the same in every locale; numbers that are not finite are null in JSON.
std::string CompareReportText(const TCompareReport& report, std::string_view name_a, std::string_view name_b);
std::string CompareReportJSON(const TCompareReport& report, std::string_view name_a, std::string_view name_b);

}  // namespace zelvo
