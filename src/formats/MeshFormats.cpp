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
#include "formats/MeshFormats.h"

#include <algorithm>
#include <cmath>

#include "formats/LUTFormatImps.h"

namespace zelvo {

// ---------------------------------------------------------------------------
// 3dl

namespace {

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

bool T3dlLutFormat::CanRead(const std::string& file_name) const { return HasExtension(file_name, ".3dl"); }

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

void T3dlLutFormat::Load(const std::string& file_name, TLUT& lut) {
  LargestCode = 0;
  HasOwnIdLine = false;
  // The rows are stored as raw codes: the divisor is known only after the last.
  TGenericLutFormat::Load(file_name, lut);
  ReadBits = DepthOfLargestCode(LargestCode, HasOwnIdLine);
  const double divisor = std::ldexp(1.0, ReadBits) - 1.0;
  ForEachBlueFastest(Size, [&](int r, int g, int b) {
    TLUTEntry& e = lut.Table3D(r, g, b);
    e = TLUTEntry{e.R / divisor, e.G / divisor, e.B / divisor};
  });
}

void T3dlLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsBlankLine(line)) return;
  if (IsCommentLine(line)) {
    const std::string_view text = CommentText(line);
    if (text == kOwnIdText) HasOwnIdLine = true;
    lut.Comments.emplace_back(text);
    return;
  }
  if (Size == -1) {
    // The first line of integers is the input shaper; only its length counts.
    const std::string_view t = TrimLeft(line);
    if (t.front() >= '0' && t.front() <= '9') {
      if (const int fields = CountIntFields(t); fields != -1) SetGridSize(fields);
    }
    return;
  }
  if (Complete) return;
  double r, g, b;
  if (!ReadIntTriple(line, 1, false, r, g, b)) return;
  LargestCode = std::max({LargestCode, r, g, b});
  StoreBlueFastest(lut, r, g, b);
}

void T3dlLutFormat::Save(const std::string& file_name, const TLUT& lut, int bits) const {
  const int n = WritableGridSize(lut);
  const int d = WritableBits(bits);
  TTextFile text;
  AddCommentLines(text, lut);
  text.Add(kConvertedByLine);
  text.Add(ShaperLine(n));
  AddIntRowsBlueFastest(text, lut, n, d);
  text.WriteToFile(file_name);
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

}  // namespace

bool TLustre3DLutFormat::CanRead(const std::string& file_name) const { return MatchSignature(file_name, "3DMESH"); }

void TLustre3DLutFormat::ReadMeshLine(std::string_view line, int& max_code) {
  const std::size_t after = static_cast<std::size_t>(PosNoCase("Mesh", line) - 1) + 4 + 1;
  std::string_view rest = Trim(after < line.size() ? line.substr(after) : std::string_view{});
  const int exponent = StrToInt(Trim(CutAt(" ", rest)));
  const int depth = StrToInt(Trim(rest));
  if (exponent < 0 || exponent > 6) RaiseBadHeaderValue(line, "the grid exponent must be 0 to 6, up to 65 points");
  SetGridSize((1LL << exponent) + 1);
  // Depth 0 would make every code a division by zero.
  if (depth < 1 || depth > 31) RaiseBadHeaderValue(line, "the bit depth must be 1 to 31");
  max_code = static_cast<int>((1LL << depth) - 1);
}

void TLustre3DLutFormat::Load(const std::string& file_name, TLUT& lut) {
  ResetReadState();
  int max_code = 4095;
  TTextFile text;
  text.ReadFromFile(file_name);
  for (std::size_t i = 0; i < text.Count() && !Complete; ++i) {
    const std::string_view line = text[i];
    if (IsCommentLine(line) || IsBlankLine(line) || ContainsNoCase(line, "3DMESH")) continue;
    if (ContainsNoCase(line, "Mesh")) {
      ReadMeshLine(line, max_code);
      continue;
    }
    double r, g, b;
    if (Size != -1 && ReadIntTriple(line, max_code, false, r, g, b)) StoreBlueFastest(lut, r, g, b);
  }
  if (Size == -1) throw ELUTError("The file has no \"Mesh\" line, so its grid size is not known.");
  lut.Kind = TLUTKind::lk3D;
  lut.Size3D = Size;
  // Entries a short file does not reach would keep another table's values.
  if (!Complete) throw ELUTError("Incomplete file.");
}

void TLustre3DLutFormat::Save(const std::string& file_name, const TLUT& lut, int bits) const {
  const int n = WritableGridSize(lut);
  const int d = WritableBits(bits);
  const int exponent = MeshExponentOf(n);
  TTextFile text;
  text.Add("");
  text.Add(kConvertedByLine);
  text.Add("");
  text.Add("3DMESH");
  text.Add("Mesh " + std::to_string(exponent) + " " + std::to_string(d));
  text.Add("");
  AddIntRowsBlueFastest(text, lut, n, d);
  text.Add("");
  text.Add("LUT8");
  text.Add("gamma 1.0");
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// Colorfront OSD 3D

bool TColorFrontOSD3DLutFormat::CanRead(const std::string& file_name) const {
  return HasExtension(file_name, ".3dmesh");
}

int TColorFrontOSD3DLutFormat::CountFloatTriples() const { return GridSizeFromRowCount(CountFloatTripleLines(*Lines)); }

void TColorFrontOSD3DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsBlankLine(line)) return;
  if (Size == -1) {
    // No header: the rows of the whole file give the grid. None at all leaves
    // the size 0 and the load ends with "Incomplete file.".
    const int n = CountFloatTriples();
    if (n > 0) SetGridSize(n);
    else Size = 0;
  }
  if (IsCommentLine(line) || Complete) return;
  double x, y, z;
  if (ReadFloatTriple(line, x, y, z)) StoreRedFastest(lut, z, y, x);
}

void TColorFrontOSD3DLutFormat::Save(const std::string& file_name, const TLUT& lut, int) const {
  const int n = WritableGridSize(lut);
  TTextFile text;
  AddFloatRowsBGRRedFastest(text, lut, n);
  text.WriteToFile(file_name);
}

}  // namespace zelvo
