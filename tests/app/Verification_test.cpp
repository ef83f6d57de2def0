// Verifying written files from the windows: the conversion dialog's check
// box (off unless chosen, remembered with the settings when they are kept)
// and the summary that lists what each file read back found.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "AppTestSupport.h"
#include "app/BatchSummary.h"
#include "app/ConvertForm.h"
#include "app/MainForm.h"
#include "app/Remembered.h"
#include "app/Settings.h"

namespace zelvo::test {

namespace {

QCheckBox* VerifyBox(const TfrmConvert& dialog) {
  return dialog.findChild<QCheckBox*>(QStringLiteral("chkVerify"));
}

// The dialog left with Convert, the box clicked first where asked.
void ConvertWith(TfrmConvert& dialog, const char* caption, bool click_verify) {
  dialog.show();
  dialog.cbxOutFormat->setCurrentIndex(dialog.cbxOutFormat->findText(QString::fromLatin1(caption)));
  // On its square: the box stretches across the dialog beyond its text.
  QCheckBox* box = VerifyBox(dialog);
  if (click_verify) QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
  QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btnConvert")), Qt::LeftButton);
}

// The column of each row of the summary's file list.
QStringList Column(const TfrmBatchSummary& summary, int column) {
  const auto* files = summary.findChild<QTreeWidget*>(QStringLiteral("lvwFiles"));
  QStringList texts;
  for (int i = 0; i < files->topLevelItemCount(); ++i) texts << files->topLevelItem(i)->text(column);
  return texts;
}

}  // namespace

class Verification : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    RemoveSettings();
    LastOutputFolder().clear();
    RememberedOutputChoice().reset();
    SetReadBackHook({});
  }
  void cleanup() { init(); }

  // Off in a new dialog; checked, the settings ask for verification; kept
  // for the next dialog and the next run only while settings are remembered.
  void checkBoxIsOffUnlessChosenAndRemembered() {
    QTemporaryDir dir;
    PromptsScope prompts;
    {
      TfrmMain w;
      LastOutputFolder() = dir.path().toStdString();
      TfrmConvert first(&w);
      QCheckBox* box = VerifyBox(first);
      QVERIFY(box != nullptr);
      QCOMPARE(box->text(), QStringLiteral("Verify written files"));
      QVERIFY(!box->isChecked() && !first.Settings().Verify);
      ConvertWith(first, "3DL Fusion", true);
      QCOMPARE(first.result(), int(QDialog::Accepted));
      QVERIFY(first.Settings().Verify);
      QVERIFY(!VerifyBox(TfrmConvert(&w))->isChecked());  // not remembered

      w.miRememberSettings->trigger();
      TfrmConvert second(&w);
      ConvertWith(second, "3DL Fusion", true);
      QVERIFY(RememberedOutputChoice().value().Verify);
      QVERIFY(VerifyBox(TfrmConvert(&w))->isChecked());
      w.close();
    }
    RememberedOutputChoice().reset();
    TfrmMain w;  // the next run
    TfrmConvert dialog(&w);
    QVERIFY(VerifyBox(dialog)->isChecked() && dialog.Settings().Verify);
    ConvertWith(dialog, "3DL Fusion", true);  // off again, and so kept
    w.close();
    RememberedOutputChoice().reset();
    TfrmMain again;
    QVERIFY(!VerifyBox(TfrmConvert(&again))->isChecked());
  }

  // A verified batch shows its summary even when every file holds: each
  // file's largest difference; a file whose read-back differs by more than
  // its rounding fails with its message (asked about, like any failure).
  void summaryListsEachFilesLargestDifference() {
    for (const bool spoiled : {false, true}) {
      QTemporaryDir in_dir, out_dir;
      const QDir in(in_dir.path()), out(out_dir.path());
      PromptsScope prompts;
      prompts->answers = {kSkipAllButton};
      if (spoiled) {
        SetReadBackHook([](TLUT& back) {
          back.Table3D(back.Size3D() - 1, 0, 0).R -= 0.01;  // the red corner, 1 as written
        });
      }
      TfrmMain w;
      w.AddFiles({WriteCube(in, "A.cube"), WriteCube(in, "B.cube")});
      LastOutputFolder() = out.path().toStdString();
      QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TfrmConvert*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        ConvertWith(*dialog, "3DL Fusion", true);
      });
      QTest::mouseClick(w.btnConvert, Qt::LeftButton);

      auto* summary = w.findChild<TfrmBatchSummary*>();
      QVERIFY(summary != nullptr && summary->isVisible());
      const auto* files = summary->findChild<QTreeWidget*>(QStringLiteral("lvwFiles"));
      QVERIFY(!files->isColumnHidden(3));
      QCOMPARE(files->headerItem()->text(3), QStringLiteral("Verification"));
      const auto* verified = summary->findChild<QLabel*>(QStringLiteral("lblVerified"));
      QVERIFY(!verified->isHidden());
      const QStringList results = Column(*summary, 1), details = Column(*summary, 2), found = Column(*summary, 3);
      if (!spoiled) {
        QVERIFY(prompts->messages.empty());
        QCOMPARE(results, QStringList({"Converted", "Converted"}));
        QCOMPARE(verified->text(), QStringLiteral("2 files read back and compared with their sources, 0 failed."));
        for (const QString& text : found) {
          QVERIFY2(text.startsWith("largest difference ") && text.contains(" code steps of 12 bits") &&
                       text.contains(", within the 0.0001221 expected"),
                   qPrintable(text));
        }
        continue;
      }
      QCOMPARE(prompts->messages.size(), 1u);  // Skip All: one box for both
      QCOMPARE(results, QStringList({"Failed", "Failed"}));
      QCOMPARE(verified->text(), QStringLiteral("2 files read back and compared with their sources, 2 failed."));
      const QString target = out.filePath("A.3dl");
      QVERIFY2(details[0].startsWith("The file \"" + target + "\" read back differs from what was written by 0.01"),
               qPrintable(details[0]));
      QCOMPARE(prompts->messages[0].Text, in.filePath("A.cube") + ": " + details[0]);
      QVERIFY2(found[0].startsWith("failed: differs from what was written by 0.01 "), qPrintable(found[0]));
      QVERIFY(out.exists("A.3dl") && out.exists("B.3dl"));  // written all the same
    }
  }
};

ZELVO_APP_SUITE(Verification);

}  // namespace zelvo::test

#include "Verification_test.moc"
