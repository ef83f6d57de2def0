// The steps of the "Combine and Invert" dialog without its widgets: LUT
// files kept loaded, ASC CDL grades as typed, what stands in the way of each
// step, and the chain they make shown on the test picture. Every decision is
// the core's (convert/LUTChain.h): loading, inverting, the grade's numbers.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "convert/LUTChain.h"
#include "image/Bitmap24.h"

namespace zelvo {

// The ten numbers of a grade, in this order.
inline constexpr std::size_t kCDLNumbers = 10;
enum TCDLNumber : std::size_t {
  cdlSlopeR, cdlSlopeG, cdlSlopeB, cdlOffsetR, cdlOffsetG, cdlOffsetB, cdlPowerR, cdlPowerG, cdlPowerB, cdlSaturation
};
// "red slope", ..., "saturation": how messages name a number.
const char* CDLNumberName(std::size_t number);

struct TCombineStep {
  // A LUT's table is in Step.Loaded once its file was read.
  TChainStep Step;
  // A grade: its numbers as typed.
  std::array<std::string, kCDLNumbers> Numbers{"1", "1", "1", "0", "0", "0", "1", "1", "1", "1"};
  // Why the file did not load, when it did not.
  std::string LoadError;
  // Why the step cannot be used; empty when it can.
  std::string Error;
};

class TCombineSteps {
 public:
  // `interpolation`: how the LUTs' 3D tables are read (unset: as their files ask).
  explicit TCombineSteps(std::optional<TInterpolation> interpolation = {});

  // Appends a LUT file, read now; one that does not load is appended with
  // its error, to be seen and removed.
  void AddLUTFile(const std::string& path);
  // Appends a grade that changes nothing.
  void AddCDL();
  void Remove(std::size_t index);
  // Moves a step to another place; the others keep their order.
  void Move(std::size_t from, std::size_t to);
  void SetInverted(std::size_t index, bool inverted);
  void SetCDLNumber(std::size_t index, std::size_t number, const std::string& text);
  // Reads every LUT file again: what was written since counts, and a file
  // gone or broken since shows its error.
  void ReloadFiles();
  // The picture the chain is shown on.
  void SetPicture(const TBitmap24& picture);

  const std::vector<TCombineStep>& Steps() const { return steps_; }
  // The chain when every step can be used and it could be shown on the
  // picture; else nullptr.
  const TLUT* Chain() const { return chain_ ? &*chain_ : nullptr; }
  // The picture through the chain (empty without a chain).
  const TBitmap24& Preview() const { return preview_; }
  // What stands in the way, a line each: "Step 2: ..." per step, then the
  // chain's own error; none for a chain of no steps (nothing to say yet).
  std::vector<std::string> Problems() const;
  // The steps as the core takes them.
  std::vector<TChainStep> ChainSteps() const;
  std::optional<TInterpolation> Interpolation() const { return interpolation_; }

 private:
  // After every change: each step's error, the chain and its picture.
  void Rebuild();

  std::optional<TInterpolation> interpolation_;
  std::vector<TCombineStep> steps_;
  TBitmap24 picture_;
  std::optional<TLUT> chain_;
  std::string chain_error_;
  TBitmap24 preview_;
};

}  // namespace zelvo
