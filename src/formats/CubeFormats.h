// The cube family: Cube 3D, Cube 3D Truelight, Nucoda 3D, Cube 1D and the
// write-only Nucoda 1D.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

class TCubeCursor;

class TCube3DLutFormat : public TGenericLutFormat {
 public:
  TCube3DLutFormat() : TGenericLutFormat(TLUTFormatId::Cube3D, "Cube 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  bool StatesDomain() const override { return true; }
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  // A line read while the grid size is not yet known.
  virtual void ParseHeaderLine(std::string_view line, TCubeCursor& cursor) const;
  TRowRun NextRowRun(TLineCursor& cursor) const override;
  void RowsRead(TLineCursor& cursor, std::size_t count) const override;

 protected:
  TCube3DLutFormat(TLUTFormatId id, std::string name) : TGenericLutFormat(id, std::move(name), true) {}
};

class TCube3DTruelightLutFormat : public TCube3DLutFormat {
 public:
  TCube3DTruelightLutFormat() : TCube3DLutFormat(TLUTFormatId::Cube3DTruelight, "Cube 3D Truelight") {}
  bool CanRead(const TLUTSource& source) const override;
  bool StatesDomain() const override { return false; }
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  void ParseHeaderLine(std::string_view line, TCubeCursor& cursor) const override;
};

class TNucoda3DLutFormat : public TGenericLutFormat {
 public:
  // Shaper rows written ahead of the cube.
  static constexpr int ShaperOutLength = 4096;

  TNucoda3DLutFormat() : TGenericLutFormat(TLUTFormatId::Nucoda3D, "Nucoda 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  // The load's Info.Version is the number on the file's NUCODA_3D_CUBE line.
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
};

class TCube1DLutFormat : public TGenericLutFormat {
 public:
  TCube1DLutFormat() : TGenericLutFormat(TLUTFormatId::Cube1D, "Cube 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  bool StatesDomain() const override { return true; }
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  void ParseLine(std::string_view line, TLineCursor& cursor) const override;
  TRowRun NextRowRun(TLineCursor& cursor) const override;
  void RowsRead(TLineCursor& cursor, std::size_t count) const override;
};

class TNucoda1DLutWriterFormat : public TGenericLutFormat {
 public:
  TNucoda1DLutWriterFormat() : TGenericLutFormat(TLUTFormatId::Nucoda1D, "Nucoda 1D", false) {}
  bool CanRead(const TLUTSource&) const override { return false; }
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  bool CanLoad() const override { return false; }
  // Its files carry NUCODA_3D_CUBE and are read by Nucoda 3D.
  TLUTFormatId ReadBackAs() const override { return TLUTFormatId::Nucoda3D; }
};

}  // namespace zelvo
