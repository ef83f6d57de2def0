// The registry: every format, the order in which they are asked to recognise
// a file, the output profiles (registry/FormatRegistry.cpp), and the load,
// detection and save entry points that go through them.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/LUTSource.h"
#include "base/TextFile.h"
#include "formats/LUTFormat.h"
#include "lut/LUT.h"

namespace zelvo {

// The identities of the output profiles, in the order the dialogs list them.
enum class TOutputProfileId : int {
  ThreeDLScratch = 0,  // "3DL Scratch, Autodesk, Blackmagic, Cine-tal"
  ThreeDLFusion,
  Lustre3D,
  Clipster3D,
  Codex3D,
  ColorFrontOSD3D,
  Cube3DIridas,  // "Cube 3D Iridas, Nuke, AfterEffects"
  Cube3DDavinci,
  Cube3DTruelight,
  DavinciDat3D,
  Nucoda3D,
  Luther3D,
  Pandora3D,  // "Pandora 3D, Apple 3D m3d"
  PFClean3D,
  Quantel3D,
  Technicolor3D,  // "Technicolor 3D mga"
  Lustre1D,
  Blackmagic1D,
  Cinetal1D,
  Codex1D,  // "Codex 1D, Sony SRW-1, Scratch 1D"
  ColorFrontOSD1D,
  Cube1D,
  Filmlight1D,
  Fusion1D,
  Nucoda1D,
  Quantel1D,
  Stwo1D,
  Shake1D,
  CLF3D,  // "Academy/ASC CLF 3D"
  CLF1D,
  Cinespace3D,
  Houdini3D,
  Houdini1D,
  IridasItx3D,
  Spi1D,  // "Sony Imageworks 1D"
  Spi3D,
  ICCDeviceLink3D,
  HaldPng,
  HaldTiff,
  StripPng,
  StripPngBottomUp,
  SquarePng,
  OCIORasterExr,
  OCIORasterPng,
};

// A depth a profile offers: the bits asked for (--bits, the depth box), and
// whether the samples are floats (16 bits: half floats, 32: floats).
struct TProfileDepth {
  int Bits = 0;
  bool Float = false;
  friend bool operator==(const TProfileDepth&, const TProfileDepth&) = default;
};
// "8 bits", "16 bits (half float)", "32 bits (float)".
std::string DepthCaption(const TProfileDepth& depth);

class TLutOutputProfile {
 public:
  TOutputProfileId Id = TOutputProfileId::ThreeDLScratch;
  std::string Caption;
  std::string Extension;  // without the dot
  TLUTFormatId FormatIndex = TLUTFormatId::None;
  int DefaultSize = 0;
  int DefaultBits = 0;  // 0 for formats of decimal values
  bool SizeSelectable = false;
  bool BitsSelectable = false;
  // The sizes and depths a profile offers where it lists its own (the image
  // profiles: a Hald CLUT's squares of its levels, PNG's 8 and 16 bits),
  // ascending; empty for the others, whose sizes run from 2 to the largest
  // the job builds and whose depths are those of 8 to 16 bits their format
  // reads back.
  std::vector<int> Sizes;
  std::vector<TProfileDepth> Depths;
  // The kind of table it writes: its format's, but for the formats that
  // write both kinds (CLF).
  bool Is3D = true;
};

// The registry. Built on first use; lives until exit; never changes.
// LUTFormats is indexed by format identity; DetectionOrder lists the formats
// in the order they are asked to recognise a file.
const std::vector<std::unique_ptr<TLUTFormat>>& LUTFormats();
const std::vector<const TLUTFormat*>& DetectionOrder();
const std::vector<std::unique_ptr<TLutOutputProfile>>& OutputProfiles();

// The format of an identity; nullptr for an index outside the registry.
const TLUTFormat* LUTFormatByIndex(int index);
const TLUTFormat& LUTFormatOf(TLUTFormatId id);
const TLutOutputProfile& OutputProfileByIndex(int index);
const TLutOutputProfile& OutputProfileOf(TOutputProfileId id);
// The profile whose Caption is exactly `caption`, or nullptr.
const TLutOutputProfile* OutputProfileByCaption(std::string_view caption);
// The format a profile writes through.
const TLUTFormat& FormatOfProfile(const TLutOutputProfile& profile);


// The first format in detection order whose CanRead accepts the source, or
// None. The form with a file name reads only the first 4096 bytes.
TLUTFormatId DetectLUTFormat(const TLUTSource& source);
TLUTFormatId DetectLUTFormat(const std::string& file_name);

// Reads a LUT with the given format, or with the detected one for None. The
// LUT's comments are emptied and its FormatIndex is None until a load
// succeeds; the tables are replaced only by a load that succeeds, so a file
// that no format recognises, or that fails, leaves them as they were. An
// error of the reader leaves with the format's name and the line, where one
// is known, filled in (EZelvoError::Described).
TLoadInfo LoadLUT(const TLUTSource& source, TLUT& lut, TLUTFormatId format = TLUTFormatId::None);
// What a refusal of a file that no format knows adds: ' (it starts with
// "LINE")', LINE its first content line shown safely; for a file of nothing
// but blanks and comments, ' (it holds only comments)'.
std::string UnknownFormatDetail(const std::string& file_name);

// The same for a file, read once, and for bytes in memory under a name.
TLoadInfo LoadLUTFile(const std::string& file_name, TLUT& lut, TLUTFormatId format = TLUTFormatId::None);
// The same for one item of a file that holds several (the command line's
// --cccid: the id of a correction in an ASC CDL collection); an empty id reads
// the first. `image` says how a picture is read as an image LUT (--layout,
// --raster-width).
TLoadInfo LoadLUTFile(const std::string& file_name, TLUT& lut, TLUTFormatId format, const std::string& item_id,
                      const TImageLUTReadOptions& image = {});
TLoadInfo LoadLUTFromMemory(const std::string& name, std::string_view bytes, TLUT& lut,
                            TLUTFormatId format = TLUTFormatId::None);

// The text of a file written through the profile's format; bits -1 means the
// profile's DefaultBits.
TFileText SaveLUTText(const TLUT& lut, const TLutOutputProfile& profile, int bits, std::string_view title);
// Writes a file through the profile's format, titled after the file name. The
// file is replaced whole or not at all.
void SaveLUTFile(const std::string& file_name, const TLUT& lut, const TLutOutputProfile& profile, int bits = -1,
                 TReplace replace = TReplace::Replace);

}  // namespace zelvo
