// 3dl, 3DMESH and Colorfront OSD 3D grids.
#pragma once

#include <string_view>

#include "formats/LUTFormat.h"

namespace zelvo {

class T3dlLutFormat : public TGenericLutFormat {
 public:
  T3dlLutFormat() : TGenericLutFormat(TLUTFormatId::ThreeDL, "3DL", true) {}
  bool CanRead(const TLUTSource& source) const override;
  // The load's Info.Bits is the depth of the file's codes, decided by its
  // largest code: 10, 12 or 16 bits (more only for codes above 65535).
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;

  // The number of blank-separated fields of a line when every one of them is
  // an integer, else -1.
  static int CountIntFields(std::string_view line);
};

class TLustre3DLutFormat : public TGenericLutFormat {
 public:
  TLustre3DLutFormat() : TGenericLutFormat(TLUTFormatId::Lustre3D, "Autodesk Lustre 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

class TColorFrontOSD3DLutFormat : public TGenericLutFormat {
 public:
  TColorFrontOSD3DLutFormat() : TGenericLutFormat(TLUTFormatId::ColorFrontOSD3D, "Colorfront OSD 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;

  // The grid size inferred from the number of rows of a whole file.
  static int CountFloatTriples(std::string_view text);
};

}  // namespace zelvo
