// The comparison's report as text for people and as JSON for scripts.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "lut/Compare.h"

namespace zelvo {

namespace {

constexpr const char* kChannelNames[3] = {"red", "green", "blue"};

// Shortest text that reads back as the same number, or `digits` significant digits.
void AppendNumber(std::string& out, double v, int digits = 0) {
  char buf[64];
  const auto res = digits > 0 ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits)
                              : std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, res.ptr);
}

void AppendCount(std::string& out, std::size_t n) {
  char buf[32];
  out.append(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
}

// ---------------------------------------------------------------------------
// Text

constexpr int kDigits = 6;

std::string Num(double v, int digits = kDigits) {
  std::string s;
  AppendNumber(s, v, digits);
  return s;
}

std::string Triple(const TColor& c) { return Num(c.R) + " " + Num(c.G) + " " + Num(c.B); }

std::string SpotText(const TCompareSpot& s) {
  return "at input " + Triple(s.Input) + ": A " + Triple(s.A) + ", B " + Triple(s.B);
}

// A column of a table, padded to its width.
std::string Column(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

}  // namespace

std::string CompareReportText(const TCompareReport& r, std::string_view name_a, std::string_view name_b) {
  const TCompareOptions& o = r.Options;
  const std::string bits = std::to_string(o.DepthBits);
  std::string t;
  t += "A: ";
  t += name_a;
  t += "\nB: ";
  t += name_b;
  t += "\nInputs compared: " + std::to_string(r.Inputs) + " (a " + std::to_string(o.Grid) +
       "-point grid and the grid points of both LUTs, over R " + Num(r.Domain.Min.R) + ".." + Num(r.Domain.Max.R) +
       ", G " + Num(r.Domain.Min.G) + ".." + Num(r.Domain.Max.G) + ", B " + Num(r.Domain.Min.B) + ".." +
       Num(r.Domain.Max.B) + ")\n";
  t += "Largest difference: " + Num(r.MaxDifference()) + " in " + kChannelNames[r.WorstChannel] + " (" +
       Num(r.CodeSteps(r.MaxDifference())) + " code steps of " + bits + " bits)\n  " +
       SpotText(r.MaxDifferenceAt()) + "\n";
  t += Column("Channel", 9) + Column("largest", 14) + Column("code steps", 12) + Column("mean", 14) + "code steps\n";
  for (std::size_t c = 0; c < 3; ++c) {
    const TChannelDifference& d = r.Channels[c];
    t += Column(kChannelNames[c], 9) + Column(Num(d.Max), 14) + Column(Num(r.CodeSteps(d.Max)), 12) +
         Column(Num(d.Mean), 14) + Num(r.CodeSteps(d.Mean)) + "\n";
  }
  t += "Colour difference: ";
  t += CompareSpaceAssumption(o.Space);
  t += "\n";
  if (o.Space != TCompareSpace::csNone) {
    t += "  largest " + Num(r.MaxDE, 4) + " " + SpotText(r.MaxDEAt) + "\n  mean " + Num(r.MeanDE, 4) + "\n";
  }
  t += "Above the threshold of " + Num(o.Threshold) + " (" + Num(r.CodeSteps(o.Threshold)) + " code steps): " +
       std::to_string(r.AboveThreshold) + " of " + std::to_string(r.Inputs) + " inputs (" +
       Num(100.0 * r.ShareAboveThreshold(), 4) + "%)\n";
  t += r.WithinThreshold() ? "Result: within the threshold\n" : "Result: not within the threshold\n";
  return t;
}

namespace {

// ---------------------------------------------------------------------------
// JSON

// The length of the well-formed UTF-8 sequence at the start of `s`, or 0.
std::size_t Utf8Length(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char b0 = byte(0);
  if (b0 < 0x80) return 1;
  std::size_t n = 0;
  std::uint32_t min = 0, cp = 0;
  if ((b0 & 0xE0) == 0xC0) n = 2, min = 0x80, cp = b0 & 0x1Fu;
  else if ((b0 & 0xF0) == 0xE0) n = 3, min = 0x800, cp = b0 & 0x0Fu;
  else if ((b0 & 0xF8) == 0xF0) n = 4, min = 0x10000, cp = b0 & 0x07u;
  else return 0;
  if (s.size() < n) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i) & 0x3Fu);
  }
  const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
  return cp < min || cp > 0x10FFFF || surrogate ? 0 : n;
}

// A JSON string: quotes, backslashes and control characters escaped, bytes
// that are not UTF-8 (a file name can hold any) shown as U+FFFD.
void AppendJsonString(std::string& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  while (!s.empty()) {
    const auto u = static_cast<unsigned char>(s[0]);
    std::size_t n = 1;
    if (u == '"' || u == '\\') {
      out.push_back('\\');
      out.push_back(s[0]);
    } else if (u < 0x20 || u == 0x7F) {
      out += "\\u00";
      out.push_back(kHex[u >> 4]);
      out.push_back(kHex[u & 15]);
    } else if (u < 0x80) {
      out.push_back(s[0]);
    } else if ((n = Utf8Length(s)) > 0) {
      out.append(s.substr(0, n));
    } else {
      out += "\\ufffd";
      n = 1;
    }
    s.remove_prefix(n);
  }
  out.push_back('"');
}

// Writes one object, a member a line at the top level.
class TJsonWriter {
 public:
  std::string Text() const { return text_ + "\n}\n"; }
  TJsonWriter& Key(std::string_view name) {
    if (depth_ == 0) text_ += first_.back() ? "{\n  " : ",\n  ";
    else if (!first_.back()) text_ += ", ";
    first_.back() = false;
    AppendJsonString(text_, name);
    text_ += ": ";
    return *this;
  }
  void Number(double v) {
    if (std::isfinite(v)) AppendNumber(text_, v);
    else text_ += "null";
  }
  void Count(std::size_t n) { AppendCount(text_, n); }
  void String(std::string_view s) { AppendJsonString(text_, s); }
  void Bool(bool b) { text_ += b ? "true" : "false"; }
  void Color(const TColor& c) {
    text_ += "[";
    Number(c.R);
    text_ += ", ";
    Number(c.G);
    text_ += ", ";
    Number(c.B);
    text_ += "]";
  }
  void Begin() {
    text_ += "{";
    ++depth_;
    first_.push_back(true);
  }
  void End() {
    text_ += "}";
    --depth_;
    first_.pop_back();
  }
  void Spot(const TCompareSpot& s) {
    Key("input").Color(s.Input);
    Key("a").Color(s.A);
    Key("b").Color(s.B);
  }

 private:
  std::string text_;
  int depth_ = 0;
  std::vector<bool> first_{true};
};

}  // namespace

std::string CompareReportJSON(const TCompareReport& r, std::string_view name_a, std::string_view name_b) {
  const TCompareOptions& o = r.Options;
  TJsonWriter j;
  j.Key("a").String(name_a);
  j.Key("b").String(name_b);
  j.Key("inputs").Count(r.Inputs);
  j.Key("grid").Count(static_cast<std::size_t>(o.Grid));
  j.Key("domain").Begin();
  j.Key("min").Color(r.Domain.Min);
  j.Key("max").Color(r.Domain.Max);
  j.End();
  j.Key("depth_bits").Count(static_cast<std::size_t>(o.DepthBits));
  j.Key("threshold").Number(o.Threshold);
  j.Key("threshold_code_steps").Number(r.CodeSteps(o.Threshold));
  j.Key("above_threshold").Count(r.AboveThreshold);
  j.Key("share_above_threshold").Number(r.ShareAboveThreshold());
  j.Key("within_threshold").Bool(r.WithinThreshold());

  j.Key("max_difference").Begin();
  j.Key("value").Number(r.MaxDifference());
  j.Key("code_steps").Number(r.CodeSteps(r.MaxDifference()));
  j.Key("channel").String(kChannelNames[r.WorstChannel]);
  j.Spot(r.MaxDifferenceAt());
  j.End();

  j.Key("channels").Begin();
  for (std::size_t c = 0; c < 3; ++c) {
    const TChannelDifference& d = r.Channels[c];
    j.Key(kChannelNames[c]).Begin();
    j.Key("max").Number(d.Max);
    j.Key("max_code_steps").Number(r.CodeSteps(d.Max));
    j.Key("mean").Number(d.Mean);
    j.Key("mean_code_steps").Number(r.CodeSteps(d.Mean));
    j.Spot(d.At);
    j.End();
  }
  j.End();

  j.Key("color_difference").Begin();
  j.Key("space").String(CompareSpaceName(o.Space));
  j.Key("assumption").String(CompareSpaceAssumption(o.Space));
  if (o.Space == TCompareSpace::csNone) {
    j.Key("max").Number(std::nan(""));
    j.Key("mean").Number(std::nan(""));
  } else {
    j.Key("max").Number(r.MaxDE);
    j.Key("mean").Number(r.MeanDE);
    j.Spot(r.MaxDEAt);
  }
  j.End();
  return j.Text();
}

}  // namespace zelvo
