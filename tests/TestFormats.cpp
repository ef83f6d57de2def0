#include "TestFormats.h"

#include <ostream>
#include <stdexcept>

#include "base/TextFile.h"

namespace zelvo {

void PrintTo(TLUTFormatId id, std::ostream* os) {
  const TLUTFormat* format = LUTFormatByIndex(IndexOf(id));
  *os << IndexOf(id) << " (" << (format != nullptr ? format->Name : "no format") << ")";
}

}  // namespace zelvo

namespace zelvo::test {

TLoadInfo LoadWith(TLUTFormatId format, const std::string& file_name, TLUT& lut) {
  return LUTFormatOf(format).Load(TLUTSource::FromFile(file_name), lut);
}

void SaveWith(TLUTFormatId format, const std::string& file_name, const TLUT& lut, int bits) {
  const auto text = LUTFormatOf(format).Save(lut, bits, BaseNameOf(file_name));
  WriteFileAtomically(file_name, std::string_view(text.data(), text.size()));
}

TLoadInfo LoadText(std::string_view text, TLUT& lut, TLUTFormatId format, const std::string& name) {
  return LoadLUTFromMemory(name, text, lut, format);
}

std::string LoadError(std::string_view text, const std::string& name) {
  try {
    TLUT lut;
    LoadLUTFromMemory(name, text, lut);
  } catch (const EZelvoError& e) {
    return e.Described();
  }
  return "";
}

const TLutOutputProfile& Profile(std::string_view caption) {
  const TLutOutputProfile* p = OutputProfileByCaption(caption);
  if (p == nullptr) throw std::runtime_error("no output profile \"" + std::string(caption) + "\"");
  return *p;
}

}  // namespace zelvo::test
