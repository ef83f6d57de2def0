#include "formats/XMLTables.h"

#include <string>

#include "base/Errors.h"
#include "base/LutLimits.h"
#include "base/XMLNode.h"
#include "formats/LUTFormatImps.h"
#include "formats/ReadErrors.h"

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

void ReadCodeRowsBlueFastest(const TXMLNode& element, int divisor, TLineCursor& c) {
  const std::string_view text = element.Value.Text;
  for (std::size_t pos = 0; pos < text.size();) {
    const TLineAt at = LineAt(text, pos);
    pos = at.next;
    double r, g, b;
    // The errors are made without a line and placed at the row's start.
    PlacedAt(element.TextOffset(static_cast<std::size_t>(TrimLeft(at.line).data() - text.data())), [&] {
      if (ReadIntTriple(at.line, divisor, false, r, g, b)) {
        if (c.Complete) RaiseExtraRow(c.ExpectedRows(true), 0);
        c.Complete = c.StoreAndStepBlueFastest(r, g, b);
      } else if (StartsLikeDataRow(at.line)) {
        RaiseRowError(at.line, 0, 3, true);
      }
    });
  }
  if (!c.Complete) RaiseTooFewRows(c.RowsStored, c.ExpectedRows(true), LastLineOf(c.Source.Bytes()));
}

int LastLineOf(std::string_view document) {
  return document.empty() ? 0 : LineOfPosition(document, document.size() - 1);
}

}  // namespace zelvo
