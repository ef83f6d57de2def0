// 3dl, 3DMESH and Colorfront OSD 3D grids.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

class T3dlLutFormat : public TGenericLutFormat {
 public:
  T3dlLutFormat() : TGenericLutFormat("3DL", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TLustre3DLutFormat : public TGenericLutFormat {
 public:
  TLustre3DLutFormat() : TGenericLutFormat("Autodesk Lustre 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TColorFrontOSD3DLutFormat : public TGenericLutFormat {
 public:
  TColorFrontOSD3DLutFormat() : TGenericLutFormat("Colorfront OSD 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

}  // namespace zelvo
