#include "formats/KeywordHeader3DFormats.h"

#include "formats/LUTFormatImps.h"

namespace zelvo {

bool TPandora3DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "channel 3d,format lut");
}

void TPandora3DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TPandora3DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TLuther3DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "channels: c3");
}

void TLuther3DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TLuther3DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TCodex3DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "Lut3D:");
}

void TCodex3DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TCodex3DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TQuantel3DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "max value,vertices");
}

void TQuantel3DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TQuantel3DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

bool TDavinciDat3DLutFormat::CanRead(const std::string& file_name) const {
  if (MatchSignature(file_name, "3DLUTSIZE")) return true;
  if (!HasExtension(file_name, ".dat")) return false;
  TTextFile head;
  head.ReadFromText(ReadFileHead(file_name, 4096));
  return CountFloatTripleLines(head) > 0;
}

void TDavinciDat3DLutFormat::Load(const std::string&, TLUT&) { RaiseReadingNotAvailable(*this); }

void TDavinciDat3DLutFormat::Save(const std::string&, const TLUT&, int) const { RaiseWritingNotAvailable(*this); }

}  // namespace zelvo
