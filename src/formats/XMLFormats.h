// XML-based formats.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

class TStwo1DLutFormat : public TGenericLutFormat {
 public:
  TStwo1DLutFormat() : TGenericLutFormat("S.two 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TPFClean3D_Format : public TGenericLutFormat {
 public:
  TPFClean3D_Format() : TGenericLutFormat("PixelFarm PFClean 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

class TSpeedgradeLook3DLutFormat : public TGenericLutFormat {
 public:
  TSpeedgradeLook3DLutFormat() : TGenericLutFormat("Adobe Speedgrade Look 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

}  // namespace zelvo
