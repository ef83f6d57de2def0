// Clipster 3D. Integer codes at the declared bit depth, blue varying fastest:
//
//   <LUT3D name='grade' N='17' BitDepth='16'>
//   <values>
//   0 0 0
//   0 0 4096
//   ...
//   </values>
//   </LUT3D>
#include "formats/ClipsterFormat.h"

#include <cstdint>

#include "formats/LUTFormatImps.h"
#include "formats/XMLFormats.h"
#include "formats/XMLNode.h"

namespace zelvo {

bool TClipster3DLutFormat::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "<LUT3D");
}

void TClipster3DLutFormat::Load(const std::string& file_name, TLUT& lut) {
  ResetReadState();
  TXMLNode doc;
  doc.LoadFromFile(file_name);
  TXMLNode& root = doc.ChildByName("LUT3D");
  TXMLNode& values = root.ChildByName("values");
  // Size and depth are checked before anything is stored: a missing depth would
  // divide by 0 and a wrong size would lead the cursor out of the table.
  Size = XMLGridSize(root.Attributes.Value("N"), "\"N\" attribute");
  Range = XMLBitDepth(root.Attributes.Value("BitDepth"), "\"BitDepth\" attribute");
  lut.Comments.push_back("Name: " + root.Attributes.Value("name").Text);

  const int divisor = static_cast<int>((std::int64_t{1} << Range) - 1);
  ForEachCodeRow(values.Value.Text, divisor, [&](double r, double g, double b) {
    return Complete = StoreAndStepBlueFastest(lut, r, g, b);
  });
  lut.Kind = TLUTKind::lk3D;
  lut.Size3D = Size;
  // A grid cut short would keep another table's entries in its last cells.
  if (!Complete) throw ELUTError("Incomplete file.");
}

void TClipster3DLutFormat::Save(const std::string& file_name, const TLUT& lut, int bits) const {
  const int n = WritableGridSize(lut);
  bits = WritableBits(bits);
  TTextFile text;
  // The name goes into a quoted attribute: characters that would end the value
  // or the tag are replaced so that the document stays readable.
  std::string line = "<LUT3D name='" + XMLAttributeSafeText(BaseNameOf(file_name)) + "' N='";
  AppendInt(line, n);
  line.append("' BitDepth='");
  AppendInt(line, bits);
  line.append("'>");
  text.Add(line);
  text.Add("<values>");
  AddIntRowsBlueFastest(text, lut, n, bits);
  text.Add("</values>");
  text.Add("</LUT3D>");
  text.WriteToFile(file_name);
}

}  // namespace zelvo
