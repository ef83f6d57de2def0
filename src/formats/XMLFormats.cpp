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
#include "formats/ReadErrors.h"
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
// skipped, as the bytes of a little-endian float. False when the text ends
// first; `first` is where its first digit stands. A NaN reads as 0; an
// infinity is refused, as no table can use it.
bool NextHexFloat(std::string_view data, std::size_t& pos, double& value, std::size_t& first) {
  std::uint32_t bits = 0;
  char digits[8];
  int count = 0;
  while (count < 8) {
    if (pos >= data.size()) return false;
    const int d = HexDigit(data[pos]);
    if (d >= 0 && count == 0) first = pos;
    ++pos;
    if (d < 0) continue;
    // Digit pairs are bytes in file order, the first byte the lowest.
    const int byte = count / 2;
    const int shift = byte * 8 + (count % 2 == 0 ? 4 : 0);
    bits |= static_cast<std::uint32_t>(d) << shift;
    digits[count++] = data[pos - 1];
  }
  float f;
  std::memcpy(&f, &bits, sizeof f);
  if (std::isinf(f)) throw EConvertError::InvalidFloat(std::string_view(digits, 8));
  value = std::isnan(f) ? 0.0 : static_cast<double>(f);
  return true;
}

// Where the next hexadecimal digit stands, or npos.
std::size_t NextHexDigit(std::string_view data, std::size_t pos) {
  while (pos < data.size() && HexDigit(data[pos]) < 0) ++pos;
  return pos < data.size() ? pos : std::string_view::npos;
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
  // A table of no entries is no table (and the conversion could not use it).
  if (count == 0) PlacedAt(data.Offset, [] { throw ELUTError("Incomplete file (no \"elem\" rows)"); });
  if (count > kMax1DSize) PlacedAt(data.Offset, [&] { Check1DSize(count); });
  lut.SetSize1D(static_cast<int>(count));
  int i = 0;
  for (const auto& child : data.Children) {
    if (!XMLNamesMatch(child->Name, "elem")) continue;
    const TXMLAttributes& a = child->Attributes;
    // An element without one of its values is a damaged row, not a 0.
    const auto value = [&](std::string_view name) {
      const TXMLValue* v = a.Find(name);
      if (v == nullptr) throw ELUTError("The \"elem\" element has no \"" + std::string(name) + "\" attribute.");
      return v->AsFloat() / divisor;
    };
    lut.Table1D(i++) = PlacedAt(child->Offset, [&] { return TLUTEntry{value("r"), value("g"), value("b")}; });
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
  const int n = PlacedAt(size.Offset, [&] { return XMLGridSize(size.Value, "\"size\" element"); });
  // The maximum is the divisor of every code: it must be a positive number.
  c.Range = PlacedAt(maximum.Offset, [&] {
    const int range = RequiredInteger(maximum.Value, "maximum code value", "\"maximum\" element");
    if (range < 1) {
      throw ELUTError("The maximum code value " + std::to_string(range) +
                      " (\"maximum\" element) is not supported; it must be above 0.");
    }
    return range;
  });
  CheckRowsFit(source.Bytes().size(), static_cast<std::size_t>(n) * n * n, kMinCodeRowBytes);
  c.SetGridSize(n);
  for (int bits = 1; bits <= 31; ++bits) {
    if ((1LL << bits) - 1 == c.Range) c.Info.Bits = bits;
  }
  // A cube cut short would keep another table's entries in its last cells.
  ReadCodeRowsBlueFastest(cube, c.Range, c);
  lut.Kind = TLUTKind::lk3D;
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
  const TXMLNode* data_node = nullptr;
  const TXMLNode* size_node = nullptr;
  if (const TXMLNode* look = doc.FindChild("look"); look != nullptr && look->HasChild("lut")) {
    const TXMLNode& table = look->ChildByName("lut");
    size_node = &table.ChildByName("size");
    data_node = &table.ChildByName("data");
    // The size is written between quotation marks: "33".
    const std::string_view size_text = size_node->Value.Text;
    n = PlacedAt(size_node->Offset, [&] {
      return StrToInt(size_text.size() >= 2 ? size_text.substr(1, size_text.size() - 2) : std::string_view{});
    });
  }
  if (n == 0) {
    // A look that only grades with its shaders has no table: colours pass.
    lut.Kind = TLUTKind::lkNone;
    return c.Info;
  }
  PlacedAt(size_node->Offset, [&] { CheckXMLGridSize(n, "\"size\" element"); });
  const std::string_view data = data_node->Value.Text;
  // A colour takes three floats of eight digits: a size the file cannot hold
  // is refused before the table is made.
  constexpr std::size_t kHexRowBytes = 24;
  PlacedAt(data_node->Offset,
           [&] { CheckRowsFit(source.Bytes().size(), static_cast<std::size_t>(n) * n * n, kHexRowBytes); });
  c.SetGridSize(n);
  std::size_t pos = 0;
  std::size_t first = 0;
  double v[3];
  // A value or triple cut short by the end of the text is not stored; digits
  // after the last triple of the grid are a triple too many. Errors stand at
  // the first digit of their value.
  try {
    while (!c.Complete && NextHexFloat(data, pos, v[0], first) && NextHexFloat(data, pos, v[1], first) &&
           NextHexFloat(data, pos, v[2], first)) {
      c.Complete = c.StoreAndStepRedFastest(v[0], v[1], v[2]);
    }
    if (c.Complete && (first = NextHexDigit(data, pos)) != std::string_view::npos) {
      RaiseExtraRow(c.ExpectedRows(true), 0);
    }
  } catch (EZelvoError& e) {
    e.Position = data_node->TextOffset(first);
    throw;
  }
  if (!c.Complete) RaiseTooFewRows(c.RowsStored, c.ExpectedRows(true), LastLineOf(source.Bytes()));
  lut.Kind = TLUTKind::lk3D;
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
