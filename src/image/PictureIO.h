// Picture files of every type the program reads: JPEG and Windows bitmaps
// through their own readers, PNG, TIFF, OpenEXR and DPX through the picture
// module (OpenImageIO), all into float pictures; and written back at a chosen
// depth, whole or not at all.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/TextFile.h"
#include "image/FloatPicture.h"

namespace zelvo {

enum class TPictureFileType : std::uint8_t { Unknown, Jpeg, Bmp, Png, Tiff, Exr, Dpx };

// "JPEG", "Windows bitmap", "PNG", "TIFF", "OpenEXR", "DPX".
const char* PictureFileTypeName(TPictureFileType type);
// The type the bytes start like.
TPictureFileType PictureFileTypeOf(std::string_view bytes);
// The type of a file by its first bytes; Unknown when it cannot be read
// (the load that follows says why).
TPictureFileType PictureFileTypeOfFile(const std::string& file_name);
// The type a file name's extension asks for: .jpg .jpeg .jpe, .bmp .dib,
// .png, .tif .tiff, .exr, .dpx.
TPictureFileType PictureFileTypeForName(const std::string& file_name);
// What the message for an unknown output type says.
extern const char* const kPictureOutputTypes;

// Whether a file of the type can hold samples of the depth: PNG 8 and 16
// bits, TIFF 8, 16 and float, OpenEXR half and float, DPX 8, 10 and 16 bits,
// JPEG and bitmaps 8 bits.
bool TypeHoldsDepth(TPictureFileType type, TPictureDepth depth);
// The depth a picture of depth `own` is written at in a file of the type:
// its own where the type holds it, else the nearest the type holds (an
// integer depth to the next larger one, half and float to float), else the
// type's own (PNG and TIFF 16 bits, OpenEXR float, DPX 10 bits).
TPictureDepth OutputDepthFor(TPictureFileType type, TPictureDepth own);

// The picture in the bytes, any of the six types; the content decides.
// Damaged data, a size above the limits (checked before the pixels are
// allocated) and unknown types raise EZelvoError with the reason.
TFloatPicture DecodeFloatPicture(std::string_view bytes);
// The same for a file, read once.
TFloatPicture LoadFloatPicture(const std::string& file_name);

// One row of a picture being written: width x 3 values (red, green, blue).
using TPictureRowSource = std::function<void(int y, double* rgb)>;
// The bytes of a picture file of the type at the depth. Integer depths
// quantise each value (not >= 0 gives 0, above 1 the largest code, nearest
// code, ties to even); half and float are written as they are, unclamped.
// A depth the type does not hold raises EZelvoError.
std::string EncodePictureRows(int width, int height, TPictureFileType type, TPictureDepth depth,
                              const TPictureRowSource& rows);
std::string EncodeFloatPicture(const TFloatPicture& picture, TPictureFileType type, TPictureDepth depth);
// Writes the picture whole or not at all, of the type its extension asks for.
void SaveFloatPicture(const std::string& file_name, const TFloatPicture& picture, TPictureDepth depth,
                      TReplace replace = TReplace::Replace);

}  // namespace zelvo
