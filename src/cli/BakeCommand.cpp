// zelvo-lut bake STEP... -p PROFILE -o FILE: one LUT made of a chain of
// steps, applied in the order given: LUT files as they are (--lut) or
// inverted (--invlut), ASC CDL grades (--cdl FILE, or --slope, --offset,
// --power and --sat, adjacent ones forming one grade), matrices and ranges.
//
//   zelvo-lut bake --invlut camera.cube --slope 1.1 1 0.9 --sat 0.8 --lut display.cube -p 7 -o look.cube
#include <cfloat>
#include <cmath>
#include <memory>
#include <optional>
#include <ostream>

#include "base/StringLib.h"
#include "cli/CliCommon.h"
#include "convert/LUTChain.h"

namespace zelvo {

namespace {

struct TBakeOptions {
  std::vector<TChainStep> steps;
  std::string profile;
  std::string output;
  std::string size = "Default";
  int bits = -1;
  std::optional<TInterpolation> interpolation;
  bool overwrite = false;
  // Of the grade the adjacent --slope, --offset, --power and --sat options
  // make: which of them it has (bits 0 to 3); 0 when the last step is none.
  unsigned cdl_parts = 0;
};

// The numbers of an option, decimal and finite (single precision for a CDL).
std::vector<double> Numbers(const std::string& option, const std::vector<std::string>& texts, bool single) {
  std::vector<double> values;
  for (const std::string& text : texts) {
    double v = 0.0;
    if (!TryParseFloat(text, v) || !std::isfinite(v) || (single && !(std::fabs(v) <= FLT_MAX))) {
      throw CLI::ValidationError(option, "'" + Printable(text) + "' is not a finite decimal number");
    }
    values.push_back(v);
  }
  return values;
}

// The CDL step a --slope, --offset, --power or --sat option (part bit
// `part`) goes into: the open one, unless it has that part already.
TCDLData& GradeFor(TBakeOptions& o, unsigned part) {
  if (o.cdl_parts == 0 || (o.cdl_parts & part) != 0) {
    o.steps.push_back(CDLStep(TCDLData{}));
    o.cdl_parts = 0;
  }
  o.cdl_parts |= part;
  return o.steps.back().CDL;
}

// A step option of `arity` values whose callback runs as it is parsed, so
// that the steps keep the order of the command line.
void AddStepOption(CLI::App& bake, const std::string& name, int arity, const std::string& help,
                   std::function<void(const std::vector<std::string>&)> take) {
  bake.add_option_function<std::vector<std::string>>(name, std::move(take), help)
      ->expected(arity)
      ->allow_extra_args(false)
      ->trigger_on_parse();
}

void AddStepOptions(CLI::App& bake, const std::shared_ptr<TBakeOptions>& o) {
  TBakeOptions& s = *o;
  const auto file_step = [&s](TChainStep step) {
    s.cdl_parts = 0;
    s.steps.push_back(std::move(step));
  };
  AddStepOption(bake, "--lut", 1, "A LUT file, applied as it is",
                [file_step](const auto& v) { file_step(LUTStep(v[0])); });
  AddStepOption(bake, "--invlut", 1, "A LUT file (1D, 3D or both), inverted: the colours it gives go back to its inputs",
                [file_step](const auto& v) { file_step(LUTStep(v[0], true)); });
  AddStepOption(bake, "--cdl", 1, "An ASC CDL grade from a .cc, .ccc or .cdl file",
                [file_step](const auto& v) { file_step(CDLFileStep(v[0])); });
  AddStepOption(bake, "--cccid", 1, "The id of the correction to read from the --lut, --invlut or --cdl file before it",
                [&s](const auto& v) {
                  const bool file = !s.steps.empty() && !s.steps.back().FileName.empty();
                  if (!file || !s.steps.back().ItemId.empty()) {
                    throw CLI::ValidationError("--cccid", "it names the correction of the --lut, --invlut or --cdl file "
                                                          "just before it");
                  }
                  s.steps.back().ItemId = v[0];
                });
  AddStepOption(bake, "--slope", 3, "ASC CDL slope R G B", [&s](const auto& v) {
    const std::vector<double> x = Numbers("--slope", v, true);
    TCDLData& cdl = GradeFor(s, 1);
    for (int c = 0; c < 3; ++c) cdl.SOP[c].Slope = static_cast<float>(x[static_cast<std::size_t>(c)]);
  });
  AddStepOption(bake, "--offset", 3, "ASC CDL offset R G B", [&s](const auto& v) {
    const std::vector<double> x = Numbers("--offset", v, true);
    TCDLData& cdl = GradeFor(s, 2);
    for (int c = 0; c < 3; ++c) cdl.SOP[c].Offset = static_cast<float>(x[static_cast<std::size_t>(c)]);
  });
  AddStepOption(bake, "--power", 3, "ASC CDL power R G B", [&s](const auto& v) {
    const std::vector<double> x = Numbers("--power", v, true);
    TCDLData& cdl = GradeFor(s, 4);
    for (int c = 0; c < 3; ++c) cdl.SOP[c].Power = static_cast<float>(x[static_cast<std::size_t>(c)]);
  });
  AddStepOption(bake, "--sat", 1, "ASC CDL saturation (adjacent --slope, --offset, --power and --sat make one grade)",
                [&s](const auto& v) { GradeFor(s, 8).Saturation = static_cast<float>(Numbers("--sat", v, true)[0]); });
  AddStepOption(bake, "--matrix", 12, "A 3x3 matrix with offsets, row by row: M00 M01 M02 M03 M10 ... M23",
                [&s](const auto& v) {
                  const std::vector<double> x = Numbers("--matrix", v, false);
                  std::array<double, 12> m{};
                  std::copy(x.begin(), x.end(), m.begin());
                  s.cdl_parts = 0;
                  s.steps.push_back(MatrixStep(m));
                });
  AddStepOption(bake, "--range", 4, "IN_MIN IN_MAX OUT_MIN OUT_MAX: inputs IN_MIN..IN_MAX mapped onto OUT_MIN..OUT_MAX",
                [&s](const auto& v) {
                  const std::vector<double> x = Numbers("--range", v, false);
                  if (x[0] == x[1]) throw CLI::ValidationError("--range", "its two input ends are the same");
                  s.cdl_parts = 0;
                  s.steps.push_back(RangeStep(x[0], x[1], x[2], x[3], false));
                });
  bake.add_flag_function(
          "--clamp",
          [&s](std::int64_t) {
            if (s.steps.empty() || s.steps.back().Kind != TChainStepKind::Range || s.steps.back().Clamp) {
              throw CLI::ValidationError("--clamp", "it clamps the --range just before it");
            }
            s.steps.back().Clamp = true;
          },
          "Clamp the outputs of the --range before it to OUT_MIN..OUT_MAX")
      ->trigger_on_parse()
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

int RunBake(const TBakeOptions& o, const CliEnvironment& env) {
  if (o.steps.empty()) {
    *env.err << "bake needs at least one step: --lut, --invlut, --cdl, --slope, --offset, --power, --sat, --matrix "
                "or --range.\n";
    return kExitUsage;
  }
  ConversionSettings settings;
  if (const std::string usage = CheckOutputOptions(o.profile, o.size, o.bits, settings); !usage.empty()) {
    *env.err << usage << "\n";
    return kExitUsage;
  }
  settings.Interpolation = o.interpolation;
  std::vector<std::string> inputs;
  for (const TChainStep& step : o.steps) inputs.push_back(step.FileName);
  TReplace replace = TReplace::KeepExisting;
  if (!MayWriteOutput(o.output, inputs, o.overwrite, env, replace)) return kExitFailed;

  TLUT chain;
  try {
    chain = BuildChainLUT(o.steps, o.interpolation);
  } catch (const std::exception& e) {
    // (The message names the file of the step that failed.)
    *env.err << MessageOf(e) << "\n";
    return kExitFailed;
  }
  TConvertNotes notes;
  if (!ReportFailure(o.output, env, [&] { notes = ConvertLUT(settings, std::move(chain), o.output, replace); })) {
    return kExitFailed;
  }
  if (notes.InputsClipped) {
    *env.err << Printable(o.output) << ": the chain covers inputs beyond 0..1, which \""
             << settings.OutputProfile->Caption
             << "\" cannot state; the file holds what it does to inputs 0..1 and clips the rest.\n";
  }
  for (const std::string& warning : notes.Warnings) *env.err << Printable(o.output) << ": " << Printable(warning) << ".\n";
  return kExitOk;
}

}  // namespace

TCliCommand AddBakeCommand(CLI::App& app) {
  auto o = std::make_shared<TBakeOptions>();
  CLI::App* bake = app.add_subcommand(
      "bake", "Bake one LUT from a chain of LUT files (as they are or inverted), ASC CDL grades, matrices and ranges, "
              "applied in the order given");
  AddStepOptions(*bake, o);
  bake->add_option("-p,--profile", o->profile, ProfileOptionHelp())->required();
  bake->add_option("-o,--output", o->output, "Output LUT file")->required();
  bake->add_option("--size", o->size, "Grid size (3D) or number of entries (1D); default: the profile's");
  AddDecimalOption(*bake, "--bits", o->bits, "Bit depth of integer formats; default: the profile's");
  AddInterpolationOption(*bake, o->interpolation);
  bake->add_flag("--overwrite", o->overwrite, "Replace an existing output file");
  return TCliCommand{bake, [o](const CliEnvironment& env) { return RunBake(*o, env); }};
}

}  // namespace zelvo
