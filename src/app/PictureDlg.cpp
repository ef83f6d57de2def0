#include "app/PictureDlg.h"

#include <QImageReader>
#include <filesystem>

#include "app/AppErrors.h"
#include "app/FileDlg.h"
#include "app/ImageBox.h"
#include "app/Paths.h"
#include "app/Remembered.h"
#include "image/PictureFile.h"
#include "image/Preview.h"
#include "base/Errors.h"

namespace zelvo {

namespace {

struct TPictureKind {
  const char* Description;
  const char* Patterns;
  const char* QtFormat;  // nullptr: the program's own decoder
};

constexpr TPictureKind kPictureKinds[] = {
    {"JPEG Image File", "*.jpg;*.jpeg", nullptr},
    {"Bitmaps", "*.bmp;*.dib", nullptr},
    {"Portable Network Graphics", "*.png", "png"},
    {"Icons", "*.ico", "ico"},
};

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

TBitmap24 ReadPictureFile(const QString& path) {
  const std::string name = LocalPath(path);
  return NamingFile(name, [&] {
    if (PictureTypeForName(name) != TPictureType::Unknown) return LoadPicture(name);
    // A pipe or device would hold the toolkit's reader up.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(name, ec)) throw EZelvoError("This is not a file.");
    return ReadWithToolkit(path);
  });
}

QImage PicturePreviewOf(const QString& path) {
  try {
    return ToQImage(FitPreviewBitmap(ReadPictureFile(path)));
  } catch (const std::exception&) {
    return QImage();  // a folder, a damaged file or another type: no preview
  }
}

bool LoadPreviewPicture(QWidget* owner, TBitmap24& target, std::string* file_name) {
  TFileOpenDialog opdLoadPreveiwImage(owner);
  opdLoadPreveiwImage.InitialDir = DisplayPath(LastPictureFolder());
  opdLoadPreveiwImage.Filter = PictureFilter();
  opdLoadPreveiwImage.Preview = PicturePreviewOf;
  if (!opdLoadPreveiwImage.Execute()) return false;
  RememberPictureFolder(LocalPath(opdLoadPreveiwImage.FileName));
  target = FitPreviewBitmap(ReadPictureFile(opdLoadPreveiwImage.FileName));
  if (file_name != nullptr) *file_name = LocalPath(opdLoadPreveiwImage.FileName);
  return true;
}

}  // namespace zelvo
