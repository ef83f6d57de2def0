#include "formats/CDLLib.h"

#include <cfloat>
#include <cmath>
#include <string_view>
#include <vector>

#include "base/StringLib.h"
#include "base/XMLNode.h"
#include "base/Errors.h"
#include "formats/XMLTables.h"

namespace zelvo {

namespace {

// One number of a Slope, Offset or Power text, in single precision.
float ToSingle(std::string_view field) {
  const double v = StrToFloat(field);
  // A value beyond single precision would turn the whole table into infinities.
  if (!(std::fabs(v) <= FLT_MAX)) throw EConvertError::InvalidFloat(field);
  return static_cast<float>(v);
}

// The three numbers of a Slope, Offset or Power text. Blanks (line breaks
// included) around the text and runs of blanks and commas between the numbers
// are allowed, as tools write "1.0 1.0 1.0", "1.0,1.0,1.0" and "1.0, 1.0, 1.0"
// alike; a missing number raises the conversion error for an empty field, and
// anything after the third number is ignored.
void ReadThree(std::string_view text, float& r, float& g, float& b) {
  const auto is_separator = [](char c) { return IsBlank(c) || c == ','; };
  float* out[3] = {&r, &g, &b};
  std::string_view rest = text;
  for (float* v : out) {
    while (!rest.empty() && is_separator(rest.front())) rest.remove_prefix(1);
    std::size_t n = 0;
    while (n < rest.size() && !is_separator(rest[n])) ++n;
    *v = ToSingle(rest.substr(0, n));
    rest.remove_prefix(n);
  }
}

}  // namespace

void ReadCDL(std::string_view document, TCDLData& cdl) {
  TXMLNode doc;
  doc.LoadFromString(document);
  ReadCorrection(doc.ChildByName("ColorCorrection"), cdl);
}

void ReadCorrection(const TXMLNode& cc, TCDLData& cdl) {
  TCDLData read;
  if (const TXMLValue* id = cc.Attributes.Find("id")) read.Id = id->Text;
  // Some tools spell the two nodes after the ASC's element names.
  const TXMLNode* sop_node = cc.FindChild("SOPNode");
  if (sop_node == nullptr) sop_node = cc.FindChild("ASC_SOP");
  const TXMLNode& sop = sop_node != nullptr ? *sop_node : cc.ChildByName("SOPNode");  // not found: raises
  const TXMLNode& slope = sop.ChildByName("Slope");
  const TXMLNode& offset = sop.ChildByName("Offset");
  const TXMLNode& power = sop.ChildByName("Power");
  // A number that does not convert is shown with the line of its element.
  PlacedAt(slope.Offset, [&] { ReadThree(slope.Value.Text, read.SOP[0].Slope, read.SOP[1].Slope, read.SOP[2].Slope); });
  PlacedAt(offset.Offset,
           [&] { ReadThree(offset.Value.Text, read.SOP[0].Offset, read.SOP[1].Offset, read.SOP[2].Offset); });
  PlacedAt(power.Offset, [&] { ReadThree(power.Value.Text, read.SOP[0].Power, read.SOP[1].Power, read.SOP[2].Power); });
  read.Saturation = 1.0f;
  const TXMLNode* sat_node = cc.FindChild("SATNode");
  if (sat_node == nullptr) sat_node = cc.FindChild("ASC_SAT");
  if (sat_node != nullptr) {
    if (const TXMLNode* sat = sat_node->FindChild("Saturation")) {
      PlacedAt(sat->Offset, [&] {
        const double s = sat->Value.AsFloat();
        if (!(std::fabs(s) <= FLT_MAX)) throw EConvertError::InvalidFloat(Trim(sat->Value.Text));
        read.Saturation = static_cast<float>(s);
      });
    }
  }
  cdl = std::move(read);
}

std::vector<const TXMLNode*> CollectionCorrections(const TXMLNode& doc) {
  std::vector<const TXMLNode*> found;
  const auto take = [&found](const TXMLNode& parent) {
    for (const auto& child : parent.Children) {
      if (XMLNamesMatch(child->Name, "ColorCorrection")) found.push_back(child.get());
    }
  };
  if (const TXMLNode* list = doc.FindChild("ColorDecisionList")) {
    for (const auto& decision : list->Children) {
      if (XMLNamesMatch(decision->Name, "ColorDecision")) take(*decision);
    }
  } else {
    take(doc.ChildByName("ColorCorrectionCollection"));
  }
  return found;
}

const TXMLNode& ChosenCorrection(const TXMLNode& document, const std::string& item_id, std::string& ids) {
  const std::vector<const TXMLNode*> corrections = CollectionCorrections(document);
  if (corrections.empty()) throw ELUTError("The collection holds no ColorCorrection.");
  ids.clear();
  const TXMLNode* chosen = item_id.empty() ? corrections.front() : nullptr;
  for (const TXMLNode* cc : corrections) {
    const TXMLValue* id = cc->Attributes.Find("id");
    const std::string text = id != nullptr ? id->Text : std::string();
    if (!ids.empty()) ids += ", ";
    ids += text.empty() ? "(no id)" : text;
    if (chosen == nullptr && text == item_id) chosen = cc;
  }
  if (chosen == nullptr) {
    throw ELUTError("The collection holds no correction \"" + item_id + "\" (its ids: " + ids + ").");
  }
  return *chosen;
}

void ReadCorrectionOf(std::string_view document, const std::string& item_id, TCDLData& cdl) {
  TXMLNode doc;
  doc.LoadFromString(document);
  if (const TXMLNode* single = doc.FindChild("ColorCorrection")) {
    ReadCorrection(*single, cdl);
    return;
  }
  std::string ids;
  ReadCorrection(ChosenCorrection(doc, item_id, ids), cdl);
}

void ApplyCDL(const TCDLData& cdl, float in_r, float in_g, float in_b, float& out_r, float& out_g, float& out_b) {
  const float in[3] = {in_r, in_g, in_b};
  float out[3];
  for (int c = 0; c < 3; ++c) {
    const TCDLChannel& ch = cdl.SOP[c];
    const float scaled = in[c] * ch.Slope;
    const float v = scaled + ch.Offset;
    // Only positive values are raised to the power; the rest clip to 0.
    out[c] = v > 0.0f ? std::pow(v, ch.Power) : 0.0f;
  }
  const float sum = out[0] + out[1] + out[2];
  const float mean = sum / 3.0f;
  const float sat = cdl.Saturation;
  const float keep = 1.0f - sat;
  for (float& o : out) {
    const float own = o * sat;
    const float mix = keep * mean;
    o = own + mix;
  }
  out_r = out[0];
  out_g = out[1];
  out_b = out[2];
}

}  // namespace zelvo
