// zelvo-lut profiles: the output profiles, with their sizes and depths.
#include <ostream>

#include "cli/CliCommon.h"

namespace zelvo {

namespace {

// "12, 16" and "12 or 16".
std::string JoinedOr(const std::vector<int>& values) {
  std::string text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += i + 1 == values.size() ? " or " : ", ";
    text += std::to_string(values[i]);
  }
  return text;
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

}  // namespace

TCliCommand AddProfilesCommand(CLI::App& app) {
  return TCliCommand{app.add_subcommand("profiles", "List the output profiles"), RunProfiles};
}

}  // namespace zelvo
