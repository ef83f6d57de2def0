#include "convert/LUTChain.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <filesystem>
#include <limits>

#include "base/Errors.h"
#include "base/LUTSource.h"
#include "base/StringLib.h"
#include "lut/Resample.h"
#include "registry/Registry.h"

namespace zelvo {

struct TChainEvaluator::TStage {
  TChainStepKind Kind = TChainStepKind::LUT;
  std::string Name;
  std::shared_ptr<const TLUT> Table;      // LUT
  std::unique_ptr<TLUTInverse> Inverse;   // LUT, inverted
  TCDLData CDL;                           // CDL
  std::array<double, 12> Matrix{};        // Matrix
  double Scale = 1.0, Shift = 0.0;        // Range: v * Scale + Shift,
  double Lower = -std::numeric_limits<double>::infinity();  // then clamped
  double Upper = std::numeric_limits<double>::infinity();
  TLUTDomain Domain;  // the inputs the step is meant for
};

namespace {

// A number as it was given: the shortest text that reads back the same.
std::string Number(double v) { return ShortestDecimal(v); }
std::string Number(float v) {
  char buf[32];
  const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
  return std::string(buf, end);
}

std::string FileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// Three numbers of a CDL: "1.1 1 0.9".
template <typename Member>
std::string Triple(const TCDLData& cdl, Member member) {
  return Number(cdl.SOP[0].*member) + " " + Number(cdl.SOP[1].*member) + " " + Number(cdl.SOP[2].*member);
}

// A step's error with the file it concerns.
template <typename F>
auto ForFile(const std::string& file, F&& f) {
  try {
    return f();
  } catch (const EZelvoError& e) {
    throw ELUTError(file + ": " + e.Described());
  }
}

void RequireFinite(const double* values, std::size_t count, const std::string& what) {
  for (std::size_t i = 0; i < count; ++i) {
    if (!std::isfinite(values[i])) throw EZelvoError("The " + what + " holds a number that is not finite.");
  }
}

// The ten numbers of a CDL.
std::string CDLNumbers(const TCDLData& cdl) {
  return "slope " + Triple(cdl, &TCDLChannel::Slope) + ", offset " + Triple(cdl, &TCDLChannel::Offset) + ", power " +
         Triple(cdl, &TCDLChannel::Power) + ", saturation " + Number(cdl.Saturation);
}

TChainEvaluator::TStage MakeStage(const TChainStep& step, std::optional<TInterpolation> interpolation) {
  TChainEvaluator::TStage stage;
  stage.Kind = step.Kind;
  stage.Name = step.Description();
  switch (step.Kind) {
    case TChainStepKind::LUT: {
      std::shared_ptr<const TLUT> table = step.Loaded;
      if (table == nullptr) table = LoadChainLUT(step.FileName, step.ItemId);
      if (interpolation && table->Interpolation3D != *interpolation) {
        auto read = std::make_shared<TLUT>(table->Copy());
        read->Interpolation3D = *interpolation;
        table = std::move(read);
      }
      if (step.Inverted) {
        stage.Inverse = ForFile(step.FileName, [&] { return std::make_unique<TLUTInverse>(table); });
        stage.Domain = stage.Inverse->InputDomain();
      } else {
        stage.Domain = table->InputDomain();
      }
      stage.Table = std::move(table);
      break;
    }
    case TChainStepKind::CDL:
      stage.CDL = step.CDL;
      if (!step.FileName.empty()) {
        ForFile(step.FileName, [&] {
          const TLUTSource source = TLUTSource::FromFile(step.FileName);
          ReadCorrectionOf(source.Bytes(), step.ItemId, stage.CDL);
        });
        stage.Name = step.Description() + ": " + CDLNumbers(stage.CDL);
      }
      {
        // Beyond single precision a number reads as infinite, which would
        // fill the table with colours that are no colours.
        const TCDLData& c = stage.CDL;
        const double numbers[] = {c.SOP[0].Slope, c.SOP[1].Slope, c.SOP[2].Slope, c.SOP[0].Offset, c.SOP[1].Offset,
                                  c.SOP[2].Offset, c.SOP[0].Power, c.SOP[1].Power, c.SOP[2].Power, c.Saturation};
        RequireFinite(numbers, 10, "ASC CDL");
      }
      break;
    case TChainStepKind::Matrix:
      RequireFinite(step.Matrix.data(), step.Matrix.size(), "matrix");
      stage.Matrix = step.Matrix;
      break;
    case TChainStepKind::Range: {
      const double ends[] = {step.InMin, step.InMax, step.OutMin, step.OutMax};
      RequireFinite(ends, 4, "range");
      if (!(step.InMax != step.InMin)) throw EZelvoError("A range maps no inputs: its two input ends are the same.");
      stage.Scale = (step.OutMax - step.OutMin) / (step.InMax - step.InMin);
      stage.Shift = step.OutMin - step.InMin * stage.Scale;
      if (step.Clamp) {
        stage.Lower = std::min(step.OutMin, step.OutMax);
        stage.Upper = std::max(step.OutMin, step.OutMax);
      }
      const double lo = std::min(step.InMin, step.InMax), hi = std::max(step.InMin, step.InMax);
      stage.Domain.Min = TLUTEntry{lo, lo, lo};
      stage.Domain.Max = TLUTEntry{hi, hi, hi};
      break;
    }
  }
  return stage;
}

// One step over a run of colours, in place.
void RunStage(const TChainEvaluator::TStage& stage, TColor* colors, std::size_t count, TInverseStats* stats) {
  switch (stage.Kind) {
    case TChainStepKind::LUT:
      if (stage.Inverse) stage.Inverse->Evaluate(colors, colors, count, stats);
      else EvaluateLUTSpan(*stage.Table, colors, colors, count);
      return;
    case TChainStepKind::CDL:
      // The CDL's own math, in single precision.
      for (std::size_t i = 0; i < count; ++i) {
        float r, g, b;
        ApplyCDL(stage.CDL, static_cast<float>(colors[i].R), static_cast<float>(colors[i].G),
                 static_cast<float>(colors[i].B), r, g, b);
        colors[i] = TColor{r, g, b};
      }
      return;
    case TChainStepKind::Matrix: {
      const auto& m = stage.Matrix;
      for (std::size_t i = 0; i < count; ++i) {
        const TColor c = colors[i];
        colors[i] = TColor{m[0] * c.R + m[1] * c.G + m[2] * c.B + m[3], m[4] * c.R + m[5] * c.G + m[6] * c.B + m[7],
                           m[8] * c.R + m[9] * c.G + m[10] * c.B + m[11]};
      }
      return;
    }
    case TChainStepKind::Range:
      for (std::size_t i = 0; i < count; ++i) {
        for (double* v : {&colors[i].R, &colors[i].G, &colors[i].B}) {
          *v = std::clamp(*v * stage.Scale + stage.Shift, stage.Lower, stage.Upper);
        }
      }
      return;
  }
}

// A share as a person reads it: "12.3%".
std::string Percent(std::size_t part, std::size_t whole) {
  char buf[32];
  const double share = whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
  const auto end = std::to_chars(buf, buf + sizeof buf, share, std::chars_format::general, 3).ptr;
  return std::string(buf, end) + "%";
}

std::string Significant(double v) {
  char buf[32];
  const auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 2).ptr;
  return std::string(buf, end);
}

}  // namespace

// ---------------------------------------------------------------------------
// Steps

std::string TChainStep::Description() const {
  switch (Kind) {
    case TChainStepKind::LUT: {
      std::string text = Inverted ? "inverse of " : "";
      text += FileNameOf(FileName);
      if (!ItemId.empty()) text += " (id " + ItemId + ")";
      return text;
    }
    case TChainStepKind::CDL:
      if (!FileName.empty()) {
        std::string text = "ASC CDL of " + FileNameOf(FileName);
        if (!ItemId.empty()) text += " (id " + ItemId + ")";
        return text;
      }
      return "ASC CDL " + CDLNumbers(CDL);
    case TChainStepKind::Matrix: {
      std::string text = "matrix";
      for (int r = 0; r < 3; ++r) {
        text += r == 0 ? " " : ", ";
        for (int c = 0; c < 4; ++c) {
          if (c > 0) text += ' ';
          text += Number(Matrix[static_cast<std::size_t>(4 * r + c)]);
        }
      }
      return text;
    }
    case TChainStepKind::Range: {
      std::string text = "range " + Number(InMin) + ".." + Number(InMax) + " to " + Number(OutMin) + ".." + Number(OutMax);
      if (Clamp) text += ", clamped";
      return text;
    }
  }
  return {};
}

TChainStep LUTStep(const std::string& file, bool inverted, const std::string& item_id) {
  TChainStep step;
  step.Kind = TChainStepKind::LUT;
  step.FileName = file;
  step.Inverted = inverted;
  step.ItemId = item_id;
  return step;
}

TChainStep CDLStep(const TCDLData& cdl) {
  TChainStep step;
  step.Kind = TChainStepKind::CDL;
  step.CDL = cdl;
  return step;
}

TChainStep CDLFileStep(const std::string& file, const std::string& item_id) {
  TChainStep step;
  step.Kind = TChainStepKind::CDL;
  step.FileName = file;
  step.ItemId = item_id;
  return step;
}

TChainStep MatrixStep(const std::array<double, 12>& matrix) {
  TChainStep step;
  step.Kind = TChainStepKind::Matrix;
  step.Matrix = matrix;
  return step;
}

TChainStep RangeStep(double in_min, double in_max, double out_min, double out_max, bool clamp) {
  TChainStep step;
  step.Kind = TChainStepKind::Range;
  step.InMin = in_min, step.InMax = in_max, step.OutMin = out_min, step.OutMax = out_max;
  step.Clamp = clamp;
  return step;
}

// ---------------------------------------------------------------------------
// TChainEvaluator

TChainEvaluator::TChainEvaluator(std::vector<TStage> stages) : stages_(std::move(stages)) {}
TChainEvaluator::~TChainEvaluator() = default;

void TChainEvaluator::Evaluate(const TLUTEntry* in, TLUTEntry* out, std::size_t count) const {
  if (out != in) std::copy_n(in, count, out);
  for (const TStage& stage : stages_) RunStage(stage, out, count, nullptr);
}

void TChainEvaluator::Evaluate(const TLUTEntry* in, TLUTEntry* out, std::size_t count,
                               std::vector<TInverseStats>& stats) const {
  if (out != in) std::copy_n(in, count, out);
  if (stats.size() < stages_.size()) stats.resize(stages_.size());
  for (std::size_t s = 0; s < stages_.size(); ++s) RunStage(stages_[s], out, count, &stats[s]);
}

std::string TChainEvaluator::Description() const {
  std::string text;
  for (const TStage& stage : stages_) {
    if (!text.empty()) text += ", then ";
    text += stage.Name;
  }
  return text;
}

TLUTDomain TChainEvaluator::InputDomain() const { return stages_.empty() ? TLUTDomain{} : stages_.front().Domain; }

bool TChainEvaluator::Inverts() const {
  return std::any_of(stages_.begin(), stages_.end(), [](const TStage& stage) { return stage.Inverse != nullptr; });
}

std::vector<std::string> TChainEvaluator::InverseNotes(const std::vector<TInverseStats>& stats) const {
  std::vector<std::string> notes;
  for (std::size_t s = 0; s < stages_.size() && s < stats.size(); ++s) {
    const TInverseStats& met = stats[s];
    if (!stages_[s].Inverse || met.Colours == 0) continue;
    std::string note = "the " + stages_[s].Name + " has ";
    if (met.Unreached == 0) {
      note += "an exact input for every colour it is given";
    } else {
      note += "no exact input for " + Percent(met.Unreached, met.Colours) + " of the colours it is given (" +
              std::to_string(met.Unreached) + " of " + std::to_string(met.Colours) +
              "), which the LUT does not reach: they take the input of the nearest colour it reaches";
    }
    if (met.Unreached < met.Colours) {
      note += "; the LUT maps the exact inputs back within " + Significant(met.LargestRoundTrip);
    }
    notes.push_back(std::move(note));
  }
  return notes;
}

// ---------------------------------------------------------------------------
// Building and converting

std::shared_ptr<const TLUT> LoadChainLUT(const std::string& file, const std::string& item_id) {
  auto loaded = std::make_shared<TLUT>();
  ForFile(file, [&] {
    LoadLUTFile(file, *loaded, TLUTFormatId::None, item_id);
    if (loaded->FormatIndex == TLUTFormatId::None) throw ELUTError("The file is not a LUT file of a known format.");
    if (!HasUsableTable(*loaded)) throw ELUTError("The LUT has fewer than 2 points.");
  });
  return loaded;
}

float ParseCDLNumber(std::string_view text) {
  // (Blanks around the number are how it was typed, not part of it.)
  text = Trim(text);
  const double value = StrToFloat(text);
  if (!(std::fabs(value) <= std::numeric_limits<float>::max())) {
    std::string message = "'";
    message += text;
    message += "' is too large a number for an ASC CDL grade.";
    throw EZelvoError(message);
  }
  return static_cast<float>(value);
}

namespace {

void RequireSteps(const std::vector<TChainStep>& steps) {
  if (steps.empty()) throw EZelvoError("The chain has no steps: it needs a LUT, a grade, a matrix or a range.");
}

TLUT ChainOf(std::vector<TChainEvaluator::TStage> stages) {
  TLUT lut;
  for (std::size_t i = 0; i < stages.size(); ++i) {
    lut.Comments.push_back("Step " + std::to_string(i + 1) + ": " + stages[i].Name);
  }
  auto evaluator = std::make_shared<TChainEvaluator>(std::move(stages));
  lut.Kind = TLUTKind::lkChain;
  lut.Domain3D = evaluator->InputDomain();
  lut.Evaluator = std::move(evaluator);
  return lut;
}

}  // namespace

TLUT BuildChainLUT(const std::vector<TChainStep>& steps, std::optional<TInterpolation> interpolation) {
  RequireSteps(steps);
  std::vector<TChainEvaluator::TStage> stages;
  stages.reserve(steps.size());
  for (const TChainStep& step : steps) stages.push_back(MakeStage(step, interpolation));
  return ChainOf(std::move(stages));
}

TLUT BuildChainLUT(const std::vector<TChainStep>& steps, std::optional<TInterpolation> interpolation,
                   std::vector<std::string>& step_errors) {
  step_errors.assign(steps.size(), std::string());
  RequireSteps(steps);
  std::vector<TChainEvaluator::TStage> stages;
  stages.reserve(steps.size());
  std::exception_ptr first;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    try {
      stages.push_back(MakeStage(steps[i], interpolation));
    } catch (const EZelvoError& e) {
      step_errors[i] = e.Described();
      if (!first) first = std::current_exception();
    }
  }
  if (first) std::rethrow_exception(first);
  return ChainOf(std::move(stages));
}

TLUT InvertedLUT(TLUT&& lut, const std::string& file_name) {
  std::vector<std::string> comments = std::move(lut.Comments);
  TChainStep step = LUTStep(file_name, true);
  step.Loaded = std::make_shared<TLUT>(std::move(lut));
  TLUT inverse = BuildChainLUT({step});
  for (std::string& line : comments) inverse.Comments.push_back(std::move(line));
  return inverse;
}

TConvertNotes ConvertChain(const ConversionSettings& settings, const std::vector<TChainStep>& steps,
                           const std::string& target_path, TReplace replace) {
  CheckConversionSettings(settings);
  CheckSizeInRange(settings);
  return ConvertLUT(settings, BuildChainLUT(steps, settings.Interpolation), target_path, replace);
}

}  // namespace zelvo
