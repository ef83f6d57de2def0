#include "image/GridEvaluator.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <thread>

#include "image/FloatPicture.h"

namespace zelvo {

namespace {

// Red and green in one vector of two doubles (a register on every x86-64
// and ARM64 processor), blue beside it. Every operation is the one
// Interpolate3D does per channel, so each lane rounds exactly as it does.
typedef double TVec2 __attribute__((vector_size(16)));

struct TRgb {
  TVec2 rg;
  double b;
};

[[gnu::always_inline]] inline TRgb Load(const TGridEvaluator::TCorner& c) {
  TVec2 rg;
  std::memcpy(&rg, c.v, sizeof rg);
  return TRgb{rg, c.v[2]};
}

[[gnu::always_inline]] inline TRgb Lerp(const TRgb& a, const TRgb& b, double f) {
  const double keep = 1.0 - f;
  const TVec2 lo = keep * a.rg;
  const TVec2 hi = f * b.rg;
  const double lo_b = keep * a.b;
  const double hi_b = f * b.b;
  return TRgb{lo + hi, lo_b + hi_b};
}

constexpr std::size_t kChunk = 1024;

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ZELVO_AVX2_KERNEL 1
// All three channels in one vector of four doubles, on processors with AVX2
// (no FMA: a fused multiply-add would round differently from Interpolate3D).
typedef double TVec4 __attribute__((vector_size(32), may_alias));
#define ZELVO_LERP4(a, b, f) ((1.0 - (f)) * (a) + (f) * (b))

__attribute__((target("avx2"))) void EvaluateBgr8Avx2(const TGridEvaluator::TCorner* corners, std::size_t n,
                                                      const TGridEvaluator::TPos* const positions[3],
                                                      std::uint8_t* pixels, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i, pixels += 3) {
    const TGridEvaluator::TPos& r = positions[0][pixels[2]];
    const TGridEvaluator::TPos& g = positions[1][pixels[1]];
    const TGridEvaluator::TPos& b = positions[2][pixels[0]];
    const std::size_t r0 = static_cast<std::size_t>(r.index), r1 = static_cast<std::size_t>(r.next);
    const std::size_t g0 = static_cast<std::size_t>(g.index) * n, g1 = static_cast<std::size_t>(g.next) * n;
    const std::size_t b0 = static_cast<std::size_t>(b.index) * n * n, b1 = static_cast<std::size_t>(b.next) * n * n;
#define ZELVO_CORNER(i) (*reinterpret_cast<const TVec4*>(corners[i].v))
    const TVec4 c00 = ZELVO_LERP4(ZELVO_CORNER(b0 + g0 + r0), ZELVO_CORNER(b1 + g0 + r0), b.frac);
    const TVec4 c01 = ZELVO_LERP4(ZELVO_CORNER(b0 + g1 + r0), ZELVO_CORNER(b1 + g1 + r0), b.frac);
    const TVec4 c10 = ZELVO_LERP4(ZELVO_CORNER(b0 + g0 + r1), ZELVO_CORNER(b1 + g0 + r1), b.frac);
    const TVec4 c11 = ZELVO_LERP4(ZELVO_CORNER(b0 + g1 + r1), ZELVO_CORNER(b1 + g1 + r1), b.frac);
#undef ZELVO_CORNER
    const TVec4 e0 = ZELVO_LERP4(c00, c01, g.frac);
    const TVec4 e1 = ZELVO_LERP4(c10, c11, g.frac);
    const TVec4 out = ZELVO_LERP4(e0, e1, r.frac);
    pixels[0] = static_cast<std::uint8_t>(QuantizeSample(out[2], 255.0));
    pixels[1] = static_cast<std::uint8_t>(QuantizeSample(out[1], 255.0));
    pixels[2] = static_cast<std::uint8_t>(QuantizeSample(out[0], 255.0));
  }
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

const std::array<double, 256>& Normalised8() {
  // code / 255, each quotient rounded once, as ApplyLUTToColor divides.
  static const auto table = [] {
    std::array<double, 256> t{};
    for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = i / 255.0;
    return t;
  }();
  return table;
}

// An input brought from the domain onto the table's 0..1, as the evaluation does.
inline double ToTable(double v, double lo, double hi) { return (v - lo) / (hi - lo); }

}  // namespace

TGridEvaluator::TGridEvaluator(const TLUT& lut) : lut_(lut) {
  // The fast path reads cells trilinearly; a table read otherwise takes the
  // general one, which follows its Interpolation3D.
  grid_ = lut.Kind == TLUTKind::lk3D && lut.Size3D() >= kMinUsableSize &&
          lut.Interpolation3D == TInterpolation::Trilinear;
  if (!grid_) return;
  size_ = lut.Size3D();
  unit_ = lut.Domain3D.IsUnit();
  const std::size_t count = static_cast<std::size_t>(size_) * static_cast<std::size_t>(size_) * static_cast<std::size_t>(size_);
  corners_.resize(count);
  const TLUTEntry* t = lut.Data3D();
  for (std::size_t i = 0; i < count; ++i) corners_[i] = TCorner{{t[i].R, t[i].G, t[i].B, 0.0}};
  const TLUTDomain& d = lut.Domain3D;
  const double lo[3] = {d.Min.R, d.Min.G, d.Min.B};
  const double hi[3] = {d.Max.R, d.Max.G, d.Max.B};
  for (std::size_t c = 0; c < 3; ++c) {
    positions8_[c].resize(256);
    for (std::size_t code = 0; code < 256; ++code) {
      const double v = Normalised8()[code];
      positions8_[c][code] = Position(unit_ ? v : ToTable(v, lo[c], hi[c]));
    }
  }
}

TGridEvaluator::TPos TGridEvaluator::Position(double input) const { return LocateOnGrid(input, size_); }

TColor TGridEvaluator::Interpolate(const TPos& r, const TPos& g, const TPos& b) const {
  const std::size_t n = static_cast<std::size_t>(size_);
  const TCorner* t = corners_.data();
  const std::size_t r0 = static_cast<std::size_t>(r.index), r1 = static_cast<std::size_t>(r.next);
  const std::size_t g0 = static_cast<std::size_t>(g.index) * n, g1 = static_cast<std::size_t>(g.next) * n;
  const std::size_t b0 = static_cast<std::size_t>(b.index) * n * n, b1 = static_cast<std::size_t>(b.next) * n * n;
  const TRgb c00 = Lerp(Load(t[b0 + g0 + r0]), Load(t[b1 + g0 + r0]), b.frac);
  const TRgb c01 = Lerp(Load(t[b0 + g1 + r0]), Load(t[b1 + g1 + r0]), b.frac);
  const TRgb c10 = Lerp(Load(t[b0 + g0 + r1]), Load(t[b1 + g0 + r1]), b.frac);
  const TRgb c11 = Lerp(Load(t[b0 + g1 + r1]), Load(t[b1 + g1 + r1]), b.frac);
  const TRgb e0 = Lerp(c00, c01, g.frac);
  const TRgb e1 = Lerp(c10, c11, g.frac);
  const TRgb out = Lerp(e0, e1, r.frac);
  return TColor{out.rg[0], out.rg[1], out.b};
}

void TGridEvaluator::Evaluate(const TColor* in, TColor* out, std::size_t count) const {
  if (!grid_) {
    EvaluateLUTSpan(lut_, in, out, count);
    return;
  }
  const TLUTDomain& d = lut_.Domain3D;
  for (std::size_t i = 0; i < count; ++i) {
    TColor c = in[i];
    if (!unit_) c = TColor{ToTable(c.R, d.Min.R, d.Max.R), ToTable(c.G, d.Min.G, d.Max.G), ToTable(c.B, d.Min.B, d.Max.B)};
    out[i] = Interpolate(Position(c.R), Position(c.G), Position(c.B));
  }
}

void TGridEvaluator::EvaluateBgr8(std::uint8_t* pixels, std::size_t count) const {
#ifdef ZELVO_AVX2_KERNEL
  if (grid_ && HasAvx2()) {
    const TPos* const positions[3] = {positions8_[0].data(), positions8_[1].data(), positions8_[2].data()};
    EvaluateBgr8Avx2(corners_.data(), static_cast<std::size_t>(size_), positions, pixels, count);
    return;
  }
#endif
  if (grid_) {
    for (std::size_t i = 0; i < count; ++i, pixels += 3) {
      const TColor c = Interpolate(positions8_[0][pixels[2]], positions8_[1][pixels[1]], positions8_[2][pixels[0]]);
      pixels[0] = static_cast<std::uint8_t>(QuantizeSample(c.B, 255.0));
      pixels[1] = static_cast<std::uint8_t>(QuantizeSample(c.G, 255.0));
      pixels[2] = static_cast<std::uint8_t>(QuantizeSample(c.R, 255.0));
    }
    return;
  }
  const auto& normalised = Normalised8();
  std::array<TColor, kChunk> colors;
  for (std::size_t start = 0; start < count; start += kChunk) {
    const std::size_t n = std::min(kChunk, count - start);
    std::uint8_t* q = pixels + start * 3;
    for (std::size_t k = 0; k < n; ++k, q += 3) colors[k] = TColor{normalised[q[2]], normalised[q[1]], normalised[q[0]]};
    EvaluateLUTSpan(lut_, colors.data(), colors.data(), n);
    q = pixels + start * 3;
    for (std::size_t k = 0; k < n; ++k, q += 3) {
      q[0] = static_cast<std::uint8_t>(QuantizeSample(colors[k].B, 255.0));
      q[1] = static_cast<std::uint8_t>(QuantizeSample(colors[k].G, 255.0));
      q[2] = static_cast<std::uint8_t>(QuantizeSample(colors[k].R, 255.0));
    }
  }
}

void TGridEvaluator::EvaluateRgbFloat(float* samples, std::size_t count) const {
  std::array<TColor, kChunk> colors;
  for (std::size_t start = 0; start < count; start += kChunk) {
    const std::size_t n = std::min(kChunk, count - start);
    float* q = samples + start * 3;
    for (std::size_t k = 0; k < n; ++k, q += 3) colors[k] = TColor{q[0], q[1], q[2]};
    Evaluate(colors.data(), colors.data(), n);
    q = samples + start * 3;
    for (std::size_t k = 0; k < n; ++k, q += 3) {
      q[0] = static_cast<float>(colors[k].R);
      q[1] = static_cast<float>(colors[k].G);
      q[2] = static_cast<float>(colors[k].B);
    }
  }
}

void ForRowBands(int height, std::size_t pixels_per_row, const std::function<void(int, int)>& f) {
  // Below this many pixels a thread costs more than it saves.
  constexpr std::size_t kMinPixelsPerThread = 1u << 16;
  const std::size_t pixels = pixels_per_row * static_cast<std::size_t>(std::max(height, 0));
  std::size_t threads = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
  threads = std::min({threads, pixels / kMinPixelsPerThread, static_cast<std::size_t>(std::max(height, 0))});
  if (threads <= 1) {
    f(0, height);
    return;
  }
  const auto band = [&](std::size_t t) { return static_cast<int>(static_cast<std::size_t>(height) * t / threads); };
  std::vector<std::exception_ptr> errors(threads);
  std::vector<std::thread> workers;
  std::size_t started = 1;
  for (; started < threads; ++started) {
    try {
      workers.emplace_back([&, started] {
        try {
          f(band(started), band(started + 1));
        } catch (...) {
          errors[started] = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
      break;  // no more threads to be had: this one does the rest
    }
  }
  try {
    f(band(0), band(1));
    if (started < threads) f(band(started), height);
  } catch (...) {
    errors[0] = std::current_exception();
  }
  for (std::thread& w : workers) w.join();
  for (const std::exception_ptr& e : errors) {
    if (e) std::rethrow_exception(e);
  }
}

}  // namespace zelvo
