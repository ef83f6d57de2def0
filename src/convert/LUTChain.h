// A chain of LUTs and grades made into one LUT: LUT files, each as it is or
// inverted, ASC CDL grades, matrices and ranges, applied in order to every
// colour exactly (in doubles, the CDL in the single precision of its math)
// and baked once at the target's grid. The command line's bake, convert
// --invert and the combine dialog all build their LUTs here.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/ConvertJob.h"
#include "formats/CDLLib.h"
#include "lut/Inverse.h"

namespace zelvo {

enum class TChainStepKind : std::uint8_t {
  LUT,     // a LUT file, forward or inverted
  CDL,     // an ASC CDL grade, from its ten numbers or from a file
  Matrix,  // rows of three coefficients and an offset
  Range,   // InMin..InMax mapped onto OutMin..OutMax, clamped or not
};

struct TChainStep {
  TChainStepKind Kind = TChainStepKind::LUT;
  // LUT and CDL: the file (a CDL step without one takes its numbers from
  // CDL) and the item of a file that holds several (--cccid).
  std::string FileName;
  std::string ItemId;
  // LUT: the step is the LUT's inverse.
  bool Inverted = false;
  // LUT: the LUT as loaded, when the caller has it already (the dialog keeps
  // its files loaded); else FileName is read when the chain is built.
  std::shared_ptr<const TLUT> Loaded;
  TCDLData CDL;
  std::array<double, 12> Matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};  // M00 M01 M02 M03 M10 ... M23
  double InMin = 0.0, InMax = 1.0, OutMin = 0.0, OutMax = 1.0;
  bool Clamp = false;

  // What the step is, for the chain's comments and messages:
  // "inverse of camera.cube", "ASC CDL slope 1.1 1 0.9 ...", "range ...".
  std::string Description() const;
};

TChainStep LUTStep(const std::string& file, bool inverted = false, const std::string& item_id = {});
TChainStep CDLStep(const TCDLData& cdl);
TChainStep CDLFileStep(const std::string& file, const std::string& item_id = {});
TChainStep MatrixStep(const std::array<double, 12>& matrix);
TChainStep RangeStep(double in_min, double in_max, double out_min, double out_max, bool clamp);

// The steps of a chain ready to run: files read, inverses prepared. It never
// changes once made, so any number of threads may evaluate it.
class TChainEvaluator final : public TColorEvaluator {
 public:
  struct TStage;
  explicit TChainEvaluator(std::vector<TStage> stages);
  ~TChainEvaluator() override;

  void Evaluate(const TLUTEntry* in, TLUTEntry* out, std::size_t count) const override;
  // The same, adding to stats[i] what the inverse of step i met (the vector
  // grows to one entry per step).
  void Evaluate(const TLUTEntry* in, TLUTEntry* out, std::size_t count, std::vector<TInverseStats>& stats) const;
  std::string Description() const override;
  // The inputs the chain is meant for: those of its first step (a LUT's
  // domain, the outputs of a LUT it inverts, a range's inputs), else 0..1.
  TLUTDomain InputDomain() const;
  // Some step inverts a LUT.
  bool Inverts() const;
  // What the inverted steps met, a sentence each, for a conversion's notes.
  std::vector<std::string> InverseNotes(const std::vector<TInverseStats>& stats) const;

 private:
  std::vector<TStage> stages_;
};

// A LUT file read as a chain step reads it: the item of a file that holds
// several, refused (ELUTError naming the file) when no format knows it or
// its table has fewer than 2 points. For callers that keep their files
// loaded (TChainStep::Loaded).
std::shared_ptr<const TLUT> LoadChainLUT(const std::string& file, const std::string& item_id = {});

// A number of an ASC CDL grade as a person types it: a decimal number that
// single precision holds, blanks around it ignored. Raises EConvertError for text that is no number,
// EZelvoError for a number beyond single precision.
float ParseCDLNumber(std::string_view text);

// The chain as a LUT of kind lkChain: its files read (a LUT's 3D table read
// as `interpolation` says, else as its file asks), its inverses prepared,
// its input domain that of its first step, a comment per step. Raises
// EZelvoError for a chain of no steps, a range of no inputs, a grade or
// matrix with a number that is not finite, and the errors of a file that
// does not load or of a LUT that cannot be inverted.
TLUT BuildChainLUT(const std::vector<TChainStep>& steps, std::optional<TInterpolation> interpolation = {});
// The same, trying every step: `step_errors` gets one message per step
// ("" for a step that can be made), and the first step's error is raised
// once all were tried.
TLUT BuildChainLUT(const std::vector<TChainStep>& steps, std::optional<TInterpolation> interpolation,
                   std::vector<std::string>& step_errors);

// The inverse of a loaded LUT as a one-step chain (convert --invert).
TLUT InvertedLUT(TLUT&& lut, const std::string& file_name);

// Builds the chain and converts it as ConvertFile converts a file, into the
// profile's kind, size and domain (settings.Interpolation reads the LUTs'
// 3D tables; OutputFolder and ItemId are not used). The notes say what the
// inverses met besides what the table loses.
TConvertNotes ConvertChain(const ConversionSettings& settings, const std::vector<TChainStep>& steps,
                           const std::string& target_path, TReplace replace = TReplace::Replace);

}  // namespace zelvo
