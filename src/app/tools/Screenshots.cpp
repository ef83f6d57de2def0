// Takes screenshots of the real windows for docs/screenshots: the main window
// with a few LUT files and the preview pane showing one of them applied, its
// File menu open, the pane after a LUT that cannot be read, the "Convertion
// Settings" dialog, the summary of a verified batch in which a file failed,
// the progress dialog, the identity dialog, the About box, the curves window
// of a film look, two versions of that look compared (Tools > Compare
// LUTs...), the combine dialog with a chain of three steps, the ICC dialog
// with a display profile chosen and with a CMYK printer profile (a soft
// proof), the pane with a 16-bit TIFF and with an OpenEXR picture; with
// --screen, the whole screen with the main window as it first opens.
// scripts/screenshot.sh runs it on a virtual X display.
//   zelvo-screenshots OUTPUT_FOLDER [DISPLAY_PROFILE [CMYK_PROFILE]]
//   zelvo-screenshots --screen OUTPUT_FILE
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string_view>

#include "app/AboutForm.h"
#include "app/BatchSummary.h"
#include "app/CompareForm.h"
#include "app/CombineForm.h"
#include "app/Remembered.h"
#include "app/ConvertForm.h"
#include "app/CurvesForm.h"
#include "app/ICCConvertForm.h"
#include "app/IdentityForm.h"
#include "app/Icons.h"
#include "app/MainForm.h"
#include "app/Paths.h"
#include "app/ProgressDlg.h"
#include "app/Settings.h"
#include "app/UserPrompts.h"
#include "image/PictureIO.h"
#include "image/TestScene.h"
#include "registry/Registry.h"
#include "lut/LUT.h"

namespace {

using namespace zelvo;

// A gentle warm grade, so that the files hold something like a real look.
TLUTEntry Grade(double r, double g, double b) {
  return TLUTEntry{std::min(1.0, r * 1.04 + 0.02), g * 0.98 + 0.01, b * 0.9};
}

// Darker, bluer and less saturated: what the preview pane shows applied.
TLUTEntry DayForNight(double r, double g, double b) {
  const double grey = 0.3 * r + 0.59 * g + 0.11 * b;
  const auto mix = [grey](double v, double scale) { return std::clamp((0.35 * v + 0.65 * grey) * scale, 0.0, 1.0); };
  return TLUTEntry{mix(r, 0.55), mix(g, 0.7), std::min(1.0, mix(b, 0.95) + 0.06)};
}

// Contrast in an S, warm highlights, cool shadows and a little less colour:
// curves that show what each ramp does.
TLUTEntry FilmLook(double r, double g, double b) {
  const double grey = 0.3 * r + 0.59 * g + 0.11 * b;
  const auto tone = [grey](double v, double lift, double gain) {
    const double muted = 0.8 * v + 0.2 * grey;
    const double s = muted * muted * (3 - 2 * muted);
    return std::clamp(lift + (0.55 * s + 0.45 * muted) * gain, 0.0, 1.0);
  };
  return TLUTEntry{tone(r, 0.0, 1.04), tone(g, 0.01, 0.98), tone(b, 0.04, 0.86)};
}

// The film look a version later: warmer highlights, cooler, deeper shadows.
TLUTEntry FilmLookV2(double r, double g, double b) {
  const TLUTEntry v1 = FilmLook(r, g, b);
  return TLUTEntry{std::min(1.0, v1.R * 1.05), v1.G, std::max(0.0, v1.B * 0.94 - 0.01)};
}

TLUT Make3D(int n, TLUTEntry (*look)(double, double, double), std::vector<std::string> comments = {}) {
  TLUT lut;
  lut.Comments = std::move(comments);
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(n);
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) lut.Table3D(r, g, b) = look(r / (n - 1.0), g / (n - 1.0), b / (n - 1.0));
  return lut;
}

void Write3D(const std::string& path, const char* profile, int n, std::vector<std::string> comments = {},
             TLUTEntry (*look)(double, double, double) = Grade) {
  SaveLUTFile(path, Make3D(n, look, std::move(comments)), *OutputProfileByCaption(profile));
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

// The pickers answered from a list of files; messages go to the terminal,
// and a file's error in a batch is passed over (Skip All).
class TScriptedPicks final : public TUserPrompts {
 public:
  QStringList Files;
  QMessageBox::StandardButton ShowMessage(QWidget*, const TMessageRequest& request) override {
    std::fprintf(stderr, "%s\n", qPrintable(request.Text));
    if (request.Buttons & kSkipAllButton) return kSkipAllButton;
    return request.DefaultButton != QMessageBox::NoButton ? request.DefaultButton : QMessageBox::Ok;
  }
  bool OpenFiles(QWidget*, const TOpenFilesRequest&, QStringList& paths) override {
    if (Files.isEmpty()) return false;
    paths = QStringList{Files.takeFirst()};
    return true;
  }
  bool SelectFolder(QWidget*, const TSelectFolderRequest&, QString&) override { return false; }
  bool SaveFile(QWidget*, const TSaveFileRequest&, QString&) override { return false; }
  bool OpenUrl(QWidget*, const QUrl&) override { return false; }
};

bool Save(QWidget& window, const QString& file) {
  window.show();
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  if (window.grab().save(file, "PNG")) return true;
  std::fprintf(stderr, "%s: cannot be written\n", qPrintable(file));
  return false;
}

// A part of the screen as it shows, with the windows and menus over it.
bool SaveScreen(const QRect& area, const QString& file) {
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect part = area.intersected(screen->geometry());
  if (screen->grabWindow(0, part.x(), part.y(), part.width(), part.height()).save(file, "PNG")) return true;
  std::fprintf(stderr, "%s: cannot be written\n", qPrintable(file));
  return false;
}

// The folder of LUT files the windows show.
void WriteLUTs(const QString& luts) {
  QDir().mkpath(luts);
  const std::string folder = luts.toStdString();
  Write3D(folder + "/Day for night.cube", "Cube 3D Iridas, Nuke, AfterEffects", 33,
          {"Day for night, exteriors", "Graded on the set monitor, day 3"}, DayForNight);
  Write3D(folder + "/Print film emulation.3dl", "3DL Scratch, Autodesk, Blackmagic, Cine-tal", 17, {}, FilmLook);
  Write3D(folder + "/Warm grade.cms", "Nucoda 3D", 17);
  Write1D(folder + "/Log to video.cube", "Cube 1D", 1024);
  Write1D(folder + "/Monitor gamma.dat", "Codex 1D, Sony SRW-1, Scratch 1D", 1024);
  QFile notes(luts + QStringLiteral("/Shoot notes.txt"));
  if (notes.open(QIODevice::WriteOnly)) notes.write("Day 3: exteriors, overcast.\n");
}

void SelectRow(TfrmMain& window, const QString& name) {
  const QList<QTreeWidgetItem*> rows = window.lvwFiles->findItems(name, Qt::MatchExactly);
  if (!rows.isEmpty()) window.lvwFiles->setCurrentItem(rows.front());
}

// zelvo-screenshots --screen FILE: the whole screen with the main window as
// it first opens (run with QT_SCALE_FACTOR=2 on a 1600 x 1000 screen).
int SaveMainWindowOnScreen(const QString& file) {
  QTemporaryDir home(QDir::tempPath() + QStringLiteral("/grading-XXXXXX"));
  SetSettingsFileName(home.filePath(QStringLiteral("settings.conf")));  // none: the window as it first opens
  WriteLUTs(home.path() + QStringLiteral("/LUTs"));
  TfrmMain main_window;
  main_window.AddDroppedPaths({home.path() + QStringLiteral("/LUTs")});
  SelectRow(main_window, QStringLiteral("Day for night.cube"));
  main_window.show();
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  std::fprintf(stderr, "screen %d x %d, window %d x %d (frame %d x %d)\n", screen.width(), screen.height(),
               main_window.width(), main_window.height(), main_window.frameGeometry().width(),
               main_window.frameGeometry().height());
  return SaveScreen(screen, file) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setWindowIcon(ZelvoIcon(QStringLiteral("zelvo-lut-converter")));
  if (argc < 2 || argc > 4) {
    std::fputs("usage: zelvo-screenshots OUTPUT_FOLDER [DISPLAY_PROFILE [CMYK_PROFILE]] | --screen OUTPUT_FILE\n",
               stderr);
    return 2;
  }
  if (argc == 3 && std::string_view(argv[1]) == "--screen") return SaveMainWindowOnScreen(QString::fromLocal8Bit(argv[2]));
  auto* picks = new TScriptedPicks;
  SetPrompts(std::unique_ptr<TUserPrompts>(picks));
  const QDir out(QString::fromLocal8Bit(argv[1]));
  QTemporaryDir home(QDir::tempPath() + QStringLiteral("/grading-XXXXXX"));
  SetSettingsFileName(home.filePath(QStringLiteral("settings.conf")));
  const QString luts = home.path() + QStringLiteral("/LUTs");
  WriteLUTs(luts);
  const std::string folder = luts.toStdString();

  TfrmMain main_window;
  main_window.AddDroppedPaths({luts});
  SelectRow(main_window, QStringLiteral("Day for night.cube"));
  bool ok = Save(main_window, out.filePath(QStringLiteral("main-window.png")));

  // The File menu open, over the window.
  main_window.menuBar()->setActiveAction(main_window.mnuFile->menuAction());
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  ok = SaveScreen(main_window.frameGeometry().united(main_window.mnuFile->geometry()).adjusted(0, 0, 8, 8),
                  out.filePath(QStringLiteral("menu-bar.png"))) && ok;
  main_window.mnuFile->hide();
  main_window.menuBar()->setActiveAction(nullptr);

  // The curves window, as View > Curves opens it, following the 3D LUT selected.
  SelectRow(main_window, QStringLiteral("Print film emulation.3dl"));
  main_window.miCurves->trigger();
  if (TfrmCurves* curves = main_window.CurvesWindow()) {
    ok = Save(*curves, out.filePath(QStringLiteral("curves.png"))) && ok;
    curves->hide();
  }

  // The film look against its next version, the two files picked one after
  // the other.
  {
    const QString versions = home.path() + QStringLiteral("/Versions");
    QDir().mkpath(versions);
    const QString v2 = versions + QStringLiteral("/Print film emulation v2.cube");
    Write3D(v2.toStdString(), "Cube 3D Iridas, Nuke, AfterEffects", 33, {"Print film emulation, version 2"}, FilmLookV2);
    picks->Files = QStringList{luts + QStringLiteral("/Print film emulation.3dl"), v2};
    main_window.miCompareLUTs->trigger();
    if (TfrmCompare* compare = main_window.CompareWindow()) {
      ok = Save(*compare, out.filePath(QStringLiteral("compare-luts.png"))) && ok;
      compare->hide();
    } else {
      std::fputs("the comparison window did not open\n", stderr);
      ok = false;
    }
  }

  // A LUT file cut short after it was added: the pane says it cannot be read.
  const std::string cut = luts.toStdString() + "/Night exteriors.cube";
  Write3D(cut, "Cube 3D Iridas, Nuke, AfterEffects", 17);
  main_window.AddLocalPaths({cut});
  QFile::resize(QString::fromStdString(cut), 2000);
  SelectRow(main_window, QStringLiteral("Night exteriors.cube"));
  ok = Save(main_window, out.filePath(QStringLiteral("failed-load.png"))) && ok;
  SelectRow(main_window, QStringLiteral("Day for night.cube"));

  LastOutputFolder() = (home.path() + QStringLiteral("/Converted")).toStdString();
  TfrmConvert settings(&main_window);
  settings.cbxOutFormat->setCurrentIndex(
      settings.cbxOutFormat->findText(QStringLiteral("Cube 3D Davinci")));
  settings.cbxDimSize->setEditText(QStringLiteral("64"));
  ok = Save(settings, out.filePath(QStringLiteral("convert-settings.png"))) && ok;
  settings.hide();

  // A batch into a format that states no domain, its files verified: a file
  // that stopped being a LUT after it was added fails and is passed over, a
  // look made for inputs up to 2 is clipped; the summary says both, and how
  // closely each written file holds its source.
  {
    QDir().mkpath(DisplayPath(LastOutputFolder()));
    Write3D(folder + "/Night exterior.cube", "Cube 3D Davinci", 17);
    QFile cut(luts + QStringLiteral("/Night exterior.cube"));
    if (cut.open(QIODevice::ReadWrite)) cut.resize(cut.size() / 2);
    cut.close();
    TLUT wide = Make3D(17, Grade);
    wide.Domain3D.Max = TLUTEntry{2, 2, 2};
    SaveLUTFile(folder + "/Highlights to 2.0.cube", wide, *OutputProfileByCaption("Cube 3D Davinci"));
    std::vector<ConversionEntry> entries;
    for (const char* name : {"Day for night.cube", "Highlights to 2.0.cube", "Night exterior.cube",
                             "Print film emulation.3dl", "Warm grade.cms"}) {
      entries.push_back(ConversionEntry{name, folder, true});
    }
    settings.cbxOutFormat->setCurrentIndex(settings.cbxOutFormat->findText(QStringLiteral("Nucoda 3D")));
    settings.chkVerify->setChecked(true);
    settings.ConvertFiles(entries);
    if (auto* summary = main_window.findChild<TfrmBatchSummary*>()) {
      ok = Save(*summary, out.filePath(QStringLiteral("batch-summary.png"))) && ok;
      summary->close();
    } else {
      std::fputs("the batch summary did not open\n", stderr);
      ok = false;
    }
  }

  // Two reports four seconds apart on a stand-in clock give a real estimate.
  double now = 0;
  TfrmProgress progress(&main_window, [&now] { return now; });
  progress.setWindowTitle(QStringLiteral("Convertion..."));
  progress.SetText(QStringLiteral("The selected files are being converted. Please wait..."));
  progress.show();
  progress.SetFile(QString::fromStdString(folder + "/Print film emulation.3dl"), 2, 5);
  progress.ReportProgress(20);
  now = 4;
  progress.ReportProgress(40);
  ok = Save(progress, out.filePath(QStringLiteral("progress.png"))) && ok;
  progress.hide();

  // File > New Identity LUT, a Hald CLUT to grade in a photo editor.
  {
    TfrmIdentity identity(&main_window);
    identity.edtLUTFile->setText(home.path() + QStringLiteral("/Neutral Hald CLUT.png"));
    ok = Save(identity, out.filePath(QStringLiteral("identity-dialog.png"))) && ok;
    identity.hide();
  }

  TfrmAbout about(&main_window);
  ok = Save(about, out.filePath(QStringLiteral("about.png"))) && ok;
  about.hide();

  // The combine dialog with a three-step chain, built as the person would:
  // a 1D curve from the list inverted, a grade, then a 3D look from the
  // picker; the grade selected, so that its numbers show.
  {
    TfrmCombine combine(&main_window, main_window.UngradedPicture(), main_window.PreviewInterpolation(),
                        TListRows{{folder + "/Log to video.cube"}, {}});
    combine.btnAddSelected->click();
    combine.lvwSteps->topLevelItem(0)->setCheckState(colInvert, Qt::Checked);
    combine.btnAddCDL->click();
    const char* grade[kCDLNumbers] = {"1.08", "1", "0.92", "0.02", "0", "-0.01", "1", "1", "1.1", "0.85"};
    for (std::size_t i = 0; i < kCDLNumbers; ++i) {
      combine.edtCDL[i]->setText(QString::fromLatin1(grade[i]));
      emit combine.edtCDL[i]->textEdited(combine.edtCDL[i]->text());
    }
    picks->Files = QStringList{luts + QStringLiteral("/Print film emulation.3dl")};
    combine.btnAddFiles->click();
    combine.lvwSteps->setCurrentItem(combine.lvwSteps->topLevelItem(1));
    combine.cbxOutFormat->setCurrentIndex(combine.cbxOutFormat->findText(QStringLiteral("Cube 3D Davinci")));
    combine.edtLUTFile->setText(DisplayPath(LastOutputFolder()) + QStringLiteral("/Film look.cube"));
    combine.cbxDimSize->setEditText(QStringLiteral("33"));
    ok = Save(combine, out.filePath(QStringLiteral("combine-invert.png"))) && ok;
    combine.hide();
  }

  // Profiles beside the LUTs, chosen as the person would: a display, then a
  // CMYK printer.
  QDir().mkpath(home.path() + QStringLiteral("/Profiles"));
  const struct {
    int arg;
    const char* shot;
  } dialogs[] = {{2, "icc-dialog.png"}, {3, "icc-soft-proof.png"}};
  for (const auto& d : dialogs) {
    if (argc <= d.arg) continue;
    const QString given = QString::fromLocal8Bit(argv[d.arg]);
    const QString profile = home.path() + QStringLiteral("/Profiles/") + QFileInfo(given).fileName();
    if (!QFile::copy(given, profile)) {
      std::fprintf(stderr, "%s: cannot be read\n", argv[d.arg]);
      ok = false;
      continue;
    }
    TfrmICCConvert icc(&main_window, main_window.UngradedPicture());
    picks->Files = QStringList{profile};
    icc.btnOpenICCProfile->click();
    icc.cbxOutFormat->setCurrentIndex(icc.cbxOutFormat->findText(QStringLiteral("Cube 3D Davinci")));
    ok = Save(icc, out.filePath(QString::fromLatin1(d.shot))) && ok;
  }
  // Pictures beyond 8 bits in the pane: a 16-bit TIFF, and an OpenEXR of
  // linear values up to 2, which the pane shows clipped and says so.
  {
    const TFloatPicture scene = FloatPictureOf(DrawTestScene());
    TFloatPicture linear = scene.Copy();
    for (std::size_t i = 0; i < linear.SampleCount(); ++i) {
      linear.Samples()[i] = static_cast<float>(2.0 * std::pow(linear.Samples()[i], 2.2));
    }
    const struct {
      const char* file;
      const TFloatPicture* picture;
      TPictureDepth depth;
      const char* shot;
    } pictures[] = {{"/Scan 16-bit.tif", &scene, TPictureDepth::pd16, "preview-tiff16.png"},
                    {"/Linear render.exr", &linear, TPictureDepth::pdHalf, "preview-exr.png"}};
    for (const auto& p : pictures) {
      const QString file = home.path() + QString::fromLatin1(p.file);
      SaveFloatPicture(file.toStdString(), *p.picture, p.depth);
      picks->Files = QStringList{file};
      main_window.btnLoadPreviewImage->click();
      ok = Save(main_window, out.filePath(QString::fromLatin1(p.shot))) && ok;
    }
  }
  return ok ? 0 : 1;
}
