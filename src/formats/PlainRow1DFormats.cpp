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

#include "formats/Families.h"
#include "formats/LUTFormatImps.h"

namespace zelvo {

namespace {

// Rows of three decimal numbers; recognised by the extension .1dlut.
class TColorFrontOSD1DLutFormat : public TGenericLutFormat {
 public:
  TColorFrontOSD1DLutFormat() : TGenericLutFormat(TLUTFormatId::ColorFrontOSD1D, "Colorfront OSD 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// A title line, then rows of three values times 1000.
class TBlackmagic1DLutFormat : public TGenericLutFormat {
 public:
  TBlackmagic1DLutFormat() : TGenericLutFormat(TLUTFormatId::Blackmagic1D, "Blackmagic HDLink 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  // Thousandths with two decimals, nothing below 0.
  TWrittenValues WrittenValues(int) const override {
    TWrittenValues held;
    held.Low = 0.0;
    held.Step = 1e-5;
    return held;
  }
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// Write only: rows of three integer codes.
class TCinetal1DLutFormat : public TGenericLutFormat {
 public:
  TCinetal1DLutFormat() : TGenericLutFormat(TLUTFormatId::Cinetal1D, "Cine-tal 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  bool CanLoad() const override { return false; }
};

// Write only: the same rows as Cine-tal 1D.
class TShake1DLutFormat : public TGenericLutFormat {
 public:
  TShake1DLutFormat() : TGenericLutFormat(TLUTFormatId::Shake1D, "Shake 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  bool CanLoad() const override { return false; }
};

// Read only: rows of 14-bit codes; recognised by the extension .ilut.
class TDavinciILut1DLutFormat : public TGenericLutFormat {
 public:
  TDavinciILut1DLutFormat() : TGenericLutFormat(TLUTFormatId::DavinciILut1D, "DaVinci Resolve ilut 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  bool CanSave() const override { return false; }
};

// Read only: rows of 12-bit codes; recognised by the extension .olut.
class TDavinciOLut1DLutFormat : public TGenericLutFormat {
 public:
  TDavinciOLut1DLutFormat() : TGenericLutFormat(TLUTFormatId::DavinciOLut1D, "DaVinci Resolve olut 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  bool CanSave() const override { return false; }
};

namespace {

// Blank lines and comments carry no row.
bool IsRowCandidate(std::string_view line) { return !IsBlankLine(line) && !IsCommentLine(line); }

TFileText SaveIntRows(const TLUT& lut, int bits) {
  const int m = Writable1DSize(lut);
  bits = WritableBits(bits);
  TFileText text;
  AddIntRows1D(text, lut, m, bits);
  return text;
}

// A row candidate: stored when it parsed; a line that starts like a row and
// did not parse ends the load at its line (`integers` says which numbers the
// row holds). Other text passes, and a file without a row is incomplete.
void TakeRowCandidate(TLineCursor& c, std::string_view line, bool parsed, const TLUTEntry& e, bool integers) {
  if (parsed) {
    c.AppendRow(e.R, e.G, e.B);
    c.Complete = true;
  } else if (StartsLikeDataRow(line)) {
    RaiseRowError(line, c.Line, 3, integers);
  }
}

constexpr int kILutBits = 14;
constexpr int kOLutBits = 12;
constexpr int kILutDivisor = 16383;  // 14-bit codes
constexpr int kOLutDivisor = 4095;   // 12-bit codes

}  // namespace

// ---------------------------------------------------------------------------
// Colorfront OSD 1D

bool TColorFrontOSD1DLutFormat::CanRead(const TLUTSource& source) const { return source.HasExtension(".1dlut"); }

TLoadInfo TColorFrontOSD1DLutFormat::Load(const TLUTSource& source, TLUT& lut) const { return LoadRows(source, lut); }

void TColorFrontOSD1DLutFormat::ParseLine(std::string_view line, TLineCursor& c) const {
  if (!IsRowCandidate(line)) return;
  double r = 0, g = 0, b = 0;
  const bool parsed = ReadFloatTriple(line, r, g, b);
  TakeRowCandidate(c, line, parsed, TLUTEntry{r, g, b}, false);
}

TFileText TColorFrontOSD1DLutFormat::Save(const TLUT& lut, int, std::string_view) const {
  const int m = Writable1DSize(lut);
  TFileText text;
  AddFloatRows1D(text, lut, m);
  return text;
}

// ---------------------------------------------------------------------------
// Blackmagic HDLink 1D

bool TBlackmagic1DLutFormat::CanRead(const TLUTSource& source) const { return MatchSignature(source, "HDLINK"); }

TLoadInfo TBlackmagic1DLutFormat::Load(const TLUTSource& source, TLUT& lut) const { return LoadRows(source, lut); }

void TBlackmagic1DLutFormat::ParseLine(std::string_view line, TLineCursor& c) const {
  if (!IsRowCandidate(line)) return;
  // Rows start with a digit; this passes over the title and any other text.
  const std::string_view t = TrimLeft(line);
  if (t.front() < '0' || t.front() > '9') return;
  double r = 0, g = 0, b = 0;
  const bool parsed = ReadFloatTriple(line, r, g, b);
  TakeRowCandidate(c, line, parsed, TLUTEntry{r / 1000, g / 1000, b / 1000}, false);
}

TFileText TBlackmagic1DLutFormat::Save(const TLUT& lut, int, std::string_view) const {
  const int m = Writable1DSize(lut);
  TFileText text;
  AddLine(text, "R\tG\tB - HDLINK GAMMA TABLE");
  text.reserve(text.size() + static_cast<std::size_t>(m) * 24);  // "1000.00 1000.00 1000.00\n"
  // The rows are read only when they start with a digit: a value below 0 is
  // written as 0, which the format can hold. (Not-a-number still fails.)
  const auto held = [](double v) { return v < 0.0 ? 0.0 : v * 1000; };
  for (int i = 0; i < m; ++i) {
    const TLUTEntry& e = lut.Table1D(i);
    AppendFloatValue(text, 2, held(e.R));
    text.push_back(' ');
    AppendFloatValue(text, 2, held(e.G));
    text.push_back(' ');
    AppendFloatValue(text, 2, held(e.B));
    text.push_back('\n');
  }
  return text;
}

// ---------------------------------------------------------------------------
// Cine-tal 1D and Shake 1D: written only; nothing detects them, and a load
// through them finds no rows ("Incomplete file.").

bool TCinetal1DLutFormat::CanRead(const TLUTSource&) const { return false; }

TFileText TCinetal1DLutFormat::Save(const TLUT& lut, int bits, std::string_view) const {
  return SaveIntRows(lut, bits);
}

bool TShake1DLutFormat::CanRead(const TLUTSource&) const { return false; }

TFileText TShake1DLutFormat::Save(const TLUT& lut, int bits, std::string_view) const {
  return SaveIntRows(lut, bits);
}

// ---------------------------------------------------------------------------
// DaVinci Resolve ilut and olut: read only

bool TDavinciILut1DLutFormat::CanRead(const TLUTSource& source) const {
  return source.HasExtension(".ilut") && !MatchSignature(source, "<IRIDAScript>");
}

TLoadInfo TDavinciILut1DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  return LoadRows(source, lut, kILutBits);
}

void TDavinciILut1DLutFormat::ParseLine(std::string_view line, TLineCursor& c) const {
  if (!IsRowCandidate(line)) return;
  double r = 0, g = 0, b = 0;
  const bool parsed = ReadLeadingIntTriple(line, kILutDivisor, r, g, b);
  TakeRowCandidate(c, line, parsed, TLUTEntry{r, g, b}, true);
}

TFileText TDavinciILut1DLutFormat::Save(const TLUT&, int, std::string_view) const { RaiseReadOnly(*this); }

bool TDavinciOLut1DLutFormat::CanRead(const TLUTSource& source) const { return source.HasExtension(".olut"); }

TLoadInfo TDavinciOLut1DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  return LoadRows(source, lut, kOLutBits);
}

void TDavinciOLut1DLutFormat::ParseLine(std::string_view line, TLineCursor& c) const {
  if (!IsRowCandidate(line)) return;
  double r = 0, g = 0, b = 0;
  const bool parsed = ReadLeadingIntTriple(line, kOLutDivisor, r, g, b);
  TakeRowCandidate(c, line, parsed, TLUTEntry{r, g, b}, true);
}

TFileText TDavinciOLut1DLutFormat::Save(const TLUT&, int, std::string_view) const { RaiseReadOnly(*this); }

}  // namespace

void AddPlainRow1DFormats(TFormatList& formats) {
  formats.push_back(std::make_unique<TColorFrontOSD1DLutFormat>());
  formats.push_back(std::make_unique<TBlackmagic1DLutFormat>());
  formats.push_back(std::make_unique<TCinetal1DLutFormat>());
  formats.push_back(std::make_unique<TShake1DLutFormat>());
  formats.push_back(std::make_unique<TDavinciILut1DLutFormat>());
  formats.push_back(std::make_unique<TDavinciOLut1DLutFormat>());
}

}  // namespace zelvo
