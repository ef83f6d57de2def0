#include "app/ImageBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <cstring>
#include <utility>

namespace zelvo {

TImageBox::TImageBox(QWidget* parent, int width, int height) : QWidget(parent) { setFixedSize(width, height); }

void TImageBox::SetPicture(TBitmap24 picture) {
  picture_ = std::move(picture);
  image_ = ToQImage(picture_);
  update();
}

void TImageBox::Clear() { SetPicture(TBitmap24()); }

void TImageBox::paintEvent(QPaintEvent*) {
  if (image_.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const QSize fitted = image_.size().scaled(size(), Qt::KeepAspectRatio);
  painter.drawImage(QRect(QPoint(0, 0), fitted), image_);
}

void TImageBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  QWidget::mouseReleaseEvent(event);
}

QImage ToQImage(const TBitmap24& picture) {
  if (picture.Empty()) return QImage();
  // The picture's rows are packed; the image's are padded to 4 bytes.
  QImage image(picture.Width(), picture.Height(), QImage::Format_BGR888);
  for (int y = 0; y < picture.Height(); ++y) std::memcpy(image.scanLine(y), picture.Row(y), picture.RowBytes());
  return image;
}

TBitmap24 ToBitmap24(const QImage& image) {
  if (image.isNull()) return TBitmap24();
  QImage opaque = image;
  if (image.hasAlphaChannel()) {
    opaque = QImage(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
  }
  opaque = opaque.convertToFormat(QImage::Format_BGR888);
  TBitmap24 picture = TBitmap24::Uninitialised(opaque.width(), opaque.height());
  for (int y = 0; y < picture.Height(); ++y) std::memcpy(picture.Row(y), opaque.constScanLine(y), picture.RowBytes());
  return picture;
}

}  // namespace zelvo
