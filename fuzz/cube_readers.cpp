// Feeds arbitrary bytes to the cube-family readers. The only allowed outcomes
// are a loaded table or one of our errors.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "formats/LUTFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string file = "/tmp/zelvo-fuzz-cube-" + std::to_string(getpid()) + ".cube";
  if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  for (int index : {0, 1, 5, 7}) {
    zelvo::TLUT lut;
    try {
      zelvo::LUTFormatByIndex(index)->Load(file, lut);
    } catch (const zelvo::EZelvoError&) {
    }
  }
  return 0;
}
