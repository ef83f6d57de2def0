#include "app/PictureDlg.h"

#include <QImageReader>
#include <filesystem>

#include "app/AppErrors.h"
#include "app/FileDlg.h"
#include "app/ImageBox.h"
#include "app/Paths.h"
#include "app/Remembered.h"
#include "image/PictureFile.h"
#include "image/PictureIO.h"
#include "base/Errors.h"

namespace zelvo {

namespace {

struct TPictureKind {
  const char* Description;
  const char* Patterns;
  const char* QtFormat;  // nullptr: the program's own decoders or the picture layer
};

constexpr TPictureKind kPictureKinds[] = {
    {"JPEG Image File", "*.jpg;*.jpeg", nullptr},
    {"Bitmaps", "*.bmp;*.dib", nullptr},
    {"Portable Network Graphics", "*.png", nullptr},
    {"Icons", "*.ico", "ico"},
    {"TIFF Images", "*.tif;*.tiff", nullptr},
    {"OpenEXR Images", "*.exr", nullptr},
    {"DPX Images", "*.dpx", nullptr},
};

// A pipe or device would hold a reader up.
void RefuseNonFile(const std::string& name) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(name, ec)) throw EZelvoError("This is not a file.");
}

bool Readable(const TPictureKind& type) {
  return type.QtFormat == nullptr || QImageReader::supportedImageFormats().contains(type.QtFormat);
}

TBitmap24 ReadWithToolkit(const QString& path) {
  QImageReader reader(path);
  // The header's size is checked before the reader allocates anything.
  if (const QSize size = reader.size(); size.isValid()) CheckPictureSize(size.width(), size.height());
  const QImage image = reader.read();
  if (image.isNull()) throw EZelvoError("The file cannot be read as a picture: " + reader.errorString().toStdString());
  return ToBitmap24(image);
}

}  // namespace

QString PictureFilter() {
  QString all, each;
  for (const TPictureKind& type : kPictureKinds) {
    if (!Readable(type)) continue;
    if (!all.isEmpty()) all += u';';
    all += QString::fromLatin1(type.Patterns);
    each += u'|' + QString::fromLatin1(type.Description) + u'|' + QString::fromLatin1(type.Patterns);
  }
  return QStringLiteral("All|") + all + each;
}

TPanePicture ReadPanePicture(const QString& path) {
  const std::string name = LocalPath(path);
  return NamingFile(name, [&] {
    TPanePicture pane;
    switch (PictureFileTypeForName(name)) {
      case TPictureFileType::Jpeg:
      case TPictureFileType::Bmp:
        pane.Shown = FitPreviewBitmap(LoadPicture(name));
        return pane;
      case TPictureFileType::Png:
      case TPictureFileType::Tiff:
      case TPictureFileType::Exr:
      case TPictureFileType::Dpx: {
        RefuseNonFile(name);
        const TFloatPicture picture = LoadFloatPicture(name);
        return PanePictureOf(picture, PictureFileTypeOfFile(name));
      }
      case TPictureFileType::Unknown: break;
    }
    RefuseNonFile(name);
    pane.Shown = FitPreviewBitmap(ReadWithToolkit(path));
    return pane;
  });
}

QImage PicturePreviewOf(const QString& path) {
  try {
    return ToQImage(ReadPanePicture(path).Shown);
  } catch (const std::exception&) {
    return QImage();  // a folder, a damaged file or another type: no preview
  }
}

bool LoadPreviewPicture(QWidget* owner, TPanePicture& target, std::string* file_name) {
  TFileOpenDialog opdLoadPreveiwImage(owner);
  opdLoadPreveiwImage.InitialDir = DisplayPath(LastPictureFolder());
  opdLoadPreveiwImage.Filter = PictureFilter();
  opdLoadPreveiwImage.Preview = PicturePreviewOf;
  if (!opdLoadPreveiwImage.Execute()) return false;
  RememberPictureFolder(LocalPath(opdLoadPreveiwImage.FileName));
  target = ReadPanePicture(opdLoadPreveiwImage.FileName);
  if (file_name != nullptr) *file_name = LocalPath(opdLoadPreveiwImage.FileName);
  return true;
}

}  // namespace zelvo
