// 3dl, 3DMESH and Colorfront OSD 3D grids.
#pragma once

#include <string_view>

#include "formats/LUTFormat.h"

namespace zelvo {

class T3dlLutFormat : public TGenericLutFormat {
 public:
  T3dlLutFormat() : TGenericLutFormat("3DL", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;

  // The number of blank-separated fields of a line when every one of them is
  // an integer, else -1.
  static int CountIntFields(std::string_view line);

  // Output depth of the file read last, decided by its largest code: 10, 12 or
  // 16 bits (more only for codes above 65535).
  int ReadBits = 12;

 private:
  double LargestCode = 0;
  // The file carries our own identification line, so it was written at our
  // default depth of 12 bits unless a code says more.
  bool HasOwnIdLine = false;
};

class TLustre3DLutFormat : public TGenericLutFormat {
 public:
  TLustre3DLutFormat() : TGenericLutFormat("Autodesk Lustre 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;

 private:
  // Takes grid size and largest code from a "Mesh a d" line.
  void ReadMeshLine(std::string_view line, int& max_code);
};

class TColorFrontOSD3DLutFormat : public TGenericLutFormat {
 public:
  TColorFrontOSD3DLutFormat() : TGenericLutFormat("Colorfront OSD 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;

  // The grid size inferred from the number of rows of the file being read.
  int CountFloatTriples() const;
};

}  // namespace zelvo
