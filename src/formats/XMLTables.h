// What the XML-based readers and writers share: size and depth checks of
// attributes and elements, and rows of integer codes in an element's text.
#pragma once

#include <string>
#include <string_view>

#include "base/Errors.h"
#include "base/StringLib.h"
#include "base/TextFile.h"
#include "base/XMLNode.h"
#include "formats/LUTFormat.h"

namespace zelvo {

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

// An error raised by f without a place of its own is placed at the document
// offset `position`, whose line the load then shows: node.Offset for the
// checks of an element, node.TextOffset(i) for a row of its text.
template <typename F>
decltype(auto) PlacedAt(std::size_t position, F&& f) {
  try {
    return f();
  } catch (EZelvoError& e) {
    if (e.Line == 0 && e.Position == std::string::npos) e.Position = position;
    throw;
  }
}

// The fewest bytes a row of three codes takes in a document ("0 0 0" and a
// line break), for CheckRowsFit.
inline constexpr std::size_t kMinCodeRowBytes = 6;

// The rows of three integer codes in the text of `element`, each divided by
// `divisor`, stored blue fastest through the cursor, whose grid size is set.
// Blank rows and rows that do not start like a number are passed over; a row
// that starts like one and is not three integers, a row beyond the grid and
// a grid left short are errors, the first two at the row's line.
void ReadCodeRowsBlueFastest(const TXMLNode& element, int divisor, TLineCursor& c);
// The line a document ends at, for the message of a table cut short.
int LastLineOf(std::string_view document);

}  // namespace zelvo
