// Truncated, byte-flipped and random copies of real cube files through
// detection and every cube reader: a table or one of our errors, nothing else.
#include <gtest/gtest.h>

#include <random>

#include "TestSupport.h"
#include "formats/LUTFormat.h"

namespace zelvo {
namespace {

struct Outcomes {
  int loaded = 0;
  int refused = 0;
};

void LoadAnyway(const std::string& file, Outcomes& outcomes) {
  for (int index : {-1, 0, 1, 5, 7}) {
    TLUT lut;
    try {
      LoadLUTFile(file, lut, index);
      ++outcomes.loaded;
    } catch (const EZelvoError&) {
      ++outcomes.refused;  // a clear error is an allowed outcome
    }
  }
}

TEST(CubeFuzz, MutatedFilesEndInATableOrAnError) {
  std::vector<std::string> seeds = {
      "# c\nLUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n",
      "LUT_1D_SIZE 3\nLUT_3D_SIZE 2\n0 0 0\n0.5 0.5 0.5\n1 1 1\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n",
      "# Truelight Cube v2.0\n# lutLength 2\n# iDims 3\n# oDims 3\n# width 2 2 2\n# InputLUT\n0 0 0\n1 1 1\n"
      "# Cube\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n# end\n",
      "NUCODA_3D_CUBE 1\nTITLE \"t\"\nLUT_1D_SIZE 2\nLUT_3D_SIZE 2\n0 0 0\n33 33 33\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n"
      "0 0 1\n1 0 1\n0 1 1\n1 1 1\n",
      "LUT_1D_SIZE 2\n0 0 0\n1 1 1\n",
  };
  for (const char* peer : {"OpenColorIO/resolve_1d3d.cube", "OpenColorIO/iridas_1d.cube",
                           "OpenColorIO-inline-samples/FileFormatTruelight_tests__shaper_and_lut_3d.cub"}) {
    const std::string file = test::PeerFile(peer);
    if (!file.empty()) seeds.push_back(test::ReadAll(file));
  }
  const std::string tokens[] = {"LUT_3D_SIZE ", "LUT_1D_SIZE ", "NUCODA_3D_CUBE ", "# width ", "# lutLength ",
                                "101", "102", "-1", "0", "2147483648", "1e308", "nan", "\r", "\n", "\xEF\xBB\xBF",
                                ",", "\t", "#", "\0"};
  test::TempDir dir;
  std::mt19937 rng(12345);
  Outcomes outcomes;
  for (const std::string& seed : seeds) {
    for (int i = 0; i < 60; ++i) {
      std::string text = seed;
      switch (i % 4) {
        case 0:  // truncated
          text.resize(rng() % (text.size() + 1));
          break;
        case 1:  // bytes flipped
          for (int k = 0; k < 4 && !text.empty(); ++k) text[rng() % text.size()] = static_cast<char>(rng());
          break;
        case 2: {  // a token put somewhere
          const std::string& t = tokens[rng() % std::size(tokens)];
          text.insert(rng() % (text.size() + 1), t);
          break;
        }
        default:  // random bytes after a valid header
          text = text.substr(0, text.find('\n') + 1);
          for (int k = 0; k < 200; ++k) text.push_back(static_cast<char>(rng() % 64 + 32 * (rng() % 2)));
      }
      LoadAnyway(dir.Write(i % 2 ? "f.cube" : "f.cms", text), outcomes);
    }
  }
  // Both outcomes occur, so the mutations reach the readers' deep paths.
  EXPECT_GT(outcomes.loaded, 50);
  EXPECT_GT(outcomes.refused, 50);
}

}  // namespace
}  // namespace zelvo
