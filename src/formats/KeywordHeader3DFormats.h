// 3D formats with a keyword header: Pandora/Technicolor, Luther, Codex 3D,
// Quantel 3D and DaVinci DAT.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

class TPandora3DLutFormat : public TGenericLutFormat {
 public:
  TPandora3DLutFormat() : TGenericLutFormat(TLUTFormatId::Pandora3D, "Pandora 3D, Technicolor", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
};

class TLuther3DLutFormat : public TGenericLutFormat {
 public:
  TLuther3DLutFormat() : TGenericLutFormat(TLUTFormatId::Luther3D, "Luther 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
};

class TCodex3DLutFormat : public TGenericLutFormat {
 public:
  // The depth of the codes read; the files do not state it.
  static constexpr int ReadBits = 12;

  TCodex3DLutFormat() : TGenericLutFormat(TLUTFormatId::Codex3D, "Codex 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
};

class TQuantel3DLutFormat : public TGenericLutFormat {
 public:
  TQuantel3DLutFormat() : TGenericLutFormat(TLUTFormatId::Quantel3D, "Quantel 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
};

class TDavinciDat3DLutFormat : public TGenericLutFormat {
 public:
  TDavinciDat3DLutFormat() : TGenericLutFormat(TLUTFormatId::DavinciDat3D, "Davinci DAT 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
};

}  // namespace zelvo
