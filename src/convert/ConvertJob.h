// The batch conversion job, without any window: the settings dialog, the
// command line and the tests all drive it through these calls.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "base/TextFile.h"
#include "convert/Verify.h"
#include "registry/Registry.h"

namespace zelvo {

struct ConversionSettings {
  std::string OutputFolder;
  const TLutOutputProfile* OutputProfile = nullptr;
  std::string SizeText = "Default";  // "Default" or the digits the user typed
  int Bits = -1;                     // -1 for the profile's default
  // How the source's 3D table is read when it is resampled; unset: as its
  // file asks (trilinear unless it says otherwise).
  std::optional<TInterpolation> Interpolation{};
  std::string ItemId = {};           // the correction of an ASC CDL collection (--cccid); "": the first
  TImageLUTReadOptions ImageLayout = {};  // how a picture is read as an image LUT (--layout, --raster-width)
  bool Invert = false;               // each file's inverse is written (convert --invert)
  // Read each written file back and compare it with its source: a file that
  // differs by more than expected fails (and stays written).
  bool Verify = false;
};

struct ConversionEntry {
  std::string FileName;  // without folder
  std::string Folder;
  bool Checked = true;
};

// YesToAll and NoToAll answer this question and every later one of the batch.
enum class OverwriteAnswer { Yes, No, Cancel, YesToAll, NoToAll };

// What became of one checked entry of a batch.
enum class TFileOutcome { Converted, Skipped, Failed };

struct ConversionFeedback {
  std::function<OverwriteAnswer(const std::string& target_path)> ConfirmOverwrite;
  std::function<void(double percent)> ReportProgress;
  std::function<bool()> PollCancelled;
  // Optional: told of each checked entry as the batch reaches it, before its
  // overwrite question: its target, its place among the checked entries
  // (from 1) and their number.
  std::function<void(const std::string& source_path, const std::string& target_path, std::size_t reached,
                     std::size_t checked)>
      FileReached;
  // Optional: told which file is about to be converted, so that a caller can
  // name it when the conversion fails.
  std::function<void(const std::string& source_path, const std::string& target_path)> FileStarting;
  // Optional: told once the file's source is read, before its target is
  // built and written.
  std::function<void(const std::string& source_path, const std::string& target_path)> SourceRead;
  // Optional: told when a source covers inputs beyond 0..1 that the target
  // format cannot state, so that its table holds what the source does to
  // inputs 0..1 and clips the rest.
  std::function<void(const std::string& source_path)> InputsClipped;
  // Optional: told when the target format's encoding holds only values 0..1
  // and the written table had values beyond them, which it clips.
  std::function<void(const std::string& source_path)> OutputsClipped;
  // Optional: told what a written table loses of its source, once per file
  // and loss (the colour mixing of a 3D LUT written as 1D, the colours of a
  // process list between the points of a table).
  std::function<void(const std::string& source_path, const std::string& warning)> Warning;
  // Optional: told what reading a written file back found (settings.Verify),
  // before the file counts as converted or, when the verification failed,
  // as failed.
  std::function<void(const std::string& source_path, const std::string& target_path,
                     const TVerification& verification)>
      Verified;
  // Optional: told what became of each checked entry the batch reached.
  std::function<void(const std::string& source_path, TFileOutcome outcome)> FileDone;
  // Optional: told of a file that failed, with its error. Returning true goes
  // on with the next file; without it, or returning false, the error ends the
  // batch and passes to the caller.
  std::function<bool(const std::string& source_path, const std::exception& error)> FileFailed;
};

enum class BatchResult { Completed, Cancelled };

// The source name with its extension replaced by "." + extension.
std::string TargetFileName(const std::string& source_name, const std::string& extension);
// Folder and name joined with the platform's separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// Whether two names are the same file on disk (the same node, or where a
// name does not exist yet, the same absolute path).
bool IsSameFile(const std::string& a, const std::string& b);

// The text of the overwrite question for a target path.
std::string OverwriteQuestion(const std::string& target_path);

// The grid size or 1D length for a size text: "Default" or an invalid number
// give the profile's DefaultSize.
int ResolveGridSize(const std::string& size_text, const TLutOutputProfile& profile);

// The largest size the job builds for a profile: 256 points for 3D formats
// (or fewer where the format holds fewer), 99,999 entries for 1D formats, the
// last of the profile's own sizes where it lists them.
int LargestSize(const TLutOutputProfile& profile);
// The sizes a profile takes, for messages and lists: "2 to 256", or its own
// ("4, 9, 16, ... or 256"; a run of whole numbers as "2 to 64").
std::string SelectableSizesText(const TLutOutputProfile& profile);
// The depths of the dialog's list (8, 10, 12, 14, 16) that a profile accepts:
// those whose files its reader reads back, or only the default where the
// depth is fixed; none for floating-point formats. A profile that lists its
// own depths gives their bits (32 for float samples).
std::vector<int> SelectableBits(const TLutOutputProfile& profile);

// Refuses a typed size outside 2..LargestSize, which the job would otherwise
// bring to the nearest size it builds, and a text that is not a whole number
// (pasted or entered through an input method), which it would silently read
// as the default. "Default" and an empty text are the default. For the front
// ends, before any work.
void CheckSizeInRange(const ConversionSettings& settings);

// Refuses settings that no writer can honour or the profile does not allow: no
// profile; a size other than its default for a profile whose size is fixed, or
// not one of its own sizes where it lists them; a bit depth for a
// floating-point profile, other than the default for a profile whose depth is
// fixed, outside 1..31 bits, or not one of its own depths where it lists them.
void CheckConversionSettings(const ConversionSettings& settings);

// What a conversion has to tell besides the file it wrote.
struct TConvertNotes {
  // The source covers inputs beyond 0..1 that the target format cannot state.
  bool InputsClipped = false;
  // The table has values beyond 0..1 that the target format clips.
  bool OutputsClipped = false;
  // What the table loses of its source, one sentence each (see LossOf).
  std::vector<std::string> Warnings;
  // What reading the written file back found, with settings.Verify.
  std::optional<TVerification> Verification;
};

// A file written whole whose read-back differs from its source by more than
// expected, or cannot be read back: the conversion failed, the file stays.
// It carries the conversion's notes, which hold the verification.
class EVerificationFailed : public EZelvoError {
 public:
  EVerificationFailed(const std::string& message, TConvertNotes notes)
      : EZelvoError(message), Notes(std::move(notes)) {}
  TConvertNotes Notes;
};
// Reads one file, resamples it to the profile's kind and size, writes it.
// The target covers the source's input domain when its format can state one,
// else 0..1 (InputsClipped says when the source reaches beyond it). A process
// list is sampled once at the target's grid; with settings.Invert the
// file's inverse is. `replace` says whether an
// existing target may be replaced; a file that is there with KeepExisting is
// refused, even one that appeared a moment ago.
// `source_read` is called once the source is read. With settings.Verify the
// file is read back once written and compared with the source: a failed
// verification raises EVerificationFailed.
TConvertNotes ConvertFile(const ConversionSettings& settings, const std::string& source_path,
                          const std::string& target_path, TReplace replace = TReplace::Replace,
                          const std::function<void()>& source_read = {});

// The same for a LUT in memory (a chain built by BuildChainLUT): resampled
// to the profile's kind, size and domain, written to `target_path`. A chain
// of inverted LUTs says in the notes what its inverses met.
TConvertNotes ConvertLUT(const ConversionSettings& settings, TLUT&& source, const std::string& target_path,
                         TReplace replace = TReplace::Replace);

// The batch loop over the entries in list order. A target that is a source of
// the batch, or that an earlier entry of it wrote, is refused before the
// overwrite question: nothing is written for that entry. Errors end the batch
// and pass to the caller (unless FileFailed says to go on); files written
// before stay. A failed verification is the file's error, told after its
// notes and its Verified.
BatchResult ConvertFiles(const ConversionSettings& settings, const std::vector<ConversionEntry>& entries,
                         const ConversionFeedback& feedback);

}  // namespace zelvo
