// What a written table loses of its source, and whether the file written
// holds what its source means: the file is read back with its format's own
// reader and compared with the source.
#pragma once

#include <functional>
#include <string>

#include "lut/Compare.h"
#include "registry/Registry.h"

namespace zelvo {

// What a written table loses of its source, where it loses more than half a
// code step of 10 bits: the colour mixing of a 3D source written as 1D (over
// a 17-point grid), or the colours of a process list between the points of
// a table (at the middle of each of its cells; of a chain that inverts a
// LUT, whose every colour is a search, of every other cell along each axis).
// Empty when the table holds the source. Over the inputs both cover: a target
// of a format without domains holds what the source does to 0..1, and
// clipping is said apart.
std::string LossOf(const TLUT& source, const TLUT& target);
// Whether the first table follows a process list more closely than the
// second, at the middles of their cells.
bool FollowsCloser(const TLUT& source, const TLUT& a, const TLUT& b);

// What the format's readers make of a file written from `table` (how they
// read between its points, a shaper they join by a curve; see
// TLUTFormat::AsReadBack): `table` itself, or `read`, made from it. The 3D
// grid is copied only where the file means another table.
const TLUT& AsReadBy(const TLUTFormat& format, const TLUT& table, TLUT& read);

enum class TVerifyOutcome {
  Within,        // the file read back differs from its source by no more than expected
  Beyond,        // it differs by more
  Unreadable,    // it cannot be read back, or reads as another format
  Unverifiable,  // no reader of this program reads the format's files
};

// The largest difference of any channel between two LUTs, its channel (0
// red, 1 green, 2 blue) and where it is (A and B: the outputs of the two).
struct TLargestDifference {
  double Value = 0.0;
  int Channel = 0;
  TCompareSpot At;
};

// What reading a written file back found. Three comparisons over the inputs
// both cover: the source against the table given to the writer, as the
// format holds it (in memory, first: the resampling, what a table cannot
// follow of a process list or of a 3D LUT written as 1D, output values the
// format clips); that table against the file read back; the source against
// the file read back.
struct TVerification {
  TVerifyOutcome Outcome = TVerifyOutcome::Unverifiable;
  // For Unreadable and Unverifiable: why.
  std::string Problem;
  // The source against the file: what the summary tells.
  TLargestDifference FromSource;
  // The table written against the file: the file fails when this is above
  // Rounding, the rounding of the values written (half a code step, half the
  // last decimal) and a trace of arithmetic.
  TLargestDifference FromWritten;
  double Rounding = 0.0;
  // The source against the table written, and the bound of FromSource that
  // follows: Expected + Rounding.
  double Expected = 0.0;
  double Bound = 0.0;
  // The depth differences are told in: the file's, or 10 bits for a file of
  // decimals.
  int Bits = 10;

  bool Failed() const { return Outcome == TVerifyOutcome::Beyond || Outcome == TVerifyOutcome::Unreadable; }
};

// Reads back `target_path`, which `table` (the source brought to the
// profile's kind, size and domain) was written to at `bits` bits (0 for
// decimals) through the profile, from the disk with the reader that
// detection picks, and compares it with the table and the source. Checking
// the file against the table written, rather than the source against a
// bound, finds a wrong value also where the table is far from the source.
// Two tables on the same grid are compared at every grid point, which bounds
// them everywhere between; others as CompareLUTs does.
TVerification VerifyWrittenFile(const TLUT& source, const TLUT& table, const TLutOutputProfile& profile, int bits,
                                const std::string& target_path);

// For a summary line: "largest difference 0.0001221 (0.5 code steps of 12
// bits) at input 0.5 0.25 1, within the 0.0001221 expected; the table written
// held to 0.0001221 (rounding 0.0001221)", or what kept the file from being
// verified.
std::string VerificationText(const TVerification& verification);
// The error of a file whose verification failed.
std::string VerificationFailure(const TVerification& verification, const std::string& target_path);

// For tests: called with each file read back, before it is compared, so that
// a test can spoil it (a table, or a transform of kind lkChain with no table,
// whose Evaluator it may wrap); an empty function takes the hook away.
void SetReadBackHook(std::function<void(TLUT& read_back)> hook);

}  // namespace zelvo
