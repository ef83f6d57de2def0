// The "New Identity LUT" dialog: what it writes reads back as an identity of
// the chosen size, the core's refusals keep it open, and File > New Identity
// LUT adds the written file to the list once.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "AppTestSupport.h"
#include "app/IdentityForm.h"
#include "app/MainForm.h"
#include "app/Remembered.h"
#include "registry/Registry.h"

namespace zelvo::test {

namespace {

void Fill(TfrmIdentity& dialog, const char* caption, const QString& size, int bits, ScriptedPrompts& prompts,
          const QString& file) {
  const int index = dialog.cbxOutFormat->findText(QString::fromLatin1(caption));
  QVERIFY(index >= 0);
  dialog.cbxOutFormat->setCurrentIndex(index);
  dialog.cbxDimSize->setEditText(size);
  dialog.cbxBits->setCurrentIndex(dialog.cbxBits->findData(bits));
  prompts.next_save_files.push_back(file);
  QTest::mouseClick(dialog.btnSetLUTFile, Qt::LeftButton);
}

// The largest distance of a LUT's 3D table from the identity of its size.
double DistanceFromIdentity(const TLUT& lut) {
  const int n = lut.Size3D();
  double worst = 0;
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r) {
        const TLUTEntry& e = lut.Table3D(r, g, b);
        const double step = 1.0 / (n - 1);
        for (const double d : {e.R - r * step, e.G - g * step, e.B - b * step}) worst = std::max(worst, std::abs(d));
      }
  return worst;
}

}  // namespace

class IdentityForm : public QObject {
  Q_OBJECT

 private slots:
  void init() { LastOutputFolder().clear(); }

  void writesTheIdentityOfTheChosenSize() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    PromptsScope prompts;
    struct Case {
      const char* profile;
      const char* size;
      int bits;
      const char* name;
      int points;
      double tolerance;  // half a code of the depth, or the text's digits
    };
    const Case cases[] = {
        {"Hald CLUT PNG", "16", 8, "hald.png", 16, 0.5 / 255},
        {"Hald CLUT TIFF", "Default", 16, "hald.tif", 64, 0.5 / 65535},
        {"Cube 3D Davinci", "17", -1, "grade.cube", 17, 1e-6},
    };
    for (const Case& c : cases) {
      TfrmIdentity dialog(nullptr);
      Fill(dialog, c.profile, QString::fromLatin1(c.size), c.bits, *prompts, d.filePath(c.name));
      QTest::mouseClick(dialog.btnCreate, Qt::LeftButton);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      QCOMPARE(dialog.WrittenFile(), d.filePath(c.name).toStdString());
      TLUT lut;
      LoadLUTFile(dialog.WrittenFile(), lut);
      QCOMPARE(lut.Size3D(), c.points);
      QVERIFY2(DistanceFromIdentity(lut) <= c.tolerance, c.profile);
    }
    QVERIFY(prompts->messages.empty());
    const TSaveFileRequest& asked = prompts->save_requests.back();
    QCOMPARE(asked.DefaultSuffix, QStringLiteral("cube"));
    QCOMPARE(QString::fromStdString(LastOutputFolder()), d.path());
  }

  // The core's refusals are shown and the dialog stays open; an existing
  // file is replaced only on Yes.
  void refusalsKeepTheDialogOpen() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    PromptsScope prompts;
    TfrmIdentity dialog(nullptr);
    QVERIFY(!dialog.btnCreate->isEnabled());  // no file yet
    Fill(dialog, "Hald CLUT PNG", "17", -1, *prompts, d.filePath("look.png"));
    QTest::mouseClick(dialog.btnCreate, Qt::LeftButton);
    QCOMPARE(prompts->messages.size(), 1u);
    QVERIFY2(prompts->messages[0].Text.contains("A size of 17 is not supported for \"Hald CLUT PNG\""),
             qPrintable(prompts->messages[0].Text));
    QVERIFY(!QFileInfo::exists(d.filePath("look.png")));
    QVERIFY(dialog.result() != QDialog::Accepted && dialog.WrittenFile().empty());

    // Another profile brings the name its extension.
    dialog.cbxOutFormat->setCurrentIndex(dialog.cbxOutFormat->findText("Cube 3D Davinci"));
    QCOMPARE(dialog.edtLUTFile->text(), d.filePath("look.cube"));
    const QString kept = WriteText(d, "look.cube", "kept\n");
    prompts->answers = {QMessageBox::Cancel};
    QTest::mouseClick(dialog.btnCreate, Qt::LeftButton);
    QCOMPARE(prompts->messages.size(), 2u);
    QCOMPARE(prompts->messages[1].Title, QStringLiteral("Confirm"));
    QCOMPARE(ReadAll(kept), QByteArray("kept\n"));
    QVERIFY(dialog.WrittenFile().empty());
  }

  // File > New Identity LUT: the written file joins the list, once.
  void theMenuAddsTheWrittenFileOnce() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    PromptsScope prompts;
    TfrmMain w;
    QCOMPARE(w.mnuFile->actions().indexOf(w.miNewIdentity), w.mnuFile->actions().indexOf(w.miAddFolder) + 1);
    const QString file = d.filePath("neutral.png");
    for (int run = 0; run < 2; ++run) {
      QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TfrmIdentity*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        Fill(*dialog, "Strip PNG", "Default", -1, *prompts, file);
        prompts->answers = {QMessageBox::Yes};  // the second run replaces it
        QTest::mouseClick(dialog->btnCreate, Qt::LeftButton);
      });
      w.miNewIdentity->trigger();
    }
    QCOMPARE(w.lvwFiles->topLevelItemCount(), 1);
    QCOMPARE(w.lvwFiles->topLevelItem(0)->text(colFormat), QStringLiteral("Image LUT (PNG, TIFF, OpenEXR)"));
    QCOMPARE(prompts->messages.size(), 1u);  // the question before replacing it
  }
};

ZELVO_APP_SUITE(IdentityForm);

}  // namespace zelvo::test

#include "IdentityForm_test.moc"
