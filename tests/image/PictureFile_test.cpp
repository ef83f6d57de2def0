#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <jpeglib.h>

#include "TestLUTs.h"
#include "image/BmpFile.h"
#include "image/ExifOrientation.h"
#include "image/JpegFile.h"
#include "image/PictureFile.h"
#include "image/Preview.h"
#include "base/Errors.h"

namespace zelvo {
namespace {

// A smooth picture, so that JPEG keeps it closely.
TBitmap24 Gradient(int w, int h) {
  TBitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = b.At(x, y);
      p[0] = static_cast<std::uint8_t>(255 * x / (w - 1));
      p[1] = static_cast<std::uint8_t>(255 * y / (h - 1));
      p[2] = static_cast<std::uint8_t>(128 + 100 * x * y / ((w - 1) * (h - 1)) - 50);
    }
  return b;
}

// A JPEG file made by libjpeg-turbo itself: colour or grey, baseline or
// progressive, with APP1 markers of the payloads given.
std::string MakeJpeg(const TBitmap24& picture, bool grey, bool progressive, const std::vector<std::string>& app1 = {}) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = static_cast<JDIMENSION>(picture.Width());
  info.image_height = static_cast<JDIMENSION>(picture.Height());
  info.input_components = grey ? 1 : 3;
  info.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 98, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  for (const std::string& payload : app1) {
    jpeg_write_marker(&info, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(payload.data()),
                      static_cast<unsigned>(payload.size()));
  }
  std::vector<std::uint8_t> row(picture.RowBytes());
  while (info.next_scanline < info.image_height) {
    const std::uint8_t* src = picture.Row(static_cast<int>(info.next_scanline));
    if (grey) {
      for (int x = 0; x < picture.Width(); ++x) row[static_cast<std::size_t>(x)] = src[3 * x + 1];
    } else {
      std::memcpy(row.data(), src, row.size());
    }
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&info, &p, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string bytes(reinterpret_cast<const char*>(out), size);
  std::free(out);
  return bytes;
}

int MaxDifference(const TBitmap24& a, const TBitmap24& b, bool green_only = false) {
  int most = 0;
  for (std::size_t i = 0; i < a.ByteCount(); ++i) {
    if (green_only && i % 3 != 1) continue;
    most = std::max(most, std::abs(a.Pixels()[i] - b.Pixels()[i]));
  }
  return most;
}

TEST(PictureFile, JpegPicturesOfEveryKind) {
  const TBitmap24 source = Gradient(61, 37);
  struct Case {
    bool grey, progressive;
  };
  for (const Case c : {Case{false, false}, Case{false, true}, Case{true, false}, Case{true, true}}) {
    const TBitmap24 read = LoadPictureFromMemory(MakeJpeg(source, c.grey, c.progressive));
    ASSERT_EQ(read.Width(), 61);
    ASSERT_EQ(read.Height(), 37);
    EXPECT_LE(MaxDifference(read, source, c.grey), 8) << c.grey << c.progressive;
    if (c.grey) {
      for (std::size_t i = 0; i < read.ByteCount(); i += 3) {
        ASSERT_EQ(read.Pixels()[i], read.Pixels()[i + 1]);
        ASSERT_EQ(read.Pixels()[i + 2], read.Pixels()[i + 1]);
      }
    }
  }
}

TEST(PictureFile, DamagedJpegFilesAreErrors) {
  const std::string good = MakeJpeg(Gradient(64, 48), false, true);
  const std::string baseline = MakeJpeg(Gradient(64, 48), false, false);
  const std::string cases[] = {
      good.substr(0, good.size() / 2),
      baseline.substr(0, baseline.size() - 100),
      good.substr(0, 3),
      std::string("\xFF\xD8\xFF\xE0garbage"),
  };
  for (const std::string& bytes : cases) {
    const std::string error = test::ErrorOf([&] { LoadPictureFromMemory(bytes); });
    EXPECT_NE(error.find("The JPEG picture cannot be read"), std::string::npos) << bytes.size() << ": " << error;
  }
  // A size beyond the limits is refused from the header.
  std::string huge = baseline;
  const std::size_t sof = huge.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  huge[sof + 7] = static_cast<char>(0xEA);  // width 60000 (0xEA60)
  huge[sof + 8] = static_cast<char>(0x60);
  EXPECT_NE(test::ErrorOf([&] { LoadPictureFromMemory(huge); }).find("30000 pixels a side"), std::string::npos);
  // Whatever a damaged file holds, the outcome is a picture or our error.
  for (const std::string& copy : test::MutatedCopies({good, baseline}, {"\xFF\xD9", "\xFF\xC4", "\xFF\xDA"}, 60, 7)) {
    try {
      const TBitmap24 read = LoadPictureFromMemory(copy);
      EXPECT_EQ(read.ByteCount(), read.RowBytes() * static_cast<std::size_t>(read.Height()));
    } catch (const EZelvoError&) {
    }
  }
}

// Six blocks of 16 x 16 pixels, one JPEG block of colour each so that the
// colours survive compression: red, green, blue over cyan, magenta, yellow.
constexpr char kStoredBlocks[] = "RGB/CMY";

TBitmap24 Blocks(std::string_view layout) {
  const int columns = static_cast<int>(layout.find('/'));
  const int rows = static_cast<int>(layout.size() + 1) / (columns + 1);
  TBitmap24 b(16 * columns, 16 * rows);
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const char c = layout[static_cast<std::size_t>(y / 16 * (columns + 1) + x / 16)];
      std::uint8_t* p = b.At(x, y);
      p[0] = (c == 'B' || c == 'C' || c == 'M') ? 255 : 0;
      p[1] = (c == 'G' || c == 'C' || c == 'Y') ? 255 : 0;
      p[2] = (c == 'R' || c == 'M' || c == 'Y') ? 255 : 0;
    }
  return b;
}

// Each block's centre within a JPEG's tolerance of the layout's colour.
bool ShowsBlocks(const TBitmap24& picture, std::string_view layout) {
  const TBitmap24 want = Blocks(layout);
  if (picture.Width() != want.Width() || picture.Height() != want.Height()) return false;
  for (int y = 8; y < want.Height(); y += 16)
    for (int x = 8; x < want.Width(); x += 16)
      for (int c = 0; c < 3; ++c)
        if (std::abs(picture.At(x, y)[c] - want.At(x, y)[c]) > 24) return false;
  return true;
}

TEST(PictureFile, JpegPicturesShowUprightAsTheirExifSays) {
  // What the stored blocks look like turned upright, by orientation 1..8.
  constexpr const char* kUpright[] = {"RGB/CMY", "BGR/YMC", "YMC/BGR", "CMY/RGB",
                                      "RC/GM/BY", "CR/MG/YB", "YB/MG/CR", "BY/GM/RC"};
  const TBitmap24 stored = Blocks(kStoredBlocks);
  for (int orientation = 1; orientation <= 8; ++orientation) {
    for (const bool big_endian : {false, true}) {
      const std::string jpeg = MakeJpeg(stored, false, orientation % 2 == 0, {test::ExifBlock(orientation, big_endian)});
      EXPECT_TRUE(ShowsBlocks(LoadPictureFromMemory(jpeg), kUpright[orientation - 1])) << orientation << big_endian;
    }
  }
  // Another APP1 block (XMP) before the EXIF one is passed by; the preview
  // fits the turned picture.
  const std::string xmp("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 41);
  const std::string turned = MakeJpeg(stored, false, false, {xmp, test::ExifBlock(6)});
  EXPECT_TRUE(ShowsBlocks(LoadPictureFromMemory(turned), "CR/MG/YB"));
  test::TempDir dir;
  const TBitmap24 fitted = LoadPreviewPicture(dir.Write("turned.jpg", turned));
  EXPECT_EQ(fitted.Width(), 32);
  EXPECT_EQ(fitted.Height(), 48);
}

TEST(PictureFile, DamagedExifBlocksShowThePictureAsStored) {
  const std::string good = test::ExifBlock(6);
  ASSERT_EQ(ExifOrientation(good), 6);
  ASSERT_EQ(ExifOrientation(test::ExifBlock(8, true)), 8);
  // Cut anywhere before the end of the orientation's value (header 6, TIFF
  // header 8, count 2, the make's entry 12, then 10 bytes of the orientation's).
  for (std::size_t n = 0; n < good.size(); ++n) {
    EXPECT_EQ(ExifOrientation(good.substr(0, n)), n < 38 ? 1 : 6) << n;
  }
  // The block's bytes: byte order at 6, 42 at 8, the directory's offset at
  // 10, its count at 14, the make's entry at 16, the orientation's at 28
  // (type at 30, count at 32, value at 36), the next directory at 40.
  using Patch = std::pair<std::size_t, std::string_view>;
  const auto patched = [&good](std::initializer_list<Patch> patches) {
    std::string block = good;
    for (const auto& [at, bytes] : patches) block.replace(at, bytes.size(), bytes);
    return block;
  };
  using namespace std::literals;
  const std::string damaged[] = {
      patched({{0, "Exig"sv}}),                              // not an EXIF block
      patched({{6, "IM"sv}}),                                // no byte order
      patched({{8, "\x2B"sv}}),                              // not TIFF's 42
      patched({{10, "\xF0\xFF\xFF\xFF"sv}}),                 // the directory past the end
      patched({{10, "\x1A\0\0\0"sv}}),                      // a directory whose entry runs past the end
      patched({{14, "\xFF\xFF"sv}, {28, "\x01\x01"sv}}),     // more entries than there are, no orientation
      patched({{28, "\x01\x01"sv}, {40, "\x08\0\0\0"sv}}),   // no orientation, itself as the next directory
      patched({{30, "\4"sv}}),                               // the orientation as a long
      patched({{32, "\0\0\0\0"sv}}),                        // a count of 0
      patched({{36, "\x09"sv}}),                             // a value beyond 8
      patched({{36, "\0"sv}}),                               // a value of 0
  };
  for (std::size_t i = 0; i < std::size(damaged); ++i) EXPECT_EQ(ExifOrientation(damaged[i]), 1) << i;
  // In a file, a damaged block leaves the picture as stored.
  const std::string file = MakeJpeg(Blocks(kStoredBlocks), false, false, {damaged[3]});
  EXPECT_TRUE(ShowsBlocks(LoadPictureFromMemory(file), kStoredBlocks));
}

std::string Le16(unsigned v) { return {static_cast<char>(v & 255), static_cast<char>(v >> 8 & 255)}; }
std::string Le32(unsigned v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// A Windows bitmap written by hand: file header, 40-byte header, extras
// (palette or masks), then the rows as given.
std::string Bmp(int w, int h, int bits, unsigned compression, const std::string& extras, const std::string& rows,
                unsigned colours = 0) {
  const unsigned offset = 14 + 40 + static_cast<unsigned>(extras.size());
  return "BM" + Le32(offset + static_cast<unsigned>(rows.size())) + Le32(0) + Le32(offset) + Le32(40) +
         Le32(static_cast<unsigned>(w)) + Le32(static_cast<unsigned>(h)) + Le16(1) + Le16(static_cast<unsigned>(bits)) +
         Le32(compression) + Le32(static_cast<unsigned>(rows.size())) + Le32(2835) + Le32(2835) + Le32(colours) + Le32(0) +
         extras + rows;
}

std::string Pixels(const TBitmap24& b) { return std::string(reinterpret_cast<const char*>(b.Pixels()), b.ByteCount()); }

TEST(PictureFile, WindowsBitmapsOfEveryDepth) {
  using std::string;
  // 3 x 2, bottom row first, rows padded to 4 bytes; the picture reads top down.
  const string rgb24 = Bmp(3, 2, 24, 0, "", string("\1\2\3\4\5\6\7\10\11\0\0\0", 12) + string("\12\13\14\15\16\17\20\21\22\0\0\0", 12));
  EXPECT_EQ(Pixels(LoadPictureFromMemory(rgb24)), string("\12\13\14\15\16\17\20\21\22\1\2\3\4\5\6\7\10\11", 18));
  // 32 bits, top down (negative height), the fourth byte ignored.
  const string rgb32 = Bmp(2, -1, 32, 0, "", string("\1\2\3\xFF\4\5\6\xFF", 8));
  EXPECT_EQ(Pixels(LoadPictureFromMemory(rgb32)), string("\1\2\3\4\5\6", 6));
  // 8-bit palette: index 1 is (blue 10, green 20, red 30); an index beyond the palette is black.
  const string pal8 = Bmp(3, 1, 8, 0, string("\0\0\0\0\12\24\36\0", 8), string("\1\0\7\0", 4), 2);
  EXPECT_EQ(Pixels(LoadPictureFromMemory(pal8)), string("\12\24\36\0\0\0\0\0\0", 9));
  // 4-bit palette, two pixels a byte, high nibble first.
  const string pal4 = Bmp(3, 1, 4, 0, string("\0\0\0\0\xFF\xFF\xFF\0", 8), string("\x10\x10\0\0", 4), 2);
  EXPECT_EQ(Pixels(LoadPictureFromMemory(pal4)), string("\xFF\xFF\xFF\0\0\0\xFF\xFF\xFF", 9));
  // 16 bits with 5-6-5 masks: full red, full green.
  const string bits565 = Bmp(2, 1, 16, 3, Le32(0xF800) + Le32(0x07E0) + Le32(0x001F), string("\0\xF8\xE0\x07", 4));
  EXPECT_EQ(Pixels(LoadPictureFromMemory(bits565)), string("\0\0\xFF\0\xFF\0", 6));
  // Channel codes between 0 and full scale are brought to 8 bits rounded, not
  // cut: red and blue 3 of 31 give 24.7, so 25; green 11 of 63 gives 44.5, so 45.
  const string mid565 = Bmp(1, 1, 16, 3, Le32(0xF800) + Le32(0x07E0) + Le32(0x001F), string("\x63\x19\0\0", 4));
  EXPECT_EQ(Pixels(LoadPictureFromMemory(mid565)), string("\x19\x2D\x19", 3));
  // Our writer reads back.
  const TBitmap24 g = Gradient(5, 3);
  EXPECT_EQ(Pixels(DecodeBmp(EncodeBmp(g))), Pixels(g));
}

TEST(PictureFile, BitmapsWithLyingHeadersAreErrors) {
  using std::string;
  const string rows(16, '\7');
  struct Case {
    string bytes, message;
  };
  const Case cases[] = {
      {Bmp(3, 2, 24, 0, "", rows.substr(0, 12)), "incomplete"},      // 2 rows of 12 bytes stated, 1 given
      {Bmp(300000, 2, 24, 0, "", rows), "30000 pixels a side"},      // refused before any allocation
      {Bmp(20000, 20000, 24, 0, "", rows), "100 megapixels"},
      {Bmp(3, 2, 8, 1, "", rows), "compressed"},
      {Bmp(3, 2, 12, 0, "", rows), "12 bits per pixel"},
      {Bmp(0, 2, 24, 0, "", rows), "0 x 2"},
      {Bmp(2, 2, 8, 0, string(8, '\0'), rows), "incomplete"},        // a 256-entry palette cut short
      {string("BM\0\0", 4), "incomplete"},
      {"GIF89a", "not a picture of a known type"},
  };
  for (const Case& c : cases) {
    EXPECT_NE(test::ErrorOf([&] { LoadPictureFromMemory(c.bytes); }).find(c.message), std::string::npos) << c.message;
  }
  string header = Bmp(3, 2, 24, 0, "", rows);
  header[14] = 64;  // a header size nobody writes
  EXPECT_NE(test::ErrorOf([&] { LoadPictureFromMemory(header); }).find("header of 64 bytes"), std::string::npos);
}

TEST(PictureFile, FilesAndTheirTypes) {
  test::TempDir dir;
  EXPECT_EQ(PictureTypeForName("a.JPG"), TPictureType::Jpeg);
  EXPECT_EQ(PictureTypeForName("a.jpeg"), TPictureType::Jpeg);
  EXPECT_EQ(PictureTypeForName("a.bmp"), TPictureType::Bmp);
  EXPECT_EQ(PictureTypeForName("a.png"), TPictureType::Unknown);
  const TBitmap24 g = Gradient(9, 7);
  SavePicture(dir.File("g.bmp"), g);
  EXPECT_EQ(Pixels(LoadPicture(dir.File("g.bmp"))), Pixels(g));
  EXPECT_THROW(SavePicture(dir.File("g.png"), g), EZelvoError);
  EXPECT_FALSE(std::filesystem::exists(dir.File("g.png")));
  EXPECT_THROW(LoadPicture(dir.File("missing.jpg")), EOSError);
  EXPECT_THROW(LoadPicture(dir.path().string()), EOSError);  // a folder

  EXPECT_THROW(LoadPreviewPicture(dir.Write("bad.jpg", "not a picture")), EZelvoError);
  const TBitmap24 fitted = LoadPreviewPicture(dir.Write("big.bmp", EncodeBmp(TBitmap24(420, 300))));
  EXPECT_EQ(fitted.Width(), 210);
  EXPECT_EQ(fitted.Height(), 150);
}

}  // namespace
}  // namespace zelvo
