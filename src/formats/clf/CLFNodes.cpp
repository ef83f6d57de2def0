// The process nodes of the Common LUT Format, read and evaluated in double
// precision. A node's parameters follow its bit depths; they are normalised
// here once, so that evaluation never looks at a depth again.
//
//   <Range inBitDepth="10i" outBitDepth="32f">
//     <minInValue>64</minInValue> <maxInValue>940</maxInValue>
//     <minOutValue>0</minOutValue> <maxOutValue>1</maxOutValue>
//   </Range>
//   <Log inBitDepth="32f" outBitDepth="32f" style="cameraLinToLog">
//     <LogParams base="10" logSideSlope="0.25" logSideOffset="0.6" linSideBreak="0.01"/>
//   </Log>
//   <LUT3D inBitDepth="32f" outBitDepth="32f" interpolation="tetrahedral">
//     <Array dim="2 2 2 3"> 0 0 0  0 0 1 ... </Array>      <- blue fastest
//   </LUT3D>
#include "formats/clf/CLFNodes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/StringLib.h"
#include "base/XMLNode.h"
#include "base/Errors.h"

namespace zelvo {

namespace {

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

bool SameName(std::string_view a, std::string_view b) { return XMLNamesMatch(a, b); }

// The largest code of a bit depth ("10i" 1023); 1 for the float depths.
double DepthScale(const TXMLNode& node, std::string_view attribute, int* bits = nullptr) {
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
  std::vector<double> values;
  values.reserve(limit);
  found = 0;
  std::string_view text = node.Value.Text;
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

// The Array of a node: its dim, checked against `allowed` shapes by the
// caller, and exactly as many values as the dim asks for.
struct TArray {
  std::vector<long long> Dim;
  std::vector<double> Values;
};

// Of a Matrix only the first two numbers of the dim count: older files add
// the number of channels as a third.
TArray ReadArray(const TXMLNode& owner, long long max_values, std::size_t counted_dims = 4) {
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
double TableValue(double v, double out_scale) {
  if (out_scale != 1.0) return v / out_scale;
  // Stored and loaded as a float: GCC 12 at -O3 folded the plain cast pair
  // away in some of the callers.
  volatile float f = static_cast<float>(v);
  return f;
}

// Position on a table of `points` points, inputs clamped to 0..1 (and NaN to 0).
struct TGridPos {
  int index, next;
  double frac;
};

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

double& Channel(TColor& c, int i) { return i == 0 ? c.R : i == 1 ? c.G : c.B; }
double ChannelOf(const TColor& c, int i) { return i == 0 ? c.R : i == 1 ? c.G : c.B; }

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

// ---------------------------------------------------------------------------
// Log

class TCLFLog final : public TCLFOp {
 public:
  enum Style { Log10, Log2, AntiLog10, AntiLog2, LinToLog, LogToLin, CameraLinToLog, CameraLogToLin };

  TCLFLog(const TXMLNode& node) : TCLFOp(node) {
    const int s = StyleIndex(AttributeText(node, "style"), {"log10", "log2", "antiLog10", "antiLog2", "linToLog",
                                                            "logToLin", "cameraLinToLog", "cameraLogToLin"});
    if (s < 0) BadStyle(node);
    style_ = static_cast<Style>(s);
    const bool camera = style_ == CameraLinToLog || style_ == CameraLogToLin;
    bool has_break[3] = {false, false, false};
    for (const auto& child : node.Children) {
      if (!SameName(child->Name, "LogParams")) continue;
      const int c = ParamChannel(*child);
      if (c == 3) continue;
      TParams p;
      if (child->Attributes.Find("gamma") != nullptr || child->Attributes.Find("refWhite") != nullptr) {
        p = CineonParams(*child);
      } else {
        p.base = AttributeOr(*child, "base", 2.0);
        p.log_slope = AttributeOr(*child, "logSideSlope", 1.0);
        p.log_offset = AttributeOr(*child, "logSideOffset", 0.0);
        p.lin_slope = AttributeOr(*child, "linSideSlope", 1.0);
        p.lin_offset = AttributeOr(*child, "linSideOffset", 0.0);
        p.lin_break = AttributeOr(*child, "linSideBreak", std::numeric_limits<double>::quiet_NaN());
        p.linear_slope = AttributeOr(*child, "linearSlope", std::numeric_limits<double>::quiet_NaN());
      }
      if (!(p.base > 0.0) || p.base == 1.0 || p.log_slope == 0.0 || p.lin_slope == 0.0) {
        Fail(*child, "The parameters of " + Quoted(node.Name) + " are not usable (a base above 0 other than 1, "
                                                                 "slopes other than 0).");
      }
      for (int i = 0; i < 3; ++i) {
        if (c >= 0 && c != i) continue;
        params_[i] = p;
        has_break[i] = !std::isnan(p.lin_break);
      }
    }
    for (int i = 0; i < 3; ++i) {
      TParams& p = params_[i];
      if (!camera && has_break[i]) {
        Fail(node, "The " + Quoted(node.Name) + " style " + Quoted(AttributeText(node, "style")) +
                       " takes no linSideBreak.");
      }
      if (!camera) continue;
      if (!has_break[i]) Fail(node, "The " + Quoted(node.Name) + " style " + Quoted(AttributeText(node, "style")) +
                                        " needs a linSideBreak.");
      // The straight part meets the log curve at the break, with its slope
      // unless the file gives one.
      const double at_break = p.lin_slope * p.lin_break + p.lin_offset;
      if (!(at_break > 0.0)) Fail(node, "The linSideBreak of " + Quoted(node.Name) + " lies where the log is undefined.");
      p.log_break = p.log_slope * std::log(at_break) / std::log(p.base) + p.log_offset;
      if (std::isnan(p.linear_slope)) p.linear_slope = p.log_slope * p.lin_slope / (at_break * std::log(p.base));
      if (p.linear_slope == 0.0) Fail(node, "The linearSlope of " + Quoted(node.Name) + " is 0.");
      p.linear_offset = p.log_break - p.linear_slope * p.lin_break;
    }
  }

  void Apply(TColor* colors, std::size_t count) const override {
    ForEachChannel(colors, count, [&](int i, double v) { return Evaluate(params_[i], v); });
  }

 private:
  struct TParams {
    double base = 2.0, log_slope = 1.0, log_offset = 0.0, lin_slope = 1.0, lin_offset = 0.0;
    double lin_break = std::numeric_limits<double>::quiet_NaN();
    double linear_slope = std::numeric_limits<double>::quiet_NaN();
    double log_break = 0.0, linear_offset = 0.0;
  };

  // The Cineon-style parameters of older CTF files (base 10, printing
  // density codes of 0..1023).
  static TParams CineonParams(const TXMLNode& node) {
    const double gamma = AttributeOr(node, "gamma", 0.6);
    const double ref_white = AttributeOr(node, "refWhite", 685.0) / 1023.0;
    const double ref_black = AttributeOr(node, "refBlack", 95.0) / 1023.0;
    const double highlight = AttributeOr(node, "highlight", 1.0);
    const double shadow = AttributeOr(node, "shadow", 0.0);
    if (!(gamma > 0.01) || !(ref_white > ref_black) || !(highlight > shadow)) {
      Fail(node, "The parameters of " + Quoted(node.Name) +
                     " are not usable (gamma above 0.01, refWhite above refBlack, highlight above shadow).");
    }
    const double mult = 0.002 * 1023.0 / gamma;
    const double exponent = std::min((ref_black - ref_white) * mult, -0.0001);
    const double gain = (highlight - shadow) / (1.0 - std::pow(10.0, exponent));
    const double offset = gain - (highlight - shadow);
    TParams p;
    p.base = 10.0;
    p.log_slope = 1.0 / mult;
    p.lin_slope = 1.0 / gain;
    p.lin_offset = (offset - shadow) / gain;
    p.log_offset = ref_white;
    return p;
  }

  static double SafeLog(double x, double base) {
    // Zero and negative inputs give the log of the smallest float, as in
    // single-precision renderers, instead of -inf or NaN.
    constexpr double kMin = std::numeric_limits<float>::min();
    return std::log(std::max(x, kMin)) / std::log(base);
  }

  double Evaluate(const TParams& p, double v) const {
    switch (style_) {
      case Log10: return SafeLog(v, 10.0);
      case Log2: return SafeLog(v, 2.0);
      case AntiLog10: return std::pow(10.0, v);
      case AntiLog2: return std::exp2(v);
      case LinToLog: return p.log_slope * SafeLog(p.lin_slope * v + p.lin_offset, p.base) + p.log_offset;
      case LogToLin: return (std::pow(p.base, (v - p.log_offset) / p.log_slope) - p.lin_offset) / p.lin_slope;
      case CameraLinToLog:
        if (v < p.lin_break) return p.linear_slope * v + p.linear_offset;
        return p.log_slope * SafeLog(p.lin_slope * v + p.lin_offset, p.base) + p.log_offset;
      case CameraLogToLin:
        if (v < p.log_break) return (v - p.linear_offset) / p.linear_slope;
        return (std::pow(p.base, (v - p.log_offset) / p.log_slope) - p.lin_offset) / p.lin_slope;
    }
    return v;
  }

  Style style_;
  TParams params_[3];
};

// ---------------------------------------------------------------------------
// Exponent (and the Gamma node of CTF files)

class TCLFExponent final : public TCLFOp {
 public:
  TCLFExponent(const TXMLNode& node) : TCLFOp(node) {
    const int s = StyleIndex(AttributeText(node, "style"),
                             {"basicFwd", "basicRev", "basicMirrorFwd", "basicMirrorRev", "basicPassThruFwd",
                              "basicPassThruRev", "monCurveFwd", "monCurveRev", "monCurveMirrorFwd",
                              "monCurveMirrorRev"});
    if (s < 0) BadStyle(node);
    reverse_ = s % 2 == 1;
    mirror_ = s == 2 || s == 3 || s == 8 || s == 9;
    pass_negative_ = s == 4 || s == 5;
    mon_curve_ = s >= 6;
    bool seen = false;
    for (const auto& child : node.Children) {
      if (!SameName(child->Name, "ExponentParams") && !SameName(child->Name, "GammaParams")) continue;
      const int c = ParamChannel(*child);
      if (c == 3) continue;
      const bool ctf = SameName(child->Name, "GammaParams");
      const double exponent = AttributeOr(*child, ctf ? "gamma" : "exponent", std::numeric_limits<double>::quiet_NaN());
      const TXMLValue* offset_text = child->Attributes.Find("offset");
      if (std::isnan(exponent)) Fail(*child, "The " + Quoted(child->Name) + " of " + Quoted(node.Name) +
                                                 " have no " + (ctf ? "gamma." : "exponent."));
      TParams p;
      p.exponent = exponent;
      if (mon_curve_) {
        if (offset_text == nullptr) {
          Fail(*child, "The " + Quoted(child->Name) + " of " + Quoted(node.Name) + " need an offset for the style " +
                           Quoted(AttributeText(node, "style")) + ".");
        }
        p.offset = NumberOf(*child, offset_text->Text);
        if (!(exponent >= 1.0 && exponent <= 10.0) || !(p.offset >= 0.0 && p.offset <= 0.9)) {
          Fail(*child, "The parameters of " + Quoted(node.Name) +
                           " are outside what a monCurve takes (exponent 1 to 10, offset 0 to 0.9).");
        }
        PrepareMonCurve(p);
      } else if (offset_text != nullptr && !ctf) {
        Fail(*child, "The style " + Quoted(AttributeText(node, "style")) + " of " + Quoted(node.Name) +
                         " takes no offset.");
      } else if (!(exponent >= 0.01 && exponent <= 100.0)) {
        Fail(*child, "The exponent of " + Quoted(node.Name) + " is outside 0.01 to 100.");
      }
      for (int i = 0; i < 3; ++i) {
        if (c < 0 || c == i) params_[i] = p;
      }
      seen = true;
    }
    if (!seen) Fail(node, "The " + Quoted(node.Name) + " node has no parameters.");
  }

  void Apply(TColor* colors, std::size_t count) const override {
    ForEachChannel(colors, count, [&](int i, double v) { return Evaluate(params_[i], v); });
  }

 private:
  struct TParams {
    double exponent = 1.0, offset = 0.0;
    double break_in = 0.0, break_out = 0.0, slope = 1.0;  // monCurve
  };

  // The straight part of a monCurve below the break, where it meets the
  // power curve with the same slope.
  static void PrepareMonCurve(TParams& p) {
    // Without an offset it is a plain power; at exponent 1 a straight line
    // through 0 (the limit of the curve).
    if (p.exponent == 1.0) p.slope = 1.0 / (1.0 + p.offset);
    if (p.offset == 0.0 || p.exponent == 1.0) return;
    const double g = p.exponent, o = p.offset;
    p.break_in = o / (g - 1.0);
    p.break_out = std::pow(o * g / ((g - 1.0) * (1.0 + o)), g);
    p.slope = p.break_out / p.break_in;
  }

  double Curve(const TParams& p, double v) const {
    if (mon_curve_ && p.exponent == 1.0) return reverse_ ? v / p.slope : v * p.slope;
    if (mon_curve_ && p.offset != 0.0) {
      if (!reverse_) return v < p.break_in ? v * p.slope : std::pow((v + p.offset) / (1.0 + p.offset), p.exponent);
      return v < p.break_out ? v / p.slope : std::pow(v, 1.0 / p.exponent) * (1.0 + p.offset) - p.offset;
    }
    return std::pow(v, reverse_ ? 1.0 / p.exponent : p.exponent);
  }

  double Evaluate(const TParams& p, double v) const {
    if (mirror_) return v < 0.0 ? -Curve(p, -v) : Curve(p, v);
    if (v < 0.0 || std::isnan(v)) {
      if (pass_negative_) return v;
      if (!mon_curve_) return 0.0;
      // A monCurve continues its straight part below 0.
      return p.offset != 0.0 || p.exponent == 1.0 ? (reverse_ ? v / p.slope : v * p.slope) : 0.0;
    }
    return Curve(p, v);
  }

  bool reverse_ = false, mirror_ = false, pass_negative_ = false, mon_curve_ = false;
  TParams params_[3];
};

// ---------------------------------------------------------------------------
// ASC_CDL: slope, offset, power per channel, then saturation around Rec. 709
// luma, with or without clamping.

class TCLFCDL final : public TCLFOp {
 public:
  TCLFCDL(const TXMLNode& node) : TCLFOp(node) {
    const std::string_view style = AttributeText(node, "style");
    int s = 0;
    if (!style.empty()) {
      s = StyleIndex(style, {"Fwd", "Rev", "FwdNoClamp", "RevNoClamp", "v1.2_Fwd", "v1.2_Rev", "noClampFwd",
                             "noClampRev"});
      if (s < 0) BadStyle(node);
    }
    reverse_ = s % 2 == 1;
    clamp_ = s == 0 || s == 1 || s == 4 || s == 5;
    if (const TXMLNode* sop = node.FindChild("SOPNode")) {
      ReadTriple(*sop, "Slope", slope_);
      ReadTriple(*sop, "Offset", offset_);
      ReadTriple(*sop, "Power", power_);
    }
    if (const TXMLNode* sat = node.FindChild("SatNode")) {
      const TXMLNode& value = sat->ChildByName("Saturation");
      sat_ = NumberOf(value, value.Value.Text);
    }
    for (int i = 0; i < 3; ++i) {
      if (!(slope_[i] >= 0.0) || !(power_[i] > 0.0) || (reverse_ && slope_[i] == 0.0)) {
        Fail(node, "The slope or power of " + Quoted(node.Name) + " is out of range (slope 0 or above, power above 0).");
      }
    }
    if (!(sat_ >= 0.0) || (reverse_ && sat_ == 0.0)) {
      Fail(node, "The saturation of " + Quoted(node.Name) + " is out of range (0 or above).");
    }
  }

  void Apply(TColor* colors, std::size_t count) const override {
    for (std::size_t k = 0; k < count; ++k) {
      double v[3] = {colors[k].R, colors[k].G, colors[k].B};
      if (!reverse_) {
        for (int i = 0; i < 3; ++i) {
          v[i] = v[i] * slope_[i] + offset_[i];
          if (clamp_) v[i] = Clamp01(v[i]);
          if (v[i] >= 0.0) v[i] = std::pow(v[i], power_[i]);  // negatives pass
        }
        Saturate(v, sat_);
        if (clamp_) ClampAll(v);
      } else {
        if (clamp_) ClampAll(v);
        Saturate(v, 1.0 / sat_);
        if (clamp_) ClampAll(v);
        for (int i = 0; i < 3; ++i) {
          if (v[i] >= 0.0) v[i] = std::pow(v[i], 1.0 / power_[i]);
          v[i] = (v[i] - offset_[i]) / slope_[i];
          if (clamp_) v[i] = Clamp01(v[i]);
        }
      }
      colors[k] = TColor{v[0], v[1], v[2]};
    }
  }

 private:
  static double Clamp01(double v) { return !(v > 0.0) ? 0.0 : v > 1.0 ? 1.0 : v; }
  static void ClampAll(double* v) {
    for (int i = 0; i < 3; ++i) v[i] = Clamp01(v[i]);
  }
  static void Saturate(double* v, double sat) {
    const double luma = 0.2126 * v[0] + 0.7152 * v[1] + 0.0722 * v[2];
    for (int i = 0; i < 3; ++i) v[i] = luma + sat * (v[i] - luma);
  }
  static void ReadTriple(const TXMLNode& sop, std::string_view name, double* out) {
    const TXMLNode& e = sop.ChildByName(name);
    std::size_t found = 0;
    const std::vector<double> values = NumbersIn(e, 3, found);
    if (found != 3) Fail(e, "The " + Quoted(e.Name) + " of \"ASC_CDL\" holds " + std::to_string(found) +
                                " values instead of 3.");
    std::copy(values.begin(), values.end(), out);
  }

  double slope_[3] = {1, 1, 1}, offset_[3] = {0, 0, 0}, power_[3] = {1, 1, 1};
  double sat_ = 1.0;
  bool reverse_ = false, clamp_ = true;
};

// The largest tables a file may give (entries of a 1D table, points per axis
// of a 3D one): what the LUT's own tables hold.
constexpr long long kMaxCLF1DValues = static_cast<long long>(kMax1DSize) * 3;
constexpr long long kMaxCLF3DValues = static_cast<long long>(kMaxGridSize) * kMaxGridSize * kMaxGridSize * 3;

// The IndexMap of a table in older files: two "input@index" entries that
// map inputs (at the node's input depth) onto table positions, clamped.
std::unique_ptr<TCLFOp> IndexMapRange(const TXMLNode& node, int points) {
  const TXMLNode& map = node.ChildByName("IndexMap");
  std::string_view text = map.Value.Text;
  double v[4];
  int count = 0;
  while (!Trim(text).empty()) {
    text = TrimLeft(text);
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    std::string_view entry = text.substr(0, end);
    text.remove_prefix(end);
    const std::size_t at = entry.find('@');
    if (at == std::string_view::npos || count >= 4) {
      Fail(map, "The \"IndexMap\" of " + Quoted(node.Name) + " is supported with two \"input@index\" entries only.");
    }
    v[count++] = NumberOf(map, entry.substr(0, at));
    v[count++] = NumberOf(map, entry.substr(at + 1));
  }
  if (count != 4) {
    Fail(map, "The \"IndexMap\" of " + Quoted(node.Name) + " is supported with two \"input@index\" entries only.");
  }
  const double in_scale = DepthScale(node, "inBitDepth");
  return std::make_unique<TCLFRange>(map, v[0] / in_scale, v[2] / in_scale, v[1] / (points - 1), v[3] / (points - 1));
}

std::unique_ptr<TCLFOp> MakeOp(const TXMLNode& node) {
  const std::string_view name = node.Name;
  const auto known = {"Range",        "Matrix", "LUT1D",    "InverseLUT1D", "LUT3D",
                      "InverseLUT3D", "Log",    "Exponent", "Gamma",        "ASC_CDL"};
  if (std::none_of(known.begin(), known.end(), [&](const char* k) { return SameName(name, k); })) return nullptr;
  const double in = DepthScale(node, "inBitDepth");
  const double out = DepthScale(node, "outBitDepth");
  if (SameName(name, "Range")) return std::make_unique<TCLFRange>(node, in, out);
  if (SameName(name, "Matrix")) return std::make_unique<TCLFMatrix>(node, in, out);
  if (SameName(name, "LUT1D")) return std::make_unique<TCLFLUT1D>(node, out, false);
  // The table of an inverse holds inputs: it is stated at the input depth.
  if (SameName(name, "InverseLUT1D")) return std::make_unique<TCLFLUT1D>(node, in, true);
  if (SameName(name, "LUT3D")) return std::make_unique<TCLFLUT3D>(node, out);
  if (SameName(name, "InverseLUT3D")) return std::make_unique<TCLFInverseLUT3D>(node, in);
  // The remaining nodes work on normalised values whatever the depths.
  if (SameName(name, "Log")) return std::make_unique<TCLFLog>(node);
  if (SameName(name, "Exponent") || SameName(name, "Gamma")) return std::make_unique<TCLFExponent>(node);
  if (SameName(name, "ASC_CDL")) return std::make_unique<TCLFCDL>(node);
  return nullptr;
}

}  // namespace

TCLFOp::TCLFOp(const TXMLNode& node) : Element(node.Name), Offset(node.Offset) {
  // (An IndexMap's range states no depths of its own.)
  if (node.Attributes.Find("outBitDepth") != nullptr) DepthScale(node, "outBitDepth", &OutBits);
}

// ---------------------------------------------------------------------------
// Range

TCLFRange::TCLFRange(const TXMLNode& node, double in_scale, double out_scale)
    : TCLFOp(node), Lower(-std::numeric_limits<double>::infinity()), Upper(std::numeric_limits<double>::infinity()) {
  const auto value = [&](std::string_view name, double& v) {
    const TXMLNode* e = node.FindChild(name);
    if (e != nullptr) v = NumberOf(*e, e->Value.Text);
    return e != nullptr;
  };
  const bool min_in = value("minInValue", MinIn), min_out = value("minOutValue", MinOut);
  const bool max_in = value("maxInValue", MaxIn), max_out = value("maxOutValue", MaxOut);
  if (min_in != min_out || max_in != max_out) {
    Fail(node, "The " + Quoted(node.Name) + " node needs minInValue with minOutValue and maxInValue with maxOutValue.");
  }
  HasMin = min_in;
  HasMax = max_in;
  Clamps = !SameName(AttributeText(node, "style"), "noClamp");
  MinIn /= in_scale;
  MaxIn /= in_scale;
  MinOut /= out_scale;
  MaxOut /= out_scale;
  if (HasMin && HasMax) {
    if (!(MaxIn > MinIn) || !(MaxOut >= MinOut)) {
      Fail(node, "The " + Quoted(node.Name) + " node maps no inputs (maxInValue must be above minInValue, "
                                              "maxOutValue not below minOutValue).");
    }
    Scale = (MaxOut - MinOut) / (MaxIn - MinIn);
    Shift = MinOut - MinIn * Scale;
  } else if (!HasMin && !HasMax) {
    Fail(node, "The " + Quoted(node.Name) + " node states no values.");
  } else if ((HasMin && MinIn != MinOut) || (HasMax && MaxIn != MaxOut)) {
    // One end alone clamps: it cannot also move the values.
    Fail(node, "The " + Quoted(node.Name) + " node with one end only must map it onto itself.");
  }
  if (!Clamps && !(HasMin && HasMax)) {
    Fail(node, "The " + Quoted(node.Name) + " node of style \"noClamp\" needs all four values.");
  }
  if (Clamps && HasMin) Lower = MinOut;
  if (Clamps && HasMax) Upper = MaxOut;
}

TCLFRange::TCLFRange(const TXMLNode& node, double min_in, double max_in, double min_out, double max_out)
    : TCLFOp(node), Lower(min_out), Upper(max_out), MinIn(min_in), MaxIn(max_in), MinOut(min_out), MaxOut(max_out),
      HasMin(true), HasMax(true) {
  if (!(max_in > min_in) || !(max_out >= min_out)) {
    Fail(node, "The " + Quoted(node.Name) + " maps no inputs (its second entry must lie above its first).");
  }
  Scale = (max_out - min_out) / (max_in - min_in);
  Shift = min_out - min_in * Scale;
}

void TCLFRange::Apply(TColor* colors, std::size_t count) const {
  for (std::size_t k = 0; k < count; ++k) {
    for (int i = 0; i < 3; ++i) {
      double& v = Channel(colors[k], i);
      v = std::clamp(v * Scale + Shift, Lower, Upper);
    }
  }
}

bool TCLFRange::InputRange(double& min, double& max) const {
  if (!HasMin || !HasMax || !Clamps) return false;
  min = MinIn;
  max = MaxIn;
  return true;
}

bool TCLFRange::AsDomain(TLUTDomain& domain) const {
  if (!HasMin || !HasMax || !Clamps || MinOut != 0.0 || MaxOut != 1.0) return false;
  domain.Min = TLUTEntry{MinIn, MinIn, MinIn};
  domain.Max = TLUTEntry{MaxIn, MaxIn, MaxIn};
  return true;
}

// ---------------------------------------------------------------------------
// Matrix

TCLFMatrix::TCLFMatrix(const TXMLNode& node, double in_scale, double out_scale) : TCLFOp(node) {
  const TArray a = ReadArray(node, 20, 2);
  // "3 3" and "3 4" of CLF, "3 3 3" and "3 4 3" of older files, and the
  // 4-channel forms whose alpha row and column are left out.
  const long long rows = a.Dim[0];
  const long long cols = a.Dim.size() >= 2 ? a.Dim[1] : 0;
  const bool shape_ok = (a.Dim.size() == 2 || (a.Dim.size() == 3 && (a.Dim[2] == rows || a.Dim[2] == 3))) &&
                        ((rows == 3 && (cols == 3 || cols == 4)) || (rows == 4 && (cols == 4 || cols == 5)));
  if (!shape_ok) BadShape(node);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) M[r][c] = a.Values[static_cast<std::size_t>(r * cols + c)] * in_scale / out_scale;
    // "4 4 3" of older files is a 3x4 matrix laid out in four rows.
    const bool offsets4 = cols == 4 && (rows == 3 || (a.Dim.size() == 3 && a.Dim[2] == 3));
    if (offsets4) M[r][3] = a.Values[static_cast<std::size_t>(r * cols + 3)] / out_scale;
    if (cols == 5) M[r][3] = a.Values[static_cast<std::size_t>(r * cols + 4)] / out_scale;
  }
}

void TCLFMatrix::Apply(TColor* colors, std::size_t count) const {
  for (std::size_t k = 0; k < count; ++k) {
    const TColor c = colors[k];
    colors[k] = TColor{M[0][0] * c.R + M[0][1] * c.G + M[0][2] * c.B + M[0][3],
                       M[1][0] * c.R + M[1][1] * c.G + M[1][2] * c.B + M[1][3],
                       M[2][0] * c.R + M[2][1] * c.G + M[2][2] * c.B + M[2][3]};
  }
}

bool TCLFMatrix::AsDomain(TLUTDomain& domain) const {
  // A scale and an offset per channel: input Min goes to 0 and Max to 1. The
  // table behind clamps its inputs, as a domain does.
  double min[3], max[3];
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      if (r != c && M[r][c] != 0.0) return false;
    }
    if (!(M[r][r] > 0.0)) return false;
    min[r] = -M[r][3] / M[r][r];
    max[r] = (1.0 - M[r][3]) / M[r][r];
  }
  domain.Min = TLUTEntry{min[0], min[1], min[2]};
  domain.Max = TLUTEntry{max[0], max[1], max[2]};
  return domain.IsValid();
}

// ---------------------------------------------------------------------------
// LUT1D and InverseLUT1D

TCLFLUT1D::TCLFLUT1D(const TXMLNode& node, double out_scale, bool inverse) : TCLFOp(node), Inverse(inverse) {
  for (const char* attribute : {"halfDomain", "rawHalfs"}) {
    if (SameName(AttributeText(node, attribute), "true")) {
      Fail(node, "The " + Quoted(attribute) + " form of " + Quoted(node.Name) + " is not supported.");
    }
  }
  const std::string_view hue = AttributeText(node, "hueAdjust");
  if (!hue.empty() && !SameName(hue, "none")) {
    if (!SameName(hue, "dw3") || inverse) {
      Fail(node, "The hueAdjust " + Quoted(hue) + " of " + Quoted(node.Name) + " is not supported.");
    }
    HueAdjust = true;
  }
  const TArray a = ReadArray(node, kMaxCLF1DValues);
  const long long channels = a.Dim.size() >= 2 ? a.Dim[1] : 0;
  if (a.Dim.size() != 2 || (channels != 1 && channels != 3) || a.Dim[0] < kMinUsableSize) BadShape(node);
  const int n = static_cast<int>(a.Dim[0]);
  Table.Kind = TLUTKind::lk1D;
  Table.SetSize1D(n);
  for (int i = 0; i < n; ++i) {
    const std::size_t at = static_cast<std::size_t>(i * channels);
    const double r = TableValue(a.Values[at], out_scale);
    TLUTEntry& e = Table.Table1D(i);
    e.R = r;
    e.G = channels == 1 ? r : TableValue(a.Values[at + 1], out_scale);
    e.B = channels == 1 ? r : TableValue(a.Values[at + 2], out_scale);
  }
  if (!Inverse) return;
  // The inverse of a table that turns back on itself is taken over its
  // monotonic hull: each value no lower (or higher) than those before.
  for (int c = 0; c < 3; ++c) {
    std::vector<double>& v = Monotonic[c];
    v.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = ChannelOf(Table.Table1D(i), c);
    Rising[c] = v.back() >= v.front();
    if (!Rising[c]) {
      for (double& x : v) x = -x;
    }
    for (std::size_t i = 1; i < v.size(); ++i) v[i] = std::max(v[i], v[i - 1]);
    std::size_t first = 0, last = v.size() - 1;
    while (first + 1 < v.size() && v[first + 1] == v[0]) ++first;
    while (last > first && v[last - 1] == v.back()) --last;
    First[c] = first;
    Last[c] = last;
  }
}

double TCLFLUT1D::Invert(int channel, double y) const {
  const std::vector<double>& v = Monotonic[channel];
  if (!Rising[channel]) y = -y;
  const std::size_t first = First[channel], last = Last[channel];
  const double scale = 1.0 / static_cast<double>(v.size() - 1);
  if (!(y > v[first])) return static_cast<double>(first) * scale;
  if (y >= v[last]) return static_cast<double>(last) * scale;
  // The first value not below y; the one before it is below.
  const auto it = std::lower_bound(v.begin() + static_cast<std::ptrdiff_t>(first),
                                   v.begin() + static_cast<std::ptrdiff_t>(last) + 1, y);
  const std::size_t k = static_cast<std::size_t>(it - v.begin());
  const double f = (y - v[k - 1]) / (v[k] - v[k - 1]);
  return (static_cast<double>(k - 1) + f) * scale;
}

void TCLFLUT1D::Apply(TColor* colors, std::size_t count) const {
  for (std::size_t k = 0; k < count; ++k) {
    TColor& c = colors[k];
    if (Inverse) {
      c = TColor{Invert(0, c.R), Invert(1, c.G), Invert(2, c.B)};
      continue;
    }
    const TColor in = c;
    c = Interpolate1D(Table, in);
    if (!HueAdjust) continue;
    // The curve keeps the hue: the middle channel is put back where it lay
    // between the others.
    const double v[3] = {in.R, in.G, in.B};
    int hi = 0, lo = 0;
    for (int i = 1; i < 3; ++i) {
      if (v[i] > v[hi]) hi = i;
      if (v[i] < v[lo]) lo = i;
    }
    if (hi == lo) continue;
    const int mid = 3 - hi - lo;
    const double factor = (v[mid] - v[lo]) / (v[hi] - v[lo]);
    Channel(c, mid) = ChannelOf(c, lo) + factor * (ChannelOf(c, hi) - ChannelOf(c, lo));
  }
}

// ---------------------------------------------------------------------------
// LUT3D

namespace {

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
        e.R = TableValue(a.Values[at], scale);
        e.G = TableValue(a.Values[at + 1], scale);
        e.B = TableValue(a.Values[at + 2], scale);
      }
}

}  // namespace

TCLFLUT3D::TCLFLUT3D(const TXMLNode& node, double out_scale) : TCLFOp(node) {
  Tetrahedral = IsTetrahedral(node);
  ReadGrid(node, out_scale, Table);
}

void TCLFLUT3D::Apply(TColor* colors, std::size_t count) const {
  if (!Tetrahedral) {
    for (std::size_t k = 0; k < count; ++k) colors[k] = Interpolate3D(Table, colors[k]);
    return;
  }
  const int n = Table.Size3D();
  for (std::size_t k = 0; k < count; ++k) {
    const TGridPos r = Locate(colors[k].R, n), g = Locate(colors[k].G, n), b = Locate(colors[k].B, n);
    const auto at = [&](bool rn, bool gn, bool bn) -> const TLUTEntry& {
      return Table.Table3D(rn ? r.next : r.index, gn ? g.next : g.index, bn ? b.next : b.index);
    };
    const double fr = r.frac, fg = g.frac, fb = b.frac;
    // The tetrahedron of the cell that holds the point, by the order of its
    // fractions; its four corners weigh in by the differences.
    const TLUTEntry *c1, *c2;
    double w0, w1, w2, w3;
    if (fr > fg) {
      if (fg > fb) {
        c1 = &at(1, 0, 0), c2 = &at(1, 1, 0), w0 = 1 - fr, w1 = fr - fg, w2 = fg - fb, w3 = fb;
      } else if (fr > fb) {
        c1 = &at(1, 0, 0), c2 = &at(1, 0, 1), w0 = 1 - fr, w1 = fr - fb, w2 = fb - fg, w3 = fg;
      } else {
        c1 = &at(0, 0, 1), c2 = &at(1, 0, 1), w0 = 1 - fb, w1 = fb - fr, w2 = fr - fg, w3 = fg;
      }
    } else {
      if (fb > fg) {
        c1 = &at(0, 0, 1), c2 = &at(0, 1, 1), w0 = 1 - fb, w1 = fb - fg, w2 = fg - fr, w3 = fr;
      } else if (fb > fr) {
        c1 = &at(0, 1, 0), c2 = &at(0, 1, 1), w0 = 1 - fg, w1 = fg - fb, w2 = fb - fr, w3 = fr;
      } else {
        c1 = &at(0, 1, 0), c2 = &at(1, 1, 0), w0 = 1 - fg, w1 = fg - fr, w2 = fr - fb, w3 = fb;
      }
    }
    const TLUTEntry& c0 = at(0, 0, 0);
    const TLUTEntry& c3 = at(1, 1, 1);
    colors[k] = TColor{w0 * c0.R + w1 * c1->R + w2 * c2->R + w3 * c3.R, w0 * c0.G + w1 * c1->G + w2 * c2->G + w3 * c3.G,
                       w0 * c0.B + w1 * c1->B + w2 * c2->B + w3 * c3.B};
  }
}

// ---------------------------------------------------------------------------
// InverseLUT3D

namespace {

// The six tetrahedra of a cell around its diagonal from corner 000 to 111,
// in the order they are tried: the two corners between the ends of each, as
// red, green and blue offsets.
constexpr int kTetrahedra[6][2][3] = {{{1, 0, 0}, {1, 1, 0}}, {{1, 1, 0}, {0, 1, 0}}, {{0, 1, 0}, {0, 1, 1}},
                                      {{0, 1, 1}, {0, 0, 1}}, {{0, 0, 1}, {1, 0, 1}}, {{1, 0, 1}, {1, 0, 0}}};

// How far a weight may stray outside its tetrahedron, and the smallest pivot
// that still spans a direction.
constexpr double kWeightSlack = 1e-9;
constexpr double kTinyPivot = 1e-9;
// How far a cell's bounds reach beyond its corners.
constexpr float kBoundsSlack = 1e-6f;
// The cells the search may look into: on average per colour asked for, and
// beyond that.
constexpr long long kCellsPerColour = 64;
constexpr long long kCellsAnyway = 1LL << 20;
// The most cell entries the buckets may hold together.
constexpr std::size_t kMaxBucketEntries = std::size_t{1} << 22;

// A table value as the float the search works in (at most the largest).
float AsFloat(double v) {
  constexpr double kLargest = std::numeric_limits<float>::max();
  return static_cast<float>(std::clamp(v, -kLargest, kLargest));
}

// A colour at the table's edge moved away from mid-grey, for the grown grid.
float GrownValue(double v) { return (AsFloat(v) - 0.5f) * 4.0f + 0.5f; }

// Solves the weights w[1..3] of the corners v[1..3] of a tetrahedron
// (against v[0]) that give p, and w[0] = 1 - the others; false where they
// do not exist.
bool SolveTetrahedron(const double v[4][3], const double p[3], double w[4]) {
  double a[3][4];
  for (int c = 0; c < 3; ++c) {
    for (int k = 0; k < 3; ++k) a[c][k] = v[k + 1][c] - v[0][c];
    a[c][3] = p[c] - v[0][c];
  }
  for (int col = 0; col < 3; ++col) {
    int best = col;
    for (int r = col + 1; r < 3; ++r) {
      if (std::fabs(a[r][col]) > std::fabs(a[best][col])) best = r;
    }
    if (!(std::fabs(a[best][col]) >= kTinyPivot)) return false;
    std::swap(a[best], a[col]);
    for (int r = col + 1; r < 3; ++r) {
      const double f = a[r][col] / a[col][col];
      for (int k = col; k < 4; ++k) a[r][k] -= f * a[col][k];
    }
  }
  for (int col = 2; col >= 0; --col) {
    double sum = a[col][3];
    for (int k = col + 1; k < 3; ++k) sum -= a[col][k] * w[k + 1];
    w[col + 1] = sum / a[col][col];
  }
  w[0] = 1.0 - w[1] - w[2] - w[3];
  return true;
}

// The same for a flat tetrahedron, whose corners span less than a volume: p
// must lie on one of its faces, edges or corners.
bool SolveFlat(const double v[4][3], const double p[3], double w[4]) {
  const auto dot = [](const double* x, const double* y) { return x[0] * y[0] + x[1] * y[1] + x[2] * y[2]; };
  const auto holds = [&](std::initializer_list<int> corners) {
    double q[3] = {0, 0, 0};
    for (int i : corners) {
      for (int c = 0; c < 3; ++c) q[c] += w[i] * v[i][c];
    }
    for (int c = 0; c < 3; ++c) {
      if (!(std::fabs(q[c] - p[c]) <= kTinyPivot)) return false;
    }
    for (int i : corners) {
      if (!(w[i] >= -kWeightSlack && w[i] <= 1.0 + kWeightSlack)) return false;
    }
    return true;
  };
  static constexpr int kFaces[4][3] = {{0, 1, 2}, {0, 1, 3}, {0, 2, 3}, {1, 2, 3}};
  for (const auto& f : kFaces) {
    double e1[3], e2[3], d[3];
    for (int c = 0; c < 3; ++c) {
      e1[c] = v[f[1]][c] - v[f[0]][c], e2[c] = v[f[2]][c] - v[f[0]][c], d[c] = p[c] - v[f[0]][c];
    }
    const double g11 = dot(e1, e1), g12 = dot(e1, e2), g22 = dot(e2, e2);
    const double det = g11 * g22 - g12 * g12;
    if (!(det > 0.0)) continue;
    std::fill(w, w + 4, 0.0);
    w[f[1]] = (g22 * dot(d, e1) - g12 * dot(d, e2)) / det;
    w[f[2]] = (g11 * dot(d, e2) - g12 * dot(d, e1)) / det;
    w[f[0]] = 1.0 - w[f[1]] - w[f[2]];
    if (holds({f[0], f[1], f[2]})) return true;
  }
  for (int i = 0; i < 4; ++i) {
    for (int j = i + 1; j < 4; ++j) {
      double e[3], d[3];
      for (int c = 0; c < 3; ++c) e[c] = v[j][c] - v[i][c], d[c] = p[c] - v[i][c];
      const double length = dot(e, e);
      if (!(length > 0.0)) continue;
      std::fill(w, w + 4, 0.0);
      w[j] = dot(d, e) / length;
      w[i] = 1.0 - w[j];
      if (holds({i, j})) return true;
    }
  }
  for (int i = 0; i < 4; ++i) {
    std::fill(w, w + 4, 0.0);
    w[i] = 1.0;
    if (holds({i})) return true;
  }
  return false;
}

}  // namespace

const float* TCLFInverseLUT3D::GrownAt(int r, int g, int b) const {
  return Grown.data() + 3 * ((static_cast<std::size_t>(b) * Points + g) * Points + r);
}

TCLFInverseLUT3D::TCLFInverseLUT3D(const TXMLNode& node, double in_scale) : TCLFOp(node) {
  // (Colours are found through the table's tetrahedra whatever it states.)
  IsTetrahedral(node);
  // The table holds the inputs of the inverse, at its input depth.
  ReadGrid(node, in_scale, Table);
  const int n = Table.Size3D();
  Points = n + 2;
  const int cells = Points - 1;
  Grown.resize(3 * static_cast<std::size_t>(Points) * Points * Points);
  const auto inner = [&](int i) { return std::clamp(i - 1, 0, n - 1); };
  float* v = Grown.data();  // filled in GrownAt's order
  for (int b = 0; b < Points; ++b)
    for (int g = 0; g < Points; ++g)
      for (int r = 0; r < Points; ++r, v += 3) {
        const TLUTEntry& e = Table.Table3D(inner(r), inner(g), inner(b));
        const bool edge = r == 0 || g == 0 || b == 0 || r == Points - 1 || g == Points - 1 || b == Points - 1;
        v[0] = edge ? GrownValue(e.R) : AsFloat(e.R);
        v[1] = edge ? GrownValue(e.G) : AsFloat(e.G);
        v[2] = edge ? GrownValue(e.B) : AsFloat(e.B);
      }
  const std::size_t cell_count = static_cast<std::size_t>(cells) * cells * cells;
  Bounds.resize(6 * cell_count);
  for (int b = 0; b < cells; ++b)
    for (int g = 0; g < cells; ++g)
      for (int r = 0; r < cells; ++r) {
        float* box = Bounds.data() + 6 * ((static_cast<std::size_t>(b) * cells + g) * cells + r);
        for (int c = 0; c < 3; ++c) box[c] = std::numeric_limits<float>::max(), box[3 + c] = -box[c];
        for (int corner = 0; corner < 8; ++corner) {
          const float* v = GrownAt(r + (corner & 1), g + (corner >> 1 & 1), b + (corner >> 2));
          for (int c = 0; c < 3; ++c) box[c] = std::min(box[c], v[c]), box[3 + c] = std::max(box[3 + c], v[c]);
        }
        for (int c = 0; c < 3; ++c) box[c] -= kBoundsSlack, box[3 + c] += kBoundsSlack;
      }
  // The search order: the bits of the cell indexes interleaved from the
  // highest, red lowest.
  int bits = 0;
  while ((1 << bits) < cells) ++bits;
  std::vector<std::uint32_t> order;
  order.reserve(cell_count);
  for (std::uint32_t key = 0; key < (std::uint32_t{1} << (3 * bits)); ++key) {
    int idx[3] = {0, 0, 0};
    for (int bit = 0; bit < bits; ++bit) {
      for (int c = 0; c < 3; ++c) idx[c] |= static_cast<int>((key >> (3 * bit + c)) & 1) << bit;
    }
    if (idx[0] < cells && idx[1] < cells && idx[2] < cells) {
      order.push_back(static_cast<std::uint32_t>((idx[2] * cells + idx[1]) * cells + idx[0]));
    }
  }
  // Buckets over 0..1 per channel, as fine as the table but holding no more
  // entries than the limit (the cells of a table that folds span it all).
  const auto span = [&](std::uint32_t cell, int buckets, int lo[3], int hi[3]) {
    const float* box = Bounds.data() + 6 * static_cast<std::size_t>(cell);
    for (int c = 0; c < 3; ++c) {
      if (box[3 + c] < 0.0f || box[c] > 1.0f) return false;
      lo[c] = std::clamp(static_cast<int>(std::floor(static_cast<double>(box[c]) * buckets)), 0, buckets - 1);
      hi[c] = std::clamp(static_cast<int>(std::floor(static_cast<double>(box[3 + c]) * buckets)), 0, buckets - 1);
    }
    return true;
  };
  Buckets = std::clamp(n, 1, 64);
  for (;;) {
    std::size_t entries = 0;
    for (const std::uint32_t cell : order) {
      int lo[3], hi[3];
      if (span(cell, Buckets, lo, hi)) {
        entries += static_cast<std::size_t>(hi[0] - lo[0] + 1) * (hi[1] - lo[1] + 1) * (hi[2] - lo[2] + 1);
      }
    }
    if (entries <= kMaxBucketEntries || Buckets == 1) break;
    Buckets /= 2;
  }
  const auto each_bucket = [&](std::uint32_t cell, auto&& f) {
    int lo[3], hi[3];
    if (!span(cell, Buckets, lo, hi)) return;
    for (int b = lo[2]; b <= hi[2]; ++b)
      for (int g = lo[1]; g <= hi[1]; ++g)
        for (int r = lo[0]; r <= hi[0]; ++r) f((static_cast<std::size_t>(b) * Buckets + g) * Buckets + r);
  };
  const std::size_t bucket_count = static_cast<std::size_t>(Buckets) * Buckets * Buckets;
  BucketStart.assign(bucket_count + 1, 0);
  for (const std::uint32_t cell : order) each_bucket(cell, [&](std::size_t k) { ++BucketStart[k + 1]; });
  for (std::size_t k = 0; k < bucket_count; ++k) BucketStart[k + 1] += BucketStart[k];
  BucketCells.resize(BucketStart[bucket_count]);
  std::vector<std::uint32_t> fill(BucketStart.begin(), BucketStart.end() - 1);
  for (const std::uint32_t cell : order) each_bucket(cell, [&](std::size_t k) { BucketCells[fill[k]++] = cell; });
}

bool TCLFInverseLUT3D::Find(const double p[3], double position[3], long long& budget) const {
  const int cells = Points - 1;
  std::size_t bucket = 0;
  for (int c = 2; c >= 0; --c) {
    bucket = bucket * Buckets + static_cast<std::size_t>(std::min(static_cast<int>(p[c] * Buckets), Buckets - 1));
  }
  for (std::uint32_t k = BucketStart[bucket]; k < BucketStart[bucket + 1]; ++k) {
    const std::uint32_t cell = BucketCells[k];
    const float* box = Bounds.data() + 6 * static_cast<std::size_t>(cell);
    if (p[0] < box[0] || p[1] < box[1] || p[2] < box[2] || p[0] > box[3] || p[1] > box[4] || p[2] > box[5]) continue;
    if (--budget < 0) {
      ELUTError e("The table of " + Quoted(Element) + " folds over itself too much to be inverted.");
      e.Position = Offset;
      throw e;
    }
    const int base[3] = {static_cast<int>(cell % cells), static_cast<int>(cell / cells % cells),
                         static_cast<int>(cell / cells / cells)};
    // The cell's corners by their offsets, red in bit 0, green 1, blue 2.
    double corner[8][3];
    for (int i = 0; i < 8; ++i) {
      const float* c = GrownAt(base[0] + (i & 1), base[1] + (i >> 1 & 1), base[2] + (i >> 2));
      for (int ch = 0; ch < 3; ++ch) corner[i][ch] = c[ch];
    }
    const auto corner_of = [](const int offset[3]) { return offset[0] | offset[1] << 1 | offset[2] << 2; };
    for (const auto& tetrahedron : kTetrahedra) {
      const int* o1 = tetrahedron[0];
      const int* o2 = tetrahedron[1];
      double v[4][3], w[4];
      std::copy_n(corner[0], 3, v[0]);
      std::copy_n(corner[corner_of(o1)], 3, v[1]);
      std::copy_n(corner[corner_of(o2)], 3, v[2]);
      std::copy_n(corner[7], 3, v[3]);
      if (SolveTetrahedron(v, p, w)) {
        if (!(w[1] >= -kWeightSlack && w[2] >= -kWeightSlack && w[3] >= -kWeightSlack &&
              w[1] + w[2] + w[3] <= 1.0 + kWeightSlack)) {
          continue;
        }
      } else if (!SolveFlat(v, p, w)) {
        continue;
      }
      for (int c = 0; c < 3; ++c) position[c] = base[c] + w[1] * o1[c] + w[2] * o2[c] + w[3];
      return true;
    }
  }
  return false;
}

void TCLFInverseLUT3D::Apply(TColor* colors, std::size_t count) const {
  // Enough for a table that folds here and there, over all the colours the
  // node is asked for; one that folds everywhere would otherwise take hours.
  const long long asked = Asked += static_cast<long long>(count);
  long long budget = kCellsPerColour * asked + kCellsAnyway - Spent;
  const long long given = budget;
  const double last = Points - 3;
  for (std::size_t k = 0; k < count; ++k) {
    double p[3] = {colors[k].R, colors[k].G, colors[k].B};
    for (double& v : p) v = v >= 0.0 ? std::min(v, 1.0) : 0.0;
    // A colour no cell holds becomes black.
    double position[3] = {1.0, 1.0, 1.0};
    Find(p, position, budget);
    for (int c = 0; c < 3; ++c) position[c] = std::clamp(position[c] - 1.0, 0.0, last) / last;
    colors[k] = TColor{position[0], position[1], position[2]};
  }
  Spent += given - budget;
}

// ---------------------------------------------------------------------------
// The chain

void TCLFChain::Evaluate(const TColor* in, TColor* out, std::size_t count) const {
  if (out != in) std::copy(in, in + count, out);
  for (const auto& op : Ops) op->Apply(out, count);
}

std::string DecodedXMLText(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    bool decoded = false;
    if (text[i] == '&') {
      for (const auto& [entity, c] : kEntities) {
        if (text.substr(i, entity.size()) == entity) {
          out.push_back(c);
          i += entity.size() - 1;
          decoded = true;
          break;
        }
      }
    }
    if (!decoded) out.push_back(text[i] == '\r' || text[i] == '\n' ? ' ' : text[i]);
  }
  return out;
}

namespace {

// The attributes of the tag at `node.Offset`, read again with their quotes
// honoured: the shared reader cuts values at blanks, and CLF keeps lists in
// them (dim="33 33 33 3").
void RereadAttributes(TXMLNode& node, std::string_view document) {
  // Elements of a namespace ("clf:LUT1D") are known by their local name.
  if (const std::size_t colon = node.Name.rfind(':'); colon != std::string::npos) node.Name.erase(0, colon + 1);
  if (node.Offset < document.size() && document[node.Offset] == '<') {
    std::string_view tag = document.substr(node.Offset + 1);
    std::size_t pos = 0;
    while (pos < tag.size() && !IsBlank(tag[pos]) && tag[pos] != '>' && tag[pos] != '/') ++pos;
    std::vector<std::pair<std::string, TXMLValue>> items;
    for (;;) {
      while (pos < tag.size() && IsBlank(tag[pos])) ++pos;
      if (pos >= tag.size() || tag[pos] == '>' || tag[pos] == '/') break;
      const std::size_t name_start = pos;
      while (pos < tag.size() && !IsBlank(tag[pos]) && tag[pos] != '=' && tag[pos] != '>') ++pos;
      std::string name(tag.substr(name_start, pos - name_start));
      while (pos < tag.size() && IsBlank(tag[pos])) ++pos;
      std::string value;
      if (pos < tag.size() && tag[pos] == '=') {
        ++pos;
        while (pos < tag.size() && IsBlank(tag[pos])) ++pos;
        if (pos < tag.size() && (tag[pos] == '"' || tag[pos] == '\'')) {
          const std::size_t close = tag.find(tag[pos], pos + 1);
          const std::size_t end = close == std::string_view::npos ? tag.size() : close;
          value = tag.substr(pos + 1, end - pos - 1);
          pos = end == tag.size() ? end : end + 1;
        } else {
          const std::size_t start = pos;
          while (pos < tag.size() && !IsBlank(tag[pos]) && tag[pos] != '>') ++pos;
          value = tag.substr(start, pos - start);
        }
      }
      items.emplace_back(std::move(name), TXMLValue{std::move(value)});
    }
    node.Attributes.Items = std::move(items);
    // The values of an Array may be interrupted by comments, which the shared
    // reader takes for elements: its text is read again up to its end tag.
    if (SameName(node.Name, "Array") && pos < tag.size() && tag[pos] == '>') {
      std::string_view rest = tag.substr(pos + 1);
      node.Value.Text.clear();
      for (;;) {
        const std::size_t lt = rest.find('<');
        node.Value.Text.append(rest.substr(0, lt));
        if (lt == std::string_view::npos || !rest.substr(lt).starts_with("<!--")) break;
        const std::size_t end = rest.find("-->", lt + 4);
        if (end == std::string_view::npos) break;
        node.Value.Text.push_back(' ');
        rest.remove_prefix(end + 3);
      }
    }
  }
  for (auto& child : node.Children) RereadAttributes(*child, document);
}

}  // namespace

bool IsProcessListName(std::string_view name) {
  if (const std::size_t colon = name.rfind(':'); colon != std::string_view::npos) name.remove_prefix(colon + 1);
  return XMLNamesMatch(name, "ProcessList");
}

TCLFChain ReadCLFDocument(std::string_view document) {
  TXMLNode doc;
  doc.LoadFromString(document);
  for (const auto& child : doc.Children) {
    if (IsProcessListName(child->Name)) return ReadCLFChain(*child, document);
  }
  // None: raises the reader's not-found error.
  return ReadCLFChain(doc.ChildByName("ProcessList"), document);
}

TCLFChain ReadCLFChain(TXMLNode& process_list, std::string_view document) {
  RereadAttributes(process_list, document);
  TCLFChain chain;
  for (const char* attribute : {"id", "name"}) {
    const std::string_view value = AttributeText(process_list, attribute);
    if (!value.empty()) chain.Comments.push_back(std::string(attribute) + ": " + DecodedXMLText(value));
  }
  const auto add_description = [&](const TXMLNode& node) {
    const std::string text = DecodedXMLText(Trim(node.Value.Text));
    if (!text.empty()) chain.Comments.push_back(text);
  };
  const TXMLNode* previous = nullptr;
  for (const auto& child : process_list.Children) {
    const TXMLNode& node = *child;
    if (SameName(node.Name, "Description")) {
      add_description(node);
      continue;
    }
    // What describes the pipeline and its colour spaces changes no colour.
    if (SameName(node.Name, "InputDescriptor") || SameName(node.Name, "OutputDescriptor") ||
        SameName(node.Name, "Info") || SameName(node.Name, "Id")) {
      continue;
    }
    std::unique_ptr<TCLFOp> op = MakeOp(node);
    if (!op) Fail(node, "The " + Quoted(node.Name) + " node is not supported.");
    if (node.HasChild("IndexMap")) {
      const auto* l1 = dynamic_cast<const TCLFLUT1D*>(op.get());
      const auto* l3 = dynamic_cast<const TCLFLUT3D*>(op.get());
      if (l1 == nullptr && l3 == nullptr) Fail(node, "The \"IndexMap\" of " + Quoted(node.Name) + " is not supported.");
      chain.Ops.push_back(IndexMapRange(node, l1 ? l1->Table.Size1D() : l3->Table.Size3D()));
    }
    for (const auto& inner : node.Children) {
      if (SameName(inner->Name, "Description")) add_description(*inner);
    }
    // Each node takes its values at the depth the one before it gave them.
    if (const TXMLNode* prev = previous; prev != nullptr && !SameName(AttributeText(*prev, "outBitDepth"),
                                                                      AttributeText(node, "inBitDepth"))) {
      Fail(node, "The inBitDepth " + Quoted(AttributeText(node, "inBitDepth")) + " of " + Quoted(node.Name) +
                     " differs from the outBitDepth " + Quoted(AttributeText(*prev, "outBitDepth")) +
                     " of the node before it.");
    }
    previous = &node;
    chain.Ops.push_back(std::move(op));
  }
  if (chain.Ops.empty()) Fail(process_list, "The \"ProcessList\" holds no process nodes.");
  return chain;
}

}  // namespace zelvo
