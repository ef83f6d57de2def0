// Clipster 3D. Integer codes at the declared bit depth, blue varying fastest:
//
//   <LUT3D name='grade' N='17' BitDepth='16'>
//   <values>
//   0 0 0
//   0 0 4096
//   ...
//   </values>
//   </LUT3D>

#include <cstdint>

#include "formats/Families.h"
#include "formats/LUTFormatImps.h"
#include "formats/ReadErrors.h"
#include "formats/XMLTables.h"
#include "base/XMLNode.h"

namespace zelvo {

namespace {

class TClipster3DLutFormat : public TGenericLutFormat {
 public:
  TClipster3DLutFormat() : TGenericLutFormat(TLUTFormatId::Clipster3D, "Clipster 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

bool TClipster3DLutFormat::CanRead(const TLUTSource& source) const { return MatchSignature(source, "<LUT3D"); }

TLoadInfo TClipster3DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  TLineCursor c(source, lut);
  TXMLNode doc;
  doc.LoadFromString(source.Bytes());
  TXMLNode& root = doc.ChildByName("LUT3D");
  TXMLNode& values = root.ChildByName("values");
  // Size and depth are checked before anything is stored: a missing depth would
  // divide by 0 and a wrong size would lead the cursor out of the table.
  const int n = PlacedAt(root.Offset, [&] { return XMLGridSize(root.Attributes.Value("N"), "\"N\" attribute"); });
  c.Info.Bits =
      PlacedAt(root.Offset, [&] { return XMLBitDepth(root.Attributes.Value("BitDepth"), "\"BitDepth\" attribute"); });
  CheckRowsFit(source.Bytes().size(), static_cast<std::size_t>(n) * n * n, kMinCodeRowBytes);
  c.SetGridSize(n);
  lut.Comments.push_back("Name: " + root.Attributes.Value("name").Text);

  const int divisor = static_cast<int>((std::int64_t{1} << c.Info.Bits) - 1);
  // A grid cut short would keep another table's entries in its last cells.
  ReadCodeRowsBlueFastest(values, divisor, c);
  lut.Kind = TLUTKind::lk3D;
  return c.Info;
}

TFileText TClipster3DLutFormat::Save(const TLUT& lut, int bits, std::string_view title) const {
  const int n = WritableGridSize(lut);
  bits = WritableBits(bits);
  TFileText text;
  // The name goes into a quoted attribute: characters that would end the value
  // or the tag are replaced so that the document stays readable.
  text.append("<LUT3D name='" + XMLAttributeSafeText(title) + "' N='");
  AppendInt(text, n);
  text.append("' BitDepth='");
  AppendInt(text, bits);
  text.append("'>\n");
  AddLine(text, "<values>");
  AddIntRowsBlueFastest(text, lut, n, bits);
  AddLine(text, "</values>");
  AddLine(text, "</LUT3D>");
  return text;
}

}  // namespace

void AddClipsterFormats(TFormatList& formats) {
  formats.push_back(std::make_unique<TClipster3DLutFormat>());
}

}  // namespace zelvo
