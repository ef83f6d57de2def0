#include "formats/MeshFormats.h"

#include "formats/LUTFormatImps.h"

namespace zelvo {

bool T3dlLutFormat::CanRead(const std::string& file_name) const {
  return HasExtension(file_name, ".3dl");
}

void T3dlLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void T3dlLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TLustre3DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "3DMESH");
}

void TLustre3DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TLustre3DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TColorFrontOSD3DLutFormat::CanRead(const std::string& file_name) const {
  return HasExtension(file_name, ".3dmesh");
}

void TColorFrontOSD3DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TColorFrontOSD3DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

}  // namespace zelvo
