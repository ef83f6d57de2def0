// zelvo-lut profiles: the output profiles, with their sizes and depths.
#include <algorithm>
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
    if (p.SizeSelectable) *env.out << " (selectable: " << SelectableSizesText(p) << ")";
    *env.out << "\t";
    if (!p.Depths.empty()) {
      const auto own = std::ranges::find(p.Depths, p.DefaultBits, &TProfileDepth::Bits);
      *env.out << "depth " << (own != p.Depths.end() ? DepthCaption(*own) : std::to_string(p.DefaultBits))
               << " (selectable: ";
      for (std::size_t d = 0; d < p.Depths.size(); ++d) {
        *env.out << (d == 0 ? "" : d + 1 == p.Depths.size() ? " or " : ", ") << DepthCaption(p.Depths[d]);
      }
      *env.out << ")\n";
      continue;
    }
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
