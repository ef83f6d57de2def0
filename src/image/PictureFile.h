// Picture files: JPEG and Windows bitmaps read into 24-bit pixels, and
// written back for the command line.
#pragma once

#include <string>
#include <string_view>

#include "base/TextFile.h"
#include "image/Bitmap24.h"

namespace zelvo {

enum class TPictureType { Unknown, Jpeg, Bmp };

// The quality the JPEG files of the command line are written at.
inline constexpr int kJpegQuality = 95;

// The picture in the bytes; the content decides the decoder. Anything else
// raises EZelvoError that says which types are known.
TBitmap24 LoadPictureFromMemory(std::string_view bytes);
// The same for a file, read once.
TBitmap24 LoadPicture(const std::string& file_name);
// The bytes of a picture file, refused like LoadPicture refuses a folder, a
// device or a file too large to be a picture.
TByteBuffer ReadPictureFile(const std::string& file_name);

// The type a file name's extension asks for when a picture is written:
// ".jpg", ".jpeg" and ".jpe" for JPEG, ".bmp" and ".dib" for bitmaps.
TPictureType PictureTypeForName(const std::string& file_name);
// The bytes of a picture file of that type.
std::string EncodePicture(const TBitmap24& bitmap, TPictureType type);
// Writes the picture whole or not at all, as its extension says (see
// PictureTypeForName).
void SavePicture(const std::string& file_name, const TBitmap24& bitmap, TReplace replace = TReplace::Replace);

}  // namespace zelvo
