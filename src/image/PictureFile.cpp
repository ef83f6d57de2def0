#include "image/PictureFile.h"

#include <filesystem>

#include "base/StringLib.h"
#include "image/BmpFile.h"
#include "image/JpegFile.h"
#include "base/Errors.h"

namespace zelvo {

namespace {

// A bitmap of the largest size at 32 bits per pixel, with room for headers.
constexpr std::size_t kMaxPictureFileBytes = static_cast<std::size_t>(kMaxPicturePixels) * 4 + (1u << 20);

}  // namespace

TBitmap24 LoadPictureFromMemory(std::string_view bytes) {
  if (LooksLikeJpeg(bytes)) return DecodeJpeg(bytes);
  if (LooksLikeBmp(bytes)) return DecodeBmp(bytes);
  throw EZelvoError("The file is not a picture of a known type (JPEG or Windows bitmap).");
}

TByteBuffer ReadPictureFile(const std::string& file_name) {
  return ReadBinaryFile(file_name, kMaxPictureFileBytes, "The file \"" + file_name + "\" is too large to be a picture.");
}

TBitmap24 LoadPicture(const std::string& file_name) {
  const TByteBuffer bytes = ReadPictureFile(file_name);
  return LoadPictureFromMemory(std::string_view(bytes.data(), bytes.size()));
}

TPictureType PictureTypeForName(const std::string& file_name) {
  const std::string ext = UpperCase(std::filesystem::path(file_name).extension().string());
  if (ext == ".JPG" || ext == ".JPEG" || ext == ".JPE") return TPictureType::Jpeg;
  if (ext == ".BMP" || ext == ".DIB") return TPictureType::Bmp;
  return TPictureType::Unknown;
}

std::string EncodePicture(const TBitmap24& bitmap, TPictureType type) {
  switch (type) {
    case TPictureType::Jpeg: return EncodeJpeg(bitmap, kJpegQuality);
    case TPictureType::Bmp: return EncodeBmp(bitmap);
    case TPictureType::Unknown: break;
  }
  throw EZelvoError("Pictures are written as JPEG (.jpg, .jpeg) or Windows bitmaps (.bmp).");
}

void SavePicture(const std::string& file_name, const TBitmap24& bitmap, TReplace replace) {
  WriteFileAtomically(file_name, EncodePicture(bitmap, PictureTypeForName(file_name)), replace);
}

}  // namespace zelvo
