// zelvo-lut eval FILE [R G B]: a LUT evaluated at one normalised colour, or
// at every "R G B" line of standard input.
#include <charconv>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>

#include "base/StringLib.h"
#include "cli/CliCommon.h"
#include "lut/Resample.h"

namespace zelvo {

namespace {

struct TEvalOptions {
  std::string file;
  std::vector<std::string> rgb;
  std::string cccid;
  TImageLUTReadOptions image;
  std::optional<TInterpolation> interpolation;
};

// Nine significant digits, locale-free.
std::string FormatSignificant(double v) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 9);
  return std::string(buf, res.ptr);
}

void PrintColor(const CliEnvironment& env, const TColor& c) {
  *env.out << FormatSignificant(c.R) << " " << FormatSignificant(c.G) << " " << FormatSignificant(c.B) << "\n";
}

int EvalArguments(const TLUT& lut, const std::vector<std::string>& rgb, const CliEnvironment& env) {
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

int EvalLines(const TLUT& lut, const CliEnvironment& env) {
  std::string line;
  std::size_t line_no = 0;
  while (env.in != nullptr && std::getline(*env.in, line)) {
    ++line_no;
    if (Trim(line).empty()) continue;
    TColor in;
    if (!ReadFloatTriple(line, in.R, in.G, in.B)) {
      *env.err << "line " << line_no << ": expected three numbers \"R G B\".\n";
      return kExitFailed;
    }
    PrintColor(env, EvaluateLUT(lut, in));
  }
  return kExitOk;
}

int RunEval(const TEvalOptions& o, const CliEnvironment& env) {
  TLUT lut;
  if (!LoadUsableLUT(o.file, lut, env, "", o.cccid, o.image)) return kExitFailed;
  if (o.interpolation) lut.Interpolation3D = *o.interpolation;
  return o.rgb.empty() ? EvalLines(lut, env) : EvalArguments(lut, o.rgb, env);
}

}  // namespace

TCliCommand AddEvalCommand(CLI::App& app) {
  auto o = std::make_shared<TEvalOptions>();
  CLI::App* eval = app.add_subcommand(
      "eval", "Evaluate a LUT at one normalised colour, or at every \"R G B\" line of standard input");
  eval->add_option("file", o->file, "LUT file")->required();
  eval->add_option("rgb", o->rgb, "R G B input values (0..1)");
  AddCorrectionIdOption(*eval, o->cccid);
  AddImageLayoutOptions(*eval, o->image);
  AddInterpolationOption(*eval, o->interpolation);
  return TCliCommand{eval, [o](const CliEnvironment& env) { return RunEval(*o, env); }};
}

}  // namespace zelvo
