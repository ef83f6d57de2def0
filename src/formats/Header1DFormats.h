// 1D text formats whose header fixes the entry count, the bit depth or the code
// range before the data rows.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

// All red codes, then all green codes, then all blue codes, one per line, under
// a "LUT: <channels> <entries>" header; codes are divided by entries - 1.
class TCodex1DLutFormat : public TGenericLutFormat {
 public:
  TCodex1DLutFormat() : TGenericLutFormat("Codex 1D, Scratch 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;

 private:
  void ParseHeader(std::string_view line, int keyword_pos);
  void StoreCode(TLUT& lut, int code);

  int Channels = 0;  // from the header
  int Channel = 1;   // the block being filled: 1 red, 2 green, 3 blue
};

// "LUT16" or "LUT12", then rows of index and three codes.
class TLustre1DLutFormat : public TGenericLutFormat {
 public:
  TLustre1DLutFormat() : TGenericLutFormat("Autodesk Lustre 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
};

// "# lutLength <entries>", then rows of three decimal numbers.
class TFilmlight1DLutFormat : public TGenericLutFormat {
 public:
  TFilmlight1DLutFormat() : TGenericLutFormat("Filmlight Truelight 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
};

// "gMax" and "gSize" lines, then rows of three codes divided by gMax.
class TQuantel1DLutFormat : public TGenericLutFormat {
 public:
  TQuantel1DLutFormat() : TGenericLutFormat("Quantel 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
};

// "F5LT", a bit depth line, then rows of index, R, index, G, index, B.
class TFusion1DLutFormat : public TGenericLutFormat {
 public:
  TFusion1DLutFormat() : TGenericLutFormat("Fusion 1D", false) {}
  bool CanRead(const std::string& file_name) const override;
  void ParseLine(std::string_view line, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
};

}  // namespace zelvo
