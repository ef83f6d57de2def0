#include "cli/CliMain.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <filesystem>
#include <istream>
#include <ostream>

#include "Version.h"
#include "cli/CliCommon.h"
#include "convert/ConvertJob.h"
#include "formats/LUTFormat.h"
#include "formats/StringLib.h"
#include "lut/Errors.h"
#include "lut/Resample.h"

namespace zelvo {

namespace {

// Nine significant digits, locale-free.
std::string FormatSignificant(double v) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 9);
  return std::string(buf, res.ptr);
}

// "12, 16" and "12 or 16".
std::string JoinedOr(const std::vector<int>& values) {
  std::string text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += i + 1 == values.size() ? " or " : ", ";
    text += std::to_string(values[i]);
  }
  return text;
}

struct ConvertOptions {
  std::string profile;
  std::string output_folder;
  std::string size = "Default";
  int bits = -1;
  bool overwrite = false;
  bool skip_existing = false;
  bool keep_going = false;
  std::string cccid;
  std::vector<std::string> files;
};

// Thrown out of the overwrite question when nobody can answer it.
class EOverwriteRefused : public EZelvoError {
 public:
  using EZelvoError::EZelvoError;
};

// The settings of a convert call, or a usage error (returned as its message).
std::string CheckConvertOptions(const ConvertOptions& o, ConversionSettings& settings) {
  std::error_code ec;
  const auto status = std::filesystem::status(o.output_folder, ec);
  if (!std::filesystem::exists(status)) {
    return Printable(o.output_folder) + ": The output folder does not exist.";
  }
  if (!std::filesystem::is_directory(status)) return Printable(o.output_folder) + ": The output folder is not a folder.";
  settings.OutputFolder = o.output_folder;
  settings.ItemId = o.cccid;
  return CheckOutputOptions(o.profile, o.size, o.bits, settings);
}

int RunConvert(const ConvertOptions& o, const CliEnvironment& env) {
  ConversionSettings settings;
  if (const std::string usage = CheckConvertOptions(o, settings); !usage.empty()) {
    *env.err << usage << "\n";
    return kExitUsage;
  }
  const TLutOutputProfile& profile = *settings.OutputProfile;

  std::vector<ConversionEntry> entries;
  for (const std::string& f : o.files) {
    const std::filesystem::path p(f);
    entries.push_back(ConversionEntry{p.filename().string(), p.parent_path().string(), true});
  }

  const std::size_t total = entries.size();
  std::size_t started = 0, converted = 0, skipped = 0, failed = 0;
  std::string current = o.files.empty() ? std::string() : o.files.front();
  ConversionFeedback feedback;
  feedback.ConfirmOverwrite = [&](const std::string& target) {
    if (o.overwrite) return OverwriteAnswer::Yes;
    if (o.skip_existing) return OverwriteAnswer::No;
    if (env.interactive && env.in != nullptr) return AskOverwrite(env, target);
    throw EOverwriteRefused(target + ": The file already exists; pass --overwrite to replace it or --skip-existing to keep it.");
  };
  feedback.FileStarting = [&](const std::string& source, const std::string& target) {
    current = source;
    ++started;
    if (total > 1) *env.err << "[" << started << "/" << total << "] " << Printable(source) << " -> " << Printable(target) << "\n";
  };
  feedback.PollCancelled = [] { return false; };
  bool clip_noted = false;
  feedback.InputsClipped = [&](const std::string& source) {
    if (clip_noted) return;
    clip_noted = true;
    *env.err << Printable(source) << ": covers inputs beyond 0..1, which \"" << profile.Caption
             << "\" cannot state; the converted files hold what the sources do to inputs 0..1 and clip the rest.\n";
  };
  feedback.FileDone = [&](const std::string&, TFileOutcome outcome) {
    ++(outcome == TFileOutcome::Converted ? converted : outcome == TFileOutcome::Skipped ? skipped : failed);
  };
  feedback.FileFailed = [&](const std::string& source, const std::exception& e) {
    if (!o.keep_going || dynamic_cast<const EOverwriteRefused*>(&e) != nullptr) return false;
    *env.err << Printable(source) << ": " << MessageOf(e) << "\n";
    return true;
  };
  const auto summary = [&] {
    if (total > 1) {
      *env.err << "Converted " << converted << ", skipped " << skipped << ", failed " << failed << ".\n";
    }
  };

  try {
    if (ConvertFiles(settings, entries, feedback) == BatchResult::Cancelled) {
      *env.err << "Cancelled.\n";
      summary();
      return kExitFailed;
    }
  } catch (const EOverwriteRefused& e) {
    *env.err << Printable(e.what()) << "\n";
    summary();
    return kExitFailed;
  } catch (const std::exception& e) {
    *env.err << Printable(current) << ": " << MessageOf(e) << "\n";
    ++failed;
    summary();
    return kExitFailed;
  }
  summary();
  return failed > 0 ? kExitFailed : kExitOk;
}

int RunInfo(const std::vector<std::string>& files, const std::string& cccid, const CliEnvironment& env) {
  int status = kExitOk;
  for (const std::string& f : files) {
    *env.out << Printable(f) << "\n";
    TLUT lut;
    try {
      LoadLUTFile(f, lut, TLUTFormatId::None, cccid);
    } catch (const EZelvoError& e) {
      if (!e.FormatName.empty()) *env.out << "  Format: " << e.FormatName << "\n";
      *env.err << Printable(f) << ": " << MessageOf(e) << "\n";
      status = kExitFailed;
      continue;
    } catch (const std::exception& e) {
      *env.err << Printable(f) << ": " << MessageOf(e) << "\n";
      status = kExitFailed;
      continue;
    }
    if (lut.FormatIndex == TLUTFormatId::None) {
      *env.out << "  Format: unknown\n";
      *env.err << Printable(f) << ": The file is not a LUT file of a known format.\n";
      status = kExitFailed;
      continue;
    }
    *env.out << "  Format: " << LUTFormatOf(lut.FormatIndex).Name << "\n";
    for (const std::string& line : DescribeLUT(lut)) *env.out << "  " << line << "\n";
    if (!lut.InputDomain().IsUnit()) {
      const TLUTDomain& d = lut.InputDomain();
      *env.out << "  Input domain: " << ShortestDecimal(d.Min.R) << " " << ShortestDecimal(d.Min.G) << " "
               << ShortestDecimal(d.Min.B) << " to " << ShortestDecimal(d.Max.R) << " " << ShortestDecimal(d.Max.G)
               << " " << ShortestDecimal(d.Max.B) << "\n";
    }
    for (const std::string& c : lut.Comments) *env.out << "  Comment: " << Printable(c) << "\n";
  }
  return status;
}

void PrintColor(const CliEnvironment& env, const TColor& c) {
  *env.out << FormatSignificant(c.R) << " " << FormatSignificant(c.G) << " " << FormatSignificant(c.B) << "\n";
}

int RunEval(const std::string& file, const std::vector<std::string>& rgb, const std::string& cccid,
            const CliEnvironment& env) {
  TLUT lut;
  if (!LoadUsableLUT(file, lut, env, "", cccid)) return kExitFailed;
  if (!rgb.empty()) {
    if (rgb.size() != 3) {
      *env.err << "eval takes three input values R G B.\n";
      return kExitUsage;
    }
    TColor in;
    if (!TryParseFloat(rgb[0], in.R) || !TryParseFloat(rgb[1], in.G) || !TryParseFloat(rgb[2], in.B)) {
      *env.err << "R G B must be decimal numbers.\n";
      return kExitUsage;
    }
    PrintColor(env, EvaluateLUT(lut, in));
    return kExitOk;
  }
  std::string line;
  std::size_t line_no = 0;
  while (env.in != nullptr && std::getline(*env.in, line)) {
    ++line_no;
    if (IsBlank(line.empty() ? ' ' : line[0]) && Trim(line).empty()) continue;
    TColor in;
    if (!ReadFloatTriple(line, in.R, in.G, in.B)) {
      *env.err << "line " << line_no << ": expected three numbers \"R G B\".\n";
      return kExitFailed;
    }
    PrintColor(env, EvaluateLUT(lut, in));
  }
  return kExitOk;
}

int RunProfiles(const CliEnvironment& env) {
  const auto& profiles = OutputProfiles();
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const TLutOutputProfile& p = *profiles[i];
    const TLUTFormat& f = FormatOfProfile(p);
    *env.out << i << "\t" << p.Caption << "\t." << p.Extension << "\tformat " << IndexOf(p.FormatIndex) << " ("
             << f.Name << ")\t" << (p.Is3D ? "size " : "length ") << p.DefaultSize;
    if (p.SizeSelectable) *env.out << " (selectable: 2 to " << LargestSize(p) << ")";
    *env.out << "\t";
    if (p.DefaultBits == 0) *env.out << "floating point";
    else *env.out << "bits " << p.DefaultBits;
    if (p.BitsSelectable) *env.out << " (selectable: " << JoinedOr(SelectableBits(p)) << ")";
    *env.out << "\n";
  }
  return kExitOk;
}

int RunFormats(const CliEnvironment& env) {
  for (const TLUTFormat* format : DetectionOrder()) {
    const TLUTFormat& f = *format;
    std::string rw;
    if (f.CanLoad()) rw += "read";
    if (f.CanSave()) rw += rw.empty() ? "write" : "/write";
    if (rw.empty()) rw = "not available";
    *env.out << IndexOf(f.Id) << "\t" << f.Name << "\t" << (f.Is3D ? "3D" : "1D") << "\t" << rw << "\n";
  }
  return kExitOk;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const CliEnvironment& env) {
  CLI::App app{"Zelvo LUT Converter: converts colour look-up tables between file formats.", "zelvo-lut"};
  app.set_version_flag("--version", std::string("zelvo-lut ") + ZelvoVersion());
  app.require_subcommand(1);

  ConvertOptions conv;
  CLI::App* convert = app.add_subcommand("convert", "Convert LUT files into one output profile");
  convert->add_option("-p,--profile", conv.profile, ProfileOptionHelp())->required();
  convert->add_option("-o,--output", conv.output_folder, "Output folder")->required();
  convert->add_option("--size", conv.size, "Grid size (3D) or number of entries (1D); default: the profile's");
  convert->add_option("--bits", conv.bits, "Bit depth of integer formats; default: the profile's");
  CLI::Option* overwrite = convert->add_flag("--overwrite", conv.overwrite, "Replace existing output files");
  CLI::Option* skip = convert->add_flag("--skip-existing", conv.skip_existing, "Keep existing output files");
  overwrite->excludes(skip);
  convert->add_flag("--keep-going", conv.keep_going,
                    "After a file fails, convert the rest (the exit status still says that one failed)");
  AddCorrectionIdOption(*convert, conv.cccid);
  convert->add_option("files", conv.files, "LUT files to convert")->required();

  std::vector<std::string> info_files;
  std::string info_cccid;
  CLI::App* info = app.add_subcommand("info", "Show the detected format, kind, size and comments of LUT files");
  AddCorrectionIdOption(*info, info_cccid);
  info->add_option("files", info_files, "LUT files")->required();

  std::string eval_file;
  std::vector<std::string> eval_rgb;
  std::string eval_cccid;
  CLI::App* eval = app.add_subcommand(
      "eval", "Evaluate a LUT at one normalised colour, or at every \"R G B\" line of standard input");
  eval->add_option("file", eval_file, "LUT file")->required();
  eval->add_option("rgb", eval_rgb, "R G B input values (0..1)");
  AddCorrectionIdOption(*eval, eval_cccid);

  CLI::App* profiles = app.add_subcommand("profiles", "List the output profiles");
  CLI::App* formats = app.add_subcommand("formats", "List the LUT formats in detection order");
  const TCliCommand apply = AddApplyCommand(app);
  const TCliCommand icc = AddICCCommand(app);

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e, *env.out, *env.err);
    return code == 0 ? kExitOk : kExitUsage;
  }

  if (*convert) return RunConvert(conv, env);
  if (*info) return RunInfo(info_files, info_cccid, env);
  if (*eval) return RunEval(eval_file, eval_rgb, eval_cccid, env);
  if (*profiles) return RunProfiles(env);
  if (*formats) return RunFormats(env);
  if (*apply.App) return apply.Run(env);
  if (*icc.App) return icc.Run(env);
  return kExitUsage;
}

}  // namespace zelvo
