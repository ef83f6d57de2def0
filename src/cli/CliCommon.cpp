#include "cli/CliCommon.h"

#include <filesystem>
#include <istream>
#include <ostream>

#include "base/StringLib.h"
#include "base/Errors.h"
#include "lut/Resample.h"

namespace zelvo {

std::string Printable(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      out += "\\x";
      out.push_back(kHex[u >> 4]);
      out.push_back(kHex[u & 15]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string MessageOf(const std::exception& e) {
  if (const auto* z = dynamic_cast<const EZelvoError*>(&e)) return Printable(z->Described());
  return Printable(e.what());
}

std::string ProfileOptionHelp() {
  return "Output profile: its index (0.." + std::to_string(OutputProfiles().size() - 1) +
         ") or its caption (in any letter case where that is unique)";
}

const TLutOutputProfile* FindProfile(const std::string& text, std::string& error) {
  int index = 0;
  if (TryParseInt(text, index)) {
    if (index >= 0 && static_cast<std::size_t>(index) < OutputProfiles().size()) return &OutputProfileByIndex(index);
  } else if (const TLutOutputProfile* exact = OutputProfileByCaption(text)) {
    return exact;
  } else {
    std::vector<const TLutOutputProfile*> matches;
    for (const auto& p : OutputProfiles()) {
      if (UpperCase(p->Caption) == UpperCase(text)) matches.push_back(p.get());
    }
    if (matches.size() == 1) return matches.front();
  }
  error = "Unknown output profile \"" + Printable(text) + "\"; 'zelvo-lut profiles' lists them.";
  return nullptr;
}

std::string CheckOutputOptions(const std::string& profile_text, const std::string& size, int bits,
                               ConversionSettings& settings) {
  std::string error;
  const TLutOutputProfile* profile = FindProfile(profile_text, error);
  if (profile == nullptr) return error;
  // The dialog only lets digits be typed; here a typo must not fall back to the
  // default size unnoticed.
  int typed_size = 0;
  if (size != "Default" && !TryParseInt(size, typed_size)) {
    return "--size takes \"Default\" or a whole number, not \"" + Printable(size) + "\".";
  }
  settings.OutputProfile = profile;
  settings.SizeText = size;
  settings.Bits = bits;
  try {
    CheckConversionSettings(settings);
    CheckSizeInRange(settings);
  } catch (const EZelvoError& e) {
    return e.what();
  }
  return {};
}

CLI::Option* AddDecimalOption(CLI::App& command, const std::string& name, int& value, const std::string& help) {
  return command.add_option_function<std::string>(
      name,
      [&value, name](const std::string& text) {
        if (!TryParseInt(text, value)) throw CLI::ValidationError(name, "'" + text + "' is not a decimal whole number");
      },
      help);
}

void AddInterpolationOption(CLI::App& command, std::optional<TInterpolation>& interpolation) {
  command.add_option_function<std::string>(
      "--interp",
      [&interpolation](const std::string& text) {
        TInterpolation i;
        if (!ParseInterpolation(text, i)) {
          throw CLI::ValidationError("--interp", "'" + text + "' is neither trilinear nor tetrahedral");
        }
        interpolation = i;
      },
      "How 3D tables are read between grid points: trilinear or tetrahedral; default: as each file asks "
      "(trilinear unless it says otherwise)");
}

void AddCorrectionIdOption(CLI::App& command, std::string& id) {
  command.add_option("--cccid", id, "The id of the correction to read from ASC CDL collections; default: the first");
}

void AddImageLayoutOptions(CLI::App& command, TImageLUTReadOptions& options) {
  using TChoice = TImageLUTReadOptions::TChoice;
  command.add_option_function<std::string>(
      "--layout",
      [&options](const std::string& text) {
        const std::string choice = UpperCase(text);
        if (choice == "RASTER") options.Layout = TChoice::Raster;
        else if (choice == "TILES") options.Layout = TChoice::Tiles;
        else throw CLI::ValidationError("--layout", "'" + text + "' is neither raster nor tiles");
      },
      "How an image LUT whose size fits several layouts is read: raster (Hald CLUTs, ociolutimage) or tiles "
      "(strips, squares); default: the layout under which it is closest to an identity");
  command.add_option_function<std::string>(
      "--raster-width",
      [&options](const std::string& text) {
        if (!TryParseInt(text, options.RasterWidth) || options.RasterWidth < 1) {
          throw CLI::ValidationError("--raster-width", "'" + text + "' is not a whole number of pixels");
        }
      },
      "Read an image LUT as a raster with rows of this many pixels");
}

bool LoadUsableLUT(const std::string& file, TLUT& lut, const CliEnvironment& env, std::string_view refusal,
                   const std::string& item_id, const TImageLUTReadOptions& image) {
  if (!ReportFailure(file, env, [&] { LoadLUTFile(file, lut, TLUTFormatId::None, item_id, image); })) return false;
  if (lut.FormatIndex == TLUTFormatId::None) {
    *env.err << Printable(file) << ": The file is not a LUT file of a known format"
             << Printable(UnknownFormatDetail(file)) << ".\n";
    return false;
  }
  if (!HasUsableTable(lut)) {
    *env.err << Printable(file) << ": The LUT has fewer than 2 points" << refusal << ".\n";
    return false;
  }
  return true;
}

OverwriteAnswer AskOverwrite(const CliEnvironment& env, const std::string& target) {
  for (;;) {
    *env.err << Printable(OverwriteQuestion(target)) << " [y]es/[n]o/[c]ancel: " << std::flush;
    std::string answer;
    if (!std::getline(*env.in, answer)) return OverwriteAnswer::Cancel;
    const std::string a = UpperCase(Trim(answer));
    if (a == "Y" || a == "YES") return OverwriteAnswer::Yes;
    if (a == "N" || a == "NO") return OverwriteAnswer::No;
    if (a == "C" || a == "CANCEL") return OverwriteAnswer::Cancel;
  }
}

bool MayWriteOutput(const std::string& output, const std::vector<std::string>& inputs, bool overwrite,
                    const CliEnvironment& env, TReplace& replace) {
  for (const std::string& input : inputs) {
    if (!input.empty() && IsSameFile(output, input)) {
      *env.err << Printable(output) << ": The output is the input \"" << Printable(input)
               << "\" itself; nothing is written.\n";
      return false;
    }
  }
  std::error_code ec;
  if (std::filesystem::is_directory(output, ec)) {
    *env.err << Printable(output) << ": The output is a folder; nothing is written.\n";
    return false;
  }
  if (!std::filesystem::exists(output, ec)) {
    // A file that appears meanwhile is not replaced either.
    replace = TReplace::KeepExisting;
    return true;
  }
  replace = TReplace::Replace;
  if (overwrite) return true;
  if (env.interactive && env.in != nullptr) {
    if (AskOverwrite(env, output) == OverwriteAnswer::Yes) return true;
    *env.err << Printable(output) << ": Not replaced.\n";
    return false;
  }
  *env.err << Printable(output) << ": The file already exists; pass --overwrite to replace it.\n";
  return false;
}

}  // namespace zelvo
