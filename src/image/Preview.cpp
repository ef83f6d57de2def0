#include "image/Preview.h"

#include "image/ApplyLUT.h"
#include "image/ImageResize2.h"
#include "image/PictureFile.h"
#include "lut/Resample.h"

namespace zelvo {

TBitmap24 FitPreviewBitmap(const TBitmap24& picture, int box_width, int box_height) {
  const TPictureSize size = FitWithin(picture.Width(), picture.Height(), box_width, box_height);
  TBitmap24 fitted;
  ResizeImage(size.Width, size.Height, TResizeFilter::rfLanczos3, 0.0f, picture, fitted);
  return fitted;
}

TBitmap24 LoadPreviewPicture(const std::string& file_name) {
  return FitPreviewBitmap(LoadPicture(file_name));
}

TLUTPreview PreviewLUT(TLUT&& lut, const TBitmap24& ungraded) {
  TLUTPreview preview;
  preview.LUT = std::move(lut);
  preview.Recognised = preview.LUT.FormatIndex != TLUTFormatId::None;
  if (!preview.Recognised) return preview;
  preview.Lines = DescribeLUT(preview.LUT);
  preview.Lines.insert(preview.Lines.end(), preview.LUT.Comments.begin(), preview.LUT.Comments.end());
  if (HasUsableTable(preview.LUT)) {
    preview.Picture = ungraded.Copy();
    ApplyLUTToBitmap(preview.LUT, preview.Picture);
    preview.Graded = true;
  }
  return preview;
}

}  // namespace zelvo
