// Feeds arbitrary bytes to the plain-row 1D readers (Colorfront OSD 1D,
// Blackmagic HDLink 1D, DaVinci Resolve ilut and olut). The only allowed
// outcomes are a loaded table or one of our errors.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "formats/LUTFormat.h"
#include "formats/TextFile.h"
#include "lut/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto lut = std::make_unique<zelvo::TLUT>();
  static const std::string name =
      (std::filesystem::temp_directory_path() / ("zelvo-fuzz-plainrow1d-" + std::to_string(getpid()) + ".txt"))
          .string();
  zelvo::WriteFileAtomically(name, std::string_view(reinterpret_cast<const char*>(data), size));
  for (int index : {19, 21, 24, 25}) {  // Colorfront OSD 1D, Blackmagic HDLink 1D, ilut, olut
    try {
      zelvo::LUTFormatByIndex(index)->Load(name, *lut);
    } catch (const zelvo::EZelvoError&) {
    }
  }
  return 0;
}
