// 1D text formats of plain rows.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

class TColorFrontOSD1DLutFormat : public TGenericLutFormat {
 public:
  TColorFrontOSD1DLutFormat() : TGenericLutFormat("Colorfront OSD 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TBlackmagic1DLutFormat : public TGenericLutFormat {
 public:
  TBlackmagic1DLutFormat() : TGenericLutFormat("Blackmagic HDLink 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TCinetal1DLutFormat : public TGenericLutFormat {
 public:
  TCinetal1DLutFormat() : TGenericLutFormat("Cine-tal 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TShake1DLutFormat : public TGenericLutFormat {
 public:
  TShake1DLutFormat() : TGenericLutFormat("Shake 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TDavinciILut1DLutFormat : public TGenericLutFormat {
 public:
  TDavinciILut1DLutFormat() : TGenericLutFormat("DaVinci Resolve ilut 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TDavinciOLut1DLutFormat : public TGenericLutFormat {
 public:
  TDavinciOLut1DLutFormat() : TGenericLutFormat("DaVinci Resolve olut 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

}  // namespace zelvo
