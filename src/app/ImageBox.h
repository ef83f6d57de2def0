// Pictures on screen: an image box that draws a 24-bit picture scaled to fit
// with its aspect kept, anchored at the top-left corner, and the conversions
// between the core's pictures and the toolkit's.
#pragma once

#include <QImage>
#include <QWidget>

#include "image/Bitmap24.h"

namespace zelvo {

class TImageBox : public QWidget {
  Q_OBJECT

 public:
  TImageBox(QWidget* parent, int width, int height);

  // The picture shown from now on; an empty picture shows nothing.
  void SetPicture(TBitmap24 picture);
  void Clear();
  const TBitmap24& Picture() const { return picture_; }
  const QImage& Image() const { return image_; }

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TBitmap24 picture_;
  QImage image_;
};

// The picture as the toolkit draws it (a null image for an empty picture).
QImage ToQImage(const TBitmap24& picture);
// A toolkit image as a 24-bit picture; transparent parts over white, as the
// pane shows them.
TBitmap24 ToBitmap24(const QImage& image);

}  // namespace zelvo
