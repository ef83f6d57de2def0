// 3D grids behind a short keyword header. Pandora and Technicolor (.m3d, .mga),
// an index column and codes up to "out" - 1, blue fastest:
//
//   channel 3d
//   in 4913                        <- number of rows, 17^3
//   out 65536                      <- number of codes, 16 bits
//   format lut
//   values	red	green	blue
//   0	0	0	0
//
// Luther ("#elements =" gives the rows; always 10-bit codes), Codex 3D
// ("Lut3D: 17"; 12-bit codes) and Quantel 3D ("max value" is the largest code):
//
//   #channels: c3        Lut3D: 17          max value 4095
//   #elements = 35937                       vertices 17
//   0 0 0                R	G	B            blue is fastest changing
//                        0 0 0              red is slowest changing
//                                           cube data
//                                           R G B
//                                           0 0 0
//
// DaVinci DAT: decimals in blue, green, red column order, red fastest; the size
// is "3DLUTSIZE 33" or, without it, the cube root of the number of rows:
//
//   3DLUTSIZE 33
//
//   0.000000 0.000000 0.000000
#include "formats/KeywordHeader3DFormats.h"

#include "formats/LUTFormatImps.h"

namespace zelvo {

namespace {

// A line that starts with `keyword`, letter case included, after leading blanks.
bool StartsWithKeyword(std::string_view line, std::string_view keyword) { return TrimLeft(line).starts_with(keyword); }

// The integer from the 1-based character `pos` of the left-trimmed line on:
// blanks before the digits are skipped, anything after them is an error.
int IntegerFrom(std::string_view line, std::size_t pos) {
  const std::string_view t = TrimLeft(line);
  return StrToInt(pos - 1 < t.size() ? t.substr(pos - 1) : std::string_view{});
}

}  // namespace

// ---------------------------------------------------------------------------
// Pandora 3D, Technicolor

bool TPandora3DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "channel 3d,format lut");
}

void TPandora3DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsBlankLine(line) || IsCommentLine(line)) return;
  if (Size == -1 && StartsWithKeyword(line, "in ")) {
    SetGridSize(GridSizeFromRowCount(IntegerFrom(line, 4)));
    return;
  }
  if (Range == -1 && StartsWithKeyword(line, "out ")) {
    const long long codes = IntegerFrom(line, 5);
    // "out 1" would divide every row by 0.
    if (codes < 2) RaiseBadHeaderValue(line, "the number of codes must be 2 or more");
    Range = static_cast<int>(codes - 1);
    return;
  }
  if (Size == -1 || Range == -1 || Complete) return;
  double r, g, b;
  if (ReadIntTriple(line, Range, true, r, g, b)) StoreBlueFastest(lut, r, g, b);
}

void TPandora3DLutFormat::Save(const std::string& file_name, const TLUT& lut, int bits) const {
  const int n = WritableGridSize(lut);
  // "out" states 2^d, which must still read back as a 32-bit integer.
  const int d = WritableBits(bits, 30);
  TTextFile text;
  text.Add("#HEADER");
  text.Add("#type: 3D cube file");
  text.Add("#format: 1.00");
  text.Add("#comment: Converted by Zelvo LUT Converter");
  text.Add("#END");
  text.Add("");
  text.Add("channel 3d");
  text.Add("in " + std::to_string(static_cast<long long>(n) * n * n));
  text.Add("out " + std::to_string(1LL << d));
  text.Add("");
  text.Add("format lut");
  text.Add("");
  text.Add("values\tred\tgreen\tblue");
  const std::size_t rows = static_cast<std::size_t>(n) * static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  text.Reserve(rows, rows * 28);  // "274624\t65535\t65535\t65535"
  std::string row;
  long long index = 0;
  ForEachBlueFastest(n, [&](int r, int g, int b) {
    row.clear();
    AppendInt(row, index++);
    row.push_back('\t');
    AppendIntTriple(row, lut.Table3D(r, g, b), d, '\t');
    text.Add(row);
  });
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// Luther 3D

namespace {

constexpr std::string_view kLutherElements = "elements =";
constexpr int kLutherMaxCode = 1023;

}  // namespace

bool TLuther3DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "channels: c3");
}

void TLuther3DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsBlankLine(line)) return;
  // The row count stands in a comment line ("#elements = 35937").
  if (Size == -1) {
    if (const int pos = PosNoCase(kLutherElements, line); pos > 0) {
      const std::size_t after = static_cast<std::size_t>(pos - 1) + kLutherElements.size();
      SetGridSize(GridSizeFromRowCount(StrToInt(line.substr(after))));
      return;
    }
  }
  if (IsCommentLine(line) || Size == -1 || Complete) return;
  double r, g, b;
  if (ReadIntTriple(line, kLutherMaxCode, false, r, g, b)) StoreBlueFastest(lut, r, g, b);
}

void TLuther3DLutFormat::Save(const std::string& file_name, const TLUT& lut, int bits) const {
  const int n = WritableGridSize(lut);
  const int d = WritableBits(bits);
  TTextFile text;
  text.Add("#channels: c3");
  text.Add("#elements = " + std::to_string(static_cast<long long>(n) * n * n));
  AddIntRowsBlueFastest(text, lut, n, d);
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// Codex 3D

bool TCodex3DLutFormat::CanRead(const std::string& file_name) const { return MatchSignature(file_name, "Lut3D:"); }

void TCodex3DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsBlankLine(line)) return;
  if (IsCommentLine(line)) {
    lut.Comments.emplace_back(CommentText(line));
    return;
  }
  if (Size == -1) {
    if (ContainsNoCase(line, "LUT3D:")) SetGridSize(IntValueAfter(line, "LUT3D:"));
    return;
  }
  if (Complete) return;
  double r, g, b;
  if (ReadIntTriple(line, (1 << ReadBits) - 1, false, r, g, b)) StoreBlueFastest(lut, r, g, b);
}

void TCodex3DLutFormat::Save(const std::string& file_name, const TLUT& lut, int bits) const {
  const int n = WritableGridSize(lut);
  const int d = WritableBits(bits);
  TTextFile text;
  text.Add("Lut3D: " + std::to_string(n));
  text.Add("");
  text.Add("R\tG\tB");
  AddIntRowsBlueFastest(text, lut, n, d);
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// Quantel 3D

bool TQuantel3DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "max value,vertices");
}

void TQuantel3DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsBlankLine(line) || IsCommentLine(line)) return;
  if (Size == -1 && StartsWithKeyword(line, "vertices")) {
    SetGridSize(IntegerFrom(line, 9));
    return;
  }
  if (Range == -1 && StartsWithKeyword(line, "max value")) {
    const int max_code = IntegerFrom(line, 10);
    // "max value 0" would divide every row by 0.
    if (max_code < 1) RaiseBadHeaderValue(line, "the largest code must be 1 or more");
    Range = max_code;
    return;
  }
  if (Size == -1 || Range == -1 || Complete) return;
  double r, g, b;
  if (ReadIntTriple(line, Range, false, r, g, b)) StoreBlueFastest(lut, r, g, b);
}

void TQuantel3DLutFormat::Save(const std::string& file_name, const TLUT& lut, int bits) const {
  const int n = WritableGridSize(lut);
  const int d = WritableBits(bits);
  TTextFile text;
  text.Add("max value " + std::to_string((1LL << d) - 1));
  text.Add("vertices " + std::to_string(n));
  text.Add("blue is fastest changing");
  text.Add("red is slowest changing");
  text.Add("");
  text.Add("cube data");
  text.Add("R G B");
  AddIntRowsBlueFastest(text, lut, n, d);
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// DaVinci DAT 3D

bool TDavinciDat3DLutFormat::CanRead(const std::string& file_name) const {
  if (MatchSignature(file_name, "3DLUTSIZE")) return true;
  if (!HasExtension(file_name, ".dat")) return false;
  TTextFile head;
  head.ReadFromText(ReadFileHead(file_name, 4096));
  return CountFloatTripleLines(head) > 0;
}

int TDavinciDat3DLutFormat::CountFloatTriples() const { return GridSizeFromRowCount(CountFloatTripleLines(*Lines)); }

void TDavinciDat3DLutFormat::Load(const std::string& file_name, TLUT& lut) {
  SizeKeywordFound = MatchSignature(file_name, "3DLUTSIZE");
  TGenericLutFormat::Load(file_name, lut);
}

void TDavinciDat3DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsBlankLine(line) || IsCommentLine(line)) return;
  if (Size == -1) {
    if (SizeKeywordFound) {
      // Rows before the size line are not part of the table.
      if (const int pos = PosNoCase("3DLUTSIZE", line); pos > 0) {
        const std::size_t after = static_cast<std::size_t>(pos - 1) + 9 + 1;
        SetGridSize(StrToInt(Trim(after < line.size() ? line.substr(after) : std::string_view{})));
      }
      return;
    }
    const int n = CountFloatTriples();
    if (n > 0) SetGridSize(n);
    else Size = 0;  // no rows at all: "Incomplete file."
  }
  if (Complete) return;
  double x, y, z;
  if (ReadFloatTriple(line, x, y, z)) StoreRedFastest(lut, z, y, x);
}

void TDavinciDat3DLutFormat::Save(const std::string& file_name, const TLUT& lut, int) const {
  const int n = WritableGridSize(lut);
  TTextFile text;
  text.Add("3DLUTSIZE " + std::to_string(n));
  text.Add("");
  AddFloatRowsBGRRedFastest(text, lut, n);
  text.WriteToFile(file_name);
}

}  // namespace zelvo
