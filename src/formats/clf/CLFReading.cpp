#include "formats/clf/CLFReading.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <cmath>

#include "base/Errors.h"
#include "base/StringLib.h"

namespace zelvo::clf {

[[noreturn]] void Fail(const TXMLNode& node, const std::string& message) {
  ELUTError e(message);
  e.Position = node.Offset;
  throw e;
}

std::string Quoted(std::string_view s) {
  // (Built in steps: GCC 12 warns falsely about "\"" + a temporary.)
  std::string q;
  q.reserve(s.size() + 2);
  q.push_back('"');
  q.append(s);
  q.push_back('"');
  return q;
}

double NumberOf(const TXMLNode& node, std::string_view text) {
  text = Trim(text);
  double v = 0.0;
  if (!TryParseFloat(text, v)) {
    EConvertError e = EConvertError::InvalidFloat(text);
    e.Position = node.Offset;
    throw e;
  }
  return v;
}

// The value of an attribute, or `fallback` when the node does not have it.
double AttributeOr(const TXMLNode& node, std::string_view name, double fallback) {
  const TXMLValue* v = node.Attributes.Find(name);
  return v == nullptr ? fallback : NumberOf(node, v->Text);
}

std::string_view AttributeText(const TXMLNode& node, std::string_view name) {
  const TXMLValue* v = node.Attributes.Find(name);
  return v == nullptr ? std::string_view() : Trim(v->Text);
}

// The largest code of a bit depth ("10i" 1023); 1 for the float depths.
double DepthScale(const TXMLNode& node, std::string_view attribute, int* bits) {
  const std::string_view depth = AttributeText(node, attribute);
  struct Depth {
    const char* name;
    int bits;
  };
  static constexpr Depth kDepths[] = {{"8i", 8}, {"10i", 10}, {"12i", 12}, {"16i", 16}, {"16f", 0}, {"32f", 0}};
  if (depth.empty()) Fail(node, "The " + Quoted(node.Name) + " node has no " + std::string(attribute) + ".");
  for (const Depth& d : kDepths) {
    if (SameName(depth, d.name)) {
      if (bits != nullptr) *bits = d.bits;
      return d.bits == 0 ? 1.0 : std::ldexp(1.0, d.bits) - 1.0;
    }
  }
  Fail(node, "The " + std::string(attribute) + " " + Quoted(depth) + " of " + Quoted(node.Name) +
                 " is not supported (8i, 10i, 12i, 16i, 16f or 32f).");
}

// The numbers of an element's text, at most `limit` of them.
std::vector<double> NumbersIn(const TXMLNode& node, std::size_t limit, std::size_t& found) {
  std::string_view text = node.Value.Text;
  std::vector<double> values;
  // A value takes a character and a separator: a dim the text cannot hold
  // reserves no more than the text can.
  values.reserve(std::min(limit, text.size() / 2 + 1));
  found = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && (IsBlank(text[pos]) || text[pos] == ',')) ++pos;
    if (pos >= text.size()) break;
    std::size_t end = pos;
    while (end < text.size() && !IsBlank(text[end]) && text[end] != ',') ++end;
    ++found;
    if (values.size() < limit) values.push_back(NumberOf(node, text.substr(pos, end - pos)));
    pos = end;
  }
  return values;
}

// Of a Matrix only the first two numbers of the dim count: older files add
// the number of channels as a third.
TArray ReadArray(const TXMLNode& owner, long long max_values, std::size_t counted_dims) {
  const TXMLNode& array = owner.ChildByName("Array");
  TArray a;
  std::string_view dim = AttributeText(array, "dim");
  long long product = 1;
  while (!Trim(dim).empty()) {
    dim = TrimLeft(dim);
    std::size_t end = 0;
    while (end < dim.size() && !IsBlank(dim[end])) ++end;
    int n = 0;
    if (!TryParseInt(dim.substr(0, end), n) || n < 1) {
      Fail(array, "The dim " + Quoted(AttributeText(array, "dim")) + " of the \"Array\" of " + Quoted(owner.Name) +
                      " is not a list of positive whole numbers.");
    }
    a.Dim.push_back(n);
    if (a.Dim.size() > 4) break;
    if (a.Dim.size() <= counted_dims) product = std::min(product * n, max_values + 1);
    dim.remove_prefix(end);
  }
  if (a.Dim.empty()) Fail(array, "The \"Array\" of " + Quoted(owner.Name) + " has no dim.");
  if (product > max_values) {
    Fail(array, "The dim " + Quoted(AttributeText(array, "dim")) + " of the \"Array\" of " + Quoted(owner.Name) +
                    " is larger than this program reads.");
  }
  std::size_t found = 0;
  a.Values = NumbersIn(array, static_cast<std::size_t>(product), found);
  if (found != static_cast<std::size_t>(product)) {
    Fail(array, "The \"Array\" of " + Quoted(owner.Name) + " holds " + std::to_string(found) +
                    " values where its dim " + Quoted(AttributeText(array, "dim")) + " asks for " +
                    std::to_string(product) + ".");
  }
  return a;
}

[[noreturn]] void BadShape(const TXMLNode& owner) {
  const TXMLNode* array = owner.FindChild("Array");
  Fail(array ? *array : owner, "The dim " + Quoted(array ? AttributeText(*array, "dim") : "") +
                                   " of the \"Array\" of " + Quoted(owner.Name) + " is not a shape it can have.");
}

// A table value normalised by its depth. Float tables are 32-bit by
// definition: their values are kept as the floats they are, so that a table
// written with the shortest decimals reads back bit for bit.
double TableValue(const TXMLNode& array, double v, double out_scale) {
  if (out_scale != 1.0) return v / out_scale;
  if (!(std::fabs(v) <= static_cast<double>(std::numeric_limits<float>::max()))) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v, std::chars_format::general).ptr;
    Fail(array, "The value " + std::string(text, end) + " of the \"Array\" is beyond the 32-bit floating-point "
                "values its depth holds");
  }
  // Stored and loaded as a float: GCC 12 at -O3 folded the plain cast pair
  // away in some of the callers.
  volatile float f = static_cast<float>(v);
  return f;
}

TGridPos Locate(double v, int points) {
  if (!(v >= 0.0)) v = 0.0;
  if (v > 1.0) v = 1.0;
  const double p = v * (points - 1);
  TGridPos pos;
  pos.index = std::min(static_cast<int>(p), points - 1);
  pos.frac = p - pos.index;
  pos.next = std::min(pos.index + 1, points - 1);
  return pos;
}

// The channel a parameter element is for (its "channel" attribute): 0 to 2,
// -1 for all three, 3 for alpha (ignored).
int ParamChannel(const TXMLNode& params) {
  const std::string_view c = AttributeText(params, "channel");
  if (c.empty()) return -1;
  if (SameName(c, "R")) return 0;
  if (SameName(c, "G")) return 1;
  if (SameName(c, "B")) return 2;
  if (SameName(c, "A")) return 3;
  Fail(params, "The channel " + Quoted(c) + " of " + Quoted(params.Name) + " is not R, G, B or A.");
}

// Case-insensitive pick of a style among names; -1 when none matches.
int StyleIndex(std::string_view style, std::initializer_list<const char*> names) {
  int i = 0;
  for (const char* n : names) {
    if (SameName(style, n)) return i;
    ++i;
  }
  return -1;
}

[[noreturn]] void BadStyle(const TXMLNode& node) {
  const std::string_view style = AttributeText(node, "style");
  Fail(node, style.empty() ? "The " + Quoted(node.Name) + " node has no style."
                           : "The style " + Quoted(style) + " of " + Quoted(node.Name) + " is not supported.");
}

// The interpolation a 3D table states: true for tetrahedral.
bool IsTetrahedral(const TXMLNode& node) {
  const std::string_view interpolation = AttributeText(node, "interpolation");
  const bool tetrahedral = SameName(interpolation, "tetrahedral");
  if (!interpolation.empty() && !tetrahedral && !SameName(interpolation, "trilinear")) {
    Fail(node, "The interpolation " + Quoted(interpolation) + " of " + Quoted(node.Name) + " is not supported.");
  }
  return tetrahedral;
}

// The Array of a 3D table node, its values divided by `scale`.
void ReadGrid(const TXMLNode& node, double scale, TLUT& table) {
  const TArray a = ReadArray(node, kMaxCLF3DValues);
  const TXMLNode& array = node.ChildByName("Array");
  if (a.Dim.size() != 4 || a.Dim[1] != a.Dim[0] || a.Dim[2] != a.Dim[0] || a.Dim[3] != 3 ||
      a.Dim[0] < kMinUsableSize) {
    BadShape(node);
  }
  const int n = static_cast<int>(a.Dim[0]);
  table.Kind = TLUTKind::lk3D;
  table.SetSize3D(n);
  // The file lists blue fastest.
  std::size_t at = 0;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b, at += 3) {
        TLUTEntry& e = table.Table3D(r, g, b);
        e.R = TableValue(array, a.Values[at], scale);
        e.G = TableValue(array, a.Values[at + 1], scale);
        e.B = TableValue(array, a.Values[at + 2], scale);
      }
}

}  // namespace zelvo::clf
