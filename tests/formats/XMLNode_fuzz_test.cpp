// Random and mutated documents through the XML reader and the readers built on
// it. Seeded, so every run sees the same inputs; the only allowed outcomes are
// a result or one of our errors (and no sanitizer report).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TestLUTs.h"
#include "formats/CDLLib.h"
#include "registry/Registry.h"
#include "base/StringLib.h"
#include "base/XMLNode.h"
#include "base/Errors.h"

namespace zelvo {
namespace {

constexpr TLUTFormatId kClipster = TLUTFormatId::Clipster3D, kStwo = TLUTFormatId::Stwo1D,
                       kSpeedgrade = TLUTFormatId::SpeedgradeLook3D, kCDL = TLUTFormatId::ASC_CDL,
                       kPFClean = TLUTFormatId::PFClean3D;
// The CDL reader alone, without building the table.
constexpr TLUTFormatId kCDLRecord = TLUTFormatId::None;

// A document and the formats its mutations are read with.
struct Seed {
  std::string text;
  std::vector<TLUTFormatId> formats;
};

std::vector<Seed> Seeds() {
  const std::string texts[] = {
      "<LUT3D name='a' N='2' BitDepth='10'>\n<values>\n0 0 0\n0 0 1023\n0 1023 0\n0 1023 1023\n1023 0 0\n"
      "1023 0 1023\n1023 1023 0\n1023 1023 1023\n</values>\n</LUT3D>\n",
      "<?xml version=\"1.0\"?>\n<lut name=\"b\">\n<data>\n<elem r=\"0\" g=\"0\" b=\"0\"/>\n"
      "<elem r=\"1023\" g=\"511,5\" b=\"1023\"/>\n</data>\n</lut>\n",
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<lut type=\"ascii\">\n<maximum>255</maximum>\n"
      "<size>2</size>\n<cube>\n0 0 0\n0 0 255\n0 255 0\n0 255 255\n255 0 0\n255 0 255\n255 255 0\n255 255 255\n"
      "</cube>\n</lut>\n",
      "<?xml version=\"1.0\" ?>\n<look>\n<shaders><base/></shaders>\n<LUT>\n<size>\"2\"</size>\n<data>\""
      "000000000000000000000000 0000803f000000000000000000000000 0000803f00000000 0000803f0000803f00000000\n"
      "00000000000000000000803f 0000803f000000000000803f00000000 0000803f0000803f 0000803f0000803f0000803f\"</data>\n"
      "</LUT>\n</look>\n",
      "<ColorCorrection id=\"x\">\n<SOPNode>\n<Slope>1.1 1 0.9</Slope>\n<Offset>0.01 0 -0.02</Offset>\n"
      "<Power>1 1.2 0.8</Power>\n</SOPNode>\n<SatNode><Saturation>0.8</Saturation></SatNode>\n</ColorCorrection>\n",
      "<!-- c --><a x='1'><![CDATA[<b>]]>text<b/><c>1</wrong></a>",
  };
  const std::vector<TLUTFormatId> all = {kClipster, kStwo, kSpeedgrade, kPFClean, kCDLRecord};
  std::vector<Seed> seeds = {{texts[0], {kClipster}},   {texts[1], {kStwo}},       {texts[2], {kPFClean}},
                             {texts[3], {kSpeedgrade}}, {texts[4], {kCDLRecord}}, {texts[5], all}};
  const std::pair<const char*, TLUTFormatId> peers[] = {
      {"OpenColorIO/cdl_test1.cc", kCDLRecord},
      {"OpenColorIO/cdl_test1.cdl", kCDLRecord},
      {"OpenColorIO-inline-samples/FileFormatIridasLook_tests__fail_on_mask.look", kSpeedgrade}};
  for (const auto& [peer, format] : peers) {
    const std::string file = test::PeerFile(peer);
    if (!file.empty()) seeds.push_back({test::ReadAll(file), {format}});
  }
  return seeds;
}

// Pieces of markup that the mutations insert.
const char* const kTokens[] = {"<",  ">",       "/>",   "</",  "<?", "?>",   "<!--",     "-->",  "<![CDATA[",
                               "]]>", "'",      "\"",   "=",   " ",  "\n",   "\r",       "<a>",  "</a>",
                               ",",  "0000c07f", "1e39", "-1",  "0",  "102", "100002",   "\"0\"", "&"};

class Mutator {
 public:
  explicit Mutator(unsigned seed) : rng_(seed) {}

  std::size_t Below(std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }

  std::string Random() {
    static const std::string alphabet = "<>/?!-[]'\"= \n\tabcdeflutmxNBDpvsizhr0123456789.,";
    std::string s(Below(400), ' ');
    for (char& c : s) c = alphabet[Below(alphabet.size())];
    return s;
  }

  std::string Mutate(std::string s) {
    const std::size_t steps = 1 + Below(6);
    for (std::size_t k = 0; k < steps; ++k) {
      const std::size_t pos = Below(s.size() + 1);
      switch (Below(12)) {
        case 0:  // flip a byte
          if (!s.empty()) s[Below(s.size())] = static_cast<char>(Below(256));
          break;
        case 1:  // insert a token
          s.insert(pos, kTokens[Below(std::size(kTokens))]);
          break;
        case 2:  // delete a range
          s.erase(pos, Below(64));
          break;
        case 3:  // duplicate a range
          s.insert(pos, s.substr(Below(s.size() + 1), Below(128)));
          break;
        case 4:  // truncate
          s.resize(pos);
          break;
        case 5: {  // open many elements (now and then past the depth bound)
          std::string run;
          for (std::size_t i = Below(300); i > 0; --i) run += "<x>";
          s.insert(pos, run);
          break;
        }
        case 6:  // a random byte anywhere
          s.insert(pos, 1, static_cast<char>(Below(256)));
          break;
        default:  // a token at a tag boundary
          if (const std::size_t lt = s.find('<', pos); lt != std::string::npos) s.insert(lt, kTokens[Below(std::size(kTokens))]);
          break;
      }
    }
    return s;
  }

 private:
  std::mt19937 rng_;
};

// Converts the texts that look like numbers, as the formats would; the rest
// would only raise the same conversion error over and over.
void Walk(const TXMLNode& node) {
  const auto convert = [](const TXMLValue& v) {
    const std::string_view t = Trim(v.Text);
    if (t.empty() || t.find_first_of("0123456789") > 1) return;
    try {
      v.AsInteger();
    } catch (const EZelvoError&) {
    }
  };
  convert(node.Value);
  for (const auto& item : node.Attributes.Items) convert(item.second);
  for (const auto& child : node.Children) Walk(*child);
}

TEST(XMLFuzz, RandomAndMutatedInputsEndInAResultOrOurError) {
  const std::vector<Seed> seeds = Seeds();
  const std::vector<TLUTFormatId> all = {kClipster, kStwo, kSpeedgrade, kPFClean, kCDLRecord};
  TLUT lut;
  Mutator m(20261208);
  int loaded = 0, refused = 0;
  for (int i = 0; i < 2000; ++i) {
    const Seed& seed = seeds[m.Below(seeds.size())];
    const bool random = i % 10 == 0;
    const std::string input = random ? m.Random() : m.Mutate(seed.text);
    try {
      TXMLNode doc;
      doc.LoadFromString(input);
      Walk(doc);
    } catch (const EZelvoError&) {
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what() << " for input:\n" << input;
    }
    const TLUTSource source("fuzz.xml", input);
    for (TLUTFormatId format : random ? all : seed.formats) {
      // Building the 33-point table is the slow part of a CDL load: do it for
      // a share of the inputs and only read the correction for the rest.
      if (format == kCDLRecord && i % 8 == 0) format = kCDL;
      try {
        if (format == kCDLRecord) {
          TCDLData cdl;
          ReadCDL(input, cdl);
        } else {
          LUTFormatOf(format).Load(source, lut);
          test::ExpectConsistentTable(lut, input, format != kSpeedgrade);  // looks may hold infinities
        }
        ++loaded;
      } catch (const EZelvoError&) {
        ++refused;
      } catch (const std::exception& e) {
        ADD_FAILURE() << "format " << IndexOf(format) << ": " << e.what() << " for input:\n" << input;
      }
    }
  }
  // Both outcomes occur, so the mutations reach past the first checks.
  EXPECT_GT(loaded, 600);
  EXPECT_GT(refused, 400);
}

}  // namespace
}  // namespace zelvo
