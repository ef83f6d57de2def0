#include "convert/ConvertJob.h"

#include <algorithm>
#include <filesystem>

#include "formats/StringLib.h"
#include "lut/Errors.h"
#include "lut/Resample.h"

namespace zelvo {

std::string& LastOutputFolder() {
  static std::string folder;
  return folder;
}

std::string TargetFileName(const std::string& source_name, const std::string& extension) {
  const std::size_t dot = source_name.rfind('.');
  const std::string stem = dot == std::string::npos ? source_name : source_name.substr(0, dot);
  return stem + "." + extension;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return (std::filesystem::path(folder) / name).string();
}

std::string OverwriteQuestion(const std::string& target_path) {
  return "The " + target_path + " file is already exist. Are you sure want you to overwrite it?";
}

int ResolveGridSize(const std::string& size_text, const TLutOutputProfile& profile) {
  if (size_text == "Default") return profile.DefaultSize;
  int size = 0;
  if (!TryParseInt(size_text, size)) return profile.DefaultSize;
  return size;
}

void CheckConversionSettings(const ConversionSettings& settings) {
  const TLutOutputProfile* profile = settings.OutputProfile;
  if (profile == nullptr || LUTFormatByIndex(IndexOf(profile->FormatIndex)) == nullptr) {
    throw EZelvoError("No output format is selected.");
  }
  const std::string& caption = profile->Caption;
  if (!profile->SizeSelectable && settings.SizeText != "Default" &&
      ResolveGridSize(settings.SizeText, *profile) != profile->DefaultSize) {
    throw EZelvoError("The output format \"" + caption + "\" has a fixed size of " +
                      std::to_string(profile->DefaultSize) + (FormatOfProfile(*profile).Is3D ? " points" : " entries") +
                      "; it cannot be changed.");
  }
  if (settings.Bits == -1) return;
  if (profile->DefaultBits == 0) {
    throw EZelvoError("The output format \"" + caption + "\" writes floating-point values and takes no bit depth.");
  }
  if (!profile->BitsSelectable && settings.Bits != profile->DefaultBits) {
    throw EZelvoError("The output format \"" + caption + "\" writes at a fixed depth of " +
                      std::to_string(profile->DefaultBits) + " bits; it cannot be changed.");
  }
  if (settings.Bits < 1 || settings.Bits > 31) {
    throw EZelvoError("A bit depth of " + std::to_string(settings.Bits) + " is not supported (1 to 31 bits).");
  }
}

bool ConvertFile(const ConversionSettings& settings, const std::string& source_path, const std::string& target_path) {
  CheckConversionSettings(settings);
  const TLutOutputProfile& profile = *settings.OutputProfile;
  const TLUTFormat& format = FormatOfProfile(profile);
  const int size = ResolveGridSize(settings.SizeText, profile);
  if (size < kMinUsableSize) {
    throw ELUTError("A target size of " + std::to_string(size) + " is not supported; a LUT needs at least " +
                    std::to_string(kMinUsableSize) + (format.Is3D ? " points per axis." : " entries."));
  }

  // The file is read once; its bytes are gone when the load returns.
  TLUT source;
  LoadLUTFile(source_path, source);
  // A file that no format recognises (any more) leaves the source empty; never
  // write a table built from it.
  if (source.FormatIndex == TLUTFormatId::None) {
    throw ELUTError("The file \"" + source_path + "\" is not a LUT file of a known format.");
  }
  if (!HasUsableTable(source)) {
    throw ELUTError("The LUT in \"" + source_path + "\" has fewer than 2 points; it cannot be converted.");
  }

  // The target covers what the source covers where its format can say so;
  // other formats' readers assume 0..1.
  const TLUTDomain domain = format.StatesDomain() ? source.InputDomain() : TLUTDomain{};
  const bool clipped = !format.StatesDomain() && source.InputDomain().ReachesBeyondUnit();
  // A table of the target's kind, size and domain passes over as it is.
  const TLUT target =
      format.Is3D ? ResampledLUT(std::move(source), TLUTKind::lk3D, std::min(size, kMaxConvertGridSize), domain)
                  : ResampledLUT(std::move(source), TLUTKind::lk1D, std::min(size, kMaxConvert1DSize), domain);
  SaveLUTFile(target_path, target, profile, settings.Bits);
  return clipped;
}

BatchResult ConvertFiles(const ConversionSettings& settings, const std::vector<ConversionEntry>& entries,
                         const ConversionFeedback& feedback) {
  CheckConversionSettings(settings);
  const std::size_t n = entries.size();
  for (std::size_t i = 0; i < n; ++i) {
    const ConversionEntry& entry = entries[i];
    if (!entry.Checked) continue;
    const std::string source_path = JoinPath(entry.Folder, entry.FileName);
    const std::string target_path =
        JoinPath(settings.OutputFolder, TargetFileName(entry.FileName, settings.OutputProfile->Extension));

    std::error_code ec;
    if (std::filesystem::exists(target_path, ec)) {
      // Without someone to ask, an existing file is never replaced.
      const OverwriteAnswer answer =
          feedback.ConfirmOverwrite ? feedback.ConfirmOverwrite(target_path) : OverwriteAnswer::No;
      if (answer == OverwriteAnswer::No) continue;
      if (answer == OverwriteAnswer::Cancel) return BatchResult::Cancelled;
    }
    if (feedback.ReportProgress) feedback.ReportProgress(static_cast<double>(i + 1) * 100.0 / static_cast<double>(n));
    if (feedback.PollCancelled && feedback.PollCancelled()) return BatchResult::Cancelled;
    if (feedback.FileStarting) feedback.FileStarting(source_path, target_path);
    if (ConvertFile(settings, source_path, target_path) && feedback.InputsClipped) {
      feedback.InputsClipped(source_path);
    }
  }
  return BatchResult::Completed;
}

}  // namespace zelvo
