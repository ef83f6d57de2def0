// The picture open dialog of the preview pane and the ICC dialog, and the
// picture files it opens.
#pragma once

#include <QImage>
#include <QString>
#include <string>

#include "image/Bitmap24.h"
#include "image/Preview.h"

class QWidget;

namespace zelvo {

// The dialog's filter: every picture type the program reads together, then
// each type on its own.
QString PictureFilter();

// A picture file fitted for the pane, by its extension: JPEG and Windows
// bitmaps through the program's own decoders; PNG, TIFF, OpenEXR and DPX
// through the picture layer, as `apply` reads them (beyond 8 bits with their
// values and a note); other types the toolkit reads (icons) through the
// toolkit. Errors name the file.
TPanePicture ReadPanePicture(const QString& path);

// What the dialog shows for the highlighted file: the picture fitted into a
// preview box, or a null image for anything that is not a readable picture.
QImage PicturePreviewOf(const QString& path);

// The person picks a picture (starting in LastPictureFolder), which goes into
// `target` fitted into the preview box. False when they cancelled. A file that
// cannot be read raises, leaving `target` as it was; LastPictureFolder has
// followed the pick by then. `file_name`, when given, receives the file's
// full path as the file system names it.
bool LoadPreviewPicture(QWidget* owner, TPanePicture& target, std::string* file_name = nullptr);

}  // namespace zelvo
