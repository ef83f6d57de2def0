// 1D text formats whose header fixes the entry count, the bit depth or the code
// range before the data rows.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

// All red codes, then all green codes, then all blue codes, one per line, under
// a "LUT: <channels> <entries>" header; codes are divided by entries - 1.
class TCodex1DLutFormat : public TGenericLutFormat {
 public:
  TCodex1DLutFormat() : TGenericLutFormat(TLUTFormatId::Codex1D, "Codex 1D, Scratch 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// "LUT16" or "LUT12", then rows of index and three codes.
class TLustre1DLutFormat : public TGenericLutFormat {
 public:
  TLustre1DLutFormat() : TGenericLutFormat(TLUTFormatId::Lustre1D, "Autodesk Lustre 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  // Its files are read only under the headers LUT12 and LUT16.
  bool HoldsBits(int bits) const override { return bits == 12 || bits == 16; }
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// "# lutLength <entries>", then rows of three decimal numbers.
class TFilmlight1DLutFormat : public TGenericLutFormat {
 public:
  TFilmlight1DLutFormat() : TGenericLutFormat(TLUTFormatId::Filmlight1D, "Filmlight Truelight 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// "gMax" and "gSize" lines, then rows of three codes divided by gMax.
class TQuantel1DLutFormat : public TGenericLutFormat {
 public:
  TQuantel1DLutFormat() : TGenericLutFormat(TLUTFormatId::Quantel1D, "Quantel 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// "F5LT", a bit depth line, then rows of index, R, index, G, index, B.
class TFusion1DLutFormat : public TGenericLutFormat {
 public:
  TFusion1DLutFormat() : TGenericLutFormat(TLUTFormatId::Fusion1D, "Fusion 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

}  // namespace zelvo
