// Feeds arbitrary bytes to the header-driven 1D readers (Codex 1D, Lustre 1D,
// Filmlight Truelight 1D, Quantel 1D, Fusion 1D). The only allowed outcomes are
// a loaded table or one of our errors.
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
      (std::filesystem::temp_directory_path() / ("zelvo-fuzz-header1d-" + std::to_string(getpid()) + ".lut")).string();
  zelvo::WriteFileAtomically(name, std::string_view(reinterpret_cast<const char*>(data), size));
  for (int index : {13, 14, 15, 16, 20}) {  // Codex 1D, Lustre 1D, Filmlight, Quantel 1D, Fusion 1D
    try {
      zelvo::LUTFormatByIndex(index)->Load(name, *lut);
    } catch (const zelvo::EZelvoError&) {
    }
  }
  return 0;
}
