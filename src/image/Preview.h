// What the preview pane shows, without the pane: pictures fitted into its
// image box, and a LUT file applied to the ungraded picture with the lines
// that describe it. The pane only puts the results on screen.
#pragma once

#include <string>
#include <vector>

#include "image/Bitmap24.h"
#include "lut/LUT.h"

namespace zelvo {

// The image boxes of the pane (the ICC dialog fits its test picture into the same).
inline constexpr int kPreviewBoxWidth = 210;
inline constexpr int kPreviewBoxHeight = 169;

// A copy of the picture fitted into the box with Lanczos3, never enlarged. A
// picture so thin that one side fits to 0 pixels gives an empty picture.
TBitmap24 FitPreviewBitmap(const TBitmap24& picture, int box_width = kPreviewBoxWidth,
                           int box_height = kPreviewBoxHeight);

// A picture file loaded for the pane and fitted into its box.
TBitmap24 LoadPreviewPicture(const std::string& file_name);

// What the pane shows of a LUT that a load gave (its FormatIndex None when no
// format recognised the file).
struct TLUTPreview {
  // A format recognised the file; when not, the pane hides its lower part.
  bool Recognised = false;
  // Picture holds the LUT applied to the ungraded picture. A LUT whose table
  // has fewer than 2 points is described but never applied.
  bool Graded = false;
  TBitmap24 Picture;
  // The comment box: type, size, then the file's comment lines.
  std::vector<std::string> Lines;
  // The LUT read, for the pane to keep until the next selection.
  TLUT LUT;
};
TLUTPreview PreviewLUT(TLUT&& lut, const TBitmap24& ungraded);

}  // namespace zelvo
