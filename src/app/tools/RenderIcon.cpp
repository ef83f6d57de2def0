// Renders an SVG icon into PNG files of the given sizes, for installing the
// application icon where desktops look for bitmaps.
//   zelvo-render-icon ICON.svg OUTPUT_PREFIX SIZE...  writes OUTPUT_PREFIX<SIZE>.png
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: zelvo-render-icon ICON.svg OUTPUT_PREFIX SIZE...\n", stderr);
    return 2;
  }
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "%s: not a readable SVG picture\n", argv[1]);
    return 1;
  }
  for (int i = 3; i < argc; ++i) {
    bool ok = false;
    const int size = QString::fromLatin1(argv[i]).toInt(&ok);
    if (!ok || size < 1 || size > 4096) {
      std::fprintf(stderr, "%s: not a size\n", argv[i]);
      return 2;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    const QString file = QString::fromLocal8Bit(argv[2]) + QString::number(size) + QStringLiteral(".png");
    if (!image.save(file, "PNG")) {
      std::fprintf(stderr, "%s: cannot be written\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
