// What passes between the core and the picture module, the shared object that
// reads and writes PNG, TIFF, OpenEXR and DPX files through OpenImageIO.
//
// The module is loaded when the first such picture is met, not at start: the
// library brings some 260 others whose loading takes a quarter of a second and
// 130 MB, which every start of the command line would otherwise pay. Plain C
// types only cross, and no exception: the command line carries its own copy of
// the C++ runtime, the module uses the system's.
#pragma once

#include <stddef.h>

extern "C" {

// The type of the samples in memory and in the file.
enum ZelvoSampleType { kZelvoU8 = 0, kZelvoU16 = 1, kZelvoHalf = 2, kZelvoFloat = 3, kZelvoOtherType = 4 };

struct ZelvoPictureInfo {
  int width;
  int height;
  int channels;
  int sample_type;      // ZelvoSampleType of the file's samples
  int bits_per_sample;  // 10 or 12 for such DPX and TIFF files, else the type's size
};

struct ZelvoPictureCodec {
  int version;  // kZelvoPictureCodecVersion
  // Opens the picture in `bytes`, a file of `format` ("png", "tiff", "openexr",
  // "dpx"); a handle, or null with the reason in `error`.
  void* (*open)(const char* format, const void* bytes, size_t size, ZelvoPictureInfo* info, char* error,
                size_t error_size);
  // The picture's first three channels (its first one, repeated, for a grey
  // picture) as floats into `rgb`: 3 a pixel, rows from the top. Integer
  // samples give code / (2^bits - 1), float ones their value. Nonzero on success.
  int (*read_rgb)(void* handle, float* rgb, char* error, size_t error_size);
  void (*close)(void* handle);
  // Writes width x height pixels of 3 samples of `data_type` as a file of
  // `format` whose samples are `file_type` (floats may be written as half),
  // `bits` bits each for a 10-bit DPX (else 0). The file's bytes go to `sink`.
  // Nonzero on success.
  int (*write)(const char* format, int width, int height, int data_type, const void* pixels, int file_type, int bits,
               void (*sink)(void* context, const void* data, size_t size), void* context, char* error,
               size_t error_size);
};

inline constexpr int kZelvoPictureCodecVersion = 1;

// The one symbol the module exports.
const ZelvoPictureCodec* zelvo_picture_codec(void);
typedef const ZelvoPictureCodec* (*ZelvoPictureCodecEntry)(void);
}
