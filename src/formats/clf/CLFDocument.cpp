// A ProcessList read into its chain of nodes, in document order.
#include "formats/clf/CLFNodes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Errors.h"
#include "base/StringLib.h"
#include "base/XMLNode.h"
#include "formats/clf/CLFReading.h"

namespace zelvo {

using namespace clf;

namespace {

// The IndexMap of a table in older files: two "input@index" entries that
// map inputs (at the node's input depth) onto table positions, clamped.
std::unique_ptr<TCLFOp> IndexMapRange(const TXMLNode& node, int points) {
  const TXMLNode& map = node.ChildByName("IndexMap");
  std::string_view text = map.Value.Text;
  double v[4];
  int count = 0;
  while (!Trim(text).empty()) {
    text = TrimLeft(text);
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    std::string_view entry = text.substr(0, end);
    text.remove_prefix(end);
    const std::size_t at = entry.find('@');
    if (at == std::string_view::npos || count >= 4) {
      Fail(map, "The \"IndexMap\" of " + Quoted(node.Name) + " is supported with two \"input@index\" entries only.");
    }
    v[count++] = NumberOf(map, entry.substr(0, at));
    v[count++] = NumberOf(map, entry.substr(at + 1));
  }
  if (count != 4) {
    Fail(map, "The \"IndexMap\" of " + Quoted(node.Name) + " is supported with two \"input@index\" entries only.");
  }
  const double in_scale = DepthScale(node, "inBitDepth");
  return std::make_unique<TCLFRange>(map, v[0] / in_scale, v[2] / in_scale, v[1] / (points - 1), v[3] / (points - 1));
}

std::unique_ptr<TCLFOp> MakeOp(const TXMLNode& node) {
  const std::string_view name = node.Name;
  const auto known = {"Range",        "Matrix", "LUT1D",    "InverseLUT1D", "LUT3D",
                      "InverseLUT3D", "Log",    "Exponent", "Gamma",        "ASC_CDL"};
  if (std::none_of(known.begin(), known.end(), [&](const char* k) { return SameName(name, k); })) return nullptr;
  const double in = DepthScale(node, "inBitDepth");
  const double out = DepthScale(node, "outBitDepth");
  if (SameName(name, "Range")) return std::make_unique<TCLFRange>(node, in, out);
  if (SameName(name, "Matrix")) return std::make_unique<TCLFMatrix>(node, in, out);
  if (SameName(name, "LUT1D")) return std::make_unique<TCLFLUT1D>(node, out, false);
  // The table of an inverse holds inputs: it is stated at the input depth.
  if (SameName(name, "InverseLUT1D")) return std::make_unique<TCLFLUT1D>(node, in, true);
  if (SameName(name, "LUT3D")) return std::make_unique<TCLFLUT3D>(node, out);
  if (SameName(name, "InverseLUT3D")) return std::make_unique<TCLFInverseLUT3D>(node, in);
  // The remaining nodes work on normalised values whatever the depths.
  if (SameName(name, "Log")) return MakeCLFLog(node);
  if (SameName(name, "Exponent") || SameName(name, "Gamma")) return MakeCLFExponent(node);
  if (SameName(name, "ASC_CDL")) return MakeCLFCDL(node);
  return nullptr;
}

}  // namespace

void TCLFChain::Evaluate(const TColor* in, TColor* out, std::size_t count) const {
  TSearchBudget budget = TSearchBudget::ForColours(count);
  Evaluate(in, out, count, budget);
}

void TCLFChain::Evaluate(const TColor* in, TColor* out, std::size_t count, TSearchBudget& budget) const {
  if (out != in) std::copy(in, in + count, out);
  for (const auto& op : Ops) op->Apply(out, count, budget);
}

bool IsProcessListName(std::string_view name) {
  if (const std::size_t colon = name.rfind(':'); colon != std::string_view::npos) name.remove_prefix(colon + 1);
  return XMLNamesMatch(name, "ProcessList");
}

TCLFChain ReadCLFDocument(std::string_view document) {
  TXMLNode doc;
  doc.LoadFromString(document);
  for (const auto& child : doc.Children) {
    if (IsProcessListName(child->Name)) return ReadCLFChain(*child);
  }
  // None: raises the reader's not-found error.
  return ReadCLFChain(doc.ChildByName("ProcessList"));
}

TCLFChain ReadCLFChain(TXMLNode& process_list) {
  // Elements of a namespace ("clf:LUT1D") are known by their local name.
  DropNamespacePrefixes(process_list);
  TCLFChain chain;
  for (const char* attribute : {"id", "name"}) {
    const std::string_view value = AttributeText(process_list, attribute);
    if (!value.empty()) chain.Comments.push_back(std::string(attribute) + ": " + DecodedXMLText(value));
  }
  const auto add_description = [&](const TXMLNode& node) {
    const std::string text = DecodedXMLText(Trim(node.Value.Text));
    if (!text.empty()) chain.Comments.push_back(text);
  };
  const TXMLNode* previous = nullptr;
  for (const auto& child : process_list.Children) {
    const TXMLNode& node = *child;
    if (SameName(node.Name, "Description")) {
      add_description(node);
      continue;
    }
    // What describes the pipeline and its colour spaces changes no colour.
    if (SameName(node.Name, "InputDescriptor") || SameName(node.Name, "OutputDescriptor") ||
        SameName(node.Name, "Info") || SameName(node.Name, "Id")) {
      continue;
    }
    std::unique_ptr<TCLFOp> op = MakeOp(node);
    if (!op) Fail(node, "The " + Quoted(node.Name) + " node is not supported.");
    if (node.HasChild("IndexMap")) {
      const auto* l1 = dynamic_cast<const TCLFLUT1D*>(op.get());
      const auto* l3 = dynamic_cast<const TCLFLUT3D*>(op.get());
      if (l1 == nullptr && l3 == nullptr) Fail(node, "The \"IndexMap\" of " + Quoted(node.Name) + " is not supported.");
      chain.Ops.push_back(IndexMapRange(node, l1 ? l1->Table.Size1D() : l3->Table.Size3D()));
    }
    for (const auto& inner : node.Children) {
      if (SameName(inner->Name, "Description")) add_description(*inner);
    }
    // Each node takes its values at the depth the one before it gave them.
    if (const TXMLNode* prev = previous; prev != nullptr && !SameName(AttributeText(*prev, "outBitDepth"),
                                                                      AttributeText(node, "inBitDepth"))) {
      Fail(node, "The inBitDepth " + Quoted(AttributeText(node, "inBitDepth")) + " of " + Quoted(node.Name) +
                     " differs from the outBitDepth " + Quoted(AttributeText(*prev, "outBitDepth")) +
                     " of the node before it.");
    }
    previous = &node;
    chain.Ops.push_back(std::move(op));
  }
  if (chain.Ops.empty()) Fail(process_list, "The \"ProcessList\" holds no process nodes.");
  return chain;
}

}  // namespace zelvo
