// What the node readers of a CLF document share: attributes and numbers with
// the node's position in errors, bit depths, arrays, and the small pieces of
// evaluation every node needs. Internal to the CLF reader.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/XMLNode.h"
#include "lut/LUT.h"
#include "lut/Resample.h"

namespace zelvo::clf {

// ELUTError with the node's position in the document.
[[noreturn]] void Fail(const TXMLNode& node, const std::string& message);
// The text between double quotes.
std::string Quoted(std::string_view s);
// A number of the node's text or attributes; EConvertError at the node.
double NumberOf(const TXMLNode& node, std::string_view text);
// The value of an attribute, or `fallback` when the node does not have it.
double AttributeOr(const TXMLNode& node, std::string_view name, double fallback);
// An attribute's text, trimmed; empty when the node does not have it.
std::string_view AttributeText(const TXMLNode& node, std::string_view name);
inline bool SameName(std::string_view a, std::string_view b) { return XMLNamesMatch(a, b); }
// The largest code of a bit depth ("10i" 1023); 1 for the float depths. The
// integer depth goes to `bits` (0 for floats) when it is given.
double DepthScale(const TXMLNode& node, std::string_view attribute, int* bits = nullptr);
// The numbers of an element's text, at most `limit` of them; `found` counts all.
std::vector<double> NumbersIn(const TXMLNode& node, std::size_t limit, std::size_t& found);

// The Array of a node: its dim, checked against `allowed` shapes by the
// caller, and exactly as many values as the dim asks for.
struct TArray {
  std::vector<long long> Dim;
  std::vector<double> Values;
};
// Of a Matrix only the first two numbers of the dim count: older files add
// the number of channels as a third.
TArray ReadArray(const TXMLNode& owner, long long max_values, std::size_t counted_dims = 4);
[[noreturn]] void BadShape(const TXMLNode& owner);

// The largest tables a file may give: what the LUT's own tables hold.
inline constexpr long long kMaxCLF1DValues = static_cast<long long>(kMax1DSize) * 3;
inline constexpr long long kMaxCLF3DValues =
    static_cast<long long>(kMaxGridSize) * kMaxGridSize * kMaxGridSize * 3;

// A table value normalised by its depth. Float tables are 32-bit by
// definition: their values are kept as the floats they are, so that a table
// written with the shortest decimals reads back bit for bit.
// A float value beyond the 32-bit floats is refused, at the Array.
double TableValue(const TXMLNode& array, double v, double out_scale);

// Position on a table of `points` points, inputs clamped to 0..1 (and NaN to 0).
struct TGridPos {
  int index, next;
  double frac;
};
TGridPos Locate(double v, int points);

inline double& Channel(TColor& c, int i) { return i == 0 ? c.R : i == 1 ? c.G : c.B; }
inline double ChannelOf(const TColor& c, int i) { return i == 0 ? c.R : i == 1 ? c.G : c.B; }

// v = f(channel, v) for every channel of every colour.
template <typename F>
void ForEachChannel(TColor* colors, std::size_t count, F&& f) {
  for (std::size_t k = 0; k < count; ++k) {
    for (int i = 0; i < 3; ++i) {
      double& v = Channel(colors[k], i);
      v = f(i, v);
    }
  }
}

// The interpolation a 3D table node states: true for tetrahedral.
bool IsTetrahedral(const TXMLNode& node);
// The Array of a 3D table node into `table` (kind lk3D), its values divided
// by `scale`.
void ReadGrid(const TXMLNode& node, double scale, TLUT& table);

// The channel a parameter element is for (its "channel" attribute): 0 to 2,
// -1 for all three, 3 for alpha (ignored).
int ParamChannel(const TXMLNode& params);
// Case-insensitive pick of a style among names; -1 when none matches.
int StyleIndex(std::string_view style, std::initializer_list<const char*> names);
[[noreturn]] void BadStyle(const TXMLNode& node);

}  // namespace zelvo::clf
