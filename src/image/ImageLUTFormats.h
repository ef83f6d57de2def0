// The image LUT formats (image/ImageLUT.h says how the pictures are laid out):
// one reader for pictures of every layout, and one writer per layout and
// picture type that an output profile offers.
#pragma once

#include "formats/Families.h"
#include "image/ImageLUT.h"

namespace zelvo {

// Image LUT (PNG, TIFF, OpenEXR), read only; Hald CLUT PNG and TIFF, strip
// PNG (green from the top, or from the bottom), square PNG, OpenColorIO
// raster EXR and PNG, write only (their files read as Image LUT).
void AddImageLUTFormats(TFormatList& formats);

// Whether `format` writes image LUTs, and the layout it gives a table of
// `size` points (a size the layout does not take raises ELUTError): what a
// reader told of the layout, or a caption of the picture's size, needs.
bool ImageLUTLayoutOf(TLUTFormatId format, int size, TImageLUTLayout& layout);

}  // namespace zelvo
