// 1D text formats of plain rows: no entry count, the table is as long as the
// number of rows read.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

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

}  // namespace zelvo
