// The cube family: Cube 3D, Cube 3D Truelight, Nucoda 3D, Cube 1D and the
// write-only Nucoda 1D.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

class TCube3DLutFormat : public TGenericLutFormat {
 public:
  TCube3DLutFormat() : TGenericLutFormat("Cube 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
  // A line read while the grid size is not yet known.
  virtual void ParseHeaderLine(std::string_view line, TLUT& lut);

 protected:
  TCube3DLutFormat(std::string name) : TGenericLutFormat(std::move(name), true) {}
  // Rows of a 1D section that precedes the cube (0 when there is none), and the
  // divisor that brings them to 0..1.
  int ShaperLength = 0;
  double ShaperDivisor = 1.0;
  void SetShaperLength(long long length);
};

class TCube3DTruelightLutFormat : public TCube3DLutFormat {
 public:
  TCube3DTruelightLutFormat() : TCube3DLutFormat("Cube 3D Truelight") {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
  void ParseHeaderLine(std::string_view line, TLUT& lut) override;

 private:
  bool TakeLutLength(std::string_view line);
};

class TNucoda3DLutFormat : public TGenericLutFormat {
 public:
  TNucoda3DLutFormat() : TGenericLutFormat("Nucoda 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;

  int ShaperLength = 0;
  const int ShaperOutLength = 4096;
  int CubeVersion = 0;
  bool Has1D = false;
  bool Has3D = false;

 private:
  long long Rows3D = 0;
};

class TCube1DLutFormat : public TGenericLutFormat {
 public:
  TCube1DLutFormat() : TGenericLutFormat("Cube 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
};

class TNucoda1DLutWriterFormat : public TGenericLutFormat {
 public:
  TNucoda1DLutWriterFormat() : TGenericLutFormat("Nucoda 1D", false) {}
  bool CanRead(const std::string&) const override { return false; }
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
};

}  // namespace zelvo
