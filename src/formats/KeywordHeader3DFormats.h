// 3D formats with a keyword header.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

class TPandora3DLutFormat : public TGenericLutFormat {
 public:
  TPandora3DLutFormat() : TGenericLutFormat("Pandora 3D, Technicolor", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TLuther3DLutFormat : public TGenericLutFormat {
 public:
  TLuther3DLutFormat() : TGenericLutFormat("Luther 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TCodex3DLutFormat : public TGenericLutFormat {
 public:
  TCodex3DLutFormat() : TGenericLutFormat("Codex 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TQuantel3DLutFormat : public TGenericLutFormat {
 public:
  TQuantel3DLutFormat() : TGenericLutFormat("Quantel 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TDavinciDat3DLutFormat : public TGenericLutFormat {
 public:
  TDavinciDat3DLutFormat() : TGenericLutFormat("Davinci DAT 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

}  // namespace zelvo
