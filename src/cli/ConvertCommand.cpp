// zelvo-lut convert -p PROFILE -o FOLDER FILES...: the batch conversion job
// on the command line, with a progress line per file and a summary.
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

#include "base/Errors.h"
#include "cli/CliCommon.h"
#include "convert/ConvertJob.h"

namespace zelvo {

namespace {

struct TConvertOptions {
  std::string profile;
  std::string output_folder;
  std::string size = "Default";
  int bits = -1;
  bool overwrite = false;
  bool skip_existing = false;
  bool keep_going = false;
  bool invert = false;
  bool verify = false;
  std::string cccid;
  TImageLUTReadOptions image;
  std::optional<TInterpolation> interpolation;
  std::vector<std::string> files;
};

// Thrown out of the overwrite question when nobody can answer it.
class EOverwriteRefused : public EZelvoError {
 public:
  using EZelvoError::EZelvoError;
};

// The settings of a convert call, or a usage error (returned as its message).
std::string CheckConvertOptions(const TConvertOptions& o, ConversionSettings& settings) {
  std::error_code ec;
  const auto status = std::filesystem::status(o.output_folder, ec);
  if (!std::filesystem::exists(status)) {
    return Printable(o.output_folder) + ": The output folder does not exist.";
  }
  if (!std::filesystem::is_directory(status)) return Printable(o.output_folder) + ": The output folder is not a folder.";
  settings.OutputFolder = o.output_folder;
  settings.ItemId = o.cccid;
  settings.ImageLayout = o.image;
  settings.Interpolation = o.interpolation;
  settings.Invert = o.invert;
  settings.Verify = o.verify;
  return CheckOutputOptions(o.profile, o.size, o.bits, settings);
}

// One batch on the terminal: answers the job's questions from the options,
// prints each file's progress and messages under its own name, and counts
// what became of every file.
class TConvertRun {
 public:
  TConvertRun(const TConvertOptions& o, const ConversionSettings& settings, const CliEnvironment& env)
      : o_(o), settings_(settings), env_(env), total_(o.files.size()) {}

  int Run() {
    std::vector<ConversionEntry> entries;
    for (const std::string& f : o_.files) {
      const std::filesystem::path p(f);
      entries.push_back(ConversionEntry{p.filename().string(), p.parent_path().string(), true});
    }
    try {
      if (ConvertFiles(settings_, entries, Feedback()) == BatchResult::Cancelled) {
        *env_.err << "Cancelled.\n";
        Summary();
        return kExitFailed;
      }
    } catch (const std::exception& e) {
      // A file's error is printed where it fails; what is left failed before
      // any file did.
      if (!stopped_) *env_.err << MessageOf(e) << "\n";
      Summary();
      return kExitFailed;
    }
    Summary();
    return failed_ > 0 ? kExitFailed : kExitOk;
  }

 private:
  ConversionFeedback Feedback() {
    ConversionFeedback f;
    f.ConfirmOverwrite = [this](const std::string& target) { return ConfirmOverwrite(target); };
    f.SourceRead = [this](const std::string& source, const std::string& target) { SourceRead(source, target); };
    f.PollCancelled = [] { return false; };
    f.InputsClipped = [this](const std::string& source) { InputsClipped(source); };
    f.OutputsClipped = [this](const std::string& source) { OutputsClipped(source); };
    f.Warning = [this](const std::string& source, const std::string& warning) {
      *env_.err << Printable(source) << ": " << Printable(warning) << ".\n";
    };
    f.Verified = [this](const std::string& source, const std::string& target, const TVerification& v) {
      verified_.push_back(TVerified{source, target, v});
    };
    f.FileDone = [this](const std::string&, TFileOutcome outcome) { FileDone(outcome); };
    f.FileFailed = [this](const std::string& source, const std::exception& e) { return FileFailed(source, e); };
    return f;
  }

  OverwriteAnswer ConfirmOverwrite(const std::string& target) {
    if (o_.overwrite) return OverwriteAnswer::Yes;
    if (o_.skip_existing) return OverwriteAnswer::No;
    if (env_.interactive && env_.in != nullptr) return AskOverwrite(env_, target);
    throw EOverwriteRefused(target +
                            ": The file already exists; pass --overwrite to replace it or --skip-existing to keep it.");
  }

  // The progress line, once the source is read: a file that cannot be read
  // shows its error instead.
  void SourceRead(const std::string& source, const std::string& target) {
    if (total_ > 1) {
      *env_.err << "[" << reached_ + 1 << "/" << total_ << "] " << Printable(source) << " -> " << Printable(target) << "\n";
    }
  }

  void InputsClipped(const std::string& source) {
    if (clip_noted_) return;
    clip_noted_ = true;
    *env_.err << Printable(source) << ": covers inputs beyond 0..1, which \"" << settings_.OutputProfile->Caption
              << "\" cannot state; the converted files hold what the sources do to inputs 0..1 and clip the rest.\n";
  }

  void OutputsClipped(const std::string& source) {
    if (outputs_clip_noted_) return;
    outputs_clip_noted_ = true;
    *env_.err << Printable(source) << ": has values beyond 0..1, which \"" << settings_.OutputProfile->Caption
              << "\" cannot hold; the converted files clip them to 0..1.\n";
  }

  void FileDone(TFileOutcome outcome) {
    ++reached_;
    ++(outcome == TFileOutcome::Converted ? converted_ : outcome == TFileOutcome::Skipped ? skipped_ : failed_);
  }

  // Every failure is printed under the file it concerns and counted; with
  // --keep-going the batch goes on, else it stops here.
  bool FileFailed(const std::string& source, const std::exception& e) {
    if (dynamic_cast<const EOverwriteRefused*>(&e) != nullptr) {
      *env_.err << Printable(e.what()) << "\n";
    } else {
      *env_.err << Printable(source) << ": " << MessageOf(e) << "\n";
    }
    if (o_.keep_going) return true;
    ++failed_;
    ++reached_;
    stopped_ = true;
    return false;
  }

  // The counts add up to the files given: those a failure kept the batch
  // from are named as not converted.
  void Summary() const {
    if (total_ > 1) {
      *env_.err << "Converted " << converted_ << ", skipped " << skipped_ << ", failed " << failed_;
      if (reached_ < total_) *env_.err << ", not converted " << total_ - reached_;
      *env_.err << ".\n";
    }
    if (verified_.empty()) return;
    // Every file read back, with its largest difference from its source.
    *env_.err << "Read back and compared with the sources:\n";
    for (const TVerified& v : verified_) {
      *env_.err << "  " << Printable(v.source) << " -> " << Printable(v.target) << ": "
                << Printable(VerificationText(v.verification)) << "\n";
    }
  }

  struct TVerified {
    std::string source, target;
    TVerification verification;
  };

  const TConvertOptions& o_;
  const ConversionSettings& settings_;
  const CliEnvironment& env_;
  const std::size_t total_;
  std::size_t reached_ = 0, converted_ = 0, skipped_ = 0, failed_ = 0;
  std::vector<TVerified> verified_;
  bool clip_noted_ = false;
  bool outputs_clip_noted_ = false;
  bool stopped_ = false;
};

int RunConvert(const TConvertOptions& o, const CliEnvironment& env) {
  ConversionSettings settings;
  if (const std::string usage = CheckConvertOptions(o, settings); !usage.empty()) {
    *env.err << usage << "\n";
    return kExitUsage;
  }
  return TConvertRun(o, settings, env).Run();
}

}  // namespace

TCliCommand AddConvertCommand(CLI::App& app) {
  auto o = std::make_shared<TConvertOptions>();
  CLI::App* convert = app.add_subcommand("convert", "Convert LUT files into one output profile");
  convert->add_option("-p,--profile", o->profile, ProfileOptionHelp())->required();
  convert->add_option("-o,--output", o->output_folder, "Output folder")->required();
  convert->add_option("--size", o->size, "Grid size (3D) or number of entries (1D); default: the profile's");
  AddDecimalOption(*convert, "--bits", o->bits, "Bit depth of integer formats; default: the profile's");
  AddInterpolationOption(*convert, o->interpolation);
  CLI::Option* overwrite = convert->add_flag("--overwrite", o->overwrite, "Replace existing output files");
  CLI::Option* skip = convert->add_flag("--skip-existing", o->skip_existing, "Keep existing output files");
  overwrite->excludes(skip);
  convert->add_flag("--keep-going", o->keep_going,
                    "After a file fails, convert the rest (the exit status still says that one failed)");
  convert->add_flag("--verify", o->verify,
                    "Read each written file back with its format's reader and compare it with its source: a file "
                    "that differs by more than the resampling and its format's rounding fails (and stays written)");
  AddCorrectionIdOption(*convert, o->cccid);
  AddImageLayoutOptions(*convert, o->image);
  convert->add_flag("--invert", o->invert,
                    "Write each file's inverse: the LUT that takes its colours back to its inputs (1D, 3D or both)");
  convert->add_option("files", o->files, "LUT files to convert")->required();
  return TCliCommand{convert, [o](const CliEnvironment& env) { return RunConvert(*o, env); }};
}

}  // namespace zelvo
