// Feeds arbitrary bytes to the XML reader and to the readers built on it
// (Clipster 3D, S.two 1D, Speedgrade looks, ASC CDL, PFClean 3D). The only
// allowed outcomes are a tree or a loaded table, or one of our errors.
#include <string_view>

#include "FuzzSupport.h"
#include "base/XMLNode.h"

namespace {

// Touches every node the way the formats do: look-ups by name and numbers.
void Walk(const zelvo::TXMLNode& node) {
  try {
    node.Value.AsFloat();
  } catch (const zelvo::EZelvoError&) {
  }
  for (const auto& [name, value] : node.Attributes.Items) {
    try {
      value.AsInteger();
    } catch (const zelvo::EZelvoError&) {
    }
  }
  node.HasChild("values");
  for (const auto& child : node.Children) Walk(*child);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    zelvo::TXMLNode doc;
    doc.LoadFromString(std::string_view(reinterpret_cast<const char*>(data), size));
    Walk(doc);
  } catch (const zelvo::EZelvoError&) {
  }
  using F = zelvo::TLUTFormatId;
  zelvo::fuzz::LoadWithEach(data, size, "grade.xml", {F::Clipster3D, F::Stwo1D, F::SpeedgradeLook3D, F::ASC_CDL, F::PFClean3D});
  return 0;
}
