// zelvo-lut diff A B: how far apart two LUT files of any formats are, over
// the inputs both cover; exit 0 when they agree within the threshold.
#include <memory>
#include <ostream>
#include <sstream>
#include <system_error>
#include <thread>

#include "cli/CliCommon.h"
#include "base/StringLib.h"
#include "lut/Compare.h"

namespace zelvo {

namespace {

struct TDiffOptions {
  std::string file_a;
  std::string file_b;
  std::string grid = "17";
  std::string depth = "10";
  std::string space = "srgb";
  std::string threshold;
  bool json = false;
};

// The comparison's options from the command line, or a usage error as its message.
std::string CheckDiffOptions(const TDiffOptions& o, TCompareOptions& options) {
  if (!TryParseInt(o.grid, options.Grid) || options.Grid < kMinCompareGrid || options.Grid > kMaxCompareGrid) {
    return "--grid takes " + std::to_string(kMinCompareGrid) + " to " + std::to_string(kMaxCompareGrid) +
           " points per axis, not \"" + Printable(o.grid) + "\".";
  }
  if (!TryParseInt(o.depth, options.DepthBits) || options.DepthBits < 1 || options.DepthBits > kMaxCompareDepth) {
    return "--depth takes 1 to " + std::to_string(kMaxCompareDepth) + " bits, not \"" + Printable(o.depth) + "\".";
  }
  if (!ParseCompareSpace(o.space, options.Space)) {
    return "--space takes srgb, linear or none, not \"" + Printable(o.space) + "\".";
  }
  if (!o.threshold.empty() &&
      (!TryParseFloat(o.threshold, options.Threshold) || !(options.Threshold >= 0.0))) {
    return "--threshold takes a difference of 0 or more, not \"" + Printable(o.threshold) + "\".";
  }
  return {};
}

// Loads both files at once, the second on a thread of its own: a large cube
// takes as long to read as to compare. Failures are told in the files' order.
bool LoadBoth(const std::string& file_a, const std::string& file_b, TLUT& a, TLUT& b, const CliEnvironment& env) {
  constexpr std::string_view kRefusal = "; it cannot be compared";
  std::ostringstream b_err;
  CliEnvironment b_env = env;
  b_env.err = &b_err;
  bool b_loaded = false;
  std::thread second;
  try {
    second = std::thread([&] { b_loaded = LoadUsableLUT(file_b, b, b_env, kRefusal); });
  } catch (const std::system_error&) {
    b_loaded = LoadUsableLUT(file_b, b, b_env, kRefusal);
  }
  const bool a_loaded = LoadUsableLUT(file_a, a, env, kRefusal);
  if (second.joinable()) second.join();
  if (!a_loaded) return false;
  *env.err << b_err.str();
  return b_loaded;
}

int RunDiff(const TDiffOptions& o, const CliEnvironment& env) {
  TCompareOptions options;
  if (const std::string usage = CheckDiffOptions(o, options); !usage.empty()) {
    *env.err << usage << "\n";
    return kExitUsage;
  }
  TLUT a, b;
  if (!LoadBoth(o.file_a, o.file_b, a, b, env)) return kExitFailed;
  TCompareReport report;
  if (!ReportFailure(o.file_a + ", " + o.file_b, env, [&] { report = CompareLUTs(a, b, options); })) {
    return kExitFailed;
  }
  const std::string name_a = Printable(o.file_a), name_b = Printable(o.file_b);
  // JSON escapes what it must itself; the names go in as they are.
  *env.out << (o.json ? CompareReportJSON(report, o.file_a, o.file_b) : CompareReportText(report, name_a, name_b));
  return report.WithinThreshold() ? kExitOk : kExitFailed;
}

}  // namespace

TCliCommand AddDiffCommand(CLI::App& app) {
  auto o = std::make_shared<TDiffOptions>();
  CLI::App* diff = app.add_subcommand(
      "diff", "Compare two LUT files over the inputs both cover: exit 0 when they agree within the threshold");
  diff->add_option("a", o->file_a, "First LUT file")->required();
  diff->add_option("b", o->file_b, "Second LUT file")->required();
  diff->add_option("--grid", o->grid, "Points per axis of the even grid of inputs (2 to 129; default 17)");
  diff->add_option("--depth", o->depth, "Bits of the depth whose code steps differences are told in (default 10)");
  diff->add_option("--space", o->space,
                   "How outputs are taken for the colour difference dE2000: srgb (sRGB-encoded display colours, "
                   "the default), linear (linear light, sRGB primaries) or none");
  diff->add_option("--threshold", o->threshold,
                   "Largest difference of a channel that counts as the same (default: half a code step)");
  diff->add_flag("--json", o->json, "Print the report as JSON");
  return TCliCommand{diff, [o](const CliEnvironment& env) { return RunDiff(*o, env); }};
}

}  // namespace zelvo
