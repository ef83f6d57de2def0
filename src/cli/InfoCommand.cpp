// zelvo-lut info FILES...: the detected format, kind, size, input domain and
// comments of each file.
#include <memory>
#include <ostream>

#include "base/Errors.h"
#include "base/StringLib.h"
#include "cli/CliCommon.h"

namespace zelvo {

namespace {

// Loads a file into `lut`; false (with the reason on standard error) when it
// cannot be read or no format knows it.
bool LoadForInfo(const std::string& f, const std::string& cccid, const TImageLUTReadOptions& image, TLUT& lut,
                 const CliEnvironment& env) {
  try {
    LoadLUTFile(f, lut, TLUTFormatId::None, cccid, image);
  } catch (const EZelvoError& e) {
    if (!e.FormatName.empty()) *env.out << "  Format: " << e.FormatName << "\n";
    *env.err << Printable(f) << ": " << MessageOf(e) << "\n";
    return false;
  } catch (const std::exception& e) {
    *env.err << Printable(f) << ": " << MessageOf(e) << "\n";
    return false;
  }
  if (lut.FormatIndex == TLUTFormatId::None) {
    *env.out << "  Format: unknown\n";
    *env.err << Printable(f) << ": The file is not a LUT file of a known format"
             << Printable(UnknownFormatDetail(f)) << ".\n";
    return false;
  }
  return true;
}

void PrintDomain(const TLUTDomain& d, const CliEnvironment& env) {
  *env.out << "  Input domain: " << ShortestDecimal(d.Min.R) << " " << ShortestDecimal(d.Min.G) << " "
           << ShortestDecimal(d.Min.B) << " to " << ShortestDecimal(d.Max.R) << " " << ShortestDecimal(d.Max.G) << " "
           << ShortestDecimal(d.Max.B) << "\n";
}

struct TInfoOptions {
  std::vector<std::string> files;
  std::string cccid;
  TImageLUTReadOptions image;
};

int RunInfo(const TInfoOptions& o, const CliEnvironment& env) {
  int status = kExitOk;
  for (const std::string& f : o.files) {
    *env.out << Printable(f) << "\n";
    TLUT lut;
    if (!LoadForInfo(f, o.cccid, o.image, lut, env)) {
      status = kExitFailed;
      continue;
    }
    *env.out << "  Format: " << LUTFormatOf(lut.FormatIndex).Name << "\n";
    for (const std::string& line : DescribeLUT(lut)) *env.out << "  " << line << "\n";
    if (!lut.InputDomain().IsUnit()) PrintDomain(lut.InputDomain(), env);
    for (const std::string& c : lut.Comments) *env.out << "  Comment: " << Printable(c) << "\n";
  }
  return status;
}

}  // namespace

TCliCommand AddInfoCommand(CLI::App& app) {
  auto o = std::make_shared<TInfoOptions>();
  CLI::App* info = app.add_subcommand("info", "Show the detected format, kind, size and comments of LUT files");
  info->add_option("files", o->files, "LUT files")->required();
  AddCorrectionIdOption(*info, o->cccid);
  AddImageLayoutOptions(*info, o->image);
  return TCliCommand{info, [o](const CliEnvironment& env) { return RunInfo(*o, env); }};
}

}  // namespace zelvo
