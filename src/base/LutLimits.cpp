#include "base/LutLimits.h"

#include <string>

#include "base/Errors.h"

namespace zelvo {

void CheckGridSize(long long size) {
  if (size < 1 || size > kMaxGridSize) {
    throw ELUTError("The 3D grid size " + std::to_string(size) + " is not supported (1 to " +
                    std::to_string(kMaxGridSize) + " points per axis).");
  }
}

void Check1DSize(long long size) {
  if (size < 1 || size > kMax1DSize) {
    throw ELUTError("The 1D table length " + std::to_string(size) + " is not supported (1 to " +
                    std::to_string(kMax1DSize) + " entries).");
  }
}

}  // namespace zelvo
