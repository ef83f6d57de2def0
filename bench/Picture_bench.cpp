// Pictures and ICC profiles: the LUT on a full-HD picture, fitting a large
// picture into the preview, and LUTs from a display profile.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "BenchSupport.h"
#include "convert/ICCConversion.h"
#include "image/ApplyLUT.h"
#include "image/Preview.h"

namespace zelvo::bench {
namespace {

// A picture with every byte value in use, cheap to make at any size.
TBitmap24 Pattern(int w, int h) {
  TBitmap24 b = TBitmap24::Uninitialised(w, h);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* p = b.Row(y);
    for (int x = 0; x < w; ++x, p += 3) {
      p[0] = static_cast<std::uint8_t>(x + y);
      p[1] = static_cast<std::uint8_t>(x * 3);
      p[2] = static_cast<std::uint8_t>(y * 5 + x / 7);
    }
  }
  return b;
}

// Target: under 60 ms for a 33-point LUT on 1920 x 1080.
void BM_ApplyLUT33To1920x1080(benchmark::State& state) {
  const auto lut = GradedTable(33);
  TBitmap24 picture = Pattern(1920, 1080);
  for (auto _ : state) {
    ApplyLUTToBitmap(*lut, picture);
    benchmark::DoNotOptimize(picture.Pixels());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 1920 * 1080);
}
BENCHMARK(BM_ApplyLUT33To1920x1080)->Unit(benchmark::kMillisecond);

// Target: under 250 ms for fitting 4000 x 3000 into the pane with Lanczos3.
void BM_FitPreview4000x3000(benchmark::State& state) {
  const TBitmap24 picture = Pattern(4000, 3000);
  for (auto _ : state) {
    const TBitmap24 fitted = FitPreviewBitmap(picture);
    benchmark::DoNotOptimize(fitted.Pixels());
  }
}
BENCHMARK(BM_FitPreview4000x3000)->Unit(benchmark::kMillisecond);

// Targets: 33 points under 100 ms, 99 points (the largest the dialog builds)
// under 1.5 s, from a display profile with sRGB as the second colour space;
// the transform is built anew each time, as Convert does.
void BM_ICCLUTFromDisplayProfile(benchmark::State& state) {
  TICCConvertSettings settings;
  settings.Profile = "/usr/share/color/icc/compatibleWithAdobeRGB1998.icc";
  if (!std::filesystem::exists(settings.Profile)) {
    state.SkipWithError("icc-profiles-free is not installed (scripts/bootstrap.sh)");
    return;
  }
  const TLutOutputProfile& profile = *OutputProfileByCaption("Cube 3D Davinci");
  const std::string size = std::to_string(state.range(0));
  for (auto _ : state) {
    const TLUT lut = BuildICCLUT(BuildICCConvertTransform(settings), profile, size);
    benchmark::DoNotOptimize(lut.Data3D());
  }
}
BENCHMARK(BM_ICCLUTFromDisplayProfile)->Arg(33)->Arg(99)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvo::bench
