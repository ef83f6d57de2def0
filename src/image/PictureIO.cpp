#include "image/PictureIO.h"

#include <filesystem>
#include <memory>
#include <vector>

#include "base/StringLib.h"
#include "image/BmpFile.h"
#include "image/JpegFile.h"
#include "image/PictureFile.h"
#include "image/PictureHeaders.h"
#include "image/PictureModule.h"
#include "base/Errors.h"

namespace zelvo {

namespace {

// The largest picture at four float channels, with room for headers.
constexpr std::size_t kMaxFloatPictureFileBytes = static_cast<std::size_t>(kMaxPicturePixels) * 16 + (1u << 20);

// The module's name of each format.
const char* ModuleFormat(TPictureFileType type) {
  switch (type) {
    case TPictureFileType::Png: return "png";
    case TPictureFileType::Tiff: return "tiff";
    case TPictureFileType::Exr: return "openexr";
    case TPictureFileType::Dpx: return "dpx";
    default: return nullptr;
  }
}

bool StartsWith(std::string_view bytes, std::string_view head) { return bytes.substr(0, head.size()) == head; }

TPictureDepth DepthOf(const ZelvoPictureInfo& info) {
  switch (info.sample_type) {
    case kZelvoU8: return TPictureDepth::pd8;
    case kZelvoU16: return info.bits_per_sample == 10 ? TPictureDepth::pd10 : TPictureDepth::pd16;
    case kZelvoHalf: return TPictureDepth::pdHalf;
    default: return TPictureDepth::pdFloat;
  }
}

struct TModuleReader {
  const ZelvoPictureCodec& codec;
  void* handle = nullptr;
  ~TModuleReader() {
    if (handle != nullptr) codec.close(handle);
  }
};

TFloatPicture DecodeWithModule(std::string_view bytes, TPictureFileType type) {
  const std::string cannot = std::string("The ") + PictureFileTypeName(type) + " picture cannot be read: ";
  CheckStatedSizes(bytes, type, cannot);
  TModuleReader reader{PictureCodec()};
  ZelvoPictureInfo info{};
  char error[1024] = "";
  reader.handle = reader.codec.open(ModuleFormat(type), bytes.data(), bytes.size(), &info, error, sizeof error);
  if (reader.handle == nullptr) throw EZelvoError(cannot + error + ".");
  CheckPictureSize(info.width, info.height);
  TFloatPicture picture = TFloatPicture::Uninitialised(info.width, info.height, DepthOf(info));
  if (picture.Empty()) return picture;
  if (reader.codec.read_rgb(reader.handle, picture.Samples(), error, sizeof error) == 0) {
    throw EZelvoError(cannot + error + ".");
  }
  if (picture.Depth() == TPictureDepth::pd10) {
    // The library gives 10-bit codes as 16 bits, the code's bits repeated:
    // the top ten are the code, which becomes code / 1023 as everywhere.
    float* v = picture.Samples();
    for (std::size_t i = 0; i < picture.SampleCount(); ++i) {
      const std::uint32_t code = QuantizeSample(v[i], 65535.0) >> 6;
      v[i] = static_cast<float>(code / 1023.0);
    }
  }
  return picture;
}

// The samples of a file being written, as the module takes them.
struct TSampleBuffer {
  int data_type = kZelvoFloat;
  int file_type = kZelvoFloat;
  int bits = 0;
  std::vector<unsigned char> bytes;
};

// Integer codes of `largest` + 1 steps into `bytes`; with `as_16_bits`, 10-bit
// codes go to the module as 16 bits, the code's bits repeated, which the
// library's conversion to 10 bits gives back exactly.
template <typename T>
void FillCodes(std::vector<unsigned char>& bytes, int width, int height, double largest, bool as_16_bits,
               const TPictureRowSource& rows) {
  const std::size_t row_samples = static_cast<std::size_t>(width) * 3;
  bytes.resize(row_samples * static_cast<std::size_t>(height) * sizeof(T));
  std::vector<double> row(row_samples);
  T* out = reinterpret_cast<T*>(bytes.data());
  for (int y = 0; y < height; ++y) {
    rows(y, row.data());
    for (std::size_t i = 0; i < row_samples; ++i, ++out) {
      const std::uint32_t code = QuantizeSample(row[i], largest);
      *out = static_cast<T>(as_16_bits ? (code << 6) | (code >> 4) : code);
    }
  }
}

TSampleBuffer Samples(int width, int height, TPictureDepth depth, const TPictureRowSource& rows) {
  TSampleBuffer s;
  switch (depth) {
    case TPictureDepth::pd8:
      s.data_type = s.file_type = kZelvoU8;
      FillCodes<std::uint8_t>(s.bytes, width, height, 255.0, false, rows);
      break;
    case TPictureDepth::pd10:
      s.data_type = s.file_type = kZelvoU16;
      s.bits = 10;
      FillCodes<std::uint16_t>(s.bytes, width, height, 1023.0, true, rows);
      break;
    case TPictureDepth::pd16:
      s.data_type = s.file_type = kZelvoU16;
      FillCodes<std::uint16_t>(s.bytes, width, height, 65535.0, false, rows);
      break;
    case TPictureDepth::pdHalf:
    case TPictureDepth::pdFloat: {
      s.data_type = kZelvoFloat;
      s.file_type = depth == TPictureDepth::pdHalf ? kZelvoHalf : kZelvoFloat;
      const std::size_t row_samples = static_cast<std::size_t>(width) * 3;
      s.bytes.resize(row_samples * static_cast<std::size_t>(height) * sizeof(float));
      std::vector<double> row(row_samples);
      float* out = reinterpret_cast<float*>(s.bytes.data());
      for (int y = 0; y < height; ++y) {
        rows(y, row.data());
        for (std::size_t i = 0; i < row_samples; ++i) *out++ = static_cast<float>(row[i]);
      }
      break;
    }
  }
  return s;
}

extern "C" void AppendBytes(void* context, const void* data, std::size_t size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
}

std::string WriteWithModule(TPictureFileType type, int width, int height, int data_type, const void* data,
                            int file_type, int bits) {
  const ZelvoPictureCodec& codec = PictureCodec();
  std::string bytes;
  char error[1024] = "";
  if (codec.write(ModuleFormat(type), width, height, data_type, data, file_type, bits, AppendBytes, &bytes, error,
                  sizeof error) == 0) {
    throw EZelvoError(std::string("The ") + PictureFileTypeName(type) + " picture cannot be written: " + error + ".");
  }
  return bytes;
}

}  // namespace

const char* const kPictureOutputTypes =
    "Pictures are written as JPEG (.jpg, .jpeg), Windows bitmaps (.bmp), PNG (.png), TIFF (.tif, .tiff), "
    "OpenEXR (.exr) or DPX (.dpx).";

const char* PictureFileTypeName(TPictureFileType type) {
  switch (type) {
    case TPictureFileType::Jpeg: return "JPEG";
    case TPictureFileType::Bmp: return "Windows bitmap";
    case TPictureFileType::Png: return "PNG";
    case TPictureFileType::Tiff: return "TIFF";
    case TPictureFileType::Exr: return "OpenEXR";
    case TPictureFileType::Dpx: return "DPX";
    case TPictureFileType::Unknown: break;
  }
  return "unknown";
}

TPictureFileType PictureFileTypeOf(std::string_view bytes) {
  if (LooksLikeJpeg(bytes)) return TPictureFileType::Jpeg;
  if (LooksLikeBmp(bytes)) return TPictureFileType::Bmp;
  if (StartsWith(bytes, "\x89PNG\r\n\x1A\n")) return TPictureFileType::Png;
  // Classic and big TIFF, either byte order.
  if (StartsWith(bytes, std::string_view("II*\0", 4)) || StartsWith(bytes, std::string_view("MM\0*", 4)) ||
      StartsWith(bytes, std::string_view("II+\0", 4)) || StartsWith(bytes, std::string_view("MM\0+", 4))) {
    return TPictureFileType::Tiff;
  }
  if (StartsWith(bytes, "\x76\x2F\x31\x01")) return TPictureFileType::Exr;
  if (StartsWith(bytes, "SDPX") || StartsWith(bytes, "XPDS")) return TPictureFileType::Dpx;
  return TPictureFileType::Unknown;
}

TPictureFileType PictureFileTypeOfFile(const std::string& file_name) {
  try {
    return PictureFileTypeOf(ReadFileHead(file_name, 16));
  } catch (const EZelvoError&) {
    return TPictureFileType::Unknown;
  }
}

TPictureFileType PictureFileTypeForName(const std::string& file_name) {
  switch (PictureTypeForName(file_name)) {
    case TPictureType::Jpeg: return TPictureFileType::Jpeg;
    case TPictureType::Bmp: return TPictureFileType::Bmp;
    case TPictureType::Unknown: break;
  }
  const std::string ext = UpperCase(std::filesystem::path(file_name).extension().string());
  if (ext == ".PNG") return TPictureFileType::Png;
  if (ext == ".TIF" || ext == ".TIFF") return TPictureFileType::Tiff;
  if (ext == ".EXR") return TPictureFileType::Exr;
  if (ext == ".DPX") return TPictureFileType::Dpx;
  return TPictureFileType::Unknown;
}

bool TypeHoldsDepth(TPictureFileType type, TPictureDepth depth) {
  using D = TPictureDepth;
  switch (type) {
    case TPictureFileType::Jpeg:
    case TPictureFileType::Bmp: return depth == D::pd8;
    case TPictureFileType::Png: return depth == D::pd8 || depth == D::pd16;
    case TPictureFileType::Tiff: return depth == D::pd8 || depth == D::pd16 || depth == D::pdFloat;
    case TPictureFileType::Exr: return depth == D::pdHalf || depth == D::pdFloat;
    case TPictureFileType::Dpx: return depth == D::pd8 || depth == D::pd10 || depth == D::pd16;
    case TPictureFileType::Unknown: break;
  }
  return false;
}

TPictureDepth OutputDepthFor(TPictureFileType type, TPictureDepth own) {
  using D = TPictureDepth;
  if (TypeHoldsDepth(type, own)) return own;
  const bool is_float = !IsIntegerDepth(own);
  if (is_float && TypeHoldsDepth(type, D::pdFloat)) return D::pdFloat;
  if (!is_float) {
    for (const D larger : {D::pd10, D::pd16}) {
      if (DepthBits(larger) > DepthBits(own) && TypeHoldsDepth(type, larger)) return larger;
    }
  }
  switch (type) {
    case TPictureFileType::Exr: return D::pdFloat;
    case TPictureFileType::Dpx: return is_float ? D::pd16 : D::pd10;
    case TPictureFileType::Png:
    case TPictureFileType::Tiff: return D::pd16;
    default: return D::pd8;
  }
}

TFloatPicture DecodeFloatPicture(std::string_view bytes) {
  const TPictureFileType type = PictureFileTypeOf(bytes);
  switch (type) {
    case TPictureFileType::Jpeg:
    case TPictureFileType::Bmp: return FloatPictureOf(LoadPictureFromMemory(bytes));
    case TPictureFileType::Png:
    case TPictureFileType::Tiff:
    case TPictureFileType::Exr:
    case TPictureFileType::Dpx: return DecodeWithModule(bytes, type);
    case TPictureFileType::Unknown: break;
  }
  throw EZelvoError("The file is not a picture of a known type (JPEG, Windows bitmap, PNG, TIFF, OpenEXR or DPX).");
}

TFloatPicture LoadFloatPicture(const std::string& file_name) {
  const TByteBuffer bytes = ReadBinaryFile(file_name, kMaxFloatPictureFileBytes,
                                           "The file \"" + file_name + "\" is too large to be a picture.");
  return DecodeFloatPicture(std::string_view(bytes.data(), bytes.size()));
}

std::string EncodePictureRows(int width, int height, TPictureFileType type, TPictureDepth depth,
                              const TPictureRowSource& rows) {
  if (type == TPictureFileType::Unknown) throw EZelvoError(kPictureOutputTypes);
  if (!TypeHoldsDepth(type, depth)) {
    throw EZelvoError(std::string(PictureFileTypeName(type)) + " pictures cannot be written at " + DepthName(depth) +
                      ".");
  }
  CheckPictureSize(width, height);
  if (width == 0 || height == 0) {
    throw EZelvoError(std::string("A picture without pixels cannot be written as a ") + PictureFileTypeName(type) +
                      " file.");
  }
  if (type == TPictureFileType::Jpeg || type == TPictureFileType::Bmp) {
    TBitmap24 bitmap = TBitmap24::Uninitialised(width, height);
    std::vector<double> row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
      rows(y, row.data());
      std::uint8_t* q = bitmap.Row(y);
      for (std::size_t i = 0; i < row.size(); i += 3, q += 3) {
        q[0] = static_cast<std::uint8_t>(QuantizeSample(row[i + 2], 255.0));
        q[1] = static_cast<std::uint8_t>(QuantizeSample(row[i + 1], 255.0));
        q[2] = static_cast<std::uint8_t>(QuantizeSample(row[i], 255.0));
      }
    }
    return EncodePicture(bitmap, type == TPictureFileType::Jpeg ? TPictureType::Jpeg : TPictureType::Bmp);
  }
  const TSampleBuffer samples = Samples(width, height, depth, rows);
  return WriteWithModule(type, width, height, samples.data_type, samples.bytes.data(), samples.file_type, samples.bits);
}

std::string EncodeFloatPicture(const TFloatPicture& picture, TPictureFileType type, TPictureDepth depth) {
  if (ModuleFormat(type) != nullptr && !IsIntegerDepth(depth) && TypeHoldsDepth(type, depth) && !picture.Empty()) {
    // Floats go to the module as they are, without a copy.
    return WriteWithModule(type, picture.Width(), picture.Height(), kZelvoFloat, picture.Samples(),
                           depth == TPictureDepth::pdHalf ? kZelvoHalf : kZelvoFloat, 0);
  }
  return EncodePictureRows(picture.Width(), picture.Height(), type, depth, [&picture](int y, double* rgb) {
    const float* row = picture.Row(y);
    for (std::size_t i = 0; i < static_cast<std::size_t>(picture.Width()) * 3; ++i) rgb[i] = row[i];
  });
}

void SaveFloatPicture(const std::string& file_name, const TFloatPicture& picture, TPictureDepth depth,
                      TReplace replace) {
  WriteFileAtomically(file_name, EncodeFloatPicture(picture, PictureFileTypeForName(file_name), depth), replace);
}

}  // namespace zelvo
