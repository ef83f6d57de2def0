// zelvo-lut identity -p PROFILE -o OUTFILE: the identity LUT in an output
// profile. A picture of it, graded in a photo editor and converted back, gives
// the grade as a LUT.
#include <memory>
#include <ostream>

#include "cli/CliCommon.h"
#include "convert/IdentityLUT.h"

namespace zelvo {

namespace {

struct TIdentityOptions {
  std::string output_profile;
  std::string output;
  std::string size = "Default";
  int bits = -1;
  bool overwrite = false;
};

int RunIdentity(const TIdentityOptions& o, const CliEnvironment& env) {
  ConversionSettings settings;
  if (const std::string usage = CheckOutputOptions(o.output_profile, o.size, o.bits, settings); !usage.empty()) {
    *env.err << usage << "\n";
    return kExitUsage;
  }
  TReplace replace = TReplace::KeepExisting;
  if (!MayWriteOutput(o.output, {}, o.overwrite, env, replace)) return kExitFailed;
  return ReportFailure(o.output, env, [&] { WriteIdentityLUT(settings, o.output, replace); }) ? kExitOk : kExitFailed;
}

}  // namespace

TCliCommand AddIdentityCommand(CLI::App& app) {
  auto o = std::make_shared<TIdentityOptions>();
  CLI::App* identity =
      app.add_subcommand("identity", "Write the identity LUT in an output profile (a picture to grade, for image LUTs)");
  identity->add_option("-p,--profile", o->output_profile, ProfileOptionHelp())->required();
  identity->add_option("-o,--output", o->output, "Output LUT file")->required();
  identity->add_option("--size", o->size, "Grid size (3D) or number of entries (1D); default: the profile's");
  AddDecimalOption(*identity, "--bits", o->bits, "Bit depth (32: float samples of pictures); default: the profile's");
  identity->add_flag("--overwrite", o->overwrite, "Replace an existing output file");
  return TCliCommand{identity, [o](const CliEnvironment& env) { return RunIdentity(*o, env); }};
}

}  // namespace zelvo
