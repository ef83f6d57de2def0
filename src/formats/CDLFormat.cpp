#include "formats/CDLFormat.h"

#include "formats/LUTFormatImps.h"

namespace zelvo {

bool TASC_CDL_Format::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "<ColorCorrection,<SOPNode>", "<ColorCorrectionCollection");
}

void TASC_CDL_Format::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TASC_CDL_Format::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

}  // namespace zelvo
