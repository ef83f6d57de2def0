// Image LUTs as LUT formats. One reader takes every PNG, TIFF and OpenEXR
// picture: the layout is found from the picture's size and, where several
// fit, from its pixels (ReadImageLUT), which the first bytes of a file do not
// hold. The writers are one per layout and picture type, since a writer is
// given only the table and a depth.
//
// Depths are given in bits per sample: 8 and 16 for integer pictures, 32 for
// float ones, and 16 for the half floats of OpenEXR, which holds no integers.
#include "image/ImageLUTFormats.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "formats/LUTFormatImps.h"
#include "image/ImageLUT.h"
#include "image/PictureIO.h"

namespace zelvo {

namespace {

// The picture depth that `bits` stands for in a file of the type; false when
// the type holds no such depth.
bool PictureDepthForBits(TPictureFileType type, int bits, TPictureDepth& depth) {
  switch (bits) {
    case 8: depth = TPictureDepth::pd8; break;
    case 16: depth = type == TPictureFileType::Exr ? TPictureDepth::pdHalf : TPictureDepth::pd16; break;
    case 32: depth = TPictureDepth::pdFloat; break;
    default: return false;
  }
  return TypeHoldsDepth(type, depth);
}

constexpr const char* kReaderName = "Image LUT (PNG, TIFF, OpenEXR)";

class TImageLUTReader : public TLUTFormat {
 public:
  TImageLUTReader() : TLUTFormat(TLUTFormatId::ImageLUT, kReaderName, true) {}

  // Every picture of the three types: no other format reads them, and one
  // whose size fits no layout is better refused with the sizes that would
  // fit than left unknown. (The size of a TIFF picture may stand past the
  // first bytes, and its layout is not known before its pixels are.)
  bool CanRead(const TLUTSource& source) const override {
    const TPictureFileType type = PictureFileTypeOf(source.Bytes());
    return type == TPictureFileType::Png || type == TPictureFileType::Tiff || type == TPictureFileType::Exr;
  }
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override {
    const TFloatPicture picture = DecodeFloatPicture(source.Bytes());
    lut = ReadImageLUT(picture, source.ImageOptions());
    TLoadInfo info;
    info.Bits = DepthBits(picture.Depth());
    return info;
  }
  bool CanSave() const override { return false; }
  TFileText Save(const TLUT&, int, std::string_view) const override { RaiseReadOnly(*this); }
};

enum class TLayoutKind : std::uint8_t { Hald, Strip, Square, OCIORaster };

struct TWriterRow {
  TLUTFormatId Id;
  const char* Name;
  TLayoutKind Kind;
  TPictureFileType Type;
  bool GreenBottomUp = false;
};

constexpr TWriterRow kWriters[] = {
    {TLUTFormatId::HaldPng, "Hald CLUT PNG", TLayoutKind::Hald, TPictureFileType::Png},
    {TLUTFormatId::HaldTiff, "Hald CLUT TIFF", TLayoutKind::Hald, TPictureFileType::Tiff},
    {TLUTFormatId::StripPng, "Strip PNG", TLayoutKind::Strip, TPictureFileType::Png},
    {TLUTFormatId::StripPngBottomUp, "Strip PNG, green from the bottom", TLayoutKind::Strip, TPictureFileType::Png,
     true},
    {TLUTFormatId::SquarePng, "Square of tiles PNG", TLayoutKind::Square, TPictureFileType::Png},
    {TLUTFormatId::OCIORasterExr, "OpenColorIO raster EXR", TLayoutKind::OCIORaster, TPictureFileType::Exr},
    {TLUTFormatId::OCIORasterPng, "OpenColorIO raster PNG", TLayoutKind::OCIORaster, TPictureFileType::Png},
};

TImageLUTLayout LayoutOf(const TWriterRow& row, int size) {
  switch (row.Kind) {
    case TLayoutKind::Hald: {
      const int level = static_cast<int>(std::lround(std::sqrt(static_cast<double>(size))));
      if (level * level != size) {
        throw ELUTError("A Hald CLUT holds a square number of points per axis (4, 9, 16, ... 256), not " +
                        std::to_string(size) + ".");
      }
      return HaldLayout(level);
    }
    case TLayoutKind::Strip: return StripLayout(size, row.GreenBottomUp);
    case TLayoutKind::Square: return SquareLayout(size, row.GreenBottomUp);
    case TLayoutKind::OCIORaster: break;
  }
  return OCIORasterLayout(size);
}

class TImageLUTWriter : public TLUTFormat {
 public:
  explicit TImageLUTWriter(const TWriterRow& row) : TLUTFormat(row.Id, row.Name, true), row_(row) {}

  // Its pictures are read by the image LUT reader.
  bool CanRead(const TLUTSource&) const override { return false; }
  bool CanLoad() const override { return false; }
  TLUTFormatId ReadBackAs() const override { return TLUTFormatId::ImageLUT; }
  TLoadInfo Load(const TLUTSource&, TLUT&) const override {
    throw ELUTError("The format \"" + Name + "\" is write only; its pictures are read as " + kReaderName + ".");
  }
  bool HoldsBits(int bits) const override {
    TPictureDepth depth;
    return PictureDepthForBits(row_.Type, bits, depth);
  }
  // Integer pictures hold codes over 0..1; float ones hold any value to the
  // precision of their half floats or floats.
  TWrittenValues WrittenValues(int bits) const override {
    TPictureDepth depth;
    if (!PictureDepthForBits(row_.Type, bits, depth) || IsIntegerDepth(depth)) return TLUTFormat::WrittenValues(bits);
    const bool half = depth == TPictureDepth::pdHalf;
    TWrittenValues held;
    held.Step = std::ldexp(1.0, half ? -24 : -149);
    held.RelativeStep = std::ldexp(1.0, half ? -10 : -23);
    return held;
  }

  // The picture file of the table, of the layout its size makes. Pictures
  // hold no comments.
  TFileText Save(const TLUT& lut, int bits, std::string_view) const override {
    TPictureDepth depth;
    if (!PictureDepthForBits(row_.Type, bits, depth)) {
      throw ELUTError("A " + Name + " file cannot be written at " + std::to_string(bits) + " bits (" + HeldBits() +
                      ").");
    }
    const std::string bytes = EncodeImageLUT(lut, LayoutOf(row_, WritableGridSize(lut)), row_.Type, depth);
    return TFileText(bytes.data(), bytes.size());
  }

 private:
  // "8 bits or 16 bits", "16 bits (half float) or 32 bits (float)".
  std::string HeldBits() const {
    std::string text;
    for (const int bits : {8, 16, 32}) {
      TPictureDepth depth;
      if (!PictureDepthForBits(row_.Type, bits, depth)) continue;
      if (!text.empty()) text += " or ";
      text += std::to_string(bits) + " bits";
      if (!IsIntegerDepth(depth)) text += std::string(" (") + DepthName(depth) + ")";
    }
    return text;
  }

  const TWriterRow row_;
};

}  // namespace

bool ImageLUTLayoutOf(TLUTFormatId format, int size, TImageLUTLayout& layout) {
  for (const TWriterRow& row : kWriters) {
    if (row.Id != format) continue;
    layout = LayoutOf(row, size);
    return true;
  }
  return false;
}

void AddImageLUTFormats(TFormatList& formats) {
  formats.push_back(std::make_unique<TImageLUTReader>());
  for (const TWriterRow& row : kWriters) formats.push_back(std::make_unique<TImageLUTWriter>(row));
}

}  // namespace zelvo
