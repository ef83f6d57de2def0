// The picture the preview shows before the user loads one: a scene drawn by
// code, so that it shows what a grade does to the colours people judge by.
#pragma once

#include "image/Bitmap24.h"

namespace zelvo {

// The default size: four times the preview box on each side.
inline constexpr int kTestSceneWidth = 840;
inline constexpr int kTestSceneHeight = 676;

// A chart of 24 patches (naturals, primaries and secondaries, greys) on a dark
// card, three shaded balls in light, medium and dark skin tones, a hue ramp
// from full to soft saturation and a smooth grey ramp, on a lit backdrop.
TBitmap24 DrawTestScene(int width = kTestSceneWidth, int height = kTestSceneHeight);

}  // namespace zelvo
