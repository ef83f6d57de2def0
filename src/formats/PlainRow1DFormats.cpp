// 1D text formats of plain rows. Colorfront OSD 1D (.1dlut):
//
//   0.000000 0.000000 0.000000
//   0.000978 0.000978 0.000978
//
// Blackmagic HDLink 1D:
//
//   R<TAB>G<TAB>B - HDLINK GAMMA TABLE
//   0.00 0.00 0.00                 <- values times 1000
//   0.98 0.98 0.98
//
// Cine-tal 1D and Shake 1D (write only): rows of three integer codes.
// DaVinci Resolve ilut (14-bit codes) and olut (12-bit codes), read only:
//
//   0 0 0
//   16 16 16 16                    <- columns after the third are ignored
#include "formats/PlainRow1DFormats.h"

#include "formats/LUTFormatImps.h"

namespace zelvo {

namespace {

// Blank lines and comments carry no row.
bool IsRowCandidate(std::string_view line) { return !IsBlankLine(line) && !IsCommentLine(line); }

void SaveIntRows(const std::string& file_name, const TLUT& lut, int bits) {
  const int m = Writable1DSize(lut);
  bits = WritableBits(bits);
  TTextFile text;
  AddIntRows1D(text, lut, m, bits);
  text.WriteToFile(file_name);
}

// A row candidate: stored when it parsed, counted as the end of the header
// either way. One candidate completes the file even when it does not parse, so
// such a file loads with no entries.
void TakeRowCandidate(TLUT& lut, int& size, bool& complete, bool parsed, const TLUTEntry& e) {
  if (size == -1) size = 0;
  if (parsed) AppendRow1D(lut, size, e.R, e.G, e.B);
  complete = true;
}

constexpr int kILutDivisor = 16383;  // 14-bit codes
constexpr int kOLutDivisor = 4095;   // 12-bit codes

}  // namespace

// ---------------------------------------------------------------------------
// Colorfront OSD 1D

bool TColorFrontOSD1DLutFormat::CanRead(const std::string& file_name) const {
  return HasExtension(file_name, ".1dlut");
}

void TColorFrontOSD1DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (!IsRowCandidate(line)) return;
  double r = 0, g = 0, b = 0;
  const bool parsed = ReadFloatTriple(line, r, g, b);
  TakeRowCandidate(lut, Size, Complete, parsed, TLUTEntry{r, g, b});
}

void TColorFrontOSD1DLutFormat::Save(const std::string& file_name, const TLUT& lut, int) const {
  const int m = Writable1DSize(lut);
  TTextFile text;
  AddFloatRows1D(text, lut, m);
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// Blackmagic HDLink 1D

bool TBlackmagic1DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "HDLINK");
}

void TBlackmagic1DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (!IsRowCandidate(line)) return;
  // Rows start with a digit; this passes over the title and any other text.
  const std::string_view t = TrimLeft(line);
  if (t.front() < '0' || t.front() > '9') return;
  double r = 0, g = 0, b = 0;
  const bool parsed = ReadFloatTriple(line, r, g, b);
  TakeRowCandidate(lut, Size, Complete, parsed, TLUTEntry{r / 1000, g / 1000, b / 1000});
}

void TBlackmagic1DLutFormat::Save(const std::string& file_name, const TLUT& lut, int) const {
  const int m = Writable1DSize(lut);
  TTextFile text;
  text.Add("R\tG\tB - HDLINK GAMMA TABLE");
  text.Reserve(static_cast<std::size_t>(m), static_cast<std::size_t>(m) * 24);  // "1000.00 1000.00 1000.00"
  std::string row;
  for (int i = 0; i < m; ++i) {
    const TLUTEntry& e = lut.Table1D(i);
    row.clear();
    AppendFloatValue(row, 2, e.R * 1000);
    row.push_back(' ');
    AppendFloatValue(row, 2, e.G * 1000);
    row.push_back(' ');
    AppendFloatValue(row, 2, e.B * 1000);
    text.Add(row);
  }
  text.WriteToFile(file_name);
}

// ---------------------------------------------------------------------------
// Cine-tal 1D and Shake 1D: written only; nothing detects them, and a load
// through them finds no rows ("Incomplete file.").

bool TCinetal1DLutFormat::CanRead(const std::string&) const { return false; }

void TCinetal1DLutFormat::Save(const std::string& file_name, const TLUT& lut, int bits) const {
  SaveIntRows(file_name, lut, bits);
}

bool TShake1DLutFormat::CanRead(const std::string&) const { return false; }

void TShake1DLutFormat::Save(const std::string& file_name, const TLUT& lut, int bits) const {
  SaveIntRows(file_name, lut, bits);
}

// ---------------------------------------------------------------------------
// DaVinci Resolve ilut and olut: read only

bool TDavinciILut1DLutFormat::CanRead(const std::string& file_name) const {
  return HasExtension(file_name, ".ilut") && !MatchSignature(file_name, "<IRIDAScript>");
}

void TDavinciILut1DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (!IsRowCandidate(line)) return;
  double r = 0, g = 0, b = 0;
  const bool parsed = ReadLeadingIntTriple(line, kILutDivisor, r, g, b);
  TakeRowCandidate(lut, Size, Complete, parsed, TLUTEntry{r, g, b});
}

void TDavinciILut1DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseReadOnly(*this); }

bool TDavinciOLut1DLutFormat::CanRead(const std::string& file_name) const {
  return HasExtension(file_name, ".olut");
}

void TDavinciOLut1DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  if (!IsRowCandidate(line)) return;
  double r = 0, g = 0, b = 0;
  const bool parsed = ReadLeadingIntTriple(line, kOLutDivisor, r, g, b);
  TakeRowCandidate(lut, Size, Complete, parsed, TLUTEntry{r, g, b});
}

void TDavinciOLut1DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseReadOnly(*this); }

}  // namespace zelvo
