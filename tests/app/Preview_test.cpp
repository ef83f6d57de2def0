// The preview pane of the main window: each kind of row selected, the pane
// hidden and shown again, and pictures loaded while a row is selected.
#include <QAction>
#include <QImage>
#include <cmath>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "AppTestSupport.h"
#include "app/CurvesForm.h"
#include "app/ImageBox.h"
#include "app/Remembered.h"
#include "app/MainForm.h"
#include "registry/Registry.h"
#include "image/ApplyLUT.h"
#include "image/PictureFile.h"
#include "image/PictureIO.h"
#include "image/Preview.h"

namespace zelvo::test {

namespace {

// The picture the pane must show for a LUT file.
TBitmap24 Graded(const TBitmap24& ungraded, const QString& lut_file) {
  TLUT lut;
  LoadLUTFile(lut_file.toStdString(), lut);
  TBitmap24 picture = ungraded.Copy();
  ApplyLUTToBitmap(lut, picture);
  return picture;
}

bool LowerPartShown(const TfrmMain& w) { return !w.mmComments->isHidden() && !w.stxComments->isHidden(); }
bool GradedShown(const TfrmMain& w) { return !w.imgLUTApplied->isHidden() && !w.stxLUTApplied->isHidden(); }

void Select(TfrmMain& w, int row) { w.lvwFiles->setCurrentItem(w.lvwFiles->topLevelItem(row)); }

// A Nucoda file with a 4096-entry shaper ahead of a 33-point cube.
QByteArray NucodaWithShaper() {
  QByteArray text = "NUCODA_3D_CUBE 3\nLUT_1D_SIZE 4096\nLUT_3D_SIZE 33\n";
  for (int i = 0; i < 4096; ++i) text += QByteArray::number(i / 4095.0, 'f', 6) + " 0.5 0.5\n";
  for (int i = 0; i < 33 * 33 * 33; ++i) text += "0.25 0.5 0.75\n";
  return text;
}

}  // namespace

class Preview : public QObject {
  Q_OBJECT

 private slots:
  void init() { LastPictureFolder().clear(); }

  void eachKindOfRowShowsItsLUT() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    PromptsScope prompts;
    TfrmMain w;
    QVERIFY(!w.imgUngraded->Picture().Empty());  // the default picture, fitted into the box
    QVERIFY(w.imgUngraded->Picture().Width() <= 210 && w.imgUngraded->Picture().Height() <= 169);
    QVERIFY(!GradedShown(w) && !LowerPartShown(w));

    w.AddFiles({WriteText(d, "warm.cube", "# warm\nLUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 0.5\n"),
                WriteText(d, "curve.cube", "LUT_1D_SIZE 3\n0 0 0\n0.2 0.3 0.4\n1 1 1\n"),
                WriteText(d, "shaped.cms", NucodaWithShaper()), WriteText(d, "notes.txt", "hello\n"),
                WriteText(d, "point.cube", "LUT_3D_SIZE 1\n0.5 0.5 0.5\n")});
    struct Case {
      int row;
      bool graded;
      QStringList lines;
    };
    const Case cases[] = {
        {0, true, {"Type: 3D", "Dimension: 2", "warm"}},
        {1, true, {"Type: 1D", "Dimension: 3"}},
        {2, true, {"Type: 1D & 3D", "Dimension: 4096 & 33"}},
        {1, true, {"Type: 1D", "Dimension: 3"}},
        {3, false, {}},  // unknown: only the ungraded picture
        {0, true, {"Type: 3D", "Dimension: 2", "warm"}},
        {4, false, {"Type: 3D", "Dimension: 1"}},  // one point: described, never applied
    };
    for (const Case& c : cases) {
      Select(w, c.row);
      const QString file = w.lvwFiles->topLevelItem(c.row)->text(colFileName);
      QVERIFY2(GradedShown(w) == c.graded, qPrintable(file));
      QCOMPARE(LowerPartShown(w), !c.lines.isEmpty());
      if (!c.lines.isEmpty()) QCOMPARE(w.mmComments->toPlainText().split(u'\n'), c.lines);
      if (c.graded) QVERIFY2(SamePicture(w.imgLUTApplied->Picture(), Graded(w.UngradedPicture(), d.filePath(file))), qPrintable(file));
    }
    QVERIFY(prompts->messages.empty());

    // A file that fails to read clears the LUT, its picture and its lines:
    // the pane says it cannot be read. Browsing with the keys shows no box;
    // Enter or a click on the row shows the error once.
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    Select(w, 0);
    WriteText(d, "curve.cube", "LUT_1D_SIZE 3\n0 0 0\n");
    w.lvwFiles->setFocus();
    QTest::keyClick(w.lvwFiles, Qt::Key_Down);
    QCOMPARE(w.lvwFiles->currentItem(), w.lvwFiles->topLevelItem(1));
    QVERIFY(prompts->messages.empty());
    QVERIFY(!GradedShown(w) && w.imgLUTApplied->Picture().Empty());
    QVERIFY(!w.stxLUTState->isHidden() && w.stxComments->isHidden());
    QCOMPARE(w.stxLUTState->text(), QStringLiteral("cannot be read"));
    QVERIFY2(w.mmComments->toPlainText().contains(d.filePath("curve.cube")), qPrintable(w.mmComments->toPlainText()));
    QCOMPARE(w.PreviewLUT.FormatIndex, TLUTFormatId::None);
    QCOMPARE(w.PreviewLUT.Size3D(), 0);
    QTest::keyClick(w.lvwFiles, Qt::Key_Return);
    QTest::keyClick(w.lvwFiles, Qt::Key_Return);
    QCOMPARE(prompts->messages.size(), 1u);
    QCOMPARE(prompts->messages[0].Text, w.mmComments->toPlainText());
    QTest::keyClick(w.lvwFiles, Qt::Key_Up);
    QTest::mouseClick(w.lvwFiles->viewport(), Qt::LeftButton, {},
                      w.lvwFiles->visualItemRect(w.lvwFiles->topLevelItem(1)).center());
    QCOMPARE(prompts->messages.size(), 2u);
    QTest::keyClick(w.lvwFiles, Qt::Key_Up);
    QVERIFY(GradedShown(w) && w.stxLUTState->isHidden());  // the good one again

    // No row selected: the lower part goes.
    w.lvwFiles->clearSelection();
    QVERIFY(!GradedShown(w) && !LowerPartShown(w) && w.stxLUTState->isHidden());
  }

  // The curves window follows the selected row, also while the pane is
  // hidden; the pane's interpolation is the View menu's.
  void curvesAndInterpolationFollowTheSelection() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    PromptsScope prompts;
    TfrmMain w;
    w.AddFiles({WriteCube(d, "identity.cube"), WriteText(d, "knee.cube", "LUT_1D_SIZE 3\n0 0 0\n0.25 0.25 0.25\n1 1 1\n"),
                WriteText(d, "broken.cube", "LUT_3D_SIZE 2\n0 0 0\n"), WriteText(d, "notes.txt", "hello\n"),
                WriteText(d, "warm.cube", "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n0.2 0.9 1\n")});
    w.miPreviewPane->trigger();
    QVERIFY(w.pnlPreview->isHidden() && !w.miPreviewPane->isChecked());
    w.miCurves->trigger();
    TfrmCurves* curves = w.CurvesWindow();
    QVERIFY(curves != nullptr && curves->isVisible());
    QCOMPARE(curves->lblState->text(), QStringLiteral("No LUT data."));

    Select(w, 0);  // every curve of an identity is a straight line
    const TCurveSet& shown = curves->pbxCurves->Curves();
    QCOMPARE(shown.Curves.size(), 7u);
    for (const TCurve& curve : shown.Curves) {
      for (std::size_t i = 0; i < curve.Inputs.size(); ++i) {
        const double x = curve.Inputs[i];
        const TLUTEntry expected{curve.Colour.R * x, curve.Colour.G * x, curve.Colour.B * x};
        QVERIFY(std::abs(curve.Outputs[i].R - expected.R) < 1e-9 && std::abs(curve.Outputs[i].G - expected.G) < 1e-9 &&
                std::abs(curve.Outputs[i].B - expected.B) < 1e-9);
      }
    }
    Select(w, 1);  // a knee at 0.5: half the input below it, then steeper
    QCOMPARE(curves->pbxCurves->Curves().Curves.size(), 3u);
    for (int channel = 0; channel < 3; ++channel) {
      const TCurve& curve = curves->pbxCurves->Curves().Curves[channel];
      for (std::size_t i = 0; i < curve.Inputs.size(); ++i) {
        const double x = curve.Inputs[i];
        const TLUTEntry& out = curve.Outputs[i];
        const double y = channel == 0 ? out.R : channel == 1 ? out.G : out.B;
        QVERIFY(std::abs(y - (x <= 0.5 ? 0.5 * x : 0.25 + 1.5 * (x - 0.5))) < 1e-9);
      }
    }
    Select(w, 2);
    QVERIFY(curves->pbxCurves->isHidden());
    QCOMPARE(curves->lblState->text(), QStringLiteral("cannot be read"));
    QCOMPARE(curves->lblLUT->text(), QStringLiteral("broken.cube"));
    Select(w, 3);
    QCOMPARE(curves->lblState->text(), QStringLiteral("No LUT data."));
    QCOMPARE(curves->lblLUT->text(), QStringLiteral("notes.txt"));

    w.miPreviewPane->trigger();
    Select(w, 4);
    QCOMPARE(w.PreviewLUT.Interpolation3D, TInterpolation::Trilinear);
    w.miTetrahedral->trigger();
    QCOMPARE(w.PreviewInterpolation(), TInterpolation::Tetrahedral);
    QCOMPARE(w.PreviewLUT.Interpolation3D, TInterpolation::Tetrahedral);
    TLUT warm;
    LoadLUTFile(d.filePath("warm.cube").toStdString(), warm);
    warm.Interpolation3D = TInterpolation::Tetrahedral;
    TBitmap24 expected = w.UngradedPicture().Copy();
    ApplyLUTToBitmap(warm, expected);
    QVERIFY(SamePicture(w.imgLUTApplied->Picture(), expected));
    QVERIFY(!SamePicture(expected, Graded(w.UngradedPicture(), d.filePath("warm.cube"))));
    w.lvwFiles->clearSelection();
    QCOMPARE(curves->lblLUT->text(), QString());
    QVERIFY(prompts->messages.empty());
  }

  void hiddenPaneReadsOnlyWhenShownAgain() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    PromptsScope prompts;
    TfrmMain w;
    w.AddFiles({WriteCube(d, "a.cube"), WriteText(d, "b.cube", "LUT_1D_SIZE 2\n0 0 0\n1 1 1\n")});
    QTest::mouseClick(w.btnShowHidePreview, Qt::LeftButton);
    QVERIFY(w.pnlPreview->isHidden());
    Select(w, 1);
    QCOMPARE(w.PreviewLUT.FormatIndex, TLUTFormatId::None);  // nothing read
    QTest::mouseClick(w.btnShowHidePreview, Qt::LeftButton);
    QVERIFY(!w.pnlPreview->isHidden());
    QCOMPARE(w.PreviewLUT.Kind, TLUTKind::lk1D);
    QVERIFY(GradedShown(w) && LowerPartShown(w));

    // Deselected while hidden: shown again without a selection, nothing below.
    QTest::mouseClick(w.btnShowHidePreview, Qt::LeftButton);
    w.lvwFiles->clearSelection();
    QTest::mouseClick(w.btnShowHidePreview, Qt::LeftButton);
    QVERIFY(!GradedShown(w) && !LowerPartShown(w));
    QVERIFY(prompts->messages.empty());
  }

  void loadedPicturesReplaceTheUngradedOne() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    PromptsScope prompts;
    TfrmMain w;
    w.AddFiles({WriteText(d, "warm.cube", "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 0.5\n")});
    Select(w, 0);

    TBitmap24 wide(420, 100);
    for (std::size_t i = 0; i < wide.ByteCount(); ++i) wide.Pixels()[i] = static_cast<std::uint8_t>(i * 7);
    const QString bmp = d.filePath("wide.bmp");
    SavePicture(bmp.toStdString(), wide);
    QImage see_through(40, 20, QImage::Format_ARGB32);
    see_through.fill(Qt::transparent);
    const QString icon = d.filePath("clear.ico");
    QVERIFY(see_through.save(icon));
    const QString damaged = WriteText(d, "damaged.jpg", QByteArray("\xFF\xD8\xFF\xE0") + QByteArray(40, 'x'));
    const QString huge = d.filePath("huge.png");
    QVERIFY(QImage(30001, 1, QImage::Format_RGB32).save(huge));
    TBitmap24 thin(1000, 2);
    const QString thin_file = d.filePath("thin.bmp");
    SavePicture(thin_file.toStdString(), thin);

    prompts->next_files = {QStringList{bmp}, QStringList{icon}, QStringList{damaged}, QStringList{huge},
                           QStringList{thin_file}};
    QTest::mouseClick(w.btnLoadPreviewImage, Qt::LeftButton);
    const TOpenFilesRequest& asked = prompts->file_requests.at(0);
    QVERIFY(!asked.MultiSelect);
    QCOMPARE(asked.InitialFolder, QString());
    QVERIFY(asked.NameFilters.value(0).contains(QStringLiteral("*.jpg *.jpeg *.bmp")));
    QVERIFY(asked.Preview);
    QCOMPARE(asked.Preview(bmp).size(), QSize(210, 50));
    QVERIFY(asked.Preview(damaged).isNull());
    // Both pictures follow: fitted into the box, and graded by the row's LUT.
    QVERIFY(SamePicture(w.UngradedPicture(), FitPreviewBitmap(wide)));
    QVERIFY(SamePicture(w.imgLUTApplied->Picture(), Graded(w.UngradedPicture(), d.filePath("warm.cube"))));
    QCOMPARE(QString::fromStdString(LastPictureFolder()), d.path() + u'/');

    // Types the toolkit reads come through it; transparency shows white.
    QTest::mouseClick(w.btnLoadPreviewImage, Qt::LeftButton);
    QCOMPARE(prompts->file_requests.at(1).InitialFolder, d.path() + u'/');
    QCOMPARE(w.UngradedPicture().Width(), 40);
    QCOMPARE(int(w.UngradedPicture().At(5, 5)[0]), 255);

    // A damaged picture, or one larger than pictures may be, is an error
    // naming it; the pictures stay.
    QTest::mouseClick(w.btnLoadPreviewImage, Qt::LeftButton);
    QTest::mouseClick(w.btnLoadPreviewImage, Qt::LeftButton);
    QCOMPARE(prompts->messages.size(), 2u);
    QVERIFY(prompts->messages[0].Text.contains(damaged));
    QVERIFY(prompts->messages[1].Text.contains(huge));
    QVERIFY2(prompts->messages[1].Text.contains("30001 x 1 pixels"), qPrintable(prompts->messages[1].Text));
    QCOMPARE(w.UngradedPicture().Width(), 40);

    // A picture that fits to no height shows nothing, graded or not.
    QTest::mouseClick(w.btnLoadPreviewImage, Qt::LeftButton);
    QVERIFY(w.UngradedPicture().Empty() && w.imgUngraded->Image().isNull());
    QVERIFY(w.imgLUTApplied->Picture().Empty());
    QCOMPARE(prompts->messages.size(), 2u);
  }

  // PNG, TIFF, OpenEXR and DPX come through the picture layer; a picture
  // beyond 8 bits is graded in float and shown clipped, and the pane says how
  // it shows float and DPX values.
  void picturesBeyondEightBits() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    PromptsScope prompts;
    TfrmMain w;
    // Halves its inputs over a domain of 0..4: a float 1.6 grades to 0.8,
    // which the clipped 1.0 would not.
    w.AddFiles({WriteText(d, "half.cube",
                          "DOMAIN_MAX 4 4 4\nLUT_3D_SIZE 2\n0 0 0\n2 0 0\n0 2 0\n2 2 0\n0 0 2\n2 0 2\n0 2 2\n2 2 2\n")});
    Select(w, 0);
    struct Case {
      const char* name;
      TPictureDepth depth;
      float red;
      int shown_red, graded_red;
      const char* note;  // a part of the note; nullptr: hidden
    };
    const Case cases[] = {
        {"deep.tif", TPictureDepth::pd16, 0.5f, 128, 64, nullptr},
        {"bright.exr", TPictureDepth::pdHalf, 1.6f, 255, 204, "values beyond 0..1 are shown clipped"},
        {"scan.dpx", TPictureDepth::pd10, 0.2f, 51, 26, "DPX code values"},
        {"deep.png", TPictureDepth::pd16, 1.0f, 255, 128, nullptr},
        {"float.tif", TPictureDepth::pdFloat, 0.4f, 102, 51, "without a view transform"},
    };
    for (const Case& c : cases) {
      TFloatPicture picture(420, 100, c.depth);
      for (std::size_t i = 0; i < picture.SampleCount(); i += 3) picture.Samples()[i] = c.red;
      const QString file = d.filePath(c.name);
      SaveFloatPicture(file.toStdString(), picture, c.depth);
      prompts->next_files = {QStringList{file}};
      QTest::mouseClick(w.btnLoadPreviewImage, Qt::LeftButton);
      QVERIFY2(prompts->messages.empty(), qPrintable(prompts->messages.empty() ? "" : prompts->messages[0].Text));
      QCOMPARE(w.UngradedPicture().Width(), 210);
      QCOMPARE(int(w.UngradedPicture().At(100, 25)[2]), c.shown_red);
      QCOMPARE(int(w.imgLUTApplied->Picture().At(100, 25)[2]), c.graded_red);
      QCOMPARE(w.stxPictureNote->isHidden(), c.note == nullptr);
      if (c.note != nullptr) QVERIFY2(w.stxPictureNote->text().contains(c.note), c.name);
    }
    const QString all = prompts->file_requests.at(0).NameFilters.value(0);
    for (const char* type : {"*.png", "*.tif", "*.tiff", "*.exr", "*.dpx"}) QVERIFY2(all.contains(type), type);

    // An 8-bit picture afterwards says nothing under it.
    const QString bmp = d.filePath("plain.bmp");
    SavePicture(bmp.toStdString(), TBitmap24(40, 20));
    prompts->next_files = {QStringList{bmp}};
    QTest::mouseClick(w.btnLoadPreviewImage, Qt::LeftButton);
    QVERIFY(w.stxPictureNote->isHidden());
    QCOMPARE(int(w.imgLUTApplied->Picture().At(5, 5)[2]), 0);
  }
};

ZELVO_APP_SUITE(Preview);

}  // namespace zelvo::test

#include "Preview_test.moc"
