// 1D text formats with a header. A Codex 1D file:
//
//   # comment lines before the header are kept
//   LUT: 3 1024                    <- channels, entries (an optional third number
//   0                                 is the output code range)
//   ...                            <- 1024 red codes, then green, then blue;
//                                     divided by entries - 1
// Autodesk Lustre 1D:
//
//   LUT16                          <- or LUT12
//   0 0 0 0                        <- index (not checked), R, G, B codes
//   1 64 64 64
//
// Filmlight Truelight 1D:
//
//   # Truelight Cube v2.0
//   # lutLength 4096
//   # iDims     3
//   # InputLUT
//   0.000000 0.000000 0.000000
//
// Quantel 1D:
//
//   table type<TAB>2
//   gMax<TAB>1023                  <- the divisor of the codes
//   gSize<TAB>1024
//   gamma
//   r<TAB>g<TAB>b
//   0 0 0
//
// Fusion 1D:
//
//   F5LT
//   16                             <- bit depth
//   0 0 0 0 0 0                    <- index, R, index, G, index, B
//   1 1 1 1 1 1

#include <climits>
#include <cmath>

#include "formats/Families.h"
#include "formats/LUTFormatImps.h"
#include "formats/ReadErrors.h"

namespace zelvo {

namespace {

// All red codes, then all green codes, then all blue codes, one per line, under
// a "LUT: <channels> <entries>" header; codes are divided by entries - 1.
class TCodex1DLutFormat : public TGenericLutFormat {
 public:
  TCodex1DLutFormat() : TGenericLutFormat(TLUTFormatId::Codex1D, "Codex 1D, Scratch 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  // Its codes are written unclamped.
  TWrittenValues WrittenValues(int bits) const override {
    TWrittenValues held = TLUTFormat::WrittenValues(bits);
    held.Low = -std::numeric_limits<double>::infinity();
    held.High = std::numeric_limits<double>::infinity();
    return held;
  }
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// "LUT16" or "LUT12", then rows of index and three codes.
class TLustre1DLutFormat : public TGenericLutFormat {
 public:
  TLustre1DLutFormat() : TGenericLutFormat(TLUTFormatId::Lustre1D, "Autodesk Lustre 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  // Its files are read only under the headers LUT12 and LUT16.
  bool HoldsBits(int bits) const override { return bits == 12 || bits == 16; }
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// "# lutLength <entries>", then rows of three decimal numbers.
class TFilmlight1DLutFormat : public TGenericLutFormat {
 public:
  TFilmlight1DLutFormat() : TGenericLutFormat(TLUTFormatId::Filmlight1D, "Filmlight Truelight 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// "gMax" and "gSize" lines, then rows of three codes divided by gMax.
class TQuantel1DLutFormat : public TGenericLutFormat {
 public:
  TQuantel1DLutFormat() : TGenericLutFormat(TLUTFormatId::Quantel1D, "Quantel 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// "F5LT", a bit depth line, then rows of index, R, index, G, index, B.
class TFusion1DLutFormat : public TGenericLutFormat {
 public:
  TFusion1DLutFormat() : TGenericLutFormat(TLUTFormatId::Fusion1D, "Fusion 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

namespace {

// The text behind a keyword found at 1-based `pos`, without the one character
// that follows the keyword (normally a blank or tab), trimmed.
std::string_view ValueTextAfter(std::string_view line, int pos, std::size_t keyword_length) {
  const std::size_t start = static_cast<std::size_t>(pos - 1) + keyword_length + 1;
  return start < line.size() ? Trim(line.substr(start)) : std::string_view{};
}

// The fewest bytes a row takes ("0 0 0" and a line break; "0" and one for a
// Codex code), for CheckRowsFit.
constexpr std::size_t kMinRowBytes = 6;
constexpr std::size_t kMinCodeBytes = 2;

// A length line: the first sets the table's length once the file is known to
// be long enough for its rows (`rows_per_entry` of them an entry); a later
// one must say the same.
void Declare1DSize(TLineCursor& c, long long size, std::size_t rows_per_entry, std::size_t min_row_bytes) {
  if (c.Size != -1) {
    if (size != c.Size) RaiseSizeChanged(c.Size, size, c.Line);
    return;
  }
  Check1DSize(size);
  CheckRowsFit(c.Source.Text().size(), static_cast<std::size_t>(size) * rows_per_entry, min_row_bytes);
  c.Set1DSize(size);
}

// The largest code at `bits` bits; bits were checked by WritableBits.
long long MaxCode(int bits) { return (1LL << bits) - 1; }

// The depth whose largest code is `max_code`, or 0 when it is no such code.
int BitsOfMaxCode(long long max_code) {
  for (int bits = 1; bits <= 31; ++bits) {
    if (MaxCode(bits) == max_code) return bits;
  }
  return 0;
}

// A Codex 1D code: the value times the largest code, rounded half to even and
// deliberately not clamped. Values that no reader could take back are refused.
void AppendUnclampedCode(TFileText& out, int bits, double value) {
  if (!std::isfinite(value)) AppendFloatValue(out, kFloatDigits, value);  // raises the shared message
  const double code = std::nearbyint(value * static_cast<double>(MaxCode(bits)));
  if (code < INT_MIN || code > INT_MAX) {
    throw ELUTError("The value " + FormatFloatValue(kFloatDigits, value) + " gives the code " +
                    FormatFloatValue(0, code) + ", which a Codex 1D file cannot hold.");
  }
  AppendInt(out, static_cast<long long>(code));
}

// A Codex 1D load: the number of channels from the header and the block being
// filled (1 red, 2 green, 3 blue).
class TCodexCursor : public TLineCursor {
 public:
  using TLineCursor::TLineCursor;
  int Channels = 0;
  int Channel = 1;
  // The codes the header asks for: one block, or one per channel.
  std::size_t ExpectedCodes() const { return ExpectedRows(false) * (Channels == 1 ? 1 : 3); }
};

void ParseCodexHeader(std::string_view line, int keyword_pos, TCodexCursor& c) {
  std::string_view rest = ValueTextAfter(line, keyword_pos, 4);
  const int channels = StrToInt(NextField(rest));
  rest = TrimLeft(rest);
  const int count = StrToInt(NextField(rest));
  // Tables written for another output depth carry it as a third number, the
  // number of output codes ("LUT: 3 4096 65536"); by default the codes span
  // as many steps as there are entries.
  long long codes = count;
  if (!rest.empty()) codes = StrToInt(rest);
  if (c.Size != -1) {
    // The header again: the same one is passed over; another length or
    // layout would make the rows read so far mean something else.
    if (count != c.Size) RaiseSizeChanged(c.Size, count, c.Line);
    if (channels != c.Channels || codes - 1 != c.Range) {
      RaiseBadHeaderValue(line, "it differs from the header before it");
    }
    return;
  }
  if (codes < 2) {
    RaiseBadHeaderValue(line, "a table needs at least 2 codes: they are divided by their number minus 1");
  }
  c.Channels = channels;
  Declare1DSize(c, count, channels == 1 ? 1 : 3, kMinCodeBytes);
  c.Range = static_cast<int>(codes - 1);
  c.Info.Bits = BitsOfMaxCode(c.Range);
  c.Channel = 1;
}

void StoreCodexCode(TCodexCursor& c, int code) {
  if (c.Complete) RaiseExtraRow(c.ExpectedCodes(), c.Line);
  if (c.Index1D >= c.Size || c.Size != c.LUT.Size1D()) return;
  ++c.RowsStored;
  const double v = static_cast<double>(code) / c.Range;
  TLUTEntry& e = c.LUT.Table1D(c.Index1D);
  if (c.Channels == 1) {
    e = TLUTEntry{v, v, v};
    if (++c.Index1D >= c.Size) c.Complete = true;
    return;
  }
  (c.Channel == 1 ? e.R : c.Channel == 2 ? e.G : e.B) = v;
  if (++c.Index1D >= c.Size) {
    c.Index1D = 0;
    if (++c.Channel > 3) c.Complete = true;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Codex 1D

bool TCodex1DLutFormat::CanRead(const TLUTSource& source) const { return MatchSignature(source, "LUT:"); }

TLoadInfo TCodex1DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  TCodexCursor c(source, lut);
  ParseLines(c);
  // Three channels take three blocks of codes: the count says how many of them.
  if (!c.Complete && c.Size > 0) RaiseTooFewRows(c.RowsStored, c.ExpectedCodes(), c.Line);
  FinishLoad(c);
  return c.Info;
}

void TCodex1DLutFormat::ParseLine(std::string_view line, TLineCursor& cursor) const {
  TCodexCursor& c = static_cast<TCodexCursor&>(cursor);
  if (IsBlankLine(line)) return;
  if (IsCommentLine(line)) {
    if (c.Size == -1) c.AddComment(CommentText(line));
    return;
  }
  if (const int pos = PosNoCase("LUT:", line); pos > 0) {
    ParseCodexHeader(line, pos, c);
    return;
  }
  // Codes come after the header, one a line; text lines pass.
  if (c.Size == -1 || !StartsLikeDataRow(line)) return;
  int code = 0;
  if (!TryParseInt(TrimLeft(line), code)) throw EConvertError::InvalidInteger(TrimLeft(line));
  StoreCodexCode(c, code);
}

TFileText TCodex1DLutFormat::Save(const TLUT& lut, int bits, std::string_view) const {
  const int m = Writable1DSize(lut);
  // The code count in the header (2^bits) must itself be a 32-bit integer.
  bits = WritableBits(bits, 30);
  TFileText text;
  AddLine(text, kConvertedByLine);
  AddLine(text, "");
  // The reader divides by the entry count minus 1 unless a third number gives
  // the number of codes; without it a table whose length differs from the code
  // count (4096 entries at 10 bits) would read back scaled.
  text.append("LUT: 3 ");
  AppendInt(text, m);
  if (m != MaxCode(bits) + 1) {
    text.push_back(' ');
    AppendInt(text, MaxCode(bits) + 1);
  }
  text.push_back('\n');
  AddLine(text, "");
  text.reserve(text.size() + 3 * static_cast<std::size_t>(m) * 6);
  for (double TLUTEntry::*channel : {&TLUTEntry::R, &TLUTEntry::G, &TLUTEntry::B}) {
    for (int i = 0; i < m; ++i) {
      AppendUnclampedCode(text, bits, lut.Table1D(i).*channel);
      text.push_back('\n');
    }
  }
  return text;
}

// ---------------------------------------------------------------------------
// Autodesk Lustre 1D

bool TLustre1DLutFormat::CanRead(const TLUTSource& source) const {
  return MatchSignature(source, "LUT16") || MatchSignature(source, "LUT12");
}

TLoadInfo TLustre1DLutFormat::Load(const TLUTSource& source, TLUT& lut) const { return LoadRows(source, lut); }

void TLustre1DLutFormat::ParseLine(std::string_view line, TLineCursor& c) const {
  if (IsBlankLine(line) || IsCommentLine(line)) return;
  if (c.Range == -1) {
    // Only the exact headers count; any other line before them is passed over.
    const std::string_view header = Trim(line);
    if (header == "LUT16") c.Range = 16;
    else if (header == "LUT12") c.Range = 12;
    if (c.Range != -1) c.Info.Bits = c.Range;
    return;
  }
  // Rows are index (not checked) and three codes; the table is as long as
  // the rows. A line that starts like a row and is not one ends the load.
  double r, g, b;
  if (ReadIntTriple(line, static_cast<int>(MaxCode(c.Range)), true, r, g, b)) {
    c.AppendRow(r, g, b);
    c.Complete = true;
  } else if (StartsLikeDataRow(line)) {
    ReadIntRow(line, c.Line, 1, true, r, g, b);
  }
}

TFileText TLustre1DLutFormat::Save(const TLUT& lut, int bits, std::string_view) const {
  const int m = Writable1DSize(lut);
  bits = WritableBits(bits);
  TFileText text;
  AddLine(text, "LUT" + std::to_string(bits));
  AddLine(text, "");
  AddLine(text, kConvertedByLine);
  AddLine(text, "");
  AddIntRows1D(text, lut, m, bits, true);
  return text;
}

// ---------------------------------------------------------------------------
// Filmlight Truelight 1D

bool TFilmlight1DLutFormat::CanRead(const TLUTSource& source) const {
  return MatchSignature(source, "iDims,lutLength");
}

void TFilmlight1DLutFormat::ParseLine(std::string_view line, TLineCursor& c) const {
  if (IsBlankLine(line)) return;
  // The length stands in a comment line in the files this format writes.
  if (const int pos = PosNoCase("lutLength", line); pos > 0) {
    Declare1DSize(c, StrToInt(ValueTextAfter(line, pos, 9)), 1, kMinRowBytes);
    return;
  }
  // Rows before the length line are not part of the table.
  if (IsCommentLine(line) || c.Size == -1) return;
  double r, g, b;
  if (ReadFloatTriple(line, r, g, b)) {
    c.Store1D(r, g, b);
  } else if (StartsLikeDataRow(line)) {
    ReadFloatRow(line, c.Line, r, g, b);
  }
}

TFileText TFilmlight1DLutFormat::Save(const TLUT& lut, int, std::string_view) const {
  const int m = Writable1DSize(lut);
  TFileText text;
  AddLine(text, "# Truelight Cube v2.0");
  AddLine(text, "# lutLength " + std::to_string(m));
  AddLine(text, "# iDims     3");
  AddLine(text, "");
  AddLine(text, "# InputLUT");
  AddFloatRows1D(text, lut, m);
  AddLine(text, "# end");
  AddLine(text, kConvertedByLine);
  return text;
}

// ---------------------------------------------------------------------------
// Quantel 1D

bool TQuantel1DLutFormat::CanRead(const TLUTSource& source) const {
  return MatchSignature(source, "table type,gMax,gSize");
}

TLoadInfo TQuantel1DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  TLineCursor c(source, lut);
  ParseLines(c);
  // Without gMax no row is read: the message says so rather than count them.
  if (c.Size > 0 && c.Range == -1) throw ELUTError("Incomplete file (the header has no \"gMax\" line)");
  FinishLoad(c);
  return c.Info;
}

void TQuantel1DLutFormat::ParseLine(std::string_view line, TLineCursor& c) const {
  if (IsBlankLine(line) || IsCommentLine(line)) return;
  if (const int pos = PosNoCase("gSize", line); pos > 0) {
    Declare1DSize(c, StrToInt(ValueTextAfter(line, pos, 5)), 1, kMinRowBytes);
    return;
  }
  if (c.Range == -1) {
    if (const int pos = PosNoCase("gMax", line); pos > 0) {
      const int max_code = StrToInt(ValueTextAfter(line, pos, 4));
      if (max_code < 1) RaiseBadHeaderValue(line, "gMax must be at least 1: the codes are divided by it");
      c.Range = max_code;
      c.Info.Bits = BitsOfMaxCode(max_code);
    }
    return;
  }
  // The table type line, "gamma" and the column titles are not rows and pass.
  if (c.Size == -1) return;
  double r, g, b;
  if (ReadIntTriple(line, c.Range, false, r, g, b)) {
    c.Store1D(r, g, b);
  } else if (StartsLikeDataRow(line)) {
    ReadIntRow(line, c.Line, c.Range, false, r, g, b);
  }
}

TFileText TQuantel1DLutFormat::Save(const TLUT& lut, int bits, std::string_view) const {
  const int m = Writable1DSize(lut);
  bits = WritableBits(bits);
  TFileText text;
  AddLine(text, "table type\t2");
  AddLine(text, "");
  AddLine(text, "gMax\t" + std::to_string(MaxCode(bits)));
  AddLine(text, "gSize\t" + std::to_string(m));
  AddLine(text, "");
  AddLine(text, "gamma");
  AddLine(text, "r\tg\tb");
  AddIntRows1D(text, lut, m, bits);
  return text;
}

// ---------------------------------------------------------------------------
// Fusion 1D

bool TFusion1DLutFormat::CanRead(const TLUTSource& source) const { return MatchSignature(source, "F5LT"); }

TLoadInfo TFusion1DLutFormat::Load(const TLUTSource& source, TLUT& lut) const { return LoadRows(source, lut); }

void TFusion1DLutFormat::ParseLine(std::string_view line, TLineCursor& c) const {
  if (IsBlankLine(line) || IsCommentLine(line)) return;
  if (c.Range == -1) {
    // The first line that is a number alone is the bit depth; "F5LT" and other
    // text before it are passed over.
    int depth = 0;
    if (!TryParseInt(Trim(line), depth)) return;
    if (depth < 1 || depth > 31) RaiseBadHeaderValue(line, "the bit depth must be 1 to 31 bits");
    c.Range = depth;
    c.Info.Bits = depth;
    return;
  }
  // Rows are index, R, index, G, index, B, the indexes not checked.
  double r, g, b;
  if (ReadIndexedIntTriple(line, static_cast<int>(MaxCode(c.Range)), r, g, b)) {
    c.AppendRow(r, g, b);
    c.Complete = true;
  } else if (StartsLikeDataRow(line)) {
    RaiseRowError(line, c.Line, 6, true, 0b10101u);
  }
}

TFileText TFusion1DLutFormat::Save(const TLUT& lut, int bits, std::string_view) const {
  const int m = Writable1DSize(lut);
  bits = WritableBits(bits);
  TFileText text;
  AddLine(text, "F5LT");
  AddLine(text, "");
  AddLine(text, std::to_string(bits));
  AddLine(text, "");
  text.reserve(text.size() + static_cast<std::size_t>(m) * 36);  // six fields of up to 5 digits
  for (int i = 0; i < m; ++i) {
    const TLUTEntry& e = lut.Table1D(i);
    bool first = true;
    for (double v : {e.R, e.G, e.B}) {
      if (!first) text.push_back(' ');
      first = false;
      AppendInt(text, i);
      text.push_back(' ');
      AppendIntValue(text, bits, v);
    }
    text.push_back('\n');
  }
  return text;
}

}  // namespace

void AddHeader1DFormats(TFormatList& formats) {
  formats.push_back(std::make_unique<TCodex1DLutFormat>());
  formats.push_back(std::make_unique<TLustre1DLutFormat>());
  formats.push_back(std::make_unique<TFilmlight1DLutFormat>());
  formats.push_back(std::make_unique<TQuantel1DLutFormat>());
  formats.push_back(std::make_unique<TFusion1DLutFormat>());
}

}  // namespace zelvo
