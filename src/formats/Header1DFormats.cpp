#include "formats/Header1DFormats.h"

#include "formats/LUTFormatImps.h"

namespace zelvo {

bool TCodex1DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "LUT:");
}

void TCodex1DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TCodex1DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TLustre1DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "LUT16") || MatchSignature(file_name, "LUT12");
}

void TLustre1DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TLustre1DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TFilmlight1DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "iDims,lutLength");
}

void TFilmlight1DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TFilmlight1DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TQuantel1DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "table type,gMax,gSize");
}

void TQuantel1DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TQuantel1DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TFusion1DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "F5LT");
}

void TFusion1DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TFusion1DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

}  // namespace zelvo
