// 3D formats with a keyword header: Pandora/Technicolor, Luther, Codex 3D,
// Quantel 3D and DaVinci DAT.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

class TPandora3DLutFormat : public TGenericLutFormat {
 public:
  TPandora3DLutFormat() : TGenericLutFormat("Pandora 3D, Technicolor", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
};

class TLuther3DLutFormat : public TGenericLutFormat {
 public:
  TLuther3DLutFormat() : TGenericLutFormat("Luther 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
};

class TCodex3DLutFormat : public TGenericLutFormat {
 public:
  TCodex3DLutFormat() : TGenericLutFormat("Codex 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;

  // The depth of the codes read; the files do not state it.
  const int ReadBits = 12;
};

class TQuantel3DLutFormat : public TGenericLutFormat {
 public:
  TQuantel3DLutFormat() : TGenericLutFormat("Quantel 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
};

class TDavinciDat3DLutFormat : public TGenericLutFormat {
 public:
  TDavinciDat3DLutFormat() : TGenericLutFormat("Davinci DAT 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;

  // The grid size inferred from the number of rows of the file being read.
  int CountFloatTriples() const;

  // Set at the start of each load: the file states its size with 3DLUTSIZE.
  bool SizeKeywordFound = false;
};

}  // namespace zelvo
