// Feeds arbitrary bytes to the 3dl, 3DMESH and Colorfront OSD 3D readers. The
// only allowed outcomes are a loaded table or one of our errors.
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
      (std::filesystem::temp_directory_path() / ("zelvo-fuzz-mesh3d-" + std::to_string(getpid()) + ".3dl")).string();
  zelvo::WriteFileAtomically(name, std::string_view(reinterpret_cast<const char*>(data), size));
  for (int index : {4, 2, 10}) {  // 3DL, Autodesk Lustre 3D, Colorfront OSD 3D
    try {
      zelvo::LUTFormatByIndex(index)->Load(name, *lut);
    } catch (const zelvo::EZelvoError&) {
    }
  }
  return 0;
}
