// Bare integer and decimal grids. A 3dl file:
//
//   # comment lines anywhere are kept
//   0 64 128 192 256 320 384 448 512 576 640 704 768 832 896 960 1023
//   0 0 0                           <- the shaper line above gives the grid size
//   0 0 255                            (17 fields); rows are blue fastest,
//   ...                                codes at 10, 12 or 16 bits
//
// A 3DMESH file states grid and depth in its "Mesh" line (17 = 2^4 + 1 points,
// codes up to 2^12 - 1):
//
//   3DMESH
//   Mesh 4 12
//   0 64 128 ... 1023               <- not three numbers: skipped
//   0 0 0                           <- blue fastest
//   ...
//   LUT8
//   gamma 1.0
//
// A Colorfront OSD 3D file (.3dmesh) holds only decimal rows in blue, green,
// red column order with red fastest; its grid size is the cube root of the
// number of rows:
//
//   0.000000 0.000000 0.000000
//   0.000000 0.000000 0.062500

#include <algorithm>
#include <bit>
#include <cmath>

#include "formats/Families.h"
#include "formats/LUTFormatImps.h"
#include "formats/ReadErrors.h"

namespace zelvo {

namespace {

class T3dlLutFormat : public TGenericLutFormat {
 public:
  T3dlLutFormat() : TGenericLutFormat(TLUTFormatId::ThreeDL, "3DL", true) {}
  bool CanRead(const TLUTSource& source) const override;
  // The load's Info.Bits is the depth of the file's codes, decided by its
  // largest code: 10, 12 or 16 bits (more only for codes above 65535).
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;

  // The number of blank-separated fields of a line when every one of them is
  // an integer, else -1.
  static int CountIntFields(std::string_view line);
};

class TLustre3DLutFormat : public TGenericLutFormat {
 public:
  TLustre3DLutFormat() : TGenericLutFormat(TLUTFormatId::Lustre3D, "Autodesk Lustre 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

class TColorFrontOSD3DLutFormat : public TGenericLutFormat {
 public:
  TColorFrontOSD3DLutFormat() : TGenericLutFormat(TLUTFormatId::ColorFrontOSD3D, "Colorfront OSD 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
};

// ---------------------------------------------------------------------------
// 3dl

namespace {

// The reading state of a 3dl load: its codes are stored as read, and divided
// once the largest one has told the depth.
class T3dlCursor : public TLineCursor {
 public:
  using TLineCursor::TLineCursor;
  double LargestCode = 0;
  // The file carries our own identification line, so it was written at our
  // default depth of 12 bits unless a code says more.
  bool HasOwnIdLine = false;
};

// The depth a set of codes was written at. Files come at 10, 12 and 16 bits
// and say nothing of it, so the largest code decides.
int DepthOfLargestCode(double largest_code, bool own_file) {
  if (largest_code <= 1023 && !own_file) return 10;
  if (largest_code <= 4095) return 12;
  if (largest_code <= 65535) return 16;
  int bits = 17;
  while (bits < 31 && largest_code > std::ldexp(1.0, bits) - 1.0) ++bits;
  return bits;
}

// The input-shaper line: N steps over the 10-bit input range, rounded up.
std::string ShaperLine(int n) {
  std::string line;
  for (int i = 0; i < n; ++i) {
    if (i > 0) line.push_back(' ');
    const double step = n > 1 ? std::ceil(static_cast<double>(i) * 1023.0 / (n - 1)) : 0.0;
    AppendInt(line, static_cast<std::int64_t>(step));
  }
  return line;
}

constexpr std::string_view kOwnIdText = kConvertedByLine.substr(2);

}  // namespace

bool T3dlLutFormat::CanRead(const TLUTSource& source) const { return source.HasExtension(".3dl"); }

int T3dlLutFormat::CountIntFields(std::string_view line) {
  int count = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) break;
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    int value;
    if (!TryParseInt(line.substr(start, i - start), value)) return -1;
    ++count;
  }
  return count;
}

TLoadInfo T3dlLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  T3dlCursor c(source, lut);
  ParseLines(c);
  FinishLoad(c);
  c.Info.Bits = DepthOfLargestCode(c.LargestCode, c.HasOwnIdLine);
  const double divisor = std::ldexp(1.0, c.Info.Bits) - 1.0;
  TLUTEntry* e = lut.Data3D();
  const std::size_t n = static_cast<std::size_t>(c.Size);
  for (std::size_t i = 0; i < n * n * n; ++i) e[i] = TLUTEntry{e[i].R / divisor, e[i].G / divisor, e[i].B / divisor};
  return c.Info;
}

namespace {

// Whether the first line of numbers of a 3dl file, three integers, is the
// input shaper of a 3-point grid or the first row of a file without one. A
// shaper rises, and a file without one holds a whole cube of rows, this
// line among them.
bool IsFirstRowOfTable(std::string_view line, std::string_view text) {
  double a, b, c;
  if (!ReadIntTriple(line, 1, false, a, b, c) || !(a < b && b < c)) return true;
  long long rows = 0;
  ForEachLineIn(text, [&](std::string_view l) {
    rows += ReadIntTriple(l, 1, false, a, b, c) ? 1 : 0;
    return false;
  });
  const long long n = GridSizeFromRowCount(rows);
  return n * n * n == rows;
}

}  // namespace

void T3dlLutFormat::ParseLine(std::string_view line, TLineCursor& cursor) const {
  T3dlCursor& c = static_cast<T3dlCursor&>(cursor);
  // Most lines are rows: they are tried first.
  double r, g, b;
  if (c.Size != -1 && ReadIntTriple(line, 1, false, r, g, b)) {
    c.LargestCode = std::max({c.LargestCode, r, g, b});
    c.StoreBlueFastest(r, g, b);
    return;
  }
  const std::string_view t = TrimLeft(line);
  if (t.empty()) return;
  if (t.front() == '#') {
    const std::string_view text = CommentText(t);
    if (text == kOwnIdText) c.HasOwnIdLine = true;
    c.AddComment(text);
    return;
  }
  if (!StartsLikeDataRow(t)) return;  // other tools' keywords
  if (c.Size != -1) RaiseRowError(line, c.Line, 3, true);
  // The first line of numbers is the input shaper; only its length counts.
  const int fields = CountIntFields(line);
  if (fields == -1) RaiseRowError(line, c.Line, 3, true);
  if (fields == 3 && IsFirstRowOfTable(line, c.Source.Text())) {
    ELUTError e("The file has no input-shaper line (its first line of numbers, \"" + std::string(Trim(line)) +
                "\", is a row of the table)");
    e.Line = c.Line;
    throw e;
  }
  SetDeclaredGridSize(c, fields);
}

TFileText T3dlLutFormat::Save(const TLUT& lut, int bits, std::string_view) const {
  const int n = WritableGridSize(lut);
  const int d = WritableBits(bits);
  TFileText text;
  AddCommentLines(text, lut);
  AddLine(text, kConvertedByLine);
  AddLine(text, ShaperLine(n));
  AddIntRowsBlueFastest(text, lut, n, d);
  return text;
}

// ---------------------------------------------------------------------------
// 3DMESH (Autodesk Lustre 3D)

namespace {

// The exponent a of a grid of 2^a + 1 points, the only sizes a "Mesh" line
// can declare.
int MeshExponentOf(int n) {
  for (int a = 0; (1 << a) + 1 <= kMaxGridSize; ++a) {
    if ((1 << a) + 1 == n) return a;
  }
  throw ELUTError("The Autodesk Lustre 3D format holds only grids of 2^n + 1 points, such as 17, 33 or 65; a grid of " +
                  std::to_string(n) + " points cannot be written.");
}

// Takes grid size and largest code from a "Mesh a d" line. A second one must
// say the same.
void ReadMeshLine(std::string_view line, TLineCursor& c) {
  const std::size_t after = static_cast<std::size_t>(PosNoCase("Mesh", line) - 1) + 4 + 1;
  std::string_view rest = Trim(after < line.size() ? line.substr(after) : std::string_view{});
  const int exponent = StrToInt(Trim(CutAt(" ", rest)));
  const int depth = StrToInt(Trim(rest));
  // The largest grid of 2^a + 1 points the tables hold: 129.
  constexpr int kMaxExponent = std::bit_width(static_cast<unsigned>(kMaxGridSize - 1)) - 1;
  if (exponent < 0 || exponent > kMaxExponent) {
    RaiseBadHeaderValue(line, "the grid exponent must be 0 to " + std::to_string(kMaxExponent) + ", up to " +
                                  std::to_string((1 << kMaxExponent) + 1) + " points");
  }
  // Depth 0 would make every code a division by zero.
  if (depth < 1 || depth > 31) RaiseBadHeaderValue(line, "the bit depth must be 1 to 31");
  const int size = (1 << exponent) + 1;
  if (c.Size != -1) {
    if (size != c.Size) RaiseSizeChanged(c.Size, size, c.Line);
    if (depth != c.Info.Bits) RaiseBadHeaderValue(line, "the bit depth was " + std::to_string(c.Info.Bits));
    return;
  }
  SetDeclaredGridSize(c, size);
  c.Range = static_cast<int>((1LL << depth) - 1);
  c.Info.Bits = depth;
}

}  // namespace

bool TLustre3DLutFormat::CanRead(const TLUTSource& source) const { return MatchSignature(source, "3DMESH"); }

TLoadInfo TLustre3DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  TLineCursor c(source, lut);
  c.Range = 4095;
  c.Info.Bits = 12;
  // The input-shaper line that may follow the "Mesh" line, more than three
  // integers, plays no part.
  bool shaper_seen = false;
  const auto parse = [&](std::string_view line) {
    if (IsCommentLine(line) || IsBlankLine(line) || ContainsNoCase(line, "3DMESH")) return;
    if (ContainsNoCase(line, "Mesh")) return ReadMeshLine(line, c);
    if (!StartsLikeDataRow(line)) return;  // "LUT8", "gamma 1.0"
    if (c.Size == -1) RaiseRowBeforeSize("Mesh", c.Line);
    if (!shaper_seen && c.RowsStored == 0 && T3dlLutFormat::CountIntFields(line) > 3) {
      shaper_seen = true;
      return;
    }
    double r, g, b;
    ReadIntRow(line, c.Line, c.Range, false, r, g, b);
    c.StoreBlueFastest(r, g, b);
  };
  try {
    ForEachLineIn(source.Text(), [&](std::string_view line) {
      ++c.Line;
      parse(line);
      return false;
    });
  } catch (EZelvoError& e) {
    if (e.Line == 0) e.Line = c.Line;
    throw;
  }
  if (c.Size == -1) throw ELUTError("The file has no \"Mesh\" line, so its grid size is not known.");
  if (!c.Complete) RaiseTooFewRows(c.RowsStored, c.ExpectedRows(true), c.Line);
  lut.Kind = TLUTKind::lk3D;
  return c.Info;
}

TFileText TLustre3DLutFormat::Save(const TLUT& lut, int bits, std::string_view) const {
  const int n = WritableGridSize(lut);
  const int d = WritableBits(bits);
  const int exponent = MeshExponentOf(n);
  TFileText text;
  AddLine(text, "");
  AddLine(text, kConvertedByLine);
  AddLine(text, "");
  AddLine(text, "3DMESH");
  AddLine(text, "Mesh " + std::to_string(exponent) + " " + std::to_string(d));
  AddLine(text, "");
  AddIntRowsBlueFastest(text, lut, n, d);
  AddLine(text, "");
  AddLine(text, "LUT8");
  AddLine(text, "gamma 1.0");
  return text;
}

// ---------------------------------------------------------------------------
// Colorfront OSD 3D

bool TColorFrontOSD3DLutFormat::CanRead(const TLUTSource& source) const { return source.HasExtension(".3dmesh"); }

namespace {

// The rows of a Colorfront file, each checked, so that a row that does not
// parse is reported at its line before the count is taken for the grid.
long long CountColorfrontRows(std::string_view text) {
  long long rows = 0;
  int line_number = 0;
  ForEachLineIn(text, [&](std::string_view line) {
    ++line_number;
    if (StartsLikeDataRow(line)) {
      double x, y, z;
      ReadFloatRow(line, line_number, x, y, z);
      ++rows;
    }
    return false;
  });
  return rows;
}

}  // namespace

TLoadInfo TColorFrontOSD3DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  TLineCursor c(source, lut);
  // No header: the rows of the whole file give the grid, a whole cube of
  // them. Without rows the size stays unknown: "Incomplete file.".
  if (const long long rows = CountColorfrontRows(source.Text()); rows > 0) {
    c.SetGridSize(WholeGridSizeFromRowCount(rows));
  }
  ParseLines(c);
  FinishLoad(c);
  return c.Info;
}

void TColorFrontOSD3DLutFormat::ParseLine(std::string_view line, TLineCursor& c) const {
  if (!StartsLikeDataRow(line)) return;  // comments and other tools' lines
  double x, y, z;
  ReadFloatRow(line, c.Line, x, y, z);
  c.StoreRedFastest(z, y, x);
}

TFileText TColorFrontOSD3DLutFormat::Save(const TLUT& lut, int, std::string_view) const {
  const int n = WritableGridSize(lut);
  TFileText text;
  AddFloatRowsBGRRedFastest(text, lut, n);
  return text;
}

}  // namespace

void AddMeshFormats(TFormatList& formats) {
  formats.push_back(std::make_unique<T3dlLutFormat>());
  formats.push_back(std::make_unique<TLustre3DLutFormat>());
  formats.push_back(std::make_unique<TColorFrontOSD3DLutFormat>());
}

}  // namespace zelvo
