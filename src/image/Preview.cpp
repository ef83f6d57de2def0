#include "image/Preview.h"

#include <filesystem>

#include "formats/LUTFormat.h"
#include "image/ApplyLUT.h"
#include "image/ImageResize2.h"
#include "image/PictureFile.h"
#include "lut/Resample.h"

namespace zelvo {

std::string& LastPictureFolder() {
  static std::string folder;
  return folder;
}

TBitmap24 FitPreviewBitmap(const TBitmap24& picture, int box_width, int box_height) {
  const TPictureSize size = FitWithin(picture.Width(), picture.Height(), box_width, box_height);
  TBitmap24 fitted;
  ResizeImage(size.Width, size.Height, TResizeFilter::rfLanczos3, 0.0f, picture, fitted);
  return fitted;
}

void RememberPictureFolder(const std::string& file_name) {
  std::string folder = std::filesystem::path(file_name).parent_path().string();
  if (!folder.empty() && folder.back() != std::filesystem::path::preferred_separator) {
    folder += std::filesystem::path::preferred_separator;
  }
  LastPictureFolder() = folder;
}

TBitmap24 LoadPreviewPicture(const std::string& file_name) {
  RememberPictureFolder(file_name);
  return FitPreviewBitmap(LoadPicture(file_name));
}

TLUTPreview PreviewLUTFile(const std::string& lut_file, const TBitmap24& ungraded) {
  TLUTPreview preview;
  LoadLUTFile(lut_file, preview.LUT);
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
