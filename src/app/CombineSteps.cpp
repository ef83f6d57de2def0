#include "app/CombineSteps.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>

#include "base/Errors.h"
#include "image/ApplyLUT.h"

namespace zelvo {

const char* CDLNumberName(std::size_t number) {
  static const char* const names[kCDLNumbers] = {"red slope",  "green slope",  "blue slope",  "red offset",
                                                  "green offset", "blue offset", "red power", "green power",
                                                  "blue power", "saturation"};
  return number < kCDLNumbers ? names[number] : "";
}

namespace {

// The file read as the chain reads it; its error kept for the dialog.
void Load(TCombineStep& step) {
  step.Step.Loaded.reset();
  step.LoadError.clear();
  try {
    step.Step.Loaded = LoadChainLUT(step.Step.FileName, step.Step.ItemId);
  } catch (const EZelvoError& e) {
    step.LoadError = e.Described();
  }
}

// The grade's numbers as the core reads them; the first that does not
// read is the step's error.
std::string ReadNumbers(TCombineStep& step) {
  TCDLData& cdl = step.Step.CDL;
  float* const targets[kCDLNumbers] = {&cdl.SOP[0].Slope,  &cdl.SOP[1].Slope,  &cdl.SOP[2].Slope, &cdl.SOP[0].Offset,
                                       &cdl.SOP[1].Offset, &cdl.SOP[2].Offset, &cdl.SOP[0].Power, &cdl.SOP[1].Power,
                                       &cdl.SOP[2].Power,  &cdl.Saturation};
  for (std::size_t i = 0; i < kCDLNumbers; ++i) {
    try {
      *targets[i] = ParseCDLNumber(step.Numbers[i]);
    } catch (const EZelvoError& e) {
      return std::string("the ") + CDLNumberName(i) + ": " + e.Described();
    }
  }
  return {};
}

// The picture through the chain, each of its colours evaluated once: a
// picture holds far fewer colours than pixels (a photograph in the pane
// about 2 in 5), and an inverse's search for each colour is what makes a
// change slow.
TBitmap24 ThroughChain(const TLUT& chain, const TBitmap24& picture) {
  const std::size_t pixels = picture.ByteCount() / 3;
  const std::uint8_t* in = picture.Pixels();
  const auto code = [in](std::size_t i) {
    return static_cast<std::uint32_t>(in[3 * i]) | static_cast<std::uint32_t>(in[3 * i + 1]) << 8 |
           static_cast<std::uint32_t>(in[3 * i + 2]) << 16;
  };
  std::vector<std::uint32_t> colours(pixels);
  for (std::size_t i = 0; i < pixels; ++i) colours[i] = code(i);
  std::sort(colours.begin(), colours.end());
  colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
  TBitmap24 palette(static_cast<int>(colours.size()), 1);
  std::uint8_t* p = palette.Pixels();
  for (const std::uint32_t c : colours) {
    *p++ = static_cast<std::uint8_t>(c);
    *p++ = static_cast<std::uint8_t>(c >> 8);
    *p++ = static_cast<std::uint8_t>(c >> 16);
  }
  ApplyLUTToBitmap(chain, palette);
  TBitmap24 result = picture.Copy();
  std::uint8_t* out = result.Pixels();
  for (std::size_t i = 0; i < pixels; ++i) {
    const auto k = static_cast<std::size_t>(std::lower_bound(colours.begin(), colours.end(), code(i)) - colours.begin());
    std::copy_n(palette.Pixels() + 3 * k, 3, out + 3 * i);
  }
  return result;
}

}  // namespace

TCombineSteps::TCombineSteps(std::optional<TInterpolation> interpolation) : interpolation_(interpolation) {}

void TCombineSteps::AddLUTFile(const std::string& path) {
  TCombineStep step;
  step.Step = LUTStep(path);
  Load(step);
  steps_.push_back(std::move(step));
  Rebuild();
}

void TCombineSteps::AddCDL() {
  TCombineStep step;
  step.Step = CDLStep(TCDLData{});
  steps_.push_back(std::move(step));
  Rebuild();
}

void TCombineSteps::Remove(std::size_t index) {
  if (index >= steps_.size()) return;
  steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(index));
  Rebuild();
}

void TCombineSteps::Move(std::size_t from, std::size_t to) {
  if (from >= steps_.size() || to >= steps_.size() || from == to) return;
  TCombineStep moved = std::move(steps_[from]);
  steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(from));
  steps_.insert(steps_.begin() + static_cast<std::ptrdiff_t>(to), std::move(moved));
  Rebuild();
}

void TCombineSteps::SetInverted(std::size_t index, bool inverted) {
  if (index >= steps_.size() || steps_[index].Step.Kind != TChainStepKind::LUT) return;
  steps_[index].Step.Inverted = inverted;
  Rebuild();
}

void TCombineSteps::SetCDLNumber(std::size_t index, std::size_t number, const std::string& text) {
  if (index >= steps_.size() || steps_[index].Step.Kind != TChainStepKind::CDL || number >= kCDLNumbers) return;
  steps_[index].Numbers[number] = text;
  Rebuild();
}

void TCombineSteps::ReloadFiles() {
  for (TCombineStep& step : steps_) {
    if (step.Step.Kind == TChainStepKind::LUT) Load(step);
  }
  Rebuild();
}

void TCombineSteps::SetPicture(const TBitmap24& picture) {
  picture_ = picture.Copy();
  Rebuild();
}

std::vector<std::string> TCombineSteps::Problems() const {
  std::vector<std::string> problems;
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    if (!steps_[i].Error.empty()) problems.push_back("Step " + std::to_string(i + 1) + ": " + steps_[i].Error);
  }
  if (!chain_error_.empty()) problems.push_back(chain_error_);
  return problems;
}

std::vector<TChainStep> TCombineSteps::ChainSteps() const {
  std::vector<TChainStep> steps;
  steps.reserve(steps_.size());
  for (const TCombineStep& step : steps_) steps.push_back(step.Step);
  return steps;
}

void TCombineSteps::Rebuild() {
  chain_.reset();
  chain_error_.clear();
  preview_ = TBitmap24();
  // The steps that could be read go to the core, which says what else is
  // wrong with each of them.
  std::vector<TChainStep> usable;
  std::vector<std::size_t> places;
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    TCombineStep& step = steps_[i];
    step.Error = step.LoadError;
    if (step.Error.empty() && step.Step.Kind == TChainStepKind::CDL) step.Error = ReadNumbers(step);
    if (!step.Error.empty()) continue;
    usable.push_back(step.Step);
    places.push_back(i);
  }
  if (usable.empty()) return;
  std::vector<std::string> errors;
  TLUT chain;
  try {
    chain = BuildChainLUT(usable, interpolation_, errors);
  } catch (const EZelvoError&) {
    for (std::size_t k = 0; k < places.size(); ++k) steps_[places[k]].Error = errors[k];
    return;
  }
  if (usable.size() != steps_.size()) return;
  // An inverse can still fail on the colours it is given.
  try {
    if (!picture_.Empty()) preview_ = ThroughChain(chain, picture_);
  } catch (const EZelvoError& e) {
    chain_error_ = e.Described();
    return;
  }
  chain_ = std::move(chain);
}

}  // namespace zelvo
