// The registry: every format, the order in which they are asked to recognise a
// file, and the output profiles. Each is one list, read top to bottom.
#include "registry/Registry.h"

#include <array>
#include <span>

#include "formats/Families.h"
#include "formats/clf/CLFFormat.h"
#include "icc/ICCFormat.h"
#include "image/ImageLUT.h"
#include "image/ImageLUTFormats.h"

namespace zelvo {

namespace {

using F = TLUTFormatId;

// Detection takes the first format in this list that accepts a file, so the
// order settles every overlap between the formats' rules (a cube with both
// size keywords is a Cube 3D, a .3dl file that says 3DMESH is a Lustre 3D).
// ICC profiles go first: the only binary files, known by the signature at a
// fixed place of their header, while their free texts (a profile's
// description) may hold any keyword of the text formats. CLF comes next: its
// documents hold words that Clipster 3D, Codex 1D and Cube 3D look for, and
// its own rule (a first element named ProcessList)
// fits no file of theirs. The formats known by their opening lines come
// next, ahead of every keyword rule: a Houdini file holds the "LUT:" of
// Codex 1D, and Cinespace metadata and vector-field comments are free text
// that may name any keyword. The matrix files, known by their name alone,
// come last. Pictures go before all of them: their signature starts no text
// file, and their metadata may hold any word the keyword rules look for.
// The image LUT writers read nothing.
constexpr std::array kDetectionOrder = {
    F::ICCProfile,      F::ImageLUT,        F::CLF,
    F::Cinespace,       F::Spi3D,           F::Spi1D,         F::Houdini,       F::NukeVF,
    F::Cube3DTruelight, F::Cube3D,          F::Lustre3D,      F::Pandora3D,     F::ThreeDL,
    F::Nucoda3D,        F::Codex3D,         F::Cube1D,        F::Clipster3D,    F::Luther3D,
    F::ColorFrontOSD3D, F::DavinciDat3D,    F::Quantel3D,     F::Codex1D,       F::Lustre1D,
    F::Filmlight1D,     F::Quantel1D,       F::Stwo1D,        F::Nucoda1D,      F::ColorFrontOSD1D,
    F::Fusion1D,        F::Blackmagic1D,    F::Cinetal1D,     F::Shake1D,       F::DavinciILut1D,
    F::DavinciOLut1D,   F::SpeedgradeLook3D, F::ASC_CDL,      F::PFClean3D,     F::ASC_CDLCollection,
    F::IridasItx,       F::SpiMtx,          F::HaldPng,       F::HaldTiff,      F::StripPng,
    F::StripPngBottomUp, F::SquarePng,      F::OCIORasterExr, F::OCIORasterPng,
};

// Every format, family by family; the list below is indexed by identity.
std::vector<std::unique_ptr<TLUTFormat>> CreateFormats() {
  TFormatList f;
  AddCubeFormats(f);
  AddMeshFormats(f);
  AddKeywordHeader3DFormats(f);
  AddHeader1DFormats(f);
  AddPlainRow1DFormats(f);
  AddXMLFormats(f);
  AddClipsterFormats(f);
  AddCDLFormats(f);
  AddCLFFormats(f);
  AddCinespaceFormats(f);
  AddImageworksFormats(f);
  AddHoudiniFormats(f);
  AddNukeVectorFieldFormats(f);
  AddIridasItxFormats(f);
  AddCDLCollectionFormats(f);
  AddICCFormats(f);
  AddImageLUTFormats(f);
  // The list is indexed by identity: each format sits at its own value.
  std::vector<std::unique_ptr<TLUTFormat>> by_id(f.size());
  for (auto& format : f) by_id.at(static_cast<std::size_t>(IndexOf(format->Id))) = std::move(format);
  return by_id;
}

using P = TOutputProfileId;

struct ProfileRow {
  P id;
  const char* caption;
  const char* extension;
  F format;
  int default_size;
  int default_bits;  // 0: floating point
  bool size_selectable;
  bool bits_selectable;
  bool writes_1d = false;  // a 1D table through a format that writes both kinds
  std::vector<int> (*sizes)() = nullptr;  // the sizes it offers, where it lists its own
  std::span<const TProfileDepth> depths = {};  // the depths it offers, where it lists its own
};

constexpr TProfileDepth kPngDepths[] = {{8, false}, {16, false}};
constexpr TProfileDepth kTiffDepths[] = {{8, false}, {16, false}, {32, true}};
constexpr TProfileDepth kExrDepths[] = {{16, true}, {32, true}};

// In the order the dialogs list them.
constexpr ProfileRow kProfiles[] = {
    {P::ThreeDLScratch, "3DL Scratch, Autodesk, Blackmagic, Cine-tal", "3dl", F::ThreeDL, 17, 12, false, false},
    {P::ThreeDLFusion, "3DL Fusion", "3dl", F::ThreeDL, 33, 12, false, false},
    {P::Lustre3D, "Autodesk Lustre 3D", "lut", F::Lustre3D, 33, 12, false, false},
    {P::Clipster3D, "Clipster 3D", "txt", F::Clipster3D, 17, 16, false, false},
    {P::Codex3D, "Codex 3D", "txt", F::Codex3D, 17, 12, false, false},
    {P::ColorFrontOSD3D, "Colorfront OSD 3D", "3dmesh", F::ColorFrontOSD3D, 17, 0, false, false},
    {P::Cube3DIridas, "Cube 3D Iridas, Nuke, AfterEffects", "cube", F::Cube3D, 32, 0, false, false},
    {P::Cube3DDavinci, "Cube 3D Davinci", "cube", F::Cube3D, 33, 0, true, false},
    {P::Cube3DTruelight, "Cube 3D Truelight", "cube", F::Cube3DTruelight, 32, 0, false, false},
    {P::DavinciDat3D, "Davinci DAT 3D", "dat", F::DavinciDat3D, 33, 0, false, false},
    {P::Nucoda3D, "Nucoda 3D", "cms", F::Nucoda3D, 33, 0, true, false},
    {P::Luther3D, "Luther 3D", "txt", F::Luther3D, 33, 10, false, false},
    {P::Pandora3D, "Pandora 3D, Apple 3D m3d", "m3d", F::Pandora3D, 17, 16, false, false},
    {P::PFClean3D, "PixelFarm PFClean 3D", "pfl", F::PFClean3D, 16, 8, false, false},
    {P::Quantel3D, "Quantel 3D", "txt", F::Quantel3D, 17, 12, false, false},
    {P::Technicolor3D, "Technicolor 3D mga", "mga", F::Pandora3D, 33, 16, false, false},
    {P::Lustre1D, "Autodesk Lustre 1D", "lut", F::Lustre1D, 65536, 16, true, true},
    {P::Blackmagic1D, "Blackmagic HDLink 1D", "txt", F::Blackmagic1D, 1024, 0, false, false},
    {P::Cinetal1D, "Cine-tal 1D", "txt", F::Cinetal1D, 1024, 10, false, false},
    {P::Codex1D, "Codex 1D, Sony SRW-1, Scratch 1D", "dat", F::Codex1D, 1024, 10, false, false},
    {P::ColorFrontOSD1D, "Colorfront OSD 1D", "1dlut", F::ColorFrontOSD1D, 1024, 0, false, false},
    {P::Cube1D, "Cube 1D", "cube", F::Cube1D, 4096, 0, false, false},
    {P::Filmlight1D, "Filmlight Truelight 1D", "cube", F::Filmlight1D, 4096, 0, false, false},
    {P::Fusion1D, "Fusion 1D", "alut", F::Fusion1D, 65536, 16, false, false},
    {P::Nucoda1D, "Nucoda 1D", "cms", F::Nucoda1D, 4096, 0, false, false},
    {P::Quantel1D, "Quantel 1D", "txt", F::Quantel1D, 1024, 10, false, false},
    {P::Stwo1D, "S.two 1D", "swto.xml", F::Stwo1D, 1024, 10, false, false},
    {P::Shake1D, "Shake 1D", "txt", F::Shake1D, 65536, 16, false, false},
    {P::CLF3D, "Academy/ASC CLF 3D", "clf", F::CLF, 33, 0, true, false},
    {P::CLF1D, "Academy/ASC CLF 1D", "clf", F::CLF, 4096, 0, true, false, true},
    {P::Cinespace3D, "Cinespace 3D", "csp", F::Cinespace, 33, 0, true, false},
    {P::Houdini3D, "Houdini 3D", "lut", F::Houdini, 33, 0, true, false},
    {P::Houdini1D, "Houdini 1D", "lut", F::Houdini, 1024, 0, true, false, true},
    {P::IridasItx3D, "Iridas ITX 3D", "itx", F::IridasItx, 33, 0, true, false},
    {P::Spi1D, "Sony Imageworks 1D", "spi1d", F::Spi1D, 4096, 0, true, false},
    {P::Spi3D, "Sony Imageworks 3D", "spi3d", F::Spi3D, 33, 0, true, false},
    {P::ICCDeviceLink3D, "ICC Device Link 3D", "icc", F::ICCProfile, 33, 16, true, false},
    // Photo editors read Hald CLUTs at 16 bits; engines and web filters take
    // 8-bit textures; ociolutimage's own size is 32 points.
    {P::HaldPng, "Hald CLUT PNG", "png", F::HaldPng, 64, 16, true, true, false, &HaldSizes, kPngDepths},
    {P::HaldTiff, "Hald CLUT TIFF", "tif", F::HaldTiff, 64, 16, true, true, false, &HaldSizes, kTiffDepths},
    {P::StripPng, "Strip PNG", "png", F::StripPng, 32, 8, true, true, false, &StripSizes, kPngDepths},
    {P::StripPngBottomUp, "Strip PNG, green from the bottom", "png", F::StripPngBottomUp, 32, 8, true, true, false,
     &StripSizes, kPngDepths},
    {P::SquarePng, "Square of tiles PNG", "png", F::SquarePng, 64, 8, true, true, false, &SquareSizes, kPngDepths},
    {P::OCIORasterExr, "OpenColorIO raster EXR", "exr", F::OCIORasterExr, 32, 32, true, true, false, nullptr,
     kExrDepths},
    {P::OCIORasterPng, "OpenColorIO raster PNG", "png", F::OCIORasterPng, 32, 16, true, true, false, nullptr,
     kPngDepths},
};

struct Registry {
  std::vector<std::unique_ptr<TLUTFormat>> formats = CreateFormats();
  std::vector<const TLUTFormat*> detection_order;
  std::vector<std::unique_ptr<TLutOutputProfile>> profiles;

  Registry() {
    for (const F id : kDetectionOrder) detection_order.push_back(formats.at(static_cast<std::size_t>(IndexOf(id))).get());
    for (const ProfileRow& row : kProfiles) {
      auto p = std::make_unique<TLutOutputProfile>();
      p->Id = row.id;
      p->Caption = row.caption;
      p->Extension = row.extension;
      p->FormatIndex = row.format;
      p->DefaultSize = row.default_size;
      p->DefaultBits = row.default_bits;
      p->SizeSelectable = row.size_selectable;
      p->BitsSelectable = row.bits_selectable;
      p->Is3D = !row.writes_1d && formats.at(static_cast<std::size_t>(IndexOf(row.format)))->Is3D;
      if (row.sizes != nullptr) p->Sizes = row.sizes();
      p->Depths.assign(row.depths.begin(), row.depths.end());
      profiles.push_back(std::move(p));
    }
  }
};

const Registry& TheRegistry() {
  static const Registry registry;
  return registry;
}

}  // namespace

const std::vector<std::unique_ptr<TLUTFormat>>& LUTFormats() { return TheRegistry().formats; }
const std::vector<const TLUTFormat*>& DetectionOrder() { return TheRegistry().detection_order; }
const std::vector<std::unique_ptr<TLutOutputProfile>>& OutputProfiles() { return TheRegistry().profiles; }

const TLUTFormat* LUTFormatByIndex(int index) {
  const auto& formats = LUTFormats();
  if (index < 0 || static_cast<std::size_t>(index) >= formats.size()) return nullptr;
  return formats[static_cast<std::size_t>(index)].get();
}

const TLUTFormat& LUTFormatOf(TLUTFormatId id) {
  const TLUTFormat* format = LUTFormatByIndex(IndexOf(id));
  if (format == nullptr) throw ELUTError("Unknown LUT format index " + std::to_string(IndexOf(id)) + ".");
  return *format;
}

const TLutOutputProfile& OutputProfileByIndex(int index) {
  return *OutputProfiles().at(static_cast<std::size_t>(index));
}

const TLutOutputProfile& OutputProfileOf(TOutputProfileId id) { return OutputProfileByIndex(static_cast<int>(id)); }

const TLutOutputProfile* OutputProfileByCaption(std::string_view caption) {
  for (const auto& p : OutputProfiles()) {
    if (p->Caption == caption) return p.get();
  }
  return nullptr;
}

std::string DepthCaption(const TProfileDepth& depth) {
  const std::string bits = std::to_string(depth.Bits) + " bits";
  if (!depth.Float) return bits;
  return bits + (depth.Bits == 16 ? " (half float)" : " (float)");
}

const TLUTFormat& FormatOfProfile(const TLutOutputProfile& profile) {
  const TLUTFormat* format = LUTFormatByIndex(IndexOf(profile.FormatIndex));
  if (format == nullptr) throw ELUTError("The output profile \"" + profile.Caption + "\" has no format.");
  return *format;
}

}  // namespace zelvo
