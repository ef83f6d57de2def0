// The Common LUT Format. A document is a ProcessList of process nodes, each
// with the bit depths its parameters are stated in:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <ProcessList compCLFversion="3" id="film">
//     <Description>Print emulation</Description>
//     <Range inBitDepth="32f" outBitDepth="32f">
//       <minInValue>-0.125</minInValue> <maxInValue>1.125</maxInValue>
//       <minOutValue>0</minOutValue> <maxOutValue>1</maxOutValue>
//     </Range>
//     <LUT3D inBitDepth="32f" outBitDepth="32f" interpolation="trilinear">
//       <Array dim="33 33 33 3">
//   0 0 0
//   0 0 0.03125                                  <- blue varies fastest
//   ...
//       </Array>
//     </LUT3D>
//   </ProcessList>
//
// The nodes themselves are read and evaluated in CLFOps.cpp.

#include <charconv>
#include <cmath>

#include "formats/clf/CLFFormat.h"
#include "formats/clf/CLFNodes.h"
#include "formats/LUTFormatImps.h"
#include "base/XMLNode.h"

namespace zelvo {

namespace {

class TCLFLutFormat : public TGenericLutFormat {
 public:

  TCLFLutFormat() : TGenericLutFormat(TLUTFormatId::CLF, "Academy/ASC CLF", true) {}
  // A document whose first element, after the XML declaration and comments,
  // is ProcessList.
  bool CanRead(const TLUTSource& source) const override;
  // A chain of an optional Range, an optional LUT1D and an optional LUT3D
  // becomes the LUT's domain and stages as it is; any other chain is
  // evaluated whole into a 3D table.
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  // A LUT1D, a LUT3D or both in 32-bit float, behind a Range (or a scaling
  // Matrix where the channels differ) for a domain other than 0..1.
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  bool StatesDomain() const override { return true; }
  TShaper ShaperKind() const override { return TShaper::PerChannel; }
  // Its files state how their tables are read.
  bool AsReadBack(TLUT&) const override { return false; }
  // Single floats: within half a unit in their last place.
  TWrittenValues WrittenValues(int) const override {
    TWrittenValues held;
    held.Step = std::ldexp(1.0, -149);
    held.RelativeStep = std::ldexp(1.0, -23);
    return held;
  }
};

namespace {

// Past blanks, the XML declaration and other processing instructions,
// comments and a document type, to the first element.
std::string_view FirstElement(std::string_view text) {
  for (;;) {
    text = TrimLeft(text);
    if (text.starts_with("<?")) {
      const std::size_t end = text.find("?>");
      if (end == std::string_view::npos) return {};
      text.remove_prefix(end + 2);
    } else if (text.starts_with("<!--")) {
      const std::size_t end = text.find("-->", 4);
      if (end == std::string_view::npos) return {};
      text.remove_prefix(end + 3);
    } else if (text.starts_with("<!")) {
      const std::size_t end = text.find('>');
      if (end == std::string_view::npos) return {};
      text.remove_prefix(end + 1);
    } else {
      return text;
    }
  }
}

std::string NodeNames(const TCLFChain& chain) {
  std::string names;
  for (const auto& op : chain.Ops) {
    if (!names.empty()) names += ", ";
    names += op->Element;
  }
  return names;
}

// The chain as the LUT's own domains and stages: [domain] LUT1D, then
// [domain] LUT3D, either one optional. The tables move into the LUT.
bool MapOntoStages(TCLFChain& chain, TLUT& lut) {
  TCLFLUT1D* stage1d = nullptr;
  TCLFLUT3D* stage3d = nullptr;
  TLUTDomain pending, domain1d, domain3d;
  bool has_pending = false;
  for (const auto& op : chain.Ops) {
    TLUTDomain d;
    if (!has_pending && stage3d == nullptr && op->AsDomain(d)) {
      pending = d;
      has_pending = true;
    } else if (auto* l1 = dynamic_cast<TCLFLUT1D*>(op.get()); l1 && l1->IsPlain() && !stage1d && !stage3d) {
      stage1d = l1;
      domain1d = pending;
      has_pending = false;
      pending = {};
    } else if (auto* l3 = dynamic_cast<TCLFLUT3D*>(op.get()); l3 && !stage3d) {
      stage3d = l3;
      domain3d = pending;
      has_pending = false;
      pending = {};
    } else {
      return false;
    }
  }
  if (has_pending || (stage1d == nullptr && stage3d == nullptr)) return false;
  if (stage1d != nullptr) lut.TakeTable1D(stage1d->Table);
  if (stage3d != nullptr) {
    lut.TakeTable3D(stage3d->Table);
    lut.Interpolation3D = stage3d->Tetrahedral ? TInterpolation::Tetrahedral : TInterpolation::Trilinear;
  }
  lut.Kind = stage1d && stage3d ? TLUTKind::lk1DAnd3D : stage3d ? TLUTKind::lk3D : TLUTKind::lk1D;
  lut.Domain1D = domain1d;
  lut.Domain3D = domain3d;
  return true;
}

// Any other chain, kept as its nodes: every colour asked of the LUT is
// computed node by node. Its inputs are meant to be those of its first
// clamping Range (else 0..1): conversions sample it there.
class TCLFChainEvaluator final : public TColorEvaluator {
 public:
  explicit TCLFChainEvaluator(TCLFChain chain) : chain_(std::move(chain)) {}
  void Evaluate(const TLUTEntry* in, TLUTEntry* out, std::size_t count) const override {
    chain_.Evaluate(in, out, count);
  }
  std::string Description() const override { return NodeNames(chain_); }

 private:
  TCLFChain chain_;
};

void KeepChain(TCLFChain chain, TLUT& lut) {
  TLUTDomain domain;
  double min = 0.0, max = 1.0;
  if (const auto* range = chain.Ops.empty() ? nullptr : dynamic_cast<const TCLFRange*>(chain.Ops.front().get());
      range != nullptr && range->InputRange(min, max)) {
    domain.Min = TLUTEntry{min, min, min};
    domain.Max = TLUTEntry{max, max, max};
  }
  lut.Kind = TLUTKind::lkChain;
  lut.Domain1D = TLUTDomain{};
  lut.Domain3D = domain;
  lut.Evaluator = std::make_shared<TCLFChainEvaluator>(std::move(chain));
}

// Element text with the characters XML reserves written as entities.
void AppendXMLText(TFileText& text, std::string_view s) {
  for (const char c : s) {
    switch (c) {
      case '<': text.append("&lt;"); break;
      case '>': text.append("&gt;"); break;
      case '&': text.append("&amp;"); break;
      default: text.push_back(static_cast<unsigned char>(c) < 32 ? ' ' : c);
    }
  }
}

// The shortest decimal that reads back as the same single-precision value.
void AppendFloat32(TFileText& text, double value) {
  const float f = static_cast<float>(value);
  if (!std::isfinite(f)) {
    throw ELUTError("The table holds a value that is not a finite 32-bit float number; a CLF file cannot store it.");
  }
  char buf[32];
  const auto result = std::to_chars(buf, buf + sizeof buf, f);
  text.append(buf, static_cast<std::size_t>(result.ptr - buf));
}

void AppendFloat32Row(TFileText& text, const TLUTEntry& e) {
  AppendFloat32(text, e.R);
  text.push_back(' ');
  AppendFloat32(text, e.G);
  text.push_back(' ');
  AppendFloat32(text, e.B);
  text.push_back('\n');
}

// The node that maps a domain onto 0..1 ahead of a table: a Range when the
// channels share it, else a Matrix that scales and offsets each channel (the
// table clamps what falls outside, as a domain does).
void AddDomainNode(TFileText& text, const TLUTDomain& domain) {
  if (domain.IsUnit()) return;
  const TLUTEntry& lo = domain.Min;
  const TLUTEntry& hi = domain.Max;
  const auto element = [&](const char* name, double v) {
    text.append("    <").append(name).append(">");
    AppendShortestDecimal(text, v);
    text.append("</").append(name).append(">\n");
  };
  if (lo.R == lo.G && lo.G == lo.B && hi.R == hi.G && hi.G == hi.B) {
    AddLine(text, R"(  <Range inBitDepth="32f" outBitDepth="32f">)");
    element("minInValue", lo.R);
    element("maxInValue", hi.R);
    element("minOutValue", 0.0);
    element("maxOutValue", 1.0);
    AddLine(text, "  </Range>");
    return;
  }
  AddLine(text, R"(  <Matrix inBitDepth="32f" outBitDepth="32f">)");
  AddLine(text, R"(    <Array dim="3 4">)");
  const double min[3] = {lo.R, lo.G, lo.B}, max[3] = {hi.R, hi.G, hi.B};
  for (int r = 0; r < 3; ++r) {
    const double scale = 1.0 / (max[r] - min[r]);
    for (int c = 0; c < 3; ++c) {
      AppendShortestDecimal(text, c == r ? scale : 0.0);
      text.push_back(' ');
    }
    AppendShortestDecimal(text, min[r] == 0.0 ? 0.0 : -min[r] * scale);  // never "-0"
    text.push_back('\n');
  }
  AddLine(text, "    </Array>");
  AddLine(text, "  </Matrix>");
}

}  // namespace

bool TCLFLutFormat::CanRead(const TLUTSource& source) const {
  const std::string_view element = FirstElement(source.Head());
  // The name of the element, without a namespace prefix ("clf:").
  std::size_t end = 1;
  while (end < element.size() && !IsBlank(element[end]) && element[end] != '>' && element[end] != '/') ++end;
  if (end >= element.size() || !element.starts_with('<')) return false;
  return IsProcessListName(element.substr(1, end - 1));
}

TLoadInfo TCLFLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  TCLFChain chain = ReadCLFDocument(source.Bytes());
  // A node that fails only when a colour is asked of it says its line then.
  for (const auto& op : chain.Ops) op->Line = LineOfPosition(source.Bytes(), op->Offset);
  const std::size_t described = chain.Comments.size();
  if (described > TLineCursor::kMaxComments) {
    chain.Comments.resize(TLineCursor::kMaxComments);
    std::string line = "(";
    line += std::to_string(described - TLineCursor::kMaxComments);
    line += " more comment lines left out)";
    chain.Comments.push_back(std::move(line));
  }
  lut.Comments = std::move(chain.Comments);
  TLoadInfo info;
  if (!chain.Ops.empty()) info.Bits = chain.Ops.back()->OutBits;
  if (!MapOntoStages(chain, lut)) KeepChain(std::move(chain), lut);
  return info;
}

TFileText TCLFLutFormat::Save(const TLUT& lut, int, std::string_view title) const {
  const bool has1d = lut.Kind == TLUTKind::lk1D || lut.Kind == TLUTKind::lk1DAnd3D;
  const bool has3d = lut.Kind == TLUTKind::lk3D || lut.Kind == TLUTKind::lk1DAnd3D;
  if (!has1d && !has3d) throw ELUTError("A LUT without a table cannot be written as a CLF file.");
  const int m = has1d ? Writable1DSize(lut) : 0;
  const int n = has3d ? WritableGridSize(lut) : 0;
  const std::string id = title.empty() ? std::string("lut") : XMLAttributeSafeText(title);
  TFileText text;
  text.reserve(static_cast<std::size_t>(m) * 36 + static_cast<std::size_t>(n) * n * n * 36 + 1024);
  AddLine(text, R"(<?xml version="1.0" encoding="UTF-8"?>)");
  AddLine(text, R"(<ProcessList compCLFversion="3" id=")" + id + R"(" name=")" + id + R"(">)");
  for (const std::string& comment : lut.Comments) {
    text.append("  <Description>");
    AppendXMLText(text, comment);
    text.append("</Description>\n");
  }
  AddLine(text, "  <Description>" + std::string(kConvertedByLine.substr(2)) + "</Description>");
  if (has1d) {
    AddDomainNode(text, lut.Domain1D);
    AddLine(text, R"(  <LUT1D inBitDepth="32f" outBitDepth="32f">)");
    AddLine(text, R"(    <Array dim=")" + std::to_string(m) + R"( 3">)");
    for (int i = 0; i < m; ++i) AppendFloat32Row(text, lut.Table1D(i));
    AddLine(text, "    </Array>");
    AddLine(text, "  </LUT1D>");
  }
  if (has3d) {
    AddDomainNode(text, lut.Domain3D);
    AddLine(text, std::string(R"(  <LUT3D inBitDepth="32f" outBitDepth="32f" interpolation=")") +
                      InterpolationName(lut.Interpolation3D) + "\">");
    const std::string size = std::to_string(n);
    AddLine(text, R"(    <Array dim=")" + size + " " + size + " " + size + R"( 3">)");
    ForEachBlueFastest(n, [&](int r, int g, int b) { AppendFloat32Row(text, lut.Table3D(r, g, b)); });
    AddLine(text, "    </Array>");
    AddLine(text, "  </LUT3D>");
  }
  AddLine(text, "</ProcessList>");
  return text;
}

}  // namespace

void AddCLFFormats(TFormatList& formats) {
  formats.push_back(std::make_unique<TCLFLutFormat>());
}

}  // namespace zelvo
