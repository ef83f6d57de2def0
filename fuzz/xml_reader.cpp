// Feeds arbitrary bytes to the XML reader and to the readers built on it
// (Clipster 3D, S.two 1D, Speedgrade looks, ASC CDL, PFClean 3D). The only
// allowed outcomes are a tree or a loaded table, or one of our errors.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "formats/CDLLib.h"
#include "formats/LUTFormat.h"
#include "formats/TextFile.h"
#include "formats/XMLNode.h"
#include "lut/Errors.h"

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
  static const auto lut = std::make_unique<zelvo::TLUT>();
  static const std::string name =
      (std::filesystem::temp_directory_path() / ("zelvo-fuzz-xml-" + std::to_string(getpid()) + ".xml")).string();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    zelvo::TXMLNode doc;
    doc.LoadFromString(text);
    Walk(doc);
  } catch (const zelvo::EZelvoError&) {
  }
  zelvo::WriteFileAtomically(name, text);
  for (int index : {8, 17, 26, 27, 28}) {  // Clipster, S.two, Speedgrade, ASC CDL, PFClean
    try {
      zelvo::LUTFormatByIndex(index)->Load(name, *lut);
    } catch (const zelvo::EZelvoError&) {
    }
  }
  return 0;
}
