#include "image/TestScene.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zelvo {

namespace {

// Colours are display values 0..1; shading is done on linear light.
struct TRGB {
  double r, g, b;
};
TRGB operator+(TRGB a, TRGB b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
TRGB operator*(TRGB a, double k) { return {a.r * k, a.g * k, a.b * k}; }
TRGB Mix(TRGB a, TRGB b, double t) { return a * (1.0 - t) + b * t; }
TRGB Bytes(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }

double ToLinear(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }
double ToDisplay(double v) {
  v = std::clamp(v, 0.0, 1.0);
  return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1.0 / 2.4) - 0.055;
}
TRGB Linear(TRGB c) { return {ToLinear(c.r), ToLinear(c.g), ToLinear(c.b)}; }
TRGB Display(TRGB c) { return {ToDisplay(c.r), ToDisplay(c.g), ToDisplay(c.b)}; }

double Smooth(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

// Signed distance to a rounded rectangle (negative inside).
double RoundedBox(double x, double y, double x0, double y0, double x1, double y1, double radius) {
  const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  const double qx = std::abs(x - cx) - ((x1 - x0) / 2 - radius);
  const double qy = std::abs(y - cy) - ((y1 - y0) / 2 - radius);
  const double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
  return std::hypot(ox, oy) + std::min(std::max(qx, qy), 0.0) - radius;
}

TRGB Hsv(double h, double s, double v) {
  h = (h - std::floor(h)) * 6.0;
  const int i = static_cast<int>(h) % 6;
  const double f = h - std::floor(h);
  const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (i) {
    case 0: return {v, t, p};
    case 1: return {q, v, p};
    case 2: return {p, v, t};
    case 3: return {p, q, v};
    case 4: return {t, p, v};
    default: return {v, p, q};
  }
}

// Naturals, then primaries and secondaries at two strengths, then greys.
const std::array<TRGB, 24> kPatches = {
    Bytes(168, 96, 66),   Bytes(214, 178, 136), Bytes(104, 146, 198), Bytes(86, 122, 56),   Bytes(148, 128, 186),
    Bytes(78, 168, 156),  Bytes(198, 58, 52),   Bytes(226, 136, 40),  Bytes(228, 206, 70),  Bytes(64, 150, 78),
    Bytes(52, 88, 170),   Bytes(150, 64, 140),  Bytes(232, 36, 40),   Bytes(36, 176, 70),   Bytes(34, 62, 206),
    Bytes(246, 216, 12),  Bytes(212, 44, 158),  Bytes(10, 166, 214),  Bytes(243, 243, 240), Bytes(198, 198, 196),
    Bytes(152, 152, 150), Bytes(108, 108, 107), Bytes(64, 64, 64),    Bytes(18, 18, 19),
};

struct TBall {
  double x, y, radius;
  TRGB colour;
};
const std::array<TBall, 3> kBalls = {{
    {0.86, 0.22, 0.125, Bytes(238, 196, 168)},
    {1.08, 0.27, 0.115, Bytes(196, 138, 100)},
    {0.965, 0.455, 0.105, Bytes(116, 76, 54)},
}};

// The scene at a point, in units where the picture is 1 high and `aspect` wide.
TRGB SceneAt(double x, double y, double aspect) {
  // Backdrop: cool at the top, warm at the floor, darker towards the corners.
  const double dx = x / aspect - 0.5, dy = y - 0.45;
  const double vignette = 1.0 - 0.55 * (dx * dx + dy * dy);
  TRGB c = Linear(Mix(Bytes(92, 104, 120), Bytes(160, 148, 136), std::pow(y, 0.8))) * vignette;

  // The chart card with a soft shadow below right, then its patches.
  const double card0x = 0.04, card0y = 0.05, card1x = 0.70, card1y = 0.52;
  const double shadow = RoundedBox(x, y, card0x + 0.012, card0y + 0.016, card1x + 0.012, card1y + 0.016, 0.02);
  c = c * (1.0 - 0.45 * (1.0 - Smooth(-0.01, 0.03, shadow)));
  if (RoundedBox(x, y, card0x, card0y, card1x, card1y, 0.02) < 0) {
    c = Linear(Bytes(46, 46, 48));
    const double gap = 0.012, margin = 0.02;
    const double pw = (card1x - card0x - 2 * margin - 5 * gap) / 6;
    const double ph = (card1y - card0y - 2 * margin - 3 * gap) / 4;
    const double px = (x - card0x - margin) / (pw + gap), py = (y - card0y - margin) / (ph + gap);
    if (px >= 0 && py >= 0 && px < 6 && py < 4 && px - std::floor(px) < pw / (pw + gap) &&
        py - std::floor(py) < ph / (ph + gap)) {
      c = Linear(kPatches[static_cast<std::size_t>(std::floor(py)) * 6 + static_cast<std::size_t>(std::floor(px))]);
    }
  }

  // Balls in skin tones, lit from the upper left, each with a contact shadow.
  for (const TBall& ball : kBalls) {
    const double sx = (x - ball.x - 0.03) / (ball.radius * 1.15), sy = (y - ball.y - ball.radius * 0.8) / (ball.radius * 0.45);
    c = c * (1.0 - 0.35 * (1.0 - Smooth(0.2, 1.0, std::sqrt(sx * sx + sy * sy))));
  }
  for (const TBall& ball : kBalls) {
    const double nx = (x - ball.x) / ball.radius, ny = (y - ball.y) / ball.radius;
    const double d2 = nx * nx + ny * ny;
    if (d2 >= 1.0) continue;
    const double nz = std::sqrt(1.0 - d2);
    const double lx = -0.48, ly = -0.58, lz = 0.66;  // towards the light, unit length
    const double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
    const double hx = lx, hy = ly, hz = lz + 1.0, hn = std::sqrt(hx * hx + hy * hy + hz * hz);
    const double specular = std::pow(std::max(0.0, (nx * hx + ny * hy + nz * hz) / hn), 36.0);
    const TRGB base = Linear(ball.colour);
    // Light scattered under the skin warms the shadow side a little.
    const TRGB warm = TRGB{base.r * 1.0, base.g * 0.72, base.b * 0.6};
    c = base * (0.95 * diffuse) + warm * (0.16 + 0.12 * (1.0 - diffuse)) + TRGB{0.2, 0.2, 0.2} * specular;
  }

  // A hue ramp, fully saturated at its top, softer below; then a grey ramp.
  const double left = 0.04, right = aspect - 0.04;
  if (x >= left && x < right) {
    const double t = (x - left) / (right - left);
    if (y >= 0.60 && y < 0.80) return Hsv(t, 1.0 - 0.65 * (y - 0.60) / 0.20, 1.0);
    if (y >= 0.83 && y < 0.95) return {t, t, t};
  }
  return Display(c);
}

}  // namespace

TBitmap24 DrawTestScene(int width, int height) {
  TBitmap24 picture(width, height);
  if (picture.Empty()) return picture;
  const double aspect = static_cast<double>(width) / height;
  constexpr int kSamples = 3;  // per axis, so that edges are smooth
  for (int py = 0; py < height; ++py) {
    std::uint8_t* out = picture.Row(py);
    for (int px = 0; px < width; ++px, out += 3) {
      TRGB sum{0, 0, 0};
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double x = (px + (sx + 0.5) / kSamples) / height;
          const double y = (py + (sy + 0.5) / kSamples) / height;
          sum = sum + SceneAt(x, y, aspect);
        }
      }
      const TRGB mean = sum * (1.0 / (kSamples * kSamples));
      out[0] = static_cast<std::uint8_t>(std::lround(std::clamp(mean.b, 0.0, 1.0) * 255.0));
      out[1] = static_cast<std::uint8_t>(std::lround(std::clamp(mean.g, 0.0, 1.0) * 255.0));
      out[2] = static_cast<std::uint8_t>(std::lround(std::clamp(mean.r, 0.0, 1.0) * 255.0));
    }
  }
  return picture;
}

}  // namespace zelvo
