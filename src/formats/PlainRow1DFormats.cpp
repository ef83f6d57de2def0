#include "formats/PlainRow1DFormats.h"

#include "formats/LUTFormatImps.h"

namespace zelvo {

bool TColorFrontOSD1DLutFormat::CanRead(const std::string& file_name) const {
  return HasExtension(file_name, ".1dlut");
}

void TColorFrontOSD1DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TColorFrontOSD1DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TBlackmagic1DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "HDLINK");
}

void TBlackmagic1DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TBlackmagic1DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TCinetal1DLutFormat::CanRead(const std::string&) const { return false; }

void TCinetal1DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TCinetal1DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TShake1DLutFormat::CanRead(const std::string&) const { return false; }

void TShake1DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TShake1DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TDavinciILut1DLutFormat::CanRead(const std::string& file_name) const {
  return HasExtension(file_name, ".ilut") && !MatchSignature(file_name, "<IRIDAScript>");
}

void TDavinciILut1DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TDavinciILut1DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TDavinciOLut1DLutFormat::CanRead(const std::string& file_name) const {
  return HasExtension(file_name, ".olut");
}

void TDavinciOLut1DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TDavinciOLut1DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

}  // namespace zelvo
