// What the XML-based readers and writers share: size and depth checks of
// attributes and elements, and rows of integer codes in an element's text.
#pragma once

#include <string>
#include <string_view>

#include "base/StringLib.h"
#include "base/TextFile.h"

namespace zelvo {

class TXMLValue;

// A grid size taken from an attribute or element (`source` names it, as in
// "\"N\" attribute"): a missing or empty one, or one that is not 2 to 101
// points, raises ELUTError before anything is stored.
int XMLGridSize(const TXMLValue& value, std::string_view source);
// A grid size read some other way, checked as XMLGridSize checks it.
void CheckXMLGridSize(long long size, std::string_view source);
// The integer of an attribute or element that must be there and not be empty
// (`what` names the value in the error).
int RequiredInteger(const TXMLValue& value, std::string_view what, std::string_view source);
// A bit depth of 1 to 31 bits, so that every code fits a 32-bit integer.
int XMLBitDepth(const TXMLValue& value, std::string_view source);

// The rows of three integer codes in an element's text, each divided by
// `divisor`, passed to store(r, g, b) until it returns true. Blank rows and rows
// that are not three integers are skipped.
template <typename Store>
void ForEachCodeRow(std::string_view text, int divisor, Store&& store) {
  double r, g, b;
  ForEachLineIn(text, [&](std::string_view row) {
    return ReadIntTriple(row, divisor, false, r, g, b) && store(r, g, b);
  });
}

}  // namespace zelvo
