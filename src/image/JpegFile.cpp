#include "image/JpegFile.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

// jpeglib.h needs FILE and size_t before it.
#include <jerror.h>
#include <jpeglib.h>

#include "base/Errors.h"
#include "image/ExifOrientation.h"

namespace zelvo {

namespace {

// libjpeg reports failures through a callback that must not return; it jumps
// back to the setjmp of the function that made the library call. Only library
// frames lie between the two, so no C++ object is skipped.
struct TJpegErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr info) {
  auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

// Warnings about damaged data would otherwise give a picture that is part
// grey; they end the decode. Only warnings that leave the pixels whole pass.
extern "C" void JpegEmitMessage(j_common_ptr info, int level) {
  if (level >= 0) return;  // trace messages
  switch (info->err->msg_code) {
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_ADOBE_XFORM:
    case JWRN_BOGUS_ICC:
    case JWRN_JFIF_MAJOR:
      return;
    default:
      JpegErrorExit(info);
  }
}

void InstallErrors(TJpegErrors& errors, jpeg_error_mgr*& slot) {
  slot = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = JpegErrorExit;
  errors.pub.emit_message = JpegEmitMessage;
  errors.message[0] = '\0';
}

struct TJpegDecoder {
  jpeg_decompress_struct info{};
  TJpegErrors errors{};
  bool created = false;
  TJpegDecoder() { InstallErrors(errors, info.err); }
  ~TJpegDecoder() {
    if (created) jpeg_destroy_decompress(&info);
  }
  TJpegDecoder(const TJpegDecoder&) = delete;
  TJpegDecoder& operator=(const TJpegDecoder&) = delete;
};

[[noreturn]] void RaiseDamaged(const TJpegErrors& errors) {
  throw EZelvoError(std::string("The JPEG picture cannot be read: ") + errors.message + ".");
}

bool ReadHeader(TJpegDecoder& d, const unsigned char* data, std::size_t size) {
  if (setjmp(d.errors.jump)) return false;
  jpeg_create_decompress(&d.info);
  d.created = true;
  jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
  // The EXIF block rides in an APP1 marker; libjpeg skips markers unless told.
  jpeg_save_markers(&d.info, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&d.info, TRUE);
  return true;
}

// The orientation of the first EXIF block among the saved markers (an APP1
// marker may also hold other metadata); 1 without one.
int StoredOrientation(const jpeg_decompress_struct& info) {
  for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next) {
    const std::string_view payload(reinterpret_cast<const char*>(marker->data), marker->data_length);
    if (marker->marker == JPEG_APP0 + 1 && payload.starts_with(std::string_view("Exif\0\0", 6))) {
      return ExifOrientation(payload);
    }
  }
  return 1;
}

bool ReadPixels(TJpegDecoder& d, TBitmap24& bitmap, const TJpegRowsDone& rows_done) {
  if (setjmp(d.errors.jump)) return false;
  jpeg_start_decompress(&d.info);
  // Reported in bands: often enough for a reader on another thread to keep
  // up, seldom enough to cost nothing.
  constexpr JDIMENSION kBand = 16;
  while (d.info.output_scanline < d.info.output_height) {
    JSAMPROW row = bitmap.Row(static_cast<int>(d.info.output_scanline));
    if (jpeg_read_scanlines(&d.info, &row, 1) != 1) {
      std::strcpy(d.errors.message, "Premature end of JPEG file");
      return false;
    }
    if (rows_done && (d.info.output_scanline % kBand == 0 || d.info.output_scanline == d.info.output_height)) {
      rows_done(static_cast<int>(d.info.output_scanline));
    }
  }
  jpeg_finish_decompress(&d.info);
  return true;
}

}  // namespace

bool LooksLikeJpeg(std::string_view bytes) { return bytes.size() >= 3 && bytes.substr(0, 3) == "\xFF\xD8\xFF"; }

TBitmap24 DecodeJpeg(std::string_view bytes) {
  TBitmap24 picture;
  int orientation = 1;
  DecodeJpeg(bytes, picture, nullptr, &orientation);
  return orientation == 1 ? std::move(picture) : UprightBitmap(picture, orientation);
}

void DecodeJpeg(std::string_view bytes, TBitmap24& bitmap, const TJpegRowsDone& rows_done, int* orientation) {
  TJpegDecoder d;
  if (!ReadHeader(d, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())) RaiseDamaged(d.errors);
  if (d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK) {
    throw EZelvoError("CMYK JPEG pictures are not supported; only grey and colour (RGB) pictures are.");
  }
  CheckPictureSize(d.info.image_width, d.info.image_height);
  // libjpeg-turbo writes blue, green, red directly, also for grey pictures.
  d.info.out_color_space = JCS_EXT_BGR;
  d.info.scale_num = 1;
  d.info.scale_denom = 1;
  bitmap = TBitmap24::Uninitialised(static_cast<int>(d.info.image_width), static_cast<int>(d.info.image_height));
  // Before the pixels: finishing the decode frees the saved markers.
  if (orientation != nullptr) *orientation = StoredOrientation(d.info);
  if (!ReadPixels(d, bitmap, rows_done)) RaiseDamaged(d.errors);
}

namespace {

struct TJpegEncoder {
  jpeg_compress_struct info{};
  TJpegErrors errors{};
  unsigned char* out = nullptr;
  unsigned long size = 0;
  bool created = false;
  TJpegEncoder() { InstallErrors(errors, info.err); }
  ~TJpegEncoder() {
    if (created) jpeg_destroy_compress(&info);
    std::free(out);
  }
  TJpegEncoder(const TJpegEncoder&) = delete;
  TJpegEncoder& operator=(const TJpegEncoder&) = delete;
};

bool WritePixels(TJpegEncoder& e, const TBitmap24& bitmap, int quality, const TJpegRowWait& wait_for_rows) {
  if (setjmp(e.errors.jump)) return false;
  jpeg_create_compress(&e.info);
  e.created = true;
  jpeg_mem_dest(&e.info, &e.out, &e.size);
  e.info.image_width = static_cast<JDIMENSION>(bitmap.Width());
  e.info.image_height = static_cast<JDIMENSION>(bitmap.Height());
  e.info.input_components = 3;
  e.info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&e.info);
  jpeg_set_quality(&e.info, quality, TRUE);
  jpeg_start_compress(&e.info, TRUE);
  while (e.info.next_scanline < e.info.image_height) {
    if (wait_for_rows) wait_for_rows(static_cast<int>(e.info.next_scanline) + 1);
    // libjpeg takes rows as non-const pointers but only reads them.
    JSAMPROW row = const_cast<JSAMPROW>(bitmap.Row(static_cast<int>(e.info.next_scanline)));
    jpeg_write_scanlines(&e.info, &row, 1);
  }
  jpeg_finish_compress(&e.info);
  return true;
}

}  // namespace

std::string EncodeJpeg(const TBitmap24& bitmap, int quality) { return EncodeJpeg(bitmap, quality, nullptr); }

std::string EncodeJpeg(const TBitmap24& bitmap, int quality, const TJpegRowWait& wait_for_rows) {
  if (bitmap.Empty()) throw EZelvoError("A picture without pixels cannot be written as a JPEG file.");
  if (quality < 1 || quality > 100) throw EZelvoError("A JPEG quality of " + std::to_string(quality) + " is not supported (1 to 100).");
  TJpegEncoder e;
  if (!WritePixels(e, bitmap, quality, wait_for_rows)) {
    throw EZelvoError(std::string("The JPEG picture cannot be written: ") + e.errors.message + ".");
  }
  return std::string(reinterpret_cast<const char*>(e.out), e.size);
}

}  // namespace zelvo
