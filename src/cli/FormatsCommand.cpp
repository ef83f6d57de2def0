// zelvo-lut formats: the LUT formats in the order they are asked to
// recognise a file, and what this build does with each.
#include <ostream>

#include "cli/CliCommon.h"

namespace zelvo {

namespace {

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

TCliCommand AddFormatsCommand(CLI::App& app) {
  return TCliCommand{app.add_subcommand("formats", "List the LUT formats in detection order"), RunFormats};
}

}  // namespace zelvo
