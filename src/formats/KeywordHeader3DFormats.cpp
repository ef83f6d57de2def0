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

#include "formats/Families.h"
#include "formats/LUTFormatImps.h"
#include "formats/ReadErrors.h"

namespace zelvo {

namespace {

// A load of these formats: what the size line said, so that a second one can
// be held against it.
class TKeywordCursor : public TLineCursor {
 public:
  using TLineCursor::TLineCursor;
  long long Declared = -1;
};

// What the five formats share: the generic reader with the cursor above.
class TKeywordLutFormat : public TGenericLutFormat {
 public:
  using TGenericLutFormat::TGenericLutFormat;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override {
    return LoadKeywordFile<TKeywordCursor>(source, lut);
  }

 protected:
  // `depth_line` names the header line that gives the largest code, for the
  // formats that have one: without it no row is read, and the message says
  // so rather than counting rows it never read.
  template <typename Cursor>
  TLoadInfo LoadKeywordFile(const TLUTSource& source, TLUT& lut, std::string_view depth_line = {}) const {
    Cursor cursor(source, lut);
    ParseLines(cursor);
    if (!depth_line.empty() && cursor.Size > 0 && cursor.Range == -1) {
      throw ELUTError("Incomplete file (the header has no \"" + std::string(depth_line) + "\" line)");
    }
    FinishLoad(cursor);
    return cursor.Info;
  }
};

class TPandora3DLutFormat : public TKeywordLutFormat {
 public:
  TPandora3DLutFormat() : TKeywordLutFormat(TLUTFormatId::Pandora3D, "Pandora 3D, Technicolor", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
};

class TLuther3DLutFormat : public TKeywordLutFormat {
 public:
  TLuther3DLutFormat() : TKeywordLutFormat(TLUTFormatId::Luther3D, "Luther 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
};

class TCodex3DLutFormat : public TKeywordLutFormat {
 public:
  // The depth of the codes read; the files do not state it.
  static constexpr int ReadBits = 12;

  TCodex3DLutFormat() : TKeywordLutFormat(TLUTFormatId::Codex3D, "Codex 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
};

class TQuantel3DLutFormat : public TKeywordLutFormat {
 public:
  TQuantel3DLutFormat() : TKeywordLutFormat(TLUTFormatId::Quantel3D, "Quantel 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
};

class TDavinciDat3DLutFormat : public TKeywordLutFormat {
 public:
  TDavinciDat3DLutFormat() : TKeywordLutFormat(TLUTFormatId::DavinciDat3D, "Davinci DAT 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
};

namespace {

// A line that starts with `keyword`, letter case included, after leading blanks.
bool StartsWithKeyword(std::string_view line, std::string_view keyword) { return TrimLeft(line).starts_with(keyword); }

// The integer from the 1-based character `pos` of the left-trimmed line on:
// blanks before the digits are skipped, anything after them is an error.
int IntegerFrom(std::string_view line, std::size_t pos) {
  const std::string_view t = TrimLeft(line);
  return StrToInt(pos - 1 < t.size() ? t.substr(pos - 1) : std::string_view{});
}

// The fewest bytes a row takes: three one-digit codes and their separators
// ("0 0 0" and a line break), four with Pandora's index column.
constexpr std::size_t kMinRowBytes = 6;
constexpr std::size_t kMinIndexedRowBytes = 8;

// A size line. The first sets the grid (`declared` counts rows when
// `declares_rows`, else points per axis) once the file is known to be long
// enough for it; a later one must say the same.
void DeclareGrid(TLineCursor& cursor, long long declared, bool declares_rows, std::size_t min_row_bytes) {
  TKeywordCursor& c = static_cast<TKeywordCursor&>(cursor);
  if (c.Declared != -1) {
    if (declared != c.Declared) RaiseSizeChanged(c.Declared, declared, c.Line);
    return;
  }
  const long long n = declares_rows ? GridSizeFromRowCount(declared) : declared;
  CheckGridSize(n);
  CheckRowsFit(c.Source.Text().size(), static_cast<std::size_t>(n * n * n), min_row_bytes);
  c.SetGridSize(n);
  c.Declared = declared;
}

// A line once the header is complete: a row of three codes (after an index
// column that is not checked, with `indexed`) is stored blue fastest; a line
// that starts like a row and is not one ends the load; other lines (titles,
// keywords of other tools) pass.
void TakeCodeRow(std::string_view line, TLineCursor& c, int divisor, bool indexed) {
  double r, g, b;
  if (ReadIntTriple(line, divisor, indexed, r, g, b)) {
    c.StoreBlueFastest(r, g, b);
  } else if (StartsLikeDataRow(line)) {
    ReadIntRow(line, c.Line, divisor, indexed, r, g, b);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Pandora 3D, Technicolor

bool TPandora3DLutFormat::CanRead(const TLUTSource& source) const {
  return MatchSignature(source, "channel 3d,format lut");
}

TLoadInfo TPandora3DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  return LoadKeywordFile<TKeywordCursor>(source, lut, "out");
}

void TPandora3DLutFormat::ParseLine(std::string_view line, TLineCursor& c) const {
  if (IsBlankLine(line) || IsCommentLine(line)) return;
  if (StartsWithKeyword(line, "in ")) {
    DeclareGrid(c, IntegerFrom(line, 4), true, kMinIndexedRowBytes);
    return;
  }
  if (c.Range == -1 && StartsWithKeyword(line, "out ")) {
    const long long codes = IntegerFrom(line, 5);
    // "out 1" would divide every row by 0.
    if (codes < 2) RaiseBadHeaderValue(line, "the number of codes must be 2 or more");
    c.Range = static_cast<int>(codes - 1);
    int bits = 0;
    while (bits < 31 && (1LL << bits) < codes) ++bits;
    if ((1LL << bits) == codes) c.Info.Bits = bits;
    return;
  }
  // Rows before the header is complete are not part of the table.
  if (c.Size == -1 || c.Range == -1) return;
  TakeCodeRow(line, c, c.Range, true);
}

TFileText TPandora3DLutFormat::Save(const TLUT& lut, int bits, std::string_view) const {
  const int n = WritableGridSize(lut);
  // "out" states 2^d, which must still read back as a 32-bit integer.
  const int d = WritableBits(bits, 30);
  TFileText text;
  AddLine(text, "#HEADER");
  AddLine(text, "#type: 3D cube file");
  AddLine(text, "#format: 1.00");
  AddLine(text, "#comment: Converted by Zelvo LUT Converter");
  AddLine(text, "#END");
  AddLine(text, "");
  AddLine(text, "channel 3d");
  AddLine(text, "in " + std::to_string(static_cast<long long>(n) * n * n));
  AddLine(text, "out " + std::to_string(1LL << d));
  AddLine(text, "");
  AddLine(text, "format lut");
  AddLine(text, "");
  AddLine(text, "values\tred\tgreen\tblue");
  AddIndexedIntRowsBlueFastest(text, lut, n, d, '\t', true);
  return text;
}

// ---------------------------------------------------------------------------
// Luther 3D

namespace {

constexpr std::string_view kLutherElements = "elements =";
constexpr int kLutherBits = 10;
constexpr int kLutherMaxCode = 1023;

}  // namespace

bool TLuther3DLutFormat::CanRead(const TLUTSource& source) const { return MatchSignature(source, "channels: c3"); }

TLoadInfo TLuther3DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  TLoadInfo info = TKeywordLutFormat::Load(source, lut);
  info.Bits = kLutherBits;
  return info;
}

void TLuther3DLutFormat::ParseLine(std::string_view line, TLineCursor& c) const {
  if (IsBlankLine(line)) return;
  // The row count stands in a comment line ("#elements = 35937").
  if (const int pos = PosNoCase(kLutherElements, line); pos > 0) {
    const std::size_t after = static_cast<std::size_t>(pos - 1) + kLutherElements.size();
    DeclareGrid(c, StrToInt(line.substr(after)), true, kMinRowBytes);
    return;
  }
  if (IsCommentLine(line) || c.Size == -1) return;
  TakeCodeRow(line, c, kLutherMaxCode, false);
}

TFileText TLuther3DLutFormat::Save(const TLUT& lut, int bits, std::string_view) const {
  const int n = WritableGridSize(lut);
  const int d = WritableBits(bits);
  TFileText text;
  AddLine(text, "#channels: c3");
  AddLine(text, "#elements = " + std::to_string(static_cast<long long>(n) * n * n));
  AddIntRowsBlueFastest(text, lut, n, d);
  return text;
}

// ---------------------------------------------------------------------------
// Codex 3D

bool TCodex3DLutFormat::CanRead(const TLUTSource& source) const { return MatchSignature(source, "Lut3D:"); }

TLoadInfo TCodex3DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  TLoadInfo info = TKeywordLutFormat::Load(source, lut);
  info.Bits = ReadBits;
  return info;
}

void TCodex3DLutFormat::ParseLine(std::string_view line, TLineCursor& c) const {
  if (IsBlankLine(line)) return;
  if (IsCommentLine(line)) {
    c.AddComment(CommentText(line));
    return;
  }
  if (ContainsNoCase(line, "LUT3D:")) {
    DeclareGrid(c, IntValueAfter(line, "LUT3D:"), false, kMinRowBytes);
    return;
  }
  if (c.Size == -1) return;
  TakeCodeRow(line, c, (1 << ReadBits) - 1, false);
}

TFileText TCodex3DLutFormat::Save(const TLUT& lut, int bits, std::string_view) const {
  const int n = WritableGridSize(lut);
  const int d = WritableBits(bits);
  TFileText text;
  AddLine(text, "Lut3D: " + std::to_string(n));
  AddLine(text, "");
  AddLine(text, "R\tG\tB");
  AddIntRowsBlueFastest(text, lut, n, d);
  return text;
}

// ---------------------------------------------------------------------------
// Quantel 3D

bool TQuantel3DLutFormat::CanRead(const TLUTSource& source) const {
  return MatchSignature(source, "max value,vertices");
}

TLoadInfo TQuantel3DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  return LoadKeywordFile<TKeywordCursor>(source, lut, "max value");
}

void TQuantel3DLutFormat::ParseLine(std::string_view line, TLineCursor& c) const {
  if (IsBlankLine(line) || IsCommentLine(line)) return;
  if (StartsWithKeyword(line, "vertices")) {
    DeclareGrid(c, IntegerFrom(line, 9), false, kMinRowBytes);
    return;
  }
  if (c.Range == -1 && StartsWithKeyword(line, "max value")) {
    const int max_code = IntegerFrom(line, 10);
    // "max value 0" would divide every row by 0.
    if (max_code < 1) RaiseBadHeaderValue(line, "the largest code must be 1 or more");
    c.Range = max_code;
    int bits = 1;
    while (bits < 31 && (1LL << bits) - 1 < max_code) ++bits;
    if ((1LL << bits) - 1 == max_code) c.Info.Bits = bits;
    return;
  }
  // The header lines after these ("blue is fastest changing", "cube data",
  // "R G B") are not rows and pass.
  if (c.Size == -1 || c.Range == -1) return;
  TakeCodeRow(line, c, c.Range, false);
}

TFileText TQuantel3DLutFormat::Save(const TLUT& lut, int bits, std::string_view) const {
  const int n = WritableGridSize(lut);
  const int d = WritableBits(bits);
  TFileText text;
  AddLine(text, "max value " + std::to_string((1LL << d) - 1));
  AddLine(text, "vertices " + std::to_string(n));
  AddLine(text, "blue is fastest changing");
  AddLine(text, "red is slowest changing");
  AddLine(text, "");
  AddLine(text, "cube data");
  AddLine(text, "R G B");
  AddIntRowsBlueFastest(text, lut, n, d);
  return text;
}

// ---------------------------------------------------------------------------
// DaVinci DAT 3D

namespace {

// A DAT load knows from the start whether the file states its size.
class TDatCursor : public TKeywordCursor {
 public:
  TDatCursor(const TLUTSource& source, TLUT& lut)
      : TKeywordCursor(source, lut), SizeKeywordFound(TGenericLutFormat::MatchSignature(source, "3DLUTSIZE")) {}
  const bool SizeKeywordFound;
};

}  // namespace

bool TDavinciDat3DLutFormat::CanRead(const TLUTSource& source) const {
  if (MatchSignature(source, "3DLUTSIZE")) return true;
  if (!source.HasExtension(".dat")) return false;
  // The lines of the head detection looks at.
  return CountFloatTripleLines(source.Head()) > 0;
}

TLoadInfo TDavinciDat3DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  return LoadKeywordFile<TDatCursor>(source, lut);
}

void TDavinciDat3DLutFormat::ParseLine(std::string_view line, TLineCursor& cursor) const {
  TDatCursor& c = static_cast<TDatCursor&>(cursor);
  if (IsBlankLine(line) || IsCommentLine(line)) return;
  if (c.SizeKeywordFound) {
    if (const int pos = PosNoCase("3DLUTSIZE", line); pos > 0) {
      const std::size_t after = static_cast<std::size_t>(pos - 1) + 9 + 1;
      DeclareGrid(c, StrToInt(Trim(after < line.size() ? line.substr(after) : std::string_view{})), false,
                  kMinRowBytes);
      return;
    }
    // Rows before the size line are not part of the table.
    if (c.Size == -1) return;
  } else if (c.Size == -1) {
    // Without the keyword the rows make the grid, and they must make a whole
    // one: the nearest grid is taken, and a count short of it or beyond it
    // is refused with the rows found.
    const int rows = CountFloatTripleLines(c.Source.Text());
    const int n = GridSizeFromRowCount(rows);
    if (n > 0) c.SetGridSize(n);
    else c.Size = 0;  // no rows at all: "Incomplete file."
    c.Declared = rows;
  }
  double x, y, z;
  if (ReadFloatTriple(line, x, y, z)) {
    if (c.Complete && !c.SizeKeywordFound) {
      throw ELUTError("Too many rows (" + std::to_string(c.Declared) + " rows are not a whole cube; a grid of " +
                      std::to_string(c.Size) + " points takes " + std::to_string(c.ExpectedRows(true)) + ")");
    }
    c.StoreRedFastest(z, y, x);
  } else if (StartsLikeDataRow(line)) {
    ReadFloatRow(line, c.Line, x, y, z);
  }
}

TFileText TDavinciDat3DLutFormat::Save(const TLUT& lut, int, std::string_view) const {
  const int n = WritableGridSize(lut);
  TFileText text;
  AddLine(text, "3DLUTSIZE " + std::to_string(n));
  AddLine(text, "");
  AddFloatRowsBGRRedFastest(text, lut, n);
  return text;
}

}  // namespace

void AddKeywordHeader3DFormats(TFormatList& formats) {
  formats.push_back(std::make_unique<TPandora3DLutFormat>());
  formats.push_back(std::make_unique<TLuther3DLutFormat>());
  formats.push_back(std::make_unique<TCodex3DLutFormat>());
  formats.push_back(std::make_unique<TQuantel3DLutFormat>());
  formats.push_back(std::make_unique<TDavinciDat3DLutFormat>());
}

}  // namespace zelvo
