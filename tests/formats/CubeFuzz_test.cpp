// Truncated, byte-flipped and random copies of real cube files through
// detection and every cube reader: a table or one of our errors, nothing else.
#include <gtest/gtest.h>

#include <random>

#include "TestLUTs.h"
#include "registry/Registry.h"

namespace zelvo {
namespace {

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
  const std::vector<std::string> tokens = {"LUT_3D_SIZE ", "LUT_1D_SIZE ", "NUCODA_3D_CUBE ", "# width ", "# lutLength ",
                                "101", "102", "-1", "0", "2147483648", "1e308", "nan", "\r", "\n", "\xEF\xBB\xBF",
                                ",", "\t", "#", "\0"};
  using F = TLUTFormatId;
  int loaded = 0, refused = 0;
  for (const std::string& text : test::MutatedCopies(seeds, tokens, 60, 12345)) {
    for (const F format : {F::None, F::Cube3DTruelight, F::Cube3D, F::Nucoda3D, F::Cube1D}) {
      TLUT lut;
      try {
        LoadLUTFromMemory(loaded % 2 ? "f.cube" : "f.cms", text, lut, format);
      } catch (const EZelvoError&) {
        ++refused;  // a clear error is an allowed outcome
        continue;
      }
      ++loaded;
      if (lut.FormatIndex == F::None) continue;  // not recognised: nothing read
      if (format != F::None) {
        EXPECT_EQ(lut.FormatIndex, format);
      }
      test::ExpectConsistentTable(lut, text);
    }
  }
  // Both outcomes occur, so the mutations reach the readers' deep paths.
  EXPECT_GT(loaded, 50);
  EXPECT_GT(refused, 50);
}

}  // namespace
}  // namespace zelvo
