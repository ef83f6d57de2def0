// What the commands of zelvo-lut share: exit codes, safe printing of text from
// files, output profiles named on the command line, and the rules for output
// files that exist.
#pragma once

#include <CLI/CLI.hpp>

#include <exception>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/CliMain.h"
#include "convert/ConvertJob.h"
#include "registry/Registry.h"

namespace zelvo {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Text from a file (a name, a comment, a message that quotes it) with its
// control characters shown as \xNN, so that it cannot drive the terminal.
std::string Printable(std::string_view text);
// An error's message with the format and line where a load went wrong.
std::string MessageOf(const std::exception& e);

// A profile by its index, its exact caption, or a caption that matches
// ignoring case when only one does. Sets `error` when none or several match.
const TLutOutputProfile* FindProfile(const std::string& text, std::string& error);
// The help line of a command's profile option, with the indexes in use.
std::string ProfileOptionHelp();

// The profile, size and depth options of a command in `settings`, checked as
// the conversion job checks them; a usage error is returned as its message.
std::string CheckOutputOptions(const std::string& profile_text, const std::string& size, int bits,
                               ConversionSettings& settings);

// Asks the overwrite question on the terminal.
OverwriteAnswer AskOverwrite(const CliEnvironment& env, const std::string& target);

// How a command may write `output`: refused (with a message on standard
// error) when it is one of `inputs`, or when it exists and neither
// --overwrite nor a Yes on the terminal allows replacing it. False when
// nothing may be written.
bool MayWriteOutput(const std::string& output, const std::vector<std::string>& inputs, bool overwrite,
                    const CliEnvironment& env, TReplace& replace);

// Runs `f`; an error it raises is reported as "FILE: message" and gives false.
template <typename F>
bool ReportFailure(const std::string& file, const CliEnvironment& env, F&& f) {
  try {
    f();
    return true;
  } catch (const std::exception& e) {
    *env.err << Printable(file) << ": " << MessageOf(e) << "\n";
    return false;
  }
}

// Loads a LUT file whose table can be evaluated; otherwise says why on
// standard error ("The LUT has fewer than 2 points" + `refusal` + ".") and
// gives false.
// `item_id` picks a correction of an ASC CDL collection (--cccid).
// `image` says how a picture is read as an image LUT (--layout, --raster-width).
bool LoadUsableLUT(const std::string& file, TLUT& lut, const CliEnvironment& env, std::string_view refusal = "",
                   const std::string& item_id = {}, const TImageLUTReadOptions& image = {});
// A whole-number option read as decimal digits only: "012" is 12, "0x10" is
// refused (the parser's own conversion takes 0x numbers and octal ones).
CLI::Option* AddDecimalOption(CLI::App& command, const std::string& name, int& value, const std::string& help);
// The --interp option (trilinear or tetrahedral) of a command that evaluates
// LUTs: how their 3D tables are read; unset, as each file asks.
void AddInterpolationOption(CLI::App& command, std::optional<TInterpolation>& interpolation);
// The --cccid option of a command that reads LUT files.
void AddCorrectionIdOption(CLI::App& command, std::string& id);
// The --layout (raster or tiles) and --raster-width options of a command
// that reads LUT files: how a picture whose size fits several layouts is read.
void AddImageLayoutOptions(CLI::App& command, TImageLUTReadOptions& options);

// A subcommand added to the application, and what runs it once parsed.
struct TCliCommand {
  CLI::App* App = nullptr;
  std::function<int(const CliEnvironment&)> Run;
};
// The commands, one file each.
TCliCommand AddConvertCommand(CLI::App& app);
TCliCommand AddInfoCommand(CLI::App& app);
TCliCommand AddEvalCommand(CLI::App& app);
TCliCommand AddProfilesCommand(CLI::App& app);
TCliCommand AddFormatsCommand(CLI::App& app);
TCliCommand AddApplyCommand(CLI::App& app);
TCliCommand AddICCCommand(CLI::App& app);
TCliCommand AddDiffCommand(CLI::App& app);
TCliCommand AddIdentityCommand(CLI::App& app);
TCliCommand AddBakeCommand(CLI::App& app);

}  // namespace zelvo
