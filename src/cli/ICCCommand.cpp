// zelvo-lut icc PROFILE -p OUTPUT_PROFILE -o OUTFILE: the LUT of an ICC
// profile's transform, built as the ICC dialog's Convert builds it.
#include <memory>
#include <ostream>

#include "cli/CliCommon.h"
#include "convert/ICCConversion.h"

namespace zelvo {

namespace {

struct TICCOptions {
  std::string profile_file;
  std::string output_profile;
  std::string output;
  std::string second;
  bool invert = false;
  std::string size = "Default";
  int bits = -1;
  bool overwrite = false;
};

int RunICC(const TICCOptions& o, const CliEnvironment& env) {
  ConversionSettings checked;
  if (const std::string usage = CheckOutputOptions(o.output_profile, o.size, o.bits, checked); !usage.empty()) {
    *env.err << usage << "\n";
    return kExitUsage;
  }
  TICCConvertSettings settings;
  settings.Profile = o.profile_file;
  settings.SecondProfile = o.second;
  settings.Invert = o.invert;
  settings.OutputProfile = checked.OutputProfile;
  settings.SizeText = o.size;
  settings.Bits = o.bits;
  settings.LUTFile = o.output;
  TReplace replace = TReplace::KeepExisting;
  if (!MayWriteOutput(o.output, {o.profile_file, o.second}, o.overwrite, env, replace)) return kExitFailed;

  TLUT lut;
  const bool built = ReportFailure(o.profile_file, env, [&] {
    CheckICCOutputSettings(settings);
    lut = BuildICCLUT(BuildICCConvertTransform(settings), *settings.OutputProfile, settings.SizeText);
  });
  if (!built) return kExitFailed;
  if (!ReportFailure(o.output, env, [&] { SaveLUTFile(o.output, lut, *settings.OutputProfile, settings.Bits, replace); })) return kExitFailed;
  return kExitOk;
}

}  // namespace

TCliCommand AddICCCommand(CLI::App& app) {
  auto o = std::make_shared<TICCOptions>();
  CLI::App* icc = app.add_subcommand("icc", "Write the colour transform of an ICC profile as a LUT file");
  icc->add_option("profile", o->profile_file,
                  "ICC profile: display, printer, input device or device link; a device of CMYK or another space "
                  "than RGB gives a soft proof (RGB to the device and back)")
      ->required();
  icc->add_option("-p,--profile", o->output_profile, ProfileOptionHelp())->required();
  icc->add_option("-o,--output", o->output, "Output LUT file")->required();
  icc->add_option("--second", o->second,
                  "Second colour space for display, printer and input device profiles, an RGB profile; both ends "
                  "of a soft proof (default: sRGB)");
  icc->add_flag("--invert", o->invert, "Invert the transform: device values to the second colour space and back");
  icc->add_option("--size", o->size, "Grid size (3D) or number of entries (1D); default: the profile's");
  AddDecimalOption(*icc, "--bits", o->bits, "Bit depth of integer formats; default: the profile's");
  icc->add_flag("--overwrite", o->overwrite, "Replace an existing output file");
  return TCliCommand{icc, [o](const CliEnvironment& env) { return RunICC(*o, env); }};
}

}  // namespace zelvo
