// Takes screenshots of the real windows for docs/screenshots: the main window
// with a few LUT files, the "Convertion Settings" dialog, the progress dialog
// and the About box.
// scripts/screenshot.sh runs it on a virtual X display.
//   zelvo-screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

#include "app/AboutForm.h"
#include "app/ConvertForm.h"
#include "app/Icons.h"
#include "app/MainForm.h"
#include "app/ProgressDlg.h"
#include "formats/LUTFormat.h"
#include "lut/LUT.h"

namespace {

using namespace zelvo;

// A gentle warm grade, so that the files hold something like a real look.
TLUTEntry Grade(double r, double g, double b) {
  return TLUTEntry{std::min(1.0, r * 1.04 + 0.02), g * 0.98 + 0.01, b * 0.9};
}

void Write3D(const std::string& path, const char* profile, int n) {
  TLUT lut;
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(n);
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) lut.Table3D(r, g, b) = Grade(r / (n - 1.0), g / (n - 1.0), b / (n - 1.0));
  SaveLUTFile(path, lut, *OutputProfileByCaption(profile));
}

void Write1D(const std::string& path, const char* profile, int m) {
  TLUT lut;
  lut.Kind = TLUTKind::lk1D;
  lut.SetSize1D(m);
  for (int i = 0; i < m; ++i) {
    const double v = i / (m - 1.0);
    lut.Table1D(i) = Grade(v, v, v);
  }
  SaveLUTFile(path, lut, *OutputProfileByCaption(profile));
}

bool Save(QWidget& window, const QString& file) {
  window.show();
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  if (window.grab().save(file, "PNG")) return true;
  std::fprintf(stderr, "%s: cannot be written\n", qPrintable(file));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setWindowIcon(ZelvoIcon(QStringLiteral("zelvo-lut-converter")));
  if (argc != 2) {
    std::fputs("usage: zelvo-screenshots OUTPUT_FOLDER\n", stderr);
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  QTemporaryDir home(QDir::tempPath() + QStringLiteral("/grading-XXXXXX"));
  const QString luts = home.path() + QStringLiteral("/LUTs");
  QDir().mkpath(luts);
  const std::string folder = luts.toStdString();
  Write3D(folder + "/Day for night.cube", "Cube 3D Iridas, Nuke, AfterEffects", 17);
  Write3D(folder + "/Print film emulation.3dl", "3DL Scratch, Autodesk, Blackmagic, Cine-tal", 17);
  Write3D(folder + "/Warm grade.cms", "Nucoda 3D", 17);
  Write1D(folder + "/Log to video.cube", "Cube 1D", 1024);
  Write1D(folder + "/Monitor gamma.dat", "Codex 1D, Sony SRW-1, Scratch 1D", 1024);
  QFile notes(luts + QStringLiteral("/Shoot notes.txt"));
  if (notes.open(QIODevice::WriteOnly)) notes.write("Day 3: exteriors, overcast.\n");
  notes.close();

  TfrmMain main_window;
  main_window.AddDroppedPaths({luts});
  main_window.lvwFiles->setCurrentItem(main_window.lvwFiles->topLevelItem(1));
  bool ok = Save(main_window, out.filePath(QStringLiteral("main-window.png")));

  LastOutputFolder() = (home.path() + QStringLiteral("/Converted")).toStdString();
  TfrmConvert settings(&main_window);
  settings.cbxOutFormat->setCurrentIndex(
      settings.cbxOutFormat->findText(QStringLiteral("Cube 3D Davinci")));
  settings.cbxDimSize->setEditText(QStringLiteral("64"));
  ok = Save(settings, out.filePath(QStringLiteral("convert-settings.png"))) && ok;
  settings.hide();

  // Two reports four seconds apart on a stand-in clock give a real estimate.
  double now = 0;
  TfrmProgress progress(&main_window, [&now] { return now; });
  progress.setWindowTitle(QStringLiteral("Convertion..."));
  progress.SetText(QStringLiteral("The selected files are being converted. Please wait..."));
  progress.show();
  progress.ReportProgress(20);
  now = 4;
  progress.ReportProgress(40);
  ok = Save(progress, out.filePath(QStringLiteral("progress.png"))) && ok;
  progress.hide();

  TfrmAbout about(&main_window);
  ok = Save(about, out.filePath(QStringLiteral("about.png"))) && ok;
  return ok ? 0 : 1;
}
