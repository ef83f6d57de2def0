// The curve nodes of a CLF document: Log, Exponent (and CTF's Gamma) and
// ASC_CDL, each evaluated in double precision on normalised values.
//
//   <Log inBitDepth="32f" outBitDepth="32f" style="cameraLinToLog">
//     <LogParams base="10" logSideSlope="0.25" logSideOffset="0.6" linSideBreak="0.01"/>
//   </Log>
#include "formats/clf/CLFNodes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Errors.h"
#include "base/StringLib.h"
#include "base/XMLNode.h"
#include "formats/clf/CLFReading.h"

namespace zelvo {

using namespace clf;

namespace {

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

  void Apply(TColor* colors, std::size_t count, TSearchBudget& /*budget*/) const override {
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

  void Apply(TColor* colors, std::size_t count, TSearchBudget& /*budget*/) const override {
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

  void Apply(TColor* colors, std::size_t count, TSearchBudget& /*budget*/) const override {
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

}  // namespace

std::unique_ptr<TCLFOp> MakeCLFLog(const TXMLNode& node) { return std::make_unique<TCLFLog>(node); }
std::unique_ptr<TCLFOp> MakeCLFExponent(const TXMLNode& node) { return std::make_unique<TCLFExponent>(node); }
std::unique_ptr<TCLFOp> MakeCLFCDL(const TXMLNode& node) { return std::make_unique<TCLFCDL>(node); }

}  // namespace zelvo
