// 1D text formats with a header.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

class TCodex1DLutFormat : public TGenericLutFormat {
 public:
  TCodex1DLutFormat() : TGenericLutFormat("Codex 1D, Scratch 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TLustre1DLutFormat : public TGenericLutFormat {
 public:
  TLustre1DLutFormat() : TGenericLutFormat("Autodesk Lustre 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TFilmlight1DLutFormat : public TGenericLutFormat {
 public:
  TFilmlight1DLutFormat() : TGenericLutFormat("Filmlight Truelight 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TQuantel1DLutFormat : public TGenericLutFormat {
 public:
  TQuantel1DLutFormat() : TGenericLutFormat("Quantel 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TFusion1DLutFormat : public TGenericLutFormat {
 public:
  TFusion1DLutFormat() : TGenericLutFormat("Fusion 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

}  // namespace zelvo
