#include "formats/XMLTables.h"

#include <string>

#include "base/Errors.h"
#include "base/LutLimits.h"
#include "base/XMLNode.h"

namespace zelvo {

namespace {
constexpr int kMaxXMLBits = 31;
}  // namespace

void CheckXMLGridSize(long long size, std::string_view source) {
  if (size < kMinUsableSize || size > kMaxGridSize) {
    throw ELUTError("The grid size " + std::to_string(size) + " (" + std::string(source) +
                    ") is not supported (" + std::to_string(kMinUsableSize) + " to " + std::to_string(kMaxGridSize) +
                    " points per axis).");
  }
}

// Integer value of an attribute or element that must be there.
int RequiredInteger(const TXMLValue& value, std::string_view what, std::string_view source) {
  if (Trim(value.Text).empty()) {
    throw ELUTError("The " + std::string(what) + " (" + std::string(source) + ") is missing or empty.");
  }
  return value.AsInteger();
}


int XMLGridSize(const TXMLValue& value, std::string_view source) {
  const int size = RequiredInteger(value, "grid size", source);
  CheckXMLGridSize(size, source);
  return size;
}

int XMLBitDepth(const TXMLValue& value, std::string_view source) {
  const int bits = RequiredInteger(value, "bit depth", source);
  if (bits < 1 || bits > kMaxXMLBits) {
    throw ELUTError("The bit depth " + std::to_string(bits) + " (" + std::string(source) +
                    ") is not supported (1 to " + std::to_string(kMaxXMLBits) + " bits).");
  }
  return bits;
}

}  // namespace zelvo
