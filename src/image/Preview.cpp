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

std::string ShownValuesNote(const TFloatPicture& picture, TPictureFileType type) {
  if (!IsIntegerDepth(picture.Depth())) {
    const float* v = picture.Samples();
    for (std::size_t i = 0; i < picture.SampleCount(); ++i) {
      if (!(v[i] >= 0.0f && v[i] <= 1.0f)) {
        return "Float values shown as they are: values beyond 0..1 are shown clipped.";
      }
    }
    return "Float values shown as they are, without a view transform.";
  }
  if (type == TPictureFileType::Dpx) return "DPX code values shown as they are: a log picture looks flat.";
  return {};
}

TPanePicture PanePictureOf(const TFloatPicture& picture, TPictureFileType type) {
  TPanePicture pane;
  pane.Note = ShownValuesNote(picture, type);
  if (picture.Depth() == TPictureDepth::pd8) {
    // The 8-bit pictures keep the fit of the JPEG and bitmap ones, code for code.
    pane.Shown = FitPreviewBitmap(BitmapOf(picture));
    return pane;
  }
  const TPictureSize size = FitWithin(picture.Width(), picture.Height(), kPreviewBoxWidth, kPreviewBoxHeight);
  pane.Values = ResizeFloatPicture(size.Width, size.Height, TResizeFilter::rfLanczos3, picture);
  pane.Shown = BitmapOf(pane.Values);
  return pane;
}

TLUTPreview PreviewLUT(TLUT&& lut, const TBitmap24& ungraded, const TFloatPicture* values) {
  TLUTPreview preview;
  preview.LUT = std::move(lut);
  preview.Recognised = preview.LUT.FormatIndex != TLUTFormatId::None;
  if (!preview.Recognised) return preview;
  preview.Lines = DescribeLUT(preview.LUT);
  preview.Lines.insert(preview.Lines.end(), preview.LUT.Comments.begin(), preview.LUT.Comments.end());
  if (HasUsableTable(preview.LUT)) {
    if (values != nullptr && !values->Empty()) {
      TFloatPicture graded = values->Copy();
      ApplyLUTToFloatPicture(preview.LUT, graded);
      preview.Picture = BitmapOf(graded);
    } else {
      preview.Picture = ungraded.Copy();
      ApplyLUTToBitmap(preview.LUT, preview.Picture);
    }
    preview.Graded = true;
  }
  return preview;
}

}  // namespace zelvo
