// The picture module: PNG, TIFF, OpenEXR and DPX through OpenImageIO, behind
// the plain interface of image/PictureCodec.h. Every OpenImageIO call is made
// here, and no exception leaves.
#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "image/PictureCodec.h"

namespace {

using OIIO::ImageInput;
using OIIO::ImageOutput;
using OIIO::ImageSpec;
using OIIO::TypeDesc;

void SetError(char* error, std::size_t size, std::string text) {
  if (size == 0) return;
  // The libraries' messages may span lines; one line reads better after a colon.
  std::replace(text.begin(), text.end(), '\n', ' ');
  while (!text.empty() && (text.back() == ' ' || text.back() == '.')) text.pop_back();
  if (text.empty()) text = "unknown error";
  const std::size_t n = std::min(size - 1, text.size());
  std::memcpy(error, text.data(), n);
  error[n] = '\0';
}

// The error a failed call left on the object, else the library's own.
template <typename T>
std::string ErrorOf(T& object) {
  std::string text = object.geterror();
  if (text.empty()) text = OIIO::geterror();
  return text;
}

// Runs f, turning any exception into the error text; f's result, or 0.
template <typename R, typename F>
R Guarded(char* error, std::size_t error_size, R failed, F&& f) {
  try {
    return f();
  } catch (const std::exception& e) {
    SetError(error, error_size, e.what());
  } catch (...) {
    SetError(error, error_size, "unknown error");
  }
  return failed;
}

int SampleTypeOf(TypeDesc type) {
  switch (type.basetype) {
    case TypeDesc::UINT8:
    case TypeDesc::INT8: return kZelvoU8;
    case TypeDesc::UINT16:
    case TypeDesc::INT16: return kZelvoU16;
    case TypeDesc::HALF: return kZelvoHalf;
    case TypeDesc::FLOAT: return kZelvoFloat;
    default: return kZelvoOtherType;
  }
}

TypeDesc TypeOf(int sample_type) {
  switch (sample_type) {
    case kZelvoU8: return TypeDesc::UINT8;
    case kZelvoU16: return TypeDesc::UINT16;
    case kZelvoHalf: return TypeDesc::HALF;
    default: return TypeDesc::FLOAT;
  }
}

// The picture's bytes for the library's readers. The library's own memory
// reader (2.4) reads past the end of its buffer when a reader seeks beyond
// it, as a damaged file's offsets make it do; this one gives nothing there.
class TMemoryReader final : public OIIO::Filesystem::IOProxy {
 public:
  TMemoryReader(const void* data, std::size_t size)
      : IOProxy("", Read), data_(static_cast<const unsigned char*>(data)), size_(size) {}
  const char* proxytype() const override { return "zelvo memory"; }
  std::size_t read(void* buf, std::size_t size) override {
    size = pread(buf, size, m_pos);
    m_pos += static_cast<std::int64_t>(size);
    return size;
  }
  std::size_t pread(void* buf, std::size_t size, std::int64_t offset) override {
    if (offset < 0 || static_cast<std::uint64_t>(offset) >= size_) return 0;
    size = std::min(size, size_ - static_cast<std::size_t>(offset));
    std::memcpy(buf, data_ + offset, size);
    return size;
  }
  std::size_t size() const override { return size_; }

 private:
  const unsigned char* data_;
  std::size_t size_;
};

struct TReader {
  std::unique_ptr<TMemoryReader> proxy;
  std::unique_ptr<ImageInput> input;
};

void* Open(const char* format, const void* bytes, std::size_t size, ZelvoPictureInfo* info, char* error,
           std::size_t error_size) {
  return Guarded(error, error_size, static_cast<void*>(nullptr), [&]() -> void* {
    auto reader = std::make_unique<TReader>();
    reader->proxy = std::make_unique<TMemoryReader>(bytes, size);
    reader->input = ImageInput::create(format);
    if (!reader->input) {
      SetError(error, error_size, OIIO::geterror());
      return nullptr;
    }
    ImageSpec config;
    // The samples as the file stores them: a picture with alpha would
    // otherwise come premultiplied, and a LUT image's values with it.
    config.attribute("oiio:UnassociatedAlpha", 1);
    reader->input->set_ioproxy(reader->proxy.get());
    ImageSpec header;
    const std::string name = std::string("picture.") + format;
    if (!reader->input->open(name, header, config) || reader->input->has_error()) {
      SetError(error, error_size, ErrorOf(*reader->input));
      return nullptr;
    }
    if (header.deep || header.depth > 1) {
      SetError(error, error_size, "deep and volume pictures are not supported");
      return nullptr;
    }
    info->width = header.width;
    info->height = header.height;
    info->channels = header.nchannels;
    info->sample_type = SampleTypeOf(header.format);
    info->bits_per_sample = header.get_int_attribute("oiio:BitsPerSample", static_cast<int>(header.format.size() * 8));
    return reader.release();
  });
}

int ReadRGB(void* handle, float* rgb, char* error, std::size_t error_size) {
  return Guarded(error, error_size, 0, [&] {
    auto& reader = *static_cast<TReader*>(handle);
    const ImageSpec& header = reader.input->spec();
    if (header.nchannels < 1) {
      SetError(error, error_size, "the picture has no channels");
      return 0;
    }
    // A grey picture (with or without alpha) gives its first channel to all three.
    const int channels = header.nchannels >= 3 ? 3 : 1;
    const OIIO::stride_t pixel = 3 * sizeof(float);
    // Read in bands of rows, stopping at the first that fails: a small file
    // whose header states a large picture then fills only what it holds,
    // instead of having the library fill the whole picture and more.
    const int band = 256;
    for (int y = 0; y < header.height; y += band) {
      const int end = std::min(header.height, y + band);
      float* rows = rgb + static_cast<std::size_t>(y) * static_cast<std::size_t>(header.width) * 3;
      // A strip cut short can leave a read that reports success with an
      // error on the side, and zeros in the picture.
      const bool read = reader.input->read_scanlines(0, 0, header.y + y, header.y + end, header.z, 0, channels,
                                                     TypeDesc::FLOAT, rows, pixel);
      if (!read || reader.input->has_error()) {
        SetError(error, error_size, ErrorOf(*reader.input));
        return 0;
      }
    }
    if (channels == 1) {
      const std::size_t count = static_cast<std::size_t>(header.width) * static_cast<std::size_t>(header.height);
      for (std::size_t i = 0; i < count; ++i) rgb[3 * i + 1] = rgb[3 * i + 2] = rgb[3 * i];
    }
    return 1;
  });
}

void Close(void* handle) {
  auto* reader = static_cast<TReader*>(handle);
  if (reader == nullptr) return;
  try {
    if (reader->input) reader->input->close();
  } catch (...) {
  }
  delete reader;
}

int Write(const char* format, int width, int height, int data_type, const void* pixels, int file_type, int bits,
          void (*sink)(void*, const void*, std::size_t), void* context, char* error, std::size_t error_size) {
  return Guarded(error, error_size, 0, [&] {
    // Room for the samples as they are, which compressed files stay below:
    // the buffer then never moves while the file is written (untouched
    // memory costs nothing).
    std::vector<unsigned char> bytes;
    bytes.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3 * TypeOf(file_type).size() +
                  (1u << 16));
    OIIO::Filesystem::IOVecOutput proxy(bytes);
    std::unique_ptr<ImageOutput> output = ImageOutput::create(format);
    if (!output) {
      SetError(error, error_size, OIIO::geterror());
      return 0;
    }
    ImageSpec header(width, height, 3, TypeOf(file_type));
    if (bits > 0) header.attribute("oiio:BitsPerSample", bits);
    // Lossless, and for float frames twice as quick to write as the library's
    // default (zip) for a tenth more bytes.
    if (std::strcmp(format, "openexr") == 0) header.attribute("compression", "piz");
    output->set_ioproxy(&proxy);
    const std::string name = std::string("picture.") + format;
    // (The TIFF writer notes a failed Exif directory on a picture without
    // one and still writes it whole: the calls' results decide.)
    if (!output->open(name, header) || !output->write_image(TypeOf(data_type), pixels) || !output->close()) {
      SetError(error, error_size, ErrorOf(*output));
      return 0;
    }
    sink(context, bytes.data(), bytes.size());
    return 1;
  });
}

const ZelvoPictureCodec kCodec{kZelvoPictureCodecVersion, Open, ReadRGB, Close, Write};

}  // namespace

extern "C" __attribute__((visibility("default"))) const ZelvoPictureCodec* zelvo_picture_codec(void) {
  return &kCodec;
}
