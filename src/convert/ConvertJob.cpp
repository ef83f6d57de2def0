#include "convert/ConvertJob.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <optional>

#include "base/Errors.h"
#include "base/StringLib.h"
#include "convert/LUTChain.h"
#include "convert/Verify.h"
#include "lut/Resample.h"
#include "lut/Shaper.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace zelvo {

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

int LargestSize(const TLutOutputProfile& profile) {
  if (!profile.Sizes.empty()) return profile.Sizes.back();
  return profile.Is3D ? std::min(kMaxConvertGridSize, FormatOfProfile(profile).LargestGridSize()) : kMaxConvert1DSize;
}

std::string SelectableSizesText(const TLutOutputProfile& profile) {
  const std::vector<int>& sizes = profile.Sizes;
  const bool run = sizes.empty() || sizes.back() - sizes.front() + 1 == static_cast<int>(sizes.size());
  if (run) {
    return std::to_string(sizes.empty() ? kMinUsableSize : sizes.front()) + " to " + std::to_string(LargestSize(profile));
  }
  std::string text;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (i > 0) text += i + 1 == sizes.size() ? " or " : ", ";
    text += std::to_string(sizes[i]);
  }
  return text;
}

std::vector<int> SelectableBits(const TLutOutputProfile& profile) {
  if (!profile.Depths.empty()) {
    std::vector<int> bits;
    for (const TProfileDepth& d : profile.Depths) bits.push_back(d.Bits);
    return bits;
  }
  if (profile.DefaultBits == 0) return {};
  if (!profile.BitsSelectable) return {profile.DefaultBits};
  std::vector<int> bits;
  for (const int b : {8, 10, 12, 14, 16}) {
    if (FormatOfProfile(profile).HoldsBits(b)) bits.push_back(b);
  }
  return bits;
}

namespace {

[[noreturn]] void RefuseSize(const TLutOutputProfile& profile, const std::string& size_text) {
  throw EZelvoError("A size of " + size_text + " is not supported for \"" + profile.Caption + "\" (" +
                    SelectableSizesText(profile) + (profile.Is3D ? " points per axis)." : " entries)."));
}

}  // namespace

void CheckSizeInRange(const ConversionSettings& settings) {
  // An empty text is what the dialog leaves when "Default" is deleted: the
  // default size, like "Default" itself.
  if (settings.OutputProfile == nullptr || settings.SizeText == "Default" || settings.SizeText.empty()) return;
  const TLutOutputProfile& profile = *settings.OutputProfile;
  int size = 0;
  const bool number = TryParseInt(settings.SizeText, size);
  const bool listed = profile.Sizes.empty() || std::ranges::find(profile.Sizes, size) != profile.Sizes.end();
  if (!number || size < kMinUsableSize || size > LargestSize(profile) || !listed) RefuseSize(profile, settings.SizeText);
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
                      std::to_string(profile->DefaultSize) + (profile->Is3D ? " points" : " entries") +
                      "; it cannot be changed.");
  }
  if (!profile->Sizes.empty() && settings.SizeText != "Default" && !settings.SizeText.empty()) {
    const int size = ResolveGridSize(settings.SizeText, *profile);
    if (std::ranges::find(profile->Sizes, size) == profile->Sizes.end()) RefuseSize(*profile, settings.SizeText);
  }
  if (settings.Bits == -1) return;
  if (!profile->Depths.empty()) {
    std::string held;
    for (std::size_t i = 0; i < profile->Depths.size(); ++i) {
      if (profile->Depths[i].Bits == settings.Bits) return;
      held += (i == 0 ? "" : i + 1 == profile->Depths.size() ? " or " : ", ") + DepthCaption(profile->Depths[i]);
    }
    throw EZelvoError("The output format \"" + caption + "\" is written at " + held + ", not at " +
                      std::to_string(settings.Bits) + " bits.");
  }
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
  if (!FormatOfProfile(*profile).HoldsBits(settings.Bits)) {
    const std::vector<int> bits = SelectableBits(*profile);
    std::string held;
    for (std::size_t i = 0; i < bits.size(); ++i) {
      if (i > 0) held += i + 1 == bits.size() ? " or " : ", ";
      held += std::to_string(bits[i]);
    }
    throw EZelvoError("The output format \"" + caption + "\" cannot be written at " + std::to_string(settings.Bits) +
                      " bits: its files are read back at " + held + " bits only.");
  }
}

namespace {

// The points of the shaper a process list gets ahead of its table, where the
// target format holds one.
constexpr int kShaperSize = 4096;

// A value of the table in force outside 0..1 (or not a number).
bool ValuesBeyondUnit(const TLUT& lut) {
  const bool is_3d = lut.Kind == TLUTKind::lk3D;
  const std::size_t n = is_3d ? static_cast<std::size_t>(lut.Size3D()) : 0;
  const std::size_t count = is_3d ? n * n * n : static_cast<std::size_t>(lut.Size1D());
  const TLUTEntry* e = is_3d ? lut.Data3D() : lut.Data1D();
  const auto outside = [](double v) { return !(v >= 0.0 && v <= 1.0); };
  return std::any_of(e, e + count, [&](const TLUTEntry& x) { return outside(x.R) || outside(x.G) || outside(x.B); });
}

// The size the profile's files are built at; refuses settings no writer can
// honour before any work.
int CheckedSize(const ConversionSettings& settings) {
  CheckConversionSettings(settings);
  const TLutOutputProfile& profile = *settings.OutputProfile;
  const int size = ResolveGridSize(settings.SizeText, profile);
  if (size < kMinUsableSize) {
    throw ELUTError("A target size of " + std::to_string(size) + " is not supported; a LUT needs at least " +
                    std::to_string(kMinUsableSize) + (profile.Is3D ? " points per axis." : " entries."));
  }
  return std::min(size, LargestSize(profile));
}

// Fills the target from a source that computes its colours: a chain of
// steps is told to count what its inverses meet.
void SampleInto(TLUT& target, const TLUT& source, TConvertNotes& notes) {
  const auto* chain = dynamic_cast<const TChainEvaluator*>(source.Evaluator.get());
  if (chain == nullptr) {
    ResampleLUT(target, source);
    return;
  }
  target.Comments = source.Comments;
  std::vector<TInverseStats> stats;
  BakeLUT(target, [&](const TColor* in, TColor* out, std::size_t count) { chain->Evaluate(in, out, count, stats); });
  for (std::string& note : chain->InverseNotes(stats)) notes.Warnings.push_back(std::move(note));
}

}  // namespace

TConvertNotes ConvertLUT(const ConversionSettings& settings, TLUT&& source, const std::string& target_path,
                         TReplace replace) {
  const int built = CheckedSize(settings);
  const TLutOutputProfile& profile = *settings.OutputProfile;
  const TLUTFormat& format = FormatOfProfile(profile);
  // The target covers what the source covers where its format can say so;
  // other formats' readers assume 0..1.
  TConvertNotes notes;
  const TLUTDomain domain = format.DomainToWrite(source.InputDomain());
  notes.InputsClipped = !format.StatesDomain() && source.InputDomain().ReachesBeyondUnit();
  const TLUTKind kind = profile.Is3D ? TLUTKind::lk3D : TLUTKind::lk1D;
  const bool may_lose = source.Kind == TLUTKind::lkChain || (!profile.Is3D && source.Kind != TLUTKind::lk1D);
  // Writes the target and, given the source to verify it against, reads it back.
  const auto save = [&](const TLUT& target, const TLUT* verify_against) {
    SaveLUTFile(target_path, target, profile, settings.Bits, replace);
    if (verify_against == nullptr) return;
    const int bits = settings.Bits == -1 ? profile.DefaultBits : settings.Bits;
    notes.Verification = VerifyWrittenFile(*verify_against, target, profile, bits, target_path);
    if (notes.Verification->Failed()) {
      std::string message = VerificationFailure(*notes.Verification, target_path);
      throw EVerificationFailed(message, std::move(notes));
    }
  };
  // A new table of the target's kind, size and domain.
  const auto new_target = [&] {
    TLUT target;
    target.Kind = kind;
    (profile.Is3D ? target.Domain3D : target.Domain1D) = domain;
    if (profile.Is3D) target.SetSize3D(built);
    else target.SetSize1D(built);
    return target;
  };
  if (may_lose) {
    // Sampled from the source, which stays for the comparison.
    TLUT target = new_target();
    SampleInto(target, source, notes);
    // A process list into a format that holds a shaper ahead of its table:
    // the shaped table where its file follows the list more closely.
    if (source.Kind == TLUTKind::lkChain && profile.Is3D && format.ShaperKind() != TLUTFormat::TShaper::None) {
      TLUT shaped, read;
      const bool one_curve = format.ShaperKind() == TLUTFormat::TShaper::OneCurve;
      const auto as_read = [&format](TLUT& lut) { return format.AsReadBack(lut); };
      if (BakeShaped(source, domain, built, kShaperSize, one_curve, shaped, as_read) &&
          FollowsCloser(source, AsReadBy(format, shaped, read), target)) {
        target = std::move(shaped);
      }
    }
    TLUT read;
    if (std::string loss = LossOf(source, AsReadBy(format, target, read)); !loss.empty()) {
      notes.Warnings.push_back(std::move(loss));
    }
    notes.OutputsClipped = format.ClipsOutputs() && ValuesBeyondUnit(target);
    save(target, settings.Verify ? &source : nullptr);
    return notes;
  }
  // A table resampled for a verified file leaves the source whole, for the
  // comparison.
  if (settings.Verify && !PassesOver(source, kind, built, domain)) {
    TLUT target = new_target();
    ResampleLUT(target, source);
    notes.OutputsClipped = format.ClipsOutputs() && ValuesBeyondUnit(target);
    save(target, &source);
    return notes;
  }
  // Otherwise the source's table is resampled, or passes over as it is
  // (leaving the source without one): a verified file is then compared with
  // that table, which keeps the source's interpolation.
  const TLUT target = ResampledLUT(std::move(source), kind, built, domain);
  notes.OutputsClipped = format.ClipsOutputs() && ValuesBeyondUnit(target);
  save(target, settings.Verify ? &target : nullptr);
  return notes;
}

TConvertNotes ConvertFile(const ConversionSettings& settings, const std::string& source_path,
                          const std::string& target_path, TReplace replace,
                          const std::function<void()>& source_read) {
  CheckedSize(settings);
  // The file is read once; its bytes are gone when the load returns.
  TLUT source;
  LoadLUTFile(source_path, source, TLUTFormatId::None, settings.ItemId, settings.ImageLayout);
  // A file that no format recognises (any more) leaves the source empty; never
  // write a table built from it.
  if (source.FormatIndex == TLUTFormatId::None) {
    throw ELUTError("The file \"" + source_path + "\" is not a LUT file of a known format" +
                    UnknownFormatDetail(source_path) + ".");
  }
  if (!HasUsableTable(source)) {
    throw ELUTError("The LUT in \"" + source_path + "\" has fewer than 2 points; it cannot be converted.");
  }
  if (settings.Interpolation) source.Interpolation3D = *settings.Interpolation;
  if (settings.Invert) source = InvertedLUT(std::move(source), source_path);
  if (source_read) source_read();
  return ConvertLUT(settings, std::move(source), target_path, replace);
}

namespace {

// A file's identity on disk: its device and node where it exists (POSIX),
// else its absolute path with "." and ".." and the links of the part that
// exists resolved. Two names are the same file when both have a node and the
// nodes agree, or else when the paths agree.
struct TFileIdentity {
  std::string Path;
  bool HasNode = false;
  std::uint64_t Device = 0;
  std::uint64_t Node = 0;
  bool SameAs(const TFileIdentity& other) const {
    if (HasNode && other.HasNode) return Device == other.Device && Node == other.Node;
    return Path == other.Path;
  }
};

TFileIdentity IdentityOf(const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code ec;
  TFileIdentity id;
  fs::path path = fs::weakly_canonical(fs::absolute(name, ec), ec);
  id.Path = ec ? fs::absolute(name, ec).lexically_normal().string() : path.string();
#if !defined(_WIN32)
  struct stat st {};
  if (::stat(name.c_str(), &st) == 0) {
    id.HasNode = true;
    id.Device = static_cast<std::uint64_t>(st.st_dev);
    id.Node = static_cast<std::uint64_t>(st.st_ino);
  }
#endif
  return id;
}

struct TNamedIdentity {
  TFileIdentity Identity;
  std::string Source;  // the source the file is, or was written from
};

// Refuses a target that would replace a source of the batch or a file the
// batch has written, naming both.
void CheckTargetIsNew(const std::string& source_path, const std::string& target_path,
                      const std::vector<TNamedIdentity>& sources, const std::vector<TNamedIdentity>& written) {
  std::error_code ec;
  if (std::filesystem::is_directory(target_path, ec)) {
    throw EZelvoError("The target \"" + target_path + "\" is a folder; \"" + source_path + "\" is not converted.");
  }
  const TFileIdentity target = IdentityOf(target_path);
  for (const TNamedIdentity& s : sources) {
    if (!target.SameAs(s.Identity)) continue;
    if (s.Source == source_path) {
      throw EZelvoError("The target \"" + target_path + "\" is the source \"" + source_path +
                        "\" itself; the file is not converted.");
    }
    throw EZelvoError("The target \"" + target_path + "\" is \"" + s.Source + "\", another source of this batch; \"" +
                      source_path + "\" is not converted.");
  }
  for (const TNamedIdentity& w : written) {
    if (target.SameAs(w.Identity)) {
      throw EZelvoError("The target \"" + target_path + "\" was already written from \"" + w.Source +
                        "\" in this batch; \"" + source_path + "\" is not converted.");
    }
  }
}

}  // namespace

bool IsSameFile(const std::string& a, const std::string& b) { return IdentityOf(a).SameAs(IdentityOf(b)); }

BatchResult ConvertFiles(const ConversionSettings& settings, const std::vector<ConversionEntry>& entries,
                         const ConversionFeedback& feedback) {
  CheckConversionSettings(settings);
  std::vector<TNamedIdentity> sources;
  for (const ConversionEntry& entry : entries) {
    if (!entry.Checked) continue;
    const std::string path = JoinPath(entry.Folder, entry.FileName);
    sources.push_back({IdentityOf(path), path});
  }
  std::vector<TNamedIdentity> written;
  // Set by Yes to All or No to All: the answer for every later question.
  std::optional<OverwriteAnswer> standing;
  std::size_t reached = 0;
  const auto done = [&](const std::string& source, TFileOutcome outcome) {
    if (feedback.FileDone) feedback.FileDone(source, outcome);
  };
  const std::size_t n = entries.size();
  for (std::size_t i = 0; i < n; ++i) {
    const ConversionEntry& entry = entries[i];
    if (!entry.Checked) continue;
    const std::string source_path = JoinPath(entry.Folder, entry.FileName);
    const std::string target_path =
        JoinPath(settings.OutputFolder, TargetFileName(entry.FileName, settings.OutputProfile->Extension));
    if (feedback.FileReached) feedback.FileReached(source_path, target_path, ++reached, sources.size());
    try {
      CheckTargetIsNew(source_path, target_path, sources, written);
      std::error_code ec;
      const bool exists = std::filesystem::exists(target_path, ec);
      if (exists) {
        // Without someone to ask, an existing file is never replaced.
        OverwriteAnswer answer = OverwriteAnswer::No;
        if (standing) {
          answer = *standing;
        } else if (feedback.ConfirmOverwrite) {
          answer = feedback.ConfirmOverwrite(target_path);
          if (answer == OverwriteAnswer::YesToAll || answer == OverwriteAnswer::NoToAll) {
            answer = answer == OverwriteAnswer::YesToAll ? OverwriteAnswer::Yes : OverwriteAnswer::No;
            standing = answer;
          }
        }
        if (answer == OverwriteAnswer::No) {
          done(source_path, TFileOutcome::Skipped);
          continue;
        }
        if (answer == OverwriteAnswer::Cancel) return BatchResult::Cancelled;
      }
      if (feedback.ReportProgress) {
        feedback.ReportProgress(static_cast<double>(i + 1) * 100.0 / static_cast<double>(n));
      }
      if (feedback.PollCancelled && feedback.PollCancelled()) return BatchResult::Cancelled;
      if (feedback.FileStarting) feedback.FileStarting(source_path, target_path);
      // Only a file the user agreed to replace is replaced: one that appears
      // after the question is reported instead.
      const TReplace replace = exists ? TReplace::Replace : TReplace::KeepExisting;
      // A file that fails its verification is written: its notes are told
      // and it counts as written before its failure is.
      TConvertNotes notes;
      std::exception_ptr verification_failed;
      try {
        notes = ConvertFile(settings, source_path, target_path, replace, [&] {
          if (feedback.SourceRead) feedback.SourceRead(source_path, target_path);
        });
      } catch (const EVerificationFailed& e) {
        notes = e.Notes;
        verification_failed = std::current_exception();
      }
      if (notes.InputsClipped && feedback.InputsClipped) feedback.InputsClipped(source_path);
      if (notes.OutputsClipped && feedback.OutputsClipped) feedback.OutputsClipped(source_path);
      for (const std::string& warning : notes.Warnings) {
        if (feedback.Warning) feedback.Warning(source_path, warning);
      }
      if (notes.Verification && feedback.Verified) feedback.Verified(source_path, target_path, *notes.Verification);
      written.push_back({IdentityOf(target_path), source_path});
      if (verification_failed) std::rethrow_exception(verification_failed);
      done(source_path, TFileOutcome::Converted);
    } catch (const std::exception& e) {
      if (!feedback.FileFailed || !feedback.FileFailed(source_path, e)) throw;
      done(source_path, TFileOutcome::Failed);
    }
  }
  return BatchResult::Completed;
}

}  // namespace zelvo
