// What the preview pane shows, without the pane: pictures fitted into its
// image box, and a LUT file applied to the ungraded picture with the lines
// that describe it. The pane only puts the results on screen.
#pragma once

#include <string>
#include <vector>

#include "image/Bitmap24.h"
#include "image/FloatPicture.h"
#include "image/PictureIO.h"
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

// A picture for the pane, fitted into its box: the 8-bit picture it shows
// (values clipped to 0..1) and, for a picture beyond 8 bits, its fitted
// values, which a LUT is applied to in float.
struct TPanePicture {
  TBitmap24 Shown;
  TFloatPicture Values;  // empty for 8-bit pictures
  // What the pane says under the picture about how it is shown; empty when
  // there is nothing to say.
  std::string Note;
};
// What the pane says under a picture shown as its values: a float picture
// (half or float samples), whose values beyond 0..1 are clipped, and a DPX
// picture, whose code values are often log; nothing for the others.
std::string ShownValuesNote(const TFloatPicture& picture, TPictureFileType type);
// The picture of a file of the type fitted for the pane (Lanczos3, never
// enlarged), with its note.
TPanePicture PanePictureOf(const TFloatPicture& picture, TPictureFileType type);

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
// `values`, when given and not empty, are the ungraded picture's own values
// (TPanePicture::Values): the LUT is applied to them in float, as `apply`
// grades such a picture, and the result shown clipped to 0..1.
TLUTPreview PreviewLUT(TLUT&& lut, const TBitmap24& ungraded, const TFloatPicture* values = nullptr);

}  // namespace zelvo
