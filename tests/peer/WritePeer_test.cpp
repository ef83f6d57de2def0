// What we write, OpenColorIO reads to the same table: every format both tools
// know, at every point of the written grid, within half a code step of the
// depth written (1e-6 for decimal formats).
#include <gtest/gtest.h>

#include <OpenColorIO/OpenColorIO.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "TestFormats.h"
#include "registry/Registry.h"
#include "formats/LUTFormatImps.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

namespace OCIO = OCIO_NAMESPACE;

OCIO::ConstCPUProcessorRcPtr PeerProcessor(const std::string& file) {
  const auto config = OCIO::Config::CreateRaw();
  const auto transform = OCIO::FileTransform::Create();
  transform->setSrc(file.c_str());
  transform->setInterpolation(OCIO::INTERP_LINEAR);
  return config->getProcessor(transform)->getOptimizedCPUProcessor(OCIO::BIT_DEPTH_F32, OCIO::BIT_DEPTH_F32,
                                                                     OCIO::OPTIMIZATION_NONE);
}

struct Case {
  const char* profile;
  const char* extension;  // the name OpenColorIO knows the format by
  bool domain;            // written with an input domain other than 0..1
};

TEST(WritePeer, OpenColorIOReadsWhatWeWriteToTheSameTable) {
  const Case cases[] = {
      {"Cube 3D Iridas, Nuke, AfterEffects", "cube", false},
      {"Cube 3D Davinci", "cube", true},
      {"Cube 1D", "cube", false},
      {"Cube 1D", "cube", true},
      {"3DL Scratch, Autodesk, Blackmagic, Cine-tal", "3dl", false},
      {"Autodesk Lustre 3D", "3dl", false},  // 3DMESH
      {"Cube 3D Truelight", "cub", false},
      {"Filmlight Truelight 1D", "cub", false},
      {"Pandora 3D, Apple 3D m3d", "mga", false},
      {"Technicolor 3D mga", "mga", false},
      {"Codex 1D, Sony SRW-1, Scratch 1D", "lut", false},
      {"Academy/ASC CLF 3D", "clf", false},
      {"Academy/ASC CLF 3D", "clf", true},
      {"Academy/ASC CLF 1D", "clf", true},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    const TLutOutputProfile& profile = test::Profile(c.profile);
    SCOPED_TRACE(std::string(c.profile) + (c.domain ? " with a domain" : ""));
    const int n = profile.DefaultSize;
    TLUT lut;
    if (profile.Is3D) test::FillSample3D(lut, n);
    else test::FillSample1D(lut, n);
    const TLUTDomain domain{{-0.125, -0.125, -0.125}, {1.5, 1.5, 1.5}};
    if (c.domain) (profile.Is3D ? lut.Domain3D : lut.Domain1D) = domain;
    const TFileText text = SaveLUTText(lut, profile, -1, "written");
    // A name of its own for each file: OpenColorIO keeps what it read by name.
    const std::string file = dir.Write("written" + std::to_string(&c - cases) + "." + c.extension,
                                       std::string_view(text.data(), text.size()));
    OCIO::ConstCPUProcessorRcPtr peer;
    try {
      peer = PeerProcessor(file);
    } catch (const OCIO::Exception& e) {
      ADD_FAILURE() << "OpenColorIO refuses it: " << e.what();
      continue;
    }
    // Every grid point (every entry of a 1D table, the channels apart).
    std::vector<float> px;
    std::vector<TLUTEntry> expected;
    const TLUTDomain& d = lut.InputDomain();
    const auto at = [&](double min, double max, int i) { return min + (max - min) * i / (n - 1); };
    if (profile.Is3D) {
      ForEachRedFastest(n, [&](int r, int g, int b) {
        px.insert(px.end(), {float(at(d.Min.R, d.Max.R, r)), float(at(d.Min.G, d.Max.G, g)),
                             float(at(d.Min.B, d.Max.B, b))});
        expected.push_back(lut.Table3D(r, g, b));
      });
    } else {
      for (int i = 0; i < n; ++i) {
        const int g = (i * 7) % n, b = (i * 13) % n;
        px.insert(px.end(), {float(at(d.Min.R, d.Max.R, i)), float(at(d.Min.G, d.Max.G, g)),
                             float(at(d.Min.B, d.Max.B, b))});
        expected.push_back(TLUTEntry{lut.Table1D(i).R, lut.Table1D(g).G, lut.Table1D(b).B});
      }
    }
    OCIO::PackedImageDesc image(px.data(), static_cast<long>(expected.size()), 1, 3);
    peer->apply(image);
    const double tolerance = profile.DefaultBits > 0 ? 0.5 / (std::ldexp(1.0, profile.DefaultBits) - 1) + 1e-6 : 1e-6;
    int reported = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const double want[] = {expected[i].R, expected[i].G, expected[i].B};
      for (int ch = 0; ch < 3; ++ch) {
        const double got = px[3 * i + static_cast<std::size_t>(ch)];
        if (std::fabs(got - want[ch]) > tolerance && reported++ < 3) {
          ADD_FAILURE() << "point " << i << " channel " << ch << ": " << got << " against " << want[ch];
        }
      }
    }
  }
}

}  // namespace
}  // namespace zelvo

namespace zelvo {
namespace {

// A grade baked by OpenColorIO's own writers at test time: we read each file
// to the grade itself at the file's grid points.
TEST(WritePeer, WeReadWhatOpenColorIOBakes) {
  const auto config = OCIO::Config::CreateRaw()->createEditableCopy();
  const auto display = OCIO::ColorSpace::Create();
  display->setName("graded");
  const auto cdl = OCIO::CDLTransform::Create();
  const double slope[] = {1.1, 1.0, 0.9}, offset[] = {0.01, 0.0, -0.01}, power[] = {1.2, 1.0, 0.8};
  cdl->setSlope(slope);
  cdl->setOffset(offset);
  cdl->setPower(power);
  cdl->setSat(0.7);
  display->setTransform(cdl, OCIO::COLORSPACE_DIR_FROM_REFERENCE);
  config->addColorSpace(display);
  const auto grade = config->getProcessor("raw", "graded")->getDefaultCPUProcessor();
  struct Case {
    const char* baker;
    const char* name;
    double tolerance;
  };
  const Case cases[] = {
      {"iridas_cube", "baked.cube", 1e-5},
      {"resolve_cube", "baked_resolve.cube", 1e-5},
      {"flame", "baked.3dl", 0.5 / 4095 + 1e-5},
      {"lustre", "baked_lustre.3dl", 0.5 / 4095 + 1e-5},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.baker);
    const auto baker = OCIO::Baker::Create();
    baker->setConfig(config);
    baker->setFormat(c.baker);
    baker->setInputSpace("raw");
    baker->setTargetSpace("graded");
    baker->setCubeSize(17);
    std::ostringstream out;
    baker->bake(out);
    const std::string file = dir.Write(c.name, out.str());
    TLUT lut;
    LoadLUTFile(file, lut);
    // At the points of the baked grid, whatever stages the file holds.
    const int n = 17;
    int reported = 0;
    ForEachRedFastest(n, [&](int r, int g, int b) {
      float px[3] = {float(r) / (n - 1), float(g) / (n - 1), float(b) / (n - 1)};
      const TColor e = EvaluateLUT(lut, TColor{px[0], px[1], px[2]});
      grade->applyRGB(px);
      const double ours[] = {e.R, e.G, e.B};
      for (int ch = 0; ch < 3; ++ch) {
        // The integer writers clamp to the codes they have.
        const double want = std::strstr(c.baker, "cube") ? px[ch] : std::clamp<double>(px[ch], 0.0, 1.0);
        if (std::fabs(ours[ch] - want) > c.tolerance && reported++ < 3) {
          ADD_FAILURE() << r << " " << g << " " << b << " channel " << ch << ": " << ours[ch] << " against " << want;
        }
      }
    });
  }
}

}  // namespace
}  // namespace zelvo
