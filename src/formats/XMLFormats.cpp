#include "formats/XMLFormats.h"

#include "formats/LUTFormatImps.h"

namespace zelvo {

bool TStwo1DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "<lut,<data>,<elem");
}

void TStwo1DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TStwo1DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TPFClean3D_Format::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "<lut,<maximum>,<cube>");
}

void TPFClean3D_Format::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TPFClean3D_Format::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TSpeedgradeLook3DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "<look>,<shaders>");
}

void TSpeedgradeLook3DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TSpeedgradeLook3DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

}  // namespace zelvo
