// The XML-based formats. An S.two 1D file (10-bit codes):
//
//   <?xml version="1.0"?>
//   <lut name="film">
//   <data>
//   <elem r="0" g="0" b="0"/>
//   ...
//   </data>
//   </lut>
//
// A PixelFarm PFClean 3D file (blue varies fastest):
//
//   <?xml version="1.0" encoding="UTF-8" standalone="yes"?>
//   <lut type="ascii">
//   <maximum>255</maximum>
//   <size>16</size>
//   <cube>
//   0 0 0
//   ...
//   </cube>
//   </lut>
//
// An Adobe Speedgrade look carries its table as little-endian single-precision
// numbers in hexadecimal, red varying fastest:
//
//   <look><shaders>...</shaders>
//     <LUT><size>"33"</size><data>"0000803F0000803F..."</data></LUT>
//   </look>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "formats/Families.h"
#include "formats/XMLTables.h"
#include "formats/LUTFormatImps.h"
#include "base/XMLNode.h"

namespace zelvo {

namespace {

class TStwo1DLutFormat : public TGenericLutFormat {
 public:
  // The depth of the codes read; the files do not state it.
  static constexpr int ReadBits = 10;

  TStwo1DLutFormat() : TGenericLutFormat(TLUTFormatId::Stwo1D, "S.two 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

class TPFClean3D_Format : public TGenericLutFormat {
 public:
  TPFClean3D_Format() : TGenericLutFormat(TLUTFormatId::PFClean3D, "PixelFarm PFClean 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// Read only: looks are read for their 3D table; no output profile writes them.
class TSpeedgradeLook3DLutFormat : public TGenericLutFormat {
 public:
  TSpeedgradeLook3DLutFormat()
      : TGenericLutFormat(TLUTFormatId::SpeedgradeLook3D, "Adobe Speedgrade Look 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  // Writes nothing.
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  bool CanSave() const override { return false; }
};

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The next value of Speedgrade data: eight hexadecimal digits, other characters
// skipped, as the bytes of a little-endian float. False when the text ends first.
bool NextHexFloat(std::string_view data, std::size_t& pos, double& value) {
  std::uint32_t bits = 0;
  int digits = 0;
  while (digits < 8) {
    if (pos >= data.size()) return false;
    const int d = HexDigit(data[pos++]);
    if (d < 0) continue;
    // Digit pairs are bytes in file order, the first byte the lowest.
    const int byte = digits / 2;
    const int shift = byte * 8 + (digits % 2 == 0 ? 4 : 0);
    bits |= static_cast<std::uint32_t>(d) << shift;
    ++digits;
  }
  float f;
  std::memcpy(&f, &bits, sizeof f);
  value = std::isnan(f) ? 0.0 : static_cast<double>(f);
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// S.two 1D

bool TStwo1DLutFormat::CanRead(const TLUTSource& source) const {
  return MatchSignature(source, "<lut,<data>,<elem");
}

TLoadInfo TStwo1DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  const double divisor = std::ldexp(1.0, ReadBits) - 1.0;
  TXMLNode doc;
  doc.LoadFromString(source.Bytes());
  const TXMLNode& data = doc.ChildByName("lut").ChildByName("data");
  long long count = 0;
  for (const auto& child : data.Children) {
    if (XMLNamesMatch(child->Name, "elem")) ++count;
  }
  if (count > kMax1DSize) Check1DSize(count);
  lut.SetSize1D(static_cast<int>(count));
  int i = 0;
  for (const auto& child : data.Children) {
    if (!XMLNamesMatch(child->Name, "elem")) continue;
    TXMLAttributes& a = child->Attributes;
    lut.Table1D(i++) =
        TLUTEntry{a.Value("r").AsFloat() / divisor, a.Value("g").AsFloat() / divisor, a.Value("b").AsFloat() / divisor};
  }
  lut.Kind = TLUTKind::lk1D;
  return TLoadInfo{ReadBits, 0};
}

TFileText TStwo1DLutFormat::Save(const TLUT& lut, int bits, std::string_view title) const {
  const int m = Writable1DSize(lut);
  bits = WritableBits(bits);
  TFileText text;
  AddLine(text, R"(<?xml version="1.0"?>)");
  AddLine(text, "<lut name=\"" + XMLAttributeSafeText(title) + "\">");
  AddLine(text, "<data>");
  text.reserve(text.size() + static_cast<std::size_t>(m) * 40);
  for (int i = 0; i < m; ++i) {
    const TLUTEntry& e = lut.Table1D(i);
    text.append(R"(<elem r=")");
    AppendIntValue(text, bits, e.R);
    text.append(R"(" g=")");
    AppendIntValue(text, bits, e.G);
    text.append(R"(" b=")");
    AppendIntValue(text, bits, e.B);
    text.append("\"/>\n");
  }
  AddLine(text, "</data>");
  AddLine(text, "</lut>");
  return text;
}

// ---------------------------------------------------------------------------
// PixelFarm PFClean 3D

bool TPFClean3D_Format::CanRead(const TLUTSource& source) const {
  return MatchSignature(source, "<lut,<maximum>,<cube>");
}

TLoadInfo TPFClean3D_Format::Load(const TLUTSource& source, TLUT& lut) const {
  TLineCursor c(source, lut);
  TXMLNode doc;
  doc.LoadFromString(source.Bytes());
  TXMLNode& root = doc.ChildByName("lut");
  const TXMLNode& size = root.ChildByName("size");
  const TXMLNode& maximum = root.ChildByName("maximum");
  TXMLNode& cube = root.ChildByName("cube");
  const int n = XMLGridSize(size.Value, "\"size\" element");
  // The maximum is the divisor of every code: it must be a positive number.
  c.Range = RequiredInteger(maximum.Value, "maximum code value", "\"maximum\" element");
  if (c.Range < 1) {
    throw ELUTError("The maximum code value " + std::to_string(c.Range) +
                    " (\"maximum\" element) is not supported; it must be above 0.");
  }
  c.SetGridSize(n);
  for (int bits = 1; bits <= 31; ++bits) {
    if ((1LL << bits) - 1 == c.Range) c.Info.Bits = bits;
  }
  ForEachCodeRow(cube.Value.Text, c.Range, [&](double r, double g, double b) {
    return c.Complete = c.StoreAndStepBlueFastest(r, g, b);
  });
  lut.Kind = TLUTKind::lk3D;
  // A cube cut short would keep another table's entries in its last cells.
  if (!c.Complete) throw ELUTError("Incomplete file.");
  return c.Info;
}

TFileText TPFClean3D_Format::Save(const TLUT& lut, int bits, std::string_view) const {
  const int n = WritableGridSize(lut);
  bits = WritableBits(bits);
  TFileText text;
  AddLine(text, R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)");
  AddLine(text, R"(<lut type="ascii">)");
  text.append("<maximum>");
  AppendInt(text, (std::int64_t{1} << bits) - 1);
  text.append("</maximum>\n<size>");
  AppendInt(text, n);
  text.append("</size>\n");
  AddLine(text, "<cube>");
  AddIntRowsBlueFastest(text, lut, n, bits);
  AddLine(text, "</cube>");
  AddLine(text, "</lut>");
  return text;
}

// ---------------------------------------------------------------------------
// Adobe Speedgrade Look 3D

bool TSpeedgradeLook3DLutFormat::CanRead(const TLUTSource& source) const {
  return MatchSignature(source, "<look>,<shaders>");
}

TLoadInfo TSpeedgradeLook3DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  TLineCursor c(source, lut);
  int n = 0;
  TXMLNode doc;
  doc.LoadFromString(source.Bytes());
  std::string_view data;
  if (const TXMLNode* look = doc.FindChild("look"); look != nullptr && look->HasChild("lut")) {
    const TXMLNode& table = look->ChildByName("lut");
    const std::string& size_text = table.ChildByName("size").Value.Text;
    data = table.ChildByName("data").Value.Text;
    // The size is written between quotation marks: "33".
    n = StrToInt(size_text.size() >= 2 ? std::string_view(size_text).substr(1, size_text.size() - 2)
                                       : std::string_view{});
  }
  if (n == 0) {
    // A look that only grades with its shaders has no table: colours pass.
    lut.Kind = TLUTKind::lkNone;
    return c.Info;
  }
  CheckXMLGridSize(n, "\"size\" element");
  c.SetGridSize(n);
  std::size_t pos = 0;
  double v[3];
  // A value or triple cut short by the end of the text is not stored.
  while (pos < data.size() && NextHexFloat(data, pos, v[0]) && NextHexFloat(data, pos, v[1]) &&
         NextHexFloat(data, pos, v[2])) {
    if ((c.Complete = c.StoreAndStepRedFastest(v[0], v[1], v[2]))) break;
  }
  lut.Kind = TLUTKind::lk3D;
  if (!c.Complete) throw ELUTError("Incomplete file.");
  return c.Info;
}

TFileText TSpeedgradeLook3DLutFormat::Save(const TLUT&, int, std::string_view) const { RaiseReadOnly(*this); }

}  // namespace

void AddXMLFormats(TFormatList& formats) {
  formats.push_back(std::make_unique<TStwo1DLutFormat>());
  formats.push_back(std::make_unique<TPFClean3D_Format>());
  formats.push_back(std::make_unique<TSpeedgradeLook3DLutFormat>());
}

}  // namespace zelvo
