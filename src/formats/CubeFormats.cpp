// The cube family. A Cube 3D file:
//
//   # comment lines before the size line are kept
//   LUT_3D_SIZE 33
//   0.000000 0.000000 0.000000      <- red varies fastest, blue slowest
//   0.031250 0.000000 0.000000
//
// It may carry a 1D shaper ahead of the cube ("LUT_1D_SIZE 256": 256 shaper rows
// before the 33^3 cube rows). A Truelight cube:
//
//   # Truelight Cube v2.0
//   # lutLength 1024               <- optional input LUT, in grid-index units
//   # iDims     3
//   # oDims     3
//   # width     17 17 17
//   # InputLUT
//   ...1024 rows...
//   # Cube
//   ...17^3 rows, red fastest...
//   # end
//
// A Nucoda file starts with "NUCODA_3D_CUBE 1" (shaper in 0..33) or
// "NUCODA_3D_CUBE 2" (shaper in 0..1), then LUT_1D_SIZE / LUT_3D_SIZE sections.

#include <algorithm>
#include <array>
#include <cmath>

#include "formats/Families.h"
#include "formats/LUTFormatImps.h"
#include "formats/ReadErrors.h"

namespace zelvo {

namespace {

class TCubeCursor;

class TCube3DLutFormat : public TGenericLutFormat {
 public:
  TCube3DLutFormat() : TGenericLutFormat(TLUTFormatId::Cube3D, "Cube 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  bool StatesDomain() const override { return true; }
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  // A line read while the grid size is not yet known.
  virtual void ParseHeaderLine(std::string_view line, TCubeCursor& cursor) const;
  // The header line that gives the grid size, for messages.
  virtual std::string_view SizeLine() const { return "LUT_3D_SIZE"; }
  TRowRun NextRowRun(TLineCursor& cursor) const override;
  void RowsRead(TLineCursor& cursor, std::size_t count) const override;

 protected:
  TCube3DLutFormat(TLUTFormatId id, std::string name) : TGenericLutFormat(id, std::move(name), true) {}
};

class TCube3DTruelightLutFormat : public TCube3DLutFormat {
 public:
  TCube3DTruelightLutFormat() : TCube3DLutFormat(TLUTFormatId::Cube3DTruelight, "Cube 3D Truelight") {}
  bool CanRead(const TLUTSource& source) const override;
  bool StatesDomain() const override { return false; }
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  void ParseHeaderLine(std::string_view line, TCubeCursor& cursor) const override;
  std::string_view SizeLine() const override { return "# width"; }
};

class TNucoda3DLutFormat : public TGenericLutFormat {
 public:
  // Shaper rows written ahead of the cube.
  static constexpr int ShaperOutLength = 4096;

  TNucoda3DLutFormat() : TGenericLutFormat(TLUTFormatId::Nucoda3D, "Nucoda 3D", true) {}
  // The shaper goes to 32.999999 of 33, in six decimals.
  TWrittenValues WrittenValues(int bits) const override {
    TWrittenValues held = TLUTFormat::WrittenValues(bits);
    held.InputShift = (1e-6 + 0.5e-6) / 33.0;
    return held;
  }
  bool CanRead(const TLUTSource& source) const override;
  // The load's Info.Version is the number on the file's NUCODA_3D_CUBE line.
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
};

class TCube1DLutFormat : public TGenericLutFormat {
 public:
  TCube1DLutFormat() : TGenericLutFormat(TLUTFormatId::Cube1D, "Cube 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  bool StatesDomain() const override { return true; }
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TRowRun NextRowRun(TLineCursor& cursor) const override;
  void RowsRead(TLineCursor& cursor, std::size_t count) const override;
};

class TNucoda1DLutWriterFormat : public TGenericLutFormat {
 public:
  TNucoda1DLutWriterFormat() : TGenericLutFormat(TLUTFormatId::Nucoda1D, "Nucoda 1D", false) {}
  bool CanRead(const TLUTSource&) const override { return false; }
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  bool CanLoad() const override { return false; }
  // Its files carry NUCODA_3D_CUBE and are read by Nucoda 3D.
  TLUTFormatId ReadBackAs() const override { return TLUTFormatId::Nucoda3D; }
};

// The reading state of the cube family beyond the generic cursor.
class TCubeCursor : public TLineCursor {
 public:
  using TLineCursor::TLineCursor;
  // Rows of a 1D section ahead of the cube (0 when there is none).
  int ShaperLength = 0;
  // Nucoda: which sections the header announced.
  bool Has1D = false;
  bool Has3D = false;
  // Truelight: the "# end" line was read; what follows is not the table's.
  bool Ended = false;

  // The input domains the header declares: DOMAIN_MIN and DOMAIN_MAX (of the
  // file's first stage, with the lines that gave them, for messages) and the
  // ranges LUT_1D_INPUT_RANGE and LUT_3D_INPUT_RANGE of the two stages.
  TLUTDomain Domain;
  std::string DomainMinLine, DomainMaxLine;
  bool HasRange1D = false;
  bool HasRange3D = false;
  TLUTDomain Range1D, Range3D;

  void SetShaperLength(long long length) {
    CheckDeclared1DLength(*this, length);
    ShaperLength = static_cast<int>(length);
    if (LUT.Size1D() != ShaperLength) LUT.SetSize1D(ShaperLength);
  }
  // Nothing stored yet: a size line here still counts.
  bool AtStart() const { return Index1D == 0 && IndexR == 0 && IndexG == 0 && IndexB == 0; }
  // The rows of the shaper and of the cube the header asks for, and those
  // read so far.
  std::size_t ExpectedCubeRows() const { return static_cast<std::size_t>(ShaperLength) + ExpectedRows(true); }
  std::size_t CubeRowsRead() const { return static_cast<std::size_t>(Index1D) + RowsStored; }
};

namespace {

TCubeCursor& CubeCursor(TLineCursor& cursor) { return static_cast<TCubeCursor&>(cursor); }

// The numbers after a keyword at the start of a line, exactly `count` of them.
template <std::size_t N>
std::array<double, N> NumbersAfter(std::string_view line, std::size_t keyword_length) {
  std::string_view rest = Trim(TrimLeft(line).substr(keyword_length));
  std::array<double, N> values{};
  for (std::size_t i = 0; i < N; ++i) {
    if (rest.empty()) RaiseBadHeaderValue(line, std::to_string(N) + " numbers are expected");
    std::size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end])) ++end;
    values[i] = StrToFloat(rest.substr(0, end));
    rest = TrimLeft(rest.substr(end));
  }
  if (!rest.empty()) RaiseBadHeaderValue(line, std::to_string(N) + " numbers are expected");
  return values;
}

bool StartsWithNoCase(std::string_view line, std::string_view keyword) {
  const std::string_view t = TrimLeft(line);
  return t.size() >= keyword.size() && PosNoCase(keyword, t.substr(0, keyword.size())) == 1 &&
         (t.size() == keyword.size() || IsBlank(t[keyword.size()]));
}

// The domain keywords of the cube files, in any order and letter case:
//   DOMAIN_MIN 0 0 0 / DOMAIN_MAX 4 4 4   (the file's first stage)
//   LUT_1D_INPUT_RANGE -1 3 / LUT_3D_INPUT_RANGE 0 4   (one stage each)
// True when the line was one of them.
bool TakeDomainLine(std::string_view line, TCubeCursor& c) {
  const std::string_view t = TrimLeft(line);
  if (t.empty() || !(t[0] == 'D' || t[0] == 'd' || t[0] == 'L' || t[0] == 'l')) return false;
  constexpr std::string_view kMin = "DOMAIN_MIN", kMax = "DOMAIN_MAX";
  constexpr std::string_view kRange1D = "LUT_1D_INPUT_RANGE", kRange3D = "LUT_3D_INPUT_RANGE";
  if (StartsWithNoCase(t, kMin) || StartsWithNoCase(t, kMax)) {
    const bool is_min = StartsWithNoCase(t, kMin);
    const auto v = NumbersAfter<3>(t, kMin.size());
    (is_min ? c.Domain.Min : c.Domain.Max) = TLUTEntry{v[0], v[1], v[2]};
    (is_min ? c.DomainMinLine : c.DomainMaxLine) = std::string(Trim(t));
    return true;
  }
  const bool range1d = StartsWithNoCase(t, kRange1D);
  if (!range1d && !StartsWithNoCase(t, kRange3D)) return false;
  const auto v = NumbersAfter<2>(t, kRange1D.size());
  if (!(v[1] > v[0])) RaiseBadHeaderValue(t, "the maximum must be above the minimum");
  const TLUTDomain range{TLUTEntry{v[0], v[0], v[0]}, TLUTEntry{v[1], v[1], v[1]}};
  (range1d ? c.Range1D : c.Range3D) = range;
  (range1d ? c.HasRange1D : c.HasRange3D) = true;
  return true;
}

// The declared domains onto the stages the LUT has. DOMAIN_MIN and DOMAIN_MAX
// belong to the first stage (the shaper of a 1D+3D file); a stage's own range
// line wins over them. In a file of one stage either range line is that
// stage's: files of a 3D table alone that state LUT_1D_INPUT_RANGE exist, and
// their tables are sampled over that range.
void ApplyDomains(TCubeCursor& c) {
  if (!c.Domain.IsValid()) {
    throw ELUTError("The input domain from \"" + (c.DomainMinLine.empty() ? "DOMAIN_MIN 0 0 0" : c.DomainMinLine) +
                    "\" to \"" + (c.DomainMaxLine.empty() ? "DOMAIN_MAX 1 1 1" : c.DomainMaxLine) +
                    "\" is not supported (the maximum must be above the minimum in every channel).");
  }
  TLUT& lut = c.LUT;
  const TLUTDomain* range1d = c.HasRange1D ? &c.Range1D : nullptr;
  const TLUTDomain* range3d = c.HasRange3D ? &c.Range3D : nullptr;
  lut.Domain1D = lut.Domain3D = TLUTDomain{};
  switch (lut.Kind) {
    case TLUTKind::lk1DAnd3D:
      lut.Domain1D = range1d ? *range1d : c.Domain;
      if (range3d) lut.Domain3D = *range3d;
      break;
    case TLUTKind::lk1D: lut.Domain1D = range1d ? *range1d : range3d ? *range3d : c.Domain; break;
    case TLUTKind::lk3D: lut.Domain3D = range3d ? *range3d : range1d ? *range1d : c.Domain; break;
    case TLUTKind::lkNone:
    case TLUTKind::lkChain: break;
  }
}

// "DOMAIN_MIN r g b" and "DOMAIN_MAX r g b" for a domain other than 0..1, with
// the shortest decimals that read back exactly.
void AddDomainLines(TFileText& text, const TLUTDomain& domain) {
  if (domain.IsUnit()) return;
  for (const auto& [keyword, e] : {std::pair{"DOMAIN_MIN", domain.Min}, std::pair{"DOMAIN_MAX", domain.Max}}) {
    text.append(keyword);
    for (const double v : {e.R, e.G, e.B}) {
      text.push_back(' ');
      AppendShortestDecimal(text, v);
    }
    text.push_back('\n');
  }
}

// The length of a shaper ahead of the cube ("LUT_1D_SIZE 256", "# lutLength
// 1024"): once, or again with the same length. It may follow the cube's size
// line, but not its rows, which would then be in the wrong places.
void TakeShaperLength(std::string_view line, std::string_view keyword, TCubeCursor& c) {
  const int length = IntValueAfter(line, keyword);
  if (c.ShaperLength > 0) {
    if (length != c.ShaperLength) RaiseSizeChanged(c.ShaperLength, length, c.Line);
    return;
  }
  if (!c.AtStart()) RaiseBadHeaderValue(line, "it comes after rows of the table");
  c.SetShaperLength(length);
}

// "TITLE "name"" of the Nucoda writers.
void AddTitleLine(TFileText& text, std::string_view title) {
  text.append("TITLE \"");
  text.append(title);
  text.append("\"\n");
}

}  // namespace

// ---------------------------------------------------------------------------
// Cube 3D

bool TCube3DLutFormat::CanRead(const TLUTSource& source) const {
  return MatchSignature(source, "LUT_3D_SIZE", "NUCODA_3D_CUBE");
}

TLoadInfo TCube3DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  TCubeCursor cursor(source, lut);
  ParseLines(cursor);
  // A file cut short, counted over both sections.
  if (cursor.Size > 0 && !cursor.Complete) {
    RaiseTooFewRows(cursor.CubeRowsRead(), cursor.ExpectedCubeRows(), cursor.Line);
  }
  FinishLoad(cursor);
  if (cursor.ShaperLength > 0) {
    // The rows ahead of the cube form a 1D stage applied before it.
    lut.Kind = TLUTKind::lk1DAnd3D;
  } else if (lut.Size1D() != 0) {
    lut.SetSize1D(0);
  }
  ApplyDomains(cursor);
  return cursor.Info;
}

void TCube3DLutFormat::ParseHeaderLine(std::string_view line, TCubeCursor& c) const {
  if (IsCommentLine(line)) {
    c.AddComment(CommentText(line));
  } else if (ContainsNoCase(line, "LUT_3D_SIZE")) {
    SetDeclaredGridSize(c, IntValueAfter(line, "LUT_3D_SIZE"));
  } else if (ContainsNoCase(line, "LUT_1D_SIZE")) {
    TakeShaperLength(line, "LUT_1D_SIZE", c);
  }
}

void TCube3DLutFormat::ParseLine(std::string_view line, TLineCursor& cursor) const {
  TCubeCursor& c = CubeCursor(cursor);
  if (IsBlankLine(line) || TakeDomainLine(line, c)) return;
  if (c.Size == -1) {
    if (StartsLikeDataRow(line)) RaiseRowBeforeSize(SizeLine(), c.Line);
    ParseHeaderLine(line, c);
    return;
  }
  if (c.Ended || IsCommentLine(line)) return;
  if (!StartsLikeDataRow(line)) {
    // Titles and other tools' keywords are not the table's; a size line again
    // must repeat its size.
    if (ContainsNoCase(line, "LUT_3D_SIZE")) {
      if (const int size = IntValueAfter(line, "LUT_3D_SIZE"); size != c.Size) RaiseSizeChanged(c.Size, size, c.Line);
    } else if (ContainsNoCase(line, "LUT_1D_SIZE")) {
      TakeShaperLength(line, "LUT_1D_SIZE", c);
    }
    return;
  }
  double r, g, b;
  ReadFloatRow(line, c.Line, r, g, b);
  if (c.Index1D < c.ShaperLength) {
    c.LUT.Table1D(c.Index1D++) = TLUTEntry{r, g, b};
    return;
  }
  if (c.Complete) RaiseExtraRow(c.ExpectedCubeRows(), c.Line);
  c.StoreRedFastest(r, g, b);
}

TGenericLutFormat::TRowRun TCube3DLutFormat::NextRowRun(TLineCursor& cursor) const {
  TCubeCursor& c = CubeCursor(cursor);
  if (c.Size == -1 || c.Complete || c.Ended) return {};
  // The shaper rows first, then the cube, red fastest: both in memory order.
  if (c.Index1D < c.ShaperLength) {
    return {c.LUT.Data1D() + c.Index1D, static_cast<std::size_t>(c.ShaperLength - c.Index1D)};
  }
  const std::size_t left = c.RedFastestRowsLeft();
  return left > 0 ? TRowRun{c.RedFastestNext(), left} : TRowRun{};
}

void TCube3DLutFormat::RowsRead(TLineCursor& cursor, std::size_t count) const {
  TCubeCursor& c = CubeCursor(cursor);
  if (c.Index1D < c.ShaperLength) c.Index1D += static_cast<int>(count);
  else c.StepRedFastest(count);
}

TFileText TCube3DLutFormat::Save(const TLUT& lut, int, std::string_view) const { return Cube3DText(lut); }

// ---------------------------------------------------------------------------
// Cube 3D Truelight

namespace {

// "# lutLength 1024": the length of the input LUT ahead of the cube.
bool TakeLutLength(std::string_view line, TCubeCursor& c) {
  if (!IsCommentLine(line) || !ContainsNoCase(line, "lutLength")) return false;
  TakeShaperLength(line, "lutLength", c);
  return true;
}

// The grid size of a "# width 17 17 17" line.
int WidthOf(std::string_view line) {
  const int pos = PosNoCase("# width", line);
  std::string_view rest = Trim(line.substr(static_cast<std::size_t>(pos - 1) + 7));
  return StrToInt(CutAt(" ", rest));
}

}  // namespace

bool TCube3DTruelightLutFormat::CanRead(const TLUTSource& source) const {
  return MatchSignature(source, "iDims,oDims,width", "NUCODA_3D_CUBE");
}

void TCube3DTruelightLutFormat::ParseHeaderLine(std::string_view line, TCubeCursor& c) const {
  if (TakeLutLength(line, c)) return;
  if (ContainsNoCase(line, "# width")) SetDeclaredGridSize(c, WidthOf(line));
}

void TCube3DTruelightLutFormat::ParseLine(std::string_view line, TLineCursor& cursor) const {
  TCubeCursor& c = CubeCursor(cursor);
  if (c.Size != -1 && !c.Ended && IsCommentLine(line)) {
    // The input-LUT length may also follow the width line; the profile and
    // whatever else follows "# end" are not the table's.
    if (TakeLutLength(line, c)) return;
    if (ContainsNoCase(line, "# width")) {
      if (const int size = WidthOf(line); size != c.Size) RaiseSizeChanged(c.Size, size, c.Line);
    } else if (const std::string_view text = CommentText(line); text.size() == 3 && PosNoCase("end", text) == 1) {
      c.Ended = true;
    }
    return;
  }
  TCube3DLutFormat::ParseLine(line, c);
}

TLoadInfo TCube3DTruelightLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  const TLoadInfo info = TCube3DLutFormat::Load(source, lut);
  const int length = lut.Kind == TLUTKind::lk1DAnd3D ? lut.Size1D() : 0;
  if (length == 0) return info;
  // The input LUT is in grid-index units (0 to width-1).
  const double span = lut.Size3D() > 1 ? static_cast<double>(lut.Size3D() - 1) : 1.0;
  bool identity = true;
  for (int i = 0; i < length; ++i) {
    TLUTEntry& e = lut.Table1D(i);
    e = TLUTEntry{e.R / span, e.G / span, e.B / span};
    const double x = length > 1 ? static_cast<double>(i) / (length - 1) : 0.0;
    if (std::fabs(e.R - x) > 2e-6 || std::fabs(e.G - x) > 2e-6 || std::fabs(e.B - x) > 2e-6) identity = false;
  }
  if (identity && length > 1) {
    lut.Kind = TLUTKind::lk3D;
    lut.SetSize1D(0);
  }
  return info;
}

TFileText TCube3DTruelightLutFormat::Save(const TLUT& lut, int, std::string_view) const {
  const int n = WritableGridSize(lut);
  const std::string ns = std::to_string(n);
  TFileText text;
  AddLine(text, "# Truelight Cube v2.0");
  AddLine(text, "# iDims     3");
  AddLine(text, "# oDims     3");
  AddLine(text, "# width     " + ns + " " + ns + " " + ns);
  AddLine(text, "");
  AddLine(text, "# Cube");
  AddFloatRowsRedFastest(text, lut, n);
  AddLine(text, "# end");
  AddLine(text, kConvertedByLine);
  return text;
}

// ---------------------------------------------------------------------------
// Nucoda 3D

bool TNucoda3DLutFormat::CanRead(const TLUTSource& source) const { return MatchSignature(source, "NUCODA_3D_CUBE"); }

TLoadInfo TNucoda3DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  TCubeCursor c(source, lut);
  ParseLines(c);
  if (!c.Has1D && !c.Has3D) throw ELUTError("Incomplete file.");
  if (c.CubeRowsRead() < c.ExpectedCubeRows()) RaiseTooFewRows(c.CubeRowsRead(), c.ExpectedCubeRows(), c.Line);
  if (!c.Has1D && lut.Size1D() != 0) lut.SetSize1D(0);
  lut.Kind = !c.Has3D ? TLUTKind::lk1D : c.Has1D ? TLUTKind::lk1DAnd3D : TLUTKind::lk3D;
  return c.Info;
}

void TNucoda3DLutFormat::ParseLine(std::string_view line, TLineCursor& cursor) const {
  TCubeCursor& c = CubeCursor(cursor);
  if (IsCommentLine(line) || IsBlankLine(line)) return;
  if (const int pos = PosNoCase("NUCODA_3D_CUBE", line); pos > 0) {
    const std::size_t after = static_cast<std::size_t>(pos - 1) + 14 + 1;
    c.Info.Version = StrToInt(Trim(after < line.size() ? line.substr(after) : std::string_view{}));
    return;
  }
  // Each size once, or again with the same value.
  if (ContainsNoCase(line, "LUT_1D_SIZE")) {
    const int length = IntValueAfter(line, "LUT_1D_SIZE");
    if (c.Has1D && length != c.ShaperLength) RaiseSizeChanged(c.ShaperLength, length, c.Line);
    if (!c.Has1D) c.SetShaperLength(length);
    c.Has1D = true;
    return;
  }
  if (ContainsNoCase(line, "LUT_3D_SIZE")) {
    const int size = IntValueAfter(line, "LUT_3D_SIZE");
    if (c.Has3D && size != c.Size) RaiseSizeChanged(c.Size, size, c.Line);
    if (!c.Has3D) SetDeclaredGridSize(c, size);
    c.Has3D = true;
    return;
  }
  if (!StartsLikeDataRow(line)) return;  // the title line and others
  double r, g, b;
  ReadFloatRow(line, c.Line, r, g, b);
  // The shaper rows first, then the cube's.
  if (c.Index1D < c.ShaperLength) {
    const double d = c.Info.Version == 1 ? 33.0 : 1.0;
    c.LUT.Table1D(c.Index1D++) = TLUTEntry{r / d, g / d, b / d};
  } else if (c.Has3D && c.RowsStored < c.ExpectedRows(true)) {
    c.StoreAndStepRedFastest(r, g, b);
  } else if (c.Has1D || c.Has3D) {
    RaiseExtraRow(c.ExpectedCubeRows(), c.Line);
  } else {
    RaiseRowBeforeSize("LUT_1D_SIZE\" or \"LUT_3D_SIZE", c.Line);
  }
}

TFileText TNucoda3DLutFormat::Save(const TLUT& lut, int, std::string_view title) const {
  const int n = WritableGridSize(lut);
  const int l = ShaperOutLength;
  TFileText text;
  AddLine(text, "NUCODA_3D_CUBE 1");
  AddLine(text, "");
  AddTitleLine(text, title);
  AddLine(text, "");
  AddLine(text, "LUT_1D_SIZE " + std::to_string(l));
  AddLine(text, "LUT_3D_SIZE " + std::to_string(n));
  AddLine(text, "");
  for (int i = 0; i < l; ++i) {
    const double t = static_cast<double>(i) / (l - 1);
    const double v = t * 32.999999;
    AppendFloatTriple(text, TLUTEntry{v, v, v});
    text.push_back('\n');
  }
  AddLine(text, "");
  AddFloatRowsRedFastest(text, lut, n);
  return text;
}

// ---------------------------------------------------------------------------
// Cube 1D

bool TCube1DLutFormat::CanRead(const TLUTSource& source) const {
  return MatchSignature(source, "LUT_1D_SIZE", "NUCODA_3D_CUBE");
}

TLoadInfo TCube1DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  TCubeCursor cursor(source, lut);
  ParseLines(cursor);
  FinishLoad(cursor);
  ApplyDomains(cursor);
  return cursor.Info;
}

void TCube1DLutFormat::ParseLine(std::string_view line, TLineCursor& cursor) const {
  TCubeCursor& c = CubeCursor(cursor);
  if (IsBlankLine(line) || TakeDomainLine(line, c)) return;
  if (IsCommentLine(line)) {
    c.AddComment(CommentText(line));
    return;
  }
  if (ContainsNoCase(line, "LUT_1D_SIZE")) {
    // Given once, or again with the same length.
    const int length = IntValueAfter(line, "LUT_1D_SIZE");
    if (c.Size != -1 && length != c.Size) RaiseSizeChanged(c.Size, length, c.Line);
    CheckDeclared1DLength(c, length);
    c.Set1DSize(length);
    return;
  }
  if (!StartsLikeDataRow(line)) return;  // the title and other keywords
  if (c.Size == -1) RaiseRowBeforeSize("LUT_1D_SIZE", c.Line);
  double r, g, b;
  ReadFloatRow(line, c.Line, r, g, b);
  c.Store1D(r, g, b);
}

TGenericLutFormat::TRowRun TCube1DLutFormat::NextRowRun(TLineCursor& c) const {
  if (c.Size < 1 || c.Complete || c.Size != c.LUT.Size1D() || c.Index1D >= c.Size) return {};
  return {c.LUT.Data1D() + c.Index1D, static_cast<std::size_t>(c.Size - c.Index1D)};
}

void TCube1DLutFormat::RowsRead(TLineCursor& c, std::size_t count) const {
  c.Index1D += static_cast<int>(count);
  c.RowsStored += count;
  if (c.Index1D == c.Size) c.Complete = true;
}

TFileText TCube1DLutFormat::Save(const TLUT& lut, int, std::string_view) const {
  const int m = Writable1DSize(lut);
  TFileText text;
  AddCommentLines(text, lut);
  AddLine(text, kConvertedByLine);
  AddLine(text, "");
  AddLine(text, "LUT_1D_SIZE " + std::to_string(m));
  AddDomainLines(text, lut.Domain1D);
  AddFloatRows1D(text, lut, m);
  return text;
}

// ---------------------------------------------------------------------------
// Nucoda 1D (write only; read back by Nucoda 3D)

TFileText TNucoda1DLutWriterFormat::Save(const TLUT& lut, int, std::string_view title) const {
  const int m = Writable1DSize(lut);
  TFileText text;
  AddLine(text, "NUCODA_3D_CUBE 2");
  AddLine(text, "");
  AddTitleLine(text, title);
  AddLine(text, "");
  AddLine(text, "LUT_1D_SIZE " + std::to_string(m));
  AddLine(text, "");
  AddFloatRows1D(text, lut, m);
  return text;
}

}  // namespace

void AddCubeFormats(TFormatList& formats) {
  formats.push_back(std::make_unique<TCube3DLutFormat>());
  formats.push_back(std::make_unique<TCube3DTruelightLutFormat>());
  formats.push_back(std::make_unique<TNucoda3DLutFormat>());
  formats.push_back(std::make_unique<TCube1DLutFormat>());
  formats.push_back(std::make_unique<TNucoda1DLutWriterFormat>());
}

TFileText Cube3DText(const TLUT& lut) {
  const int n = WritableGridSize(lut);
  TFileText text;
  AddCommentLines(text, lut);
  AddLine(text, kConvertedByLine);
  AddLine(text, "");
  AddLine(text, "LUT_3D_SIZE " + std::to_string(n));
  AddDomainLines(text, lut.Domain3D);
  AddFloatRowsRedFastest(text, lut, n);
  return text;
}

}  // namespace zelvo
