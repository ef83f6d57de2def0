// 1D text formats of plain rows: no entry count, the table is as long as the
// number of rows read.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

// Rows of three decimal numbers; recognised by the extension .1dlut.
class TColorFrontOSD1DLutFormat : public TGenericLutFormat {
 public:
  TColorFrontOSD1DLutFormat() : TGenericLutFormat("Colorfront OSD 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
};

// A title line, then rows of three values times 1000.
class TBlackmagic1DLutFormat : public TGenericLutFormat {
 public:
  TBlackmagic1DLutFormat() : TGenericLutFormat("Blackmagic HDLink 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
};

// Write only: rows of three integer codes.
class TCinetal1DLutFormat : public TGenericLutFormat {
 public:
  TCinetal1DLutFormat() : TGenericLutFormat("Cine-tal 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
};

// Write only: the same rows as Cine-tal 1D.
class TShake1DLutFormat : public TGenericLutFormat {
 public:
  TShake1DLutFormat() : TGenericLutFormat("Shake 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
};

// Read only: rows of 14-bit codes; recognised by the extension .ilut.
class TDavinciILut1DLutFormat : public TGenericLutFormat {
 public:
  TDavinciILut1DLutFormat() : TGenericLutFormat("DaVinci Resolve ilut 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanSave() const override { return false; }
};

// Read only: rows of 12-bit codes; recognised by the extension .olut.
class TDavinciOLut1DLutFormat : public TGenericLutFormat {
 public:
  TDavinciOLut1DLutFormat() : TGenericLutFormat("DaVinci Resolve olut 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanSave() const override { return false; }
};

}  // namespace zelvo
