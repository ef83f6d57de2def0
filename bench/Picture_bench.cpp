// Pictures and ICC profiles: the LUT on a full-HD picture, fitting a large
// picture into the preview, and LUTs from a display profile.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "BenchSupport.h"
#include "convert/ICCConversion.h"
#include "image/ApplyLUT.h"
#include "image/ImageLUT.h"
#include "image/JpegFile.h"
#include "image/PictureIO.h"
#include "image/PictureFile.h"
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

// The steps of `zelvo-lut apply` on a 3840 x 2160 picture with a 33-point
// LUT, JPEG to JPEG: decoding, applying (on every core), encoding. Target for
// the whole command: under 120 ms on two cores.
void BM_DecodeJpeg3840x2160(benchmark::State& state) {
  const std::string jpeg = EncodeJpeg(Pattern(3840, 2160), kJpegQuality);
  for (auto _ : state) {
    const TBitmap24 picture = DecodeJpeg(jpeg);
    benchmark::DoNotOptimize(picture.Pixels());
  }
}
BENCHMARK(BM_DecodeJpeg3840x2160)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EncodeJpeg3840x2160(benchmark::State& state) {
  const TBitmap24 picture = Pattern(3840, 2160);
  for (auto _ : state) benchmark::DoNotOptimize(EncodeJpeg(picture, kJpegQuality).size());
}
BENCHMARK(BM_EncodeJpeg3840x2160)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ApplyLUT33To3840x2160(benchmark::State& state) {
  const auto lut = GradedTable(33);
  TBitmap24 picture = Pattern(3840, 2160);
  for (auto _ : state) {
    ApplyLUTToBitmap(*lut, picture);
    benchmark::DoNotOptimize(picture.Pixels());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 3840 * 2160);
}
BENCHMARK(BM_ApplyLUT33To3840x2160)->Unit(benchmark::kMillisecond)->UseRealTime();

// A float picture (an OpenEXR frame) with values beyond 1.
void BM_ApplyLUT33ToFloat3840x2160(benchmark::State& state) {
  const auto lut = GradedTable(33);
  TFloatPicture picture = FloatPictureOf(Pattern(3840, 2160));
  for (std::size_t i = 0; i < picture.SampleCount(); i += 7) picture.Samples()[i] *= 1.5f;
  const TFloatPicture source = picture.Copy();
  for (auto _ : state) {
    ApplyLUTToFloatPicture(*lut, picture);
    benchmark::DoNotOptimize(picture.Samples());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 3840 * 2160);
}
BENCHMARK(BM_ApplyLUT33ToFloat3840x2160)->Unit(benchmark::kMillisecond)->UseRealTime();

// OpenEXR float frames read and written through the picture module.
void BM_ExrFloat3840x2160(benchmark::State& state) {
  const TFloatPicture picture = FloatPictureOf(Pattern(3840, 2160));
  const std::string exr = EncodeFloatPicture(picture, TPictureFileType::Exr, TPictureDepth::pdFloat);
  for (auto _ : state) {
    if (state.range(0) == 0) {
      benchmark::DoNotOptimize(DecodeFloatPicture(exr).Samples());
    } else {
      benchmark::DoNotOptimize(EncodeFloatPicture(picture, TPictureFileType::Exr, TPictureDepth::pdFloat).size());
    }
  }
}
BENCHMARK(BM_ExrFloat3840x2160)->Arg(0)->Arg(1)->ArgNames({"write"})->Unit(benchmark::kMillisecond)->UseRealTime();

// A Hald CLUT of level 16 (256 points, 4096 x 4096): detected and read, and written as 16-bit PNG.
void BM_HaldLevel16(benchmark::State& state) {
  const auto lut = GradedTable(256);
  const TFloatPicture picture = PictureOfLUT(*lut, HaldLayout(16));
  for (auto _ : state) {
    if (state.range(0) == 0) {
      benchmark::DoNotOptimize(ReadImageLUT(picture).Data3D());
    } else {
      benchmark::DoNotOptimize(EncodeImageLUT(*lut, HaldLayout(16), TPictureFileType::Png, TPictureDepth::pd16).size());
    }
  }
}
BENCHMARK(BM_HaldLevel16)->Arg(0)->Arg(1)->ArgNames({"write"})->Unit(benchmark::kMillisecond)->UseRealTime();

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
