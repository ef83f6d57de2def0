// Cinespace .csp files, 1D and 3D. A 3D file:
//
//   CSPLUTV100                    <- the first line
//   3D                            <- or 1D
//
//   BEGIN METADATA                <- optional; its lines are the LUT's comments
//   Film emulation, print 2383
//   END METADATA
//
//   3                             <- red pre-LUT: its number of breakpoints,
//   0.0 0.18 1.0                     the inputs at the breakpoints (increasing)
//   0.0 0.5 1.0                      and the outputs, which index the table 0..1
//   2                             <- green, then blue, the same way
//   0.0 1.0
//   0.0 1.0
//   2
//   0.0 1.0
//   0.0 1.0
//
//   17 17 17                      <- points per axis, red green blue (may differ);
//   0.0 0.0 0.0                      a 1D file gives its number of entries
//   0.0625 0.0 0.0                <- rows of three values, red fastest
//
// Blank lines count for nothing. A pre-LUT runs through its breakpoints on a
// curve (a cubic between interior breakpoints, a quadratic in the first and
// last interval, a straight line for two breakpoints) and holds the ends
// outside them, as the format's maker's interpolator and OpenColorIO do.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "formats/Families.h"
#include "formats/LUTFormatImps.h"
#include "formats/TableSupport.h"
#include "formats/ReadErrors.h"
#include "formats/StrictText.h"
#include "lut/Resample.h"

namespace zelvo {

namespace {

constexpr std::string_view kMagic = "CSPLUTV100";
// The samples of a pre-LUT curve that is not a straight line: as many as
// OpenColorIO takes of it, so that both tools interpolate the same samples.
constexpr int kCurveSamples = 65536;
// A 1D table behind a curved pre-LUT is kept exactly, as a cube of its own
// size, up to this many entries; a longer one is combined with the pre-LUT.
constexpr int kMaxSeparableCube = 65;

// One channel's pre-LUT.
struct TPreCurve {
  std::vector<double> In{0.0, 1.0};
  std::vector<double> Out{0.0, 1.0};

  // The curve at x: the outputs at the breakpoints, a curve between them, the
  // end values outside.
  double operator()(double x) const;
  // Every output equals its input (the tolerance of OpenColorIO's test).
  bool IsIdentity() const;
  // Every breakpoint lies on the line through the first and the last.
  bool IsStraight() const;
  double From() const { return In.front(); }
  double To() const { return In.back(); }
};

double TPreCurve::operator()(double x) const {
  const std::size_t n = In.size();
  if (!(x > In[0])) return Out[0];
  if (x >= In[n - 1]) return Out[n - 1];
  const std::size_t i = static_cast<std::size_t>(std::upper_bound(In.begin(), In.end(), x) - In.begin()) - 1;
  const double d = In[i + 1] - In[i];
  const double t = (x - In[i]) / d;
  const double y0 = Out[i], y1 = Out[i + 1];
  if (n == 2) return y0 + (y1 - y0) * t;
  // The slope at an interior breakpoint: the centred difference, in units of
  // this interval.
  const auto slope = [&](std::size_t k) { return (Out[k + 1] - Out[k - 1]) * d / (In[k + 1] - In[k - 1]); };
  if (i == 0) {
    const double m1 = slope(1);
    return y0 + t * ((2.0 * (y1 - y0) - m1) + t * (y0 - y1 + m1));
  }
  if (i == n - 2) {
    const double m0 = slope(i);
    return y0 + t * (m0 + t * (y1 - y0 - m0));
  }
  const double m0 = slope(i), m1 = slope(i + 1);
  return y0 + t * (m0 + t * ((3.0 * (y1 - y0) - 2.0 * m0 - m1) + t * (2.0 * (y0 - y1) + m0 + m1)));
}

bool TPreCurve::IsIdentity() const {
  for (std::size_t i = 0; i < In.size(); ++i) {
    if (std::fabs(In[i] - Out[i]) > 1e-6 * std::max(std::fabs(In[i]), std::fabs(Out[i]))) return false;
  }
  return true;
}

bool TPreCurve::IsStraight() const {
  const double slope = (Out.back() - Out.front()) / (To() - From());
  const double scale = std::max({1.0, std::fabs(Out.front()), std::fabs(Out.back())});
  for (std::size_t i = 1; i + 1 < In.size(); ++i) {
    if (std::fabs(Out.front() + (In[i] - From()) * slope - Out[i]) > 1e-12 * scale) return false;
  }
  return true;
}

// The 1D stage of `lut`: `samples` samples of curve_of(channel) over each
// channel's pre-LUT range.
template <typename Curves>
void FillCurves(TLUT& lut, const std::array<TPreCurve, 3>& pre, int samples, Curves&& curve_of) {
  lut.SetSize1D(samples);
  for (int c = 0; c < 3; ++c) {
    const TPreCurve& range = pre[static_cast<std::size_t>(c)];
    Channel(lut.Domain1D.Min, c) = range.From();
    Channel(lut.Domain1D.Max, c) = range.To();
    const auto f = curve_of(c);
    const double step = (range.To() - range.From()) / (samples - 1);
    for (int i = 0; i < samples; ++i) {
      Channel(lut.Table1D(i), c) = f(i == samples - 1 ? range.To() : range.From() + step * i);
    }
  }
}

// A curved pre-LUT as the 1D stage: its curve sampled as OpenColorIO samples it.
void SamplePreCurves(TLUT& lut, const std::array<TPreCurve, 3>& pre) {
  FillCurves(lut, pre, kCurveSamples, [&pre](int c) { return std::cref(pre[static_cast<std::size_t>(c)]); });
}

// The reading state of one file.
class TCspReader {
 public:
  TCspReader(const TLUTSource& source, TLUT& lut) : source_(source), lut_(lut), lines_(source.Text()) {}
  void Read();

 private:
  // The next line that is not blank, or an error naming what was expected.
  std::string_view NextContent(const char* expected);
  void ReadMetadata();
  void ReadPreCurve(int channel);
  void ReadTable1D();
  void ReadTable3D();
  // The rows of the table: `store` takes each row's three values in turn.
  template <typename Store>
  void ReadRows(std::size_t expected, Store&& store);
  void ApplyPreCurves();
  void KeepTable1DAsCube();
  void CombineWithTable1D();

  const TLUTSource& source_;
  TLUT& lut_;
  TTextLines lines_;
  bool is_3d_ = false;
  std::array<TPreCurve, 3> pre_;
};

std::string_view TCspReader::NextContent(const char* expected) {
  while (lines_.Next()) {
    if (!IsBlankLine(lines_.Line())) return lines_.Line();
  }
  throw ELUTError("Incomplete file (the file ends at line " + std::to_string(lines_.Number()) + ", before " +
                  expected + ")");
}

void TCspReader::Read() {
  if (!StartsWithNoCase(NextContent("\"CSPLUTV100\""), kMagic)) {
    RaiseAtLine(ELUTError("The file does not start with \"CSPLUTV100\""), lines_.Number());
  }
  const std::string type = UpperCase(Trim(NextContent("the type line")));
  if (type != "1D" && type != "3D") {
    RaiseAtLine(ELUTError("The type \"" + EscapedRow(lines_.Line()) + "\" is not supported (1D or 3D)"),
                lines_.Number());
  }
  is_3d_ = type == "3D";
  NextContent("the pre-LUT");
  if (StartsWithNoCase(lines_.Line(), "BEGIN METADATA")) {
    ReadMetadata();
    NextContent("the pre-LUT");
  }
  for (int c = 0; c < 3; ++c) {
    if (c > 0) NextContent("the pre-LUT");
    ReadPreCurve(c);
  }
  if (is_3d_) ReadTable3D();
  else ReadTable1D();
  ApplyPreCurves();
  RequireFiniteTables(lut_);
}

void TCspReader::ReadMetadata() {
  const int begin = lines_.Number();
  while (lines_.Next()) {
    const std::string_view line = Trim(lines_.Line());
    if (StartsWithNoCase(line, "END METADATA")) return;
    if (!line.empty()) lut_.Comments.emplace_back(line);
  }
  RaiseAtLine(ELUTError("The metadata block has no \"END METADATA\" line"), begin);
}

void TCspReader::ReadPreCurve(int channel) {
  const int n = lines_.Number();
  std::string_view count_field;
  if (SplitFields(lines_.Line(), &count_field, 1) != 1) RaiseBadRow(lines_.Line(), 1, n);
  const int count = IntField(count_field, n);
  if (count < 0) {
    AtLine(n, [&] { RaiseBadHeaderValue(lines_.Line(), "a count of pre-LUT breakpoints of 0 or more is expected"); });
  }
  if (count < 2) return;  // no pre-LUT for this channel: inputs pass as they are
  TPreCurve& curve = pre_[static_cast<std::size_t>(channel)];
  int in_line = 0;
  for (std::vector<double>* values : {&curve.In, &curve.Out}) {
    const std::string_view line = NextContent("the pre-LUT's values");
    if (in_line == 0) in_line = lines_.Number();
    // Counted first, so that no count beyond the line's own allocates.
    if (SplitFields(line, nullptr, 0) != count) RaiseBadRow(line, count, lines_.Number());
    values->resize(static_cast<std::size_t>(count));
    ReadRowValues(line, values->data(), count, lines_.Number());
  }
  for (std::size_t i = 1; i < curve.In.size(); ++i) {
    if (!(curve.In[i] > curve.In[i - 1])) {
      RaiseAtLine(ELUTError("The pre-LUT's breakpoints must increase ('" + ShortestDecimal(curve.In[i]) +
                            "' follows '" + ShortestDecimal(curve.In[i - 1]) + "')"),
                  in_line);
    }
  }
}

template <typename Store>
void TCspReader::ReadRows(std::size_t expected, Store&& store) {
  std::size_t rows = 0;
  double v[3];
  while (lines_.Next()) {
    const std::string_view line = lines_.Line();
    if (IsBlankLine(line)) continue;
    if (rows == expected) RaiseExtraRow(expected, lines_.Number());
    ReadRowValues(line, v, 3, lines_.Number());
    store(TLUTEntry{v[0], v[1], v[2]});
    ++rows;
  }
  if (rows < expected) RaiseTooFewRows(rows, expected, lines_.Number());
}

void TCspReader::ReadTable1D() {
  const std::string_view line = NextContent("the table's size");
  const int n = lines_.Number();
  std::string_view field;
  if (SplitFields(line, &field, 1) != 1) RaiseBadRow(line, 1, n);
  const int size = IntField(field, n);
  AtLine(n, [&] { Check1DSize(size); });
  CheckRowsFit(source_.Bytes().size(), static_cast<std::size_t>(size), 6);
  lut_.Kind = TLUTKind::lk1D;
  lut_.SetSize1D(size);
  TLUTEntry* entry = lut_.Data1D();
  ReadRows(static_cast<std::size_t>(size), [&entry](const TLUTEntry& e) { *entry++ = e; });
}

void TCspReader::ReadTable3D() {
  const std::string_view line = NextContent("the table's size");
  const int n = lines_.Number();
  std::string_view fields[3];
  if (SplitFields(line, fields, 3) != 3) RaiseBadRow(line, 3, n);
  int sizes[3];
  for (int i = 0; i < 3; ++i) {
    sizes[i] = IntField(fields[i], n);
    AtLine(n, [&] { CheckGridSize(sizes[i]); });
  }
  const std::size_t rows = static_cast<std::size_t>(sizes[0]) * static_cast<std::size_t>(sizes[1]) *
                           static_cast<std::size_t>(sizes[2]);
  CheckRowsFit(source_.Bytes().size(), rows, 6);
  lut_.Kind = TLUTKind::lk3D;
  TGridTable grid(lut_, sizes[0], sizes[1], sizes[2]);
  int r = 0, g = 0, b = 0;
  ReadRows(rows, [&](const TLUTEntry& e) {
    grid.At(r, g, b) = e;
    if (++r < sizes[0]) return;
    r = 0;
    if (++g < sizes[1]) return;
    g = 0;
    ++b;
  });
  grid.Finish();
}

// The largest difference, over every interval of a table of `samples`
// samples of f from `from` to `to`, between f and the straight line through
// the interval's ends (looked at a quarter, a half and three quarters in).
template <typename F>
double SamplingError(F&& f, double from, double to, int samples) {
  double worst = 0.0;
  const double step = (to - from) / (samples - 1);
  double left = f(from);
  for (int i = 1; i < samples; ++i) {
    const double x = from + step * (i - 1);
    const double right = f(i == samples - 1 ? to : from + step * i);
    for (const double t : {0.25, 0.5, 0.75}) {
      worst = std::max(worst, std::fabs(f(x + step * t) - (left + (right - left) * t)));
    }
    left = right;
  }
  return worst;
}

std::string Scientific(double value) {
  char buf[32];
  const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 1).ptr;
  return std::string(buf, end);
}

void TCspReader::ApplyPreCurves() {
  const bool identity = std::all_of(pre_.begin(), pre_.end(), [](const TPreCurve& p) { return p.IsIdentity(); });
  if (identity) return;  // the table takes the inputs as they are
  const bool straight = std::all_of(pre_.begin(), pre_.end(), [](const TPreCurve& p) { return p.IsStraight(); });
  const bool onto_table = std::all_of(pre_.begin(), pre_.end(), [](const TPreCurve& p) {
    return p.Out.front() == 0.0 && p.Out.back() == 1.0;
  });
  if (straight && onto_table) {
    // Each channel's range maps straight onto the table: that is its domain.
    TLUTDomain& domain = is_3d_ ? lut_.Domain3D : lut_.Domain1D;
    domain.Min = TLUTEntry{pre_[0].From(), pre_[1].From(), pre_[2].From()};
    domain.Max = TLUTEntry{pre_[0].To(), pre_[1].To(), pre_[2].To()};
    return;
  }
  if (!is_3d_ && lut_.Size1D() > kMaxSeparableCube) {
    CombineWithTable1D();
    return;
  }
  if (!is_3d_) KeepTable1DAsCube();
  if (straight) {
    FillCurves(lut_, pre_, 2, [this](int c) { return std::cref(pre_[static_cast<std::size_t>(c)]); });
  } else {
    SamplePreCurves(lut_, pre_);
    double worst = 0.0;
    for (const TPreCurve& p : pre_) worst = std::max(worst, SamplingError(p, p.From(), p.To(), kCurveSamples));
    lut_.Comments.push_back("The pre-LUT curves are held as " + std::to_string(kCurveSamples) +
                            " samples each, as OpenColorIO samples them (between samples within " +
                            Scientific(worst) + " of the curves).");
  }
  lut_.Kind = TLUTKind::lk1DAnd3D;
}

// A cube whose every entry takes each channel from that channel's own 1D
// entry interpolates, trilinearly, exactly like the three 1D curves.
void TCspReader::KeepTable1DAsCube() {
  const int n = lut_.Size1D();
  lut_.SetSize3D(n);
  ForEachRedFastest(n, [this](int r, int g, int b) {
    lut_.Table3D(r, g, b) = TLUTEntry{lut_.Table1D(r).R, lut_.Table1D(g).G, lut_.Table1D(b).B};
  });
  lut_.Comments.push_back("The 1D table of " + std::to_string(n) + " entries is held as a cube of " +
                          std::to_string(n) + " points behind the pre-LUT, which interpolates exactly like it.");
}

void TCspReader::CombineWithTable1D() {
  TLUT table;
  table.Kind = TLUTKind::lk1D;
  table.SetSize1D(lut_.Size1D());
  std::copy_n(lut_.Data1D(), lut_.Size1D(), table.Data1D());
  const auto combined = [&](int c) {
    return [&, c](double x) {
      const double p = pre_[static_cast<std::size_t>(c)](x);
      return Channel(Interpolate1D(table, TColor{p, p, p}), c);
    };
  };
  FillCurves(lut_, pre_, kCurveSamples, combined);
  double worst = 0.0;
  for (int c = 0; c < 3; ++c) {
    const TPreCurve& p = pre_[static_cast<std::size_t>(c)];
    worst = std::max(worst, SamplingError(combined(c), p.From(), p.To(), kCurveSamples));
  }
  lut_.Comments.push_back("The pre-LUT and the 1D table of " + std::to_string(table.Size1D()) +
                          " entries are combined into one table of " + std::to_string(kCurveSamples) +
                          " entries (largest difference " + Scientific(worst) + ").");
}

class TCinespaceLutFormat : public TLUTFormat {
 public:
  TCinespaceLutFormat() : TLUTFormat(TLUTFormatId::Cinespace, "Cinespace", true) {}

  bool CanRead(const TLUTSource& source) const override {
    TTextLines lines(source.Head());
    while (lines.Next()) {
      if (!IsBlankLine(lines.Line())) return StartsWithNoCase(lines.Line(), kMagic);
    }
    return false;
  }

  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override {
    TCspReader(source, lut).Read();
    return {};
  }

  bool StatesDomain() const override { return true; }
  TShaper ShaperKind() const override { return TShaper::PerChannel; }
  // Readers join the points of a pre-LUT by a curve, not by the straight
  // lines of a 1D stage: a shaper's file means that curve.
  bool AsReadBack(TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// The pre-LUT of a table: the 1D stage's samples, or the table's domain onto
// 0..1. The table itself takes the pre-LUT's outputs over 0..1, so a 1D
// stage's outputs are brought from the table's domain onto it.
std::array<TPreCurve, 3> PreCurvesOf(const TLUT& lut, int size) {
  const bool shaper = lut.Kind == TLUTKind::lk1DAnd3D;
  const TLUTDomain& first = shaper ? lut.Domain1D : lut.Domain3D;
  const auto m = static_cast<std::size_t>(size);
  std::array<TPreCurve, 3> pre;
  for (int c = 0; c < 3; ++c) {
    TPreCurve& curve = pre[static_cast<std::size_t>(c)];
    curve.In.resize(m);
    curve.Out.resize(m);
    const double from = Channel(first.Min, c), to = Channel(first.Max, c);
    const double lo = Channel(lut.Domain3D.Min, c), hi = Channel(lut.Domain3D.Max, c);
    for (std::size_t i = 0; i < m; ++i) {
      curve.In[i] = i == m - 1 ? to : from + (to - from) * static_cast<double>(i) / static_cast<double>(m - 1);
      curve.Out[i] = shaper ? (Channel(lut.Table1D(static_cast<int>(i)), c) - lo) / (hi - lo)
                            : static_cast<double>(i) / static_cast<double>(m - 1);
    }
  }
  return pre;
}

bool TCinespaceLutFormat::AsReadBack(TLUT& lut) const {
  const bool trilinear = TLUTFormat::AsReadBack(lut);
  if (lut.Kind != TLUTKind::lk1DAnd3D || lut.Size1D() < kMinUsableSize) return trilinear;
  const std::array<TPreCurve, 3> pre = PreCurvesOf(lut, lut.Size1D());
  if (std::all_of(pre.begin(), pre.end(), [](const TPreCurve& p) { return p.IsStraight(); })) return trilinear;
  SamplePreCurves(lut, pre);
  lut.Domain3D = TLUTDomain{};
  return true;
}

// One channel's pre-LUT: the count, the inputs, the outputs, each exact (the
// outputs index the table, where six decimals would move a lookup).
void AddPreLines(TFileText& text, const std::vector<double>& in, const std::vector<double>& out) {
  AppendInt(text, static_cast<std::int64_t>(in.size()));
  text.push_back('\n');
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (i > 0) text.push_back(' ');
    AppendShortestDecimal(text, in[i]);
  }
  text.push_back('\n');
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (i > 0) text.push_back(' ');
    AppendShortestDecimal(text, out[i]);
  }
  text.push_back('\n');
}

TFileText TCinespaceLutFormat::Save(const TLUT& lut, int, std::string_view) const {
  const int n = WritableGridSize(lut);
  const bool shaper = lut.Kind == TLUTKind::lk1DAnd3D;
  const int m = shaper ? Writable1DSize(lut) : 2;
  if (m < kMinUsableSize) throw ELUTError("A pre-LUT of " + std::to_string(m) + " entry cannot be written.");
  TFileText text;
  AddLine(text, kMagic);
  AddLine(text, "3D");
  AddLine(text, "");
  AddLine(text, "BEGIN METADATA");
  for (const std::string& comment : lut.Comments) {
    // A line that would end the block early is left out.
    if (!StartsWithNoCase(comment, "END METADATA")) AddLine(text, comment);
  }
  AddLine(text, kConvertedByLine.substr(2));
  AddLine(text, "END METADATA");
  AddLine(text, "");
  for (const TPreCurve& curve : PreCurvesOf(lut, m)) AddPreLines(text, curve.In, curve.Out);
  AddLine(text, "");
  const std::string ns = std::to_string(n);
  AddLine(text, ns + " " + ns + " " + ns);
  AddFloatRowsRedFastest(text, lut, n);
  return text;
}

}  // namespace

void AddCinespaceFormats(TFormatList& formats) { formats.push_back(std::make_unique<TCinespaceLutFormat>()); }

}  // namespace zelvo
