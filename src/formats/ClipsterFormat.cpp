#include "formats/ClipsterFormat.h"

#include "formats/LUTFormatImps.h"

namespace zelvo {

bool TClipster3DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "<LUT3D");
}

void TClipster3DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TClipster3DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

}  // namespace zelvo
