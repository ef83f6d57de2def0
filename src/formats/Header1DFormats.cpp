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
#include "formats/Header1DFormats.h"

#include <climits>
#include <cmath>

#include "formats/LUTFormatImps.h"

namespace zelvo {

namespace {

// The text behind a keyword found at 1-based `pos`, without the one character
// that follows the keyword (normally a blank or tab), trimmed.
std::string_view ValueTextAfter(std::string_view line, int pos, std::size_t keyword_length) {
  const std::size_t start = static_cast<std::size_t>(pos - 1) + keyword_length + 1;
  return start < line.size() ? Trim(line.substr(start)) : std::string_view{};
}

// The largest code at `bits` bits; bits were checked by WritableBits.
long long MaxCode(int bits) { return (1LL << bits) - 1; }

// A Codex 1D code: the value times the largest code, rounded half to even and
// deliberately not clamped. Values that no reader could take back are refused.
void AppendUnclampedCode(std::string& out, int bits, double value) {
  if (!std::isfinite(value)) AppendFloatValue(out, kFloatDigits, value);  // raises the shared message
  const double code = std::nearbyint(value * static_cast<double>(MaxCode(bits)));
  if (code < INT_MIN || code > INT_MAX) {
    throw ELUTError("The value " + FormatFloatValue(kFloatDigits, value) + " gives the code " +
                    FormatFloatValue(0, code) + ", which a Codex 1D file cannot hold.");
  }
  AppendInt(out, static_cast<long long>(code));
}

}  // namespace

// ---------------------------------------------------------------------------
// Codex 1D

bool TCodex1DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "LUT:");
}

void TCodex1DLutFormat::ParseHeader(std::string_view line, int keyword_pos) {
  std::string_view rest = ValueTextAfter(line, keyword_pos, 4);
  const int channels = StrToInt(NextField(rest));
  rest = TrimLeft(rest);
  const int count = StrToInt(NextField(rest));
  Set1DSize(count);
  // Tables written for another output depth carry it as a third number, the
  // number of output codes ("LUT: 3 4096 65536"); by default the codes span
  // as many steps as there are entries.
  long long codes = count;
  if (!rest.empty()) codes = StrToInt(rest);
  if (codes < 2) {
    RaiseBadHeaderValue(line, "a table needs at least 2 codes: they are divided by their number minus 1");
  }
  Range = static_cast<int>(codes - 1);
  Channels = channels;
  Channel = 1;
}

void TCodex1DLutFormat::StoreCode(TLUT& lut, int code) {
  const double v = static_cast<double>(code) / Range;
  TLUTEntry& e = lut.Table1D(Index1D);
  if (Channels == 1) {
    e = TLUTEntry{v, v, v};
    if (++Index1D >= Size) Complete = true;
    return;
  }
  (Channel == 1 ? e.R : Channel == 2 ? e.G : e.B) = v;
  if (++Index1D >= Size) {
    Index1D = 0;
    if (++Channel > 3) Complete = true;
  }
}

void TCodex1DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsBlankLine(line)) return;
  if (IsCommentLine(line)) {
    if (Size == -1) lut.Comments.emplace_back(CommentText(line));
    return;
  }
  if (const int pos = PosNoCase("LUT:", line); pos > 0) {
    ParseHeader(line, pos);
    return;
  }
  int code = 0;
  if (Size != -1 && !Complete && TryParseInt(TrimLeft(line), code)) StoreCode(lut, code);
}

void TCodex1DLutFormat::Save(const std::string& file_name, const TLUT& lut, int bits) const {
  const int m = Writable1DSize(lut);
  // The code count in the header (2^bits) must itself be a 32-bit integer.
  bits = WritableBits(bits, 30);
  TTextFile text;
  text.Add(kConvertedByLine);
  text.Add("");
  // The reader divides by the entry count minus 1 unless a third number gives
  // the number of codes; without it a table whose length differs from the code
  // count (4096 entries at 10 bits) would read back scaled.
  std::string header = "LUT: 3 ";
  AppendInt(header, m);
  if (m != MaxCode(bits) + 1) {
    header.push_back(' ');
    AppendInt(header, MaxCode(bits) + 1);
  }
  text.Add(header);
  text.Add("");
  text.Reserve(3 * static_cast<std::size_t>(m), 3 * static_cast<std::size_t>(m) * 5);
  std::string row;
  for (double TLUTEntry::*channel : {&TLUTEntry::R, &TLUTEntry::G, &TLUTEntry::B}) {
    for (int i = 0; i < m; ++i) {
      row.clear();
      AppendUnclampedCode(row, bits, lut.Table1D(i).*channel);
      text.Add(row);
    }
  }
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// Autodesk Lustre 1D

bool TLustre1DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "LUT16") || MatchSignature(file_name, "LUT12");
}

void TLustre1DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsBlankLine(line) || IsCommentLine(line)) return;
  if (Range == -1) {
    // Only the exact headers count; any other line before them is passed over.
    const std::string_view header = Trim(line);
    if (header == "LUT16") Range = 16;
    else if (header == "LUT12") Range = 12;
    Size = 0;
    return;
  }
  Complete = true;
  double r, g, b;
  if (ReadIntTriple(line, static_cast<int>(MaxCode(Range)), true, r, g, b)) AppendRow1D(lut, Size, r, g, b);
}

void TLustre1DLutFormat::Save(const std::string& file_name, const TLUT& lut, int bits) const {
  const int m = Writable1DSize(lut);
  bits = WritableBits(bits);
  TTextFile text;
  text.Add("LUT" + std::to_string(bits));
  text.Add("");
  text.Add(kConvertedByLine);
  text.Add("");
  text.Reserve(static_cast<std::size_t>(m), static_cast<std::size_t>(m) * 24);  // "65535 65535 65535 65535"
  std::string row;
  for (int i = 0; i < m; ++i) {
    row.clear();
    AppendInt(row, i);
    row.push_back(' ');
    AppendIntTriple(row, lut.Table1D(i), bits);
    text.Add(row);
  }
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// Filmlight Truelight 1D

bool TFilmlight1DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "iDims,lutLength");
}

void TFilmlight1DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsBlankLine(line)) return;
  // The length stands in a comment line in the files this format writes.
  if (Size == -1) {
    if (const int pos = PosNoCase("lutLength", line); pos > 0) {
      Set1DSize(StrToInt(ValueTextAfter(line, pos, 9)));
      return;
    }
  }
  if (IsCommentLine(line) || Size == -1 || Complete) return;
  double r, g, b;
  if (ReadFloatTriple(line, r, g, b)) Store1D(lut, r, g, b);
}

void TFilmlight1DLutFormat::Save(const std::string& file_name, const TLUT& lut, int) const {
  const int m = Writable1DSize(lut);
  TTextFile text;
  text.Add("# Truelight Cube v2.0");
  text.Add("# lutLength " + std::to_string(m));
  text.Add("# iDims     3");
  text.Add("");
  text.Add("# InputLUT");
  AddFloatRows1D(text, lut, m);
  text.Add("# end");
  text.Add(kConvertedByLine);
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// Quantel 1D

bool TQuantel1DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "table type,gMax,gSize");
}

void TQuantel1DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsBlankLine(line) || IsCommentLine(line)) return;
  if (Size == -1) {
    if (const int pos = PosNoCase("gSize", line); pos > 0) {
      Set1DSize(StrToInt(ValueTextAfter(line, pos, 5)));
      return;
    }
  }
  if (Range == -1) {
    if (const int pos = PosNoCase("gMax", line); pos > 0) {
      const int max_code = StrToInt(ValueTextAfter(line, pos, 4));
      if (max_code < 1) RaiseBadHeaderValue(line, "gMax must be at least 1: the codes are divided by it");
      Range = max_code;
    }
    return;
  }
  // The table type line, "gamma" and the column titles fail the integer test.
  double r, g, b;
  if (Size != -1 && !Complete && ReadIntTriple(line, Range, false, r, g, b)) Store1D(lut, r, g, b);
}

void TQuantel1DLutFormat::Save(const std::string& file_name, const TLUT& lut, int bits) const {
  const int m = Writable1DSize(lut);
  bits = WritableBits(bits);
  TTextFile text;
  text.Add("table type\t2");
  text.Add("");
  text.Add("gMax\t" + std::to_string(MaxCode(bits)));
  text.Add("gSize\t" + std::to_string(m));
  text.Add("");
  text.Add("gamma");
  text.Add("r\tg\tb");
  AddIntRows1D(text, lut, m, bits);
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// Fusion 1D

bool TFusion1DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "F5LT");
}

void TFusion1DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (IsBlankLine(line) || IsCommentLine(line)) return;
  if (Range == -1) {
    // The first line that is a number alone is the bit depth; "F5LT" and other
    // text before it are passed over.
    int depth = 0;
    if (!TryParseInt(Trim(line), depth)) return;
    if (depth < 1 || depth > 31) RaiseBadHeaderValue(line, "the bit depth must be 1 to 31 bits");
    Range = depth;
    Size = 0;
    return;
  }
  Complete = true;
  double r, g, b;
  if (ReadIndexedIntTriple(line, static_cast<int>(MaxCode(Range)), r, g, b)) AppendRow1D(lut, Size, r, g, b);
}

void TFusion1DLutFormat::Save(const std::string& file_name, const TLUT& lut, int bits) const {
  const int m = Writable1DSize(lut);
  bits = WritableBits(bits);
  TTextFile text;
  text.Add("F5LT");
  text.Add("");
  text.Add(std::to_string(bits));
  text.Add("");
  text.Reserve(static_cast<std::size_t>(m), static_cast<std::size_t>(m) * 36);  // six fields of up to 5 digits
  std::string row;
  for (int i = 0; i < m; ++i) {
    const TLUTEntry& e = lut.Table1D(i);
    row.clear();
    for (double v : {e.R, e.G, e.B}) {
      if (!row.empty()) row.push_back(' ');
      AppendInt(row, i);
      row.push_back(' ');
      AppendIntValue(row, bits, v);
    }
    text.Add(row);
  }
  text.WriteToFile(file_name);
}

}  // namespace zelvo
