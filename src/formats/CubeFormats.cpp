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
#include "formats/CubeFormats.h"

#include <cmath>

#include "formats/LUTFormatImps.h"

namespace zelvo {

// ---------------------------------------------------------------------------
// Cube 3D

bool TCube3DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "LUT_3D_SIZE", "NUCODA_3D_CUBE");
}

void TCube3DLutFormat::SetShaperLength(long long length) {
  Check1DSize(length);
  ShaperLength = static_cast<int>(length);
}

void TCube3DLutFormat::Load(const std::string& file_name, TLUT& lut) {
  ShaperLength = 0;
  ShaperDivisor = 1.0;
  TGenericLutFormat::Load(file_name, lut);
  if (ShaperLength > 0) {
    // The rows ahead of the cube form a 1D stage applied before it.
    lut.Kind = TLUTKind::lk1DAnd3D;
    lut.Size1D = ShaperLength;
  }
}

void TCube3DLutFormat::ParseHeaderLine(std::string_view line, TLUT& lut) {
  if (IsCommentLine(line)) {
    lut.Comments.emplace_back(CommentText(line));
  } else if (ContainsNoCase(line, "LUT_3D_SIZE")) {
    SetGridSize(IntValueAfter(line, "LUT_3D_SIZE"));
  } else if (ContainsNoCase(line, "LUT_1D_SIZE")) {
    SetShaperLength(IntValueAfter(line, "LUT_1D_SIZE"));
  }
}

void TCube3DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsBlankLine(line)) return;
  if (Size == -1) {
    ParseHeaderLine(line, lut);
    return;
  }
  if (IsCommentLine(line) || Complete) return;
  // A shaper size given after the cube size still counts while no row was read.
  if (Index1D == 0 && IndexR == 0 && IndexG == 0 && IndexB == 0 && ContainsNoCase(line, "LUT_1D_SIZE")) {
    SetShaperLength(IntValueAfter(line, "LUT_1D_SIZE"));
    return;
  }
  double r, g, b;
  if (!ReadFloatTriple(line, r, g, b)) return;
  if (Index1D < ShaperLength) {
    lut.Table1D(Index1D++) = TLUTEntry{r / ShaperDivisor, g / ShaperDivisor, b / ShaperDivisor};
    return;
  }
  StoreRedFastest(lut, r, g, b);
}

void TCube3DLutFormat::Save(const std::string& file_name, const TLUT& lut, int) const {
  const int n = WritableGridSize(lut);
  TTextFile text;
  AddCommentLines(text, lut);
  text.Add(kConvertedByLine);
  text.Add("");
  text.Add("LUT_3D_SIZE " + std::to_string(n));
  AddFloatRowsRedFastest(text, lut, n);
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// Cube 3D Truelight

bool TCube3DTruelightLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "iDims,oDims,width", "NUCODA_3D_CUBE");
}

bool TCube3DTruelightLutFormat::TakeLutLength(std::string_view line) {
  if (!IsCommentLine(line) || !ContainsNoCase(line, "lutLength")) return false;
  SetShaperLength(IntValueAfter(line, "lutLength"));
  return true;
}

void TCube3DTruelightLutFormat::ParseHeaderLine(std::string_view line, TLUT&) {
  if (TakeLutLength(line)) return;
  const int pos = PosNoCase("# width", line);
  if (pos == 0) return;
  std::string_view rest = Trim(line.substr(static_cast<std::size_t>(pos - 1) + 7));
  SetGridSize(StrToInt(CutAt(" ", rest)));
}

void TCube3DTruelightLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  // The input-LUT length may also follow the width line.
  if (Size != -1 && Index1D == 0 && IndexR == 0 && IndexG == 0 && IndexB == 0 && TakeLutLength(line)) return;
  TCube3DLutFormat::ParseLine(line, lut);
}

void TCube3DTruelightLutFormat::Load(const std::string& file_name, TLUT& lut) {
  TCube3DLutFormat::Load(file_name, lut);
  if (ShaperLength == 0) return;
  // The input LUT is in grid-index units (0 to width-1).
  const double span = lut.Size3D > 1 ? static_cast<double>(lut.Size3D - 1) : 1.0;
  bool identity = true;
  for (int i = 0; i < ShaperLength; ++i) {
    TLUTEntry& e = lut.Table1D(i);
    e = TLUTEntry{e.R / span, e.G / span, e.B / span};
    const double x = ShaperLength > 1 ? static_cast<double>(i) / (ShaperLength - 1) : 0.0;
    if (std::fabs(e.R - x) > 2e-6 || std::fabs(e.G - x) > 2e-6 || std::fabs(e.B - x) > 2e-6) identity = false;
  }
  if (identity && ShaperLength > 1) {
    lut.Kind = TLUTKind::lk3D;
    lut.Size1D = 0;
  }
}

void TCube3DTruelightLutFormat::Save(const std::string& file_name, const TLUT& lut, int) const {
  const int n = WritableGridSize(lut);
  const std::string ns = std::to_string(n);
  TTextFile text;
  text.Add("# Truelight Cube v2.0");
  text.Add("# iDims     3");
  text.Add("# oDims     3");
  text.Add("# width     " + ns + " " + ns + " " + ns);
  text.Add("");
  text.Add("# Cube");
  AddFloatRowsRedFastest(text, lut, n);
  text.Add("# end");
  text.Add(kConvertedByLine);
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// Nucoda 3D

bool TNucoda3DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "NUCODA_3D_CUBE");
}

void TNucoda3DLutFormat::Load(const std::string& file_name, TLUT& lut) {
  ShaperLength = 0;
  Has1D = false;
  Has3D = false;
  // The version belongs to the file being read; it must not carry over from
  // an earlier file.
  CubeVersion = 0;
  Rows3D = 0;
  TGenericLutFormat::Load(file_name, lut);
  if (Has3D && Rows3D < static_cast<long long>(Size) * Size * Size) throw ELUTError("Incomplete file.");
  if (Has1D) {
    lut.Kind = TLUTKind::lk1D;
    lut.Size1D = Index1D;
  }
  if (Has3D) {
    lut.Kind = TLUTKind::lk3D;
    lut.Size3D = Size;
  }
  if (Has1D && Has3D) lut.Kind = TLUTKind::lk1DAnd3D;
}

void TNucoda3DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsCommentLine(line) || IsBlankLine(line)) return;
  if (const int pos = PosNoCase("NUCODA_3D_CUBE", line); pos > 0) {
    const std::size_t after = static_cast<std::size_t>(pos - 1) + 14 + 1;
    CubeVersion = StrToInt(Trim(after < line.size() ? line.substr(after) : std::string_view{}));
    return;
  }
  if (ContainsNoCase(line, "LUT_1D_SIZE")) {
    const int length = IntValueAfter(line, "LUT_1D_SIZE");
    Check1DSize(length);
    ShaperLength = length;
    Has1D = true;
    return;
  }
  if (ContainsNoCase(line, "LUT_3D_SIZE")) {
    SetGridSize(IntValueAfter(line, "LUT_3D_SIZE"));
    Has3D = true;
    return;
  }
  Complete = true;
  double r, g, b;
  if (!ReadFloatTriple(line, r, g, b)) return;
  if (Has1D && Index1D < ShaperLength) {
    const double d = CubeVersion == 1 ? 33.0 : 1.0;
    lut.Table1D(Index1D++) = TLUTEntry{r / d, g / d, b / d};
  } else if (Has3D && Rows3D < static_cast<long long>(Size) * Size * Size) {
    StoreAndStepRedFastest(lut, r, g, b);
    ++Rows3D;
  }
}

void TNucoda3DLutFormat::Save(const std::string& file_name, const TLUT& lut, int) const {
  const int n = WritableGridSize(lut);
  const int l = ShaperOutLength;
  TTextFile text;
  text.Add("NUCODA_3D_CUBE 1");
  text.Add("");
  text.Add("TITLE \"" + BaseNameOf(file_name) + "\"");
  text.Add("");
  text.Add("LUT_1D_SIZE " + std::to_string(l));
  text.Add("LUT_3D_SIZE " + std::to_string(n));
  text.Add("");
  std::string row;
  for (int i = 0; i < l; ++i) {
    const double t = static_cast<double>(i) / (l - 1);
    const double v = t * 32.999999;
    row.clear();
    AppendFloatTriple(row, TLUTEntry{v, v, v});
    text.Add(row);
  }
  text.Add("");
  AddFloatRowsRedFastest(text, lut, n);
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// Cube 1D

bool TCube1DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "LUT_1D_SIZE", "NUCODA_3D_CUBE");
}

void TCube1DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsBlankLine(line)) return;
  if (IsCommentLine(line)) {
    lut.Comments.emplace_back(CommentText(line));
    return;
  }
  if (ContainsNoCase(line, "LUT_1D_SIZE")) {
    Set1DSize(IntValueAfter(line, "LUT_1D_SIZE"));
    return;
  }
  double r, g, b;
  if (Size != -1 && !Complete && ReadFloatTriple(line, r, g, b)) Store1D(lut, r, g, b);
}

void TCube1DLutFormat::Save(const std::string& file_name, const TLUT& lut, int) const {
  const int m = Writable1DSize(lut);
  TTextFile text;
  AddCommentLines(text, lut);
  text.Add(kConvertedByLine);
  text.Add("");
  text.Add("LUT_1D_SIZE " + std::to_string(m));
  AddFloatRows1D(text, lut, m);
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// Nucoda 1D (write only; read back by Nucoda 3D)

void TNucoda1DLutWriterFormat::Save(const std::string& file_name, const TLUT& lut, int) const {
  const int m = Writable1DSize(lut);
  TTextFile text;
  text.Add("NUCODA_3D_CUBE 2");
  text.Add("");
  text.Add("TITLE \"" + BaseNameOf(file_name) + "\"");
  text.Add("");
  text.Add("LUT_1D_SIZE " + std::to_string(m));
  text.Add("");
  AddFloatRows1D(text, lut, m);
  text.WriteToFile(file_name);
}

}  // namespace zelvo
