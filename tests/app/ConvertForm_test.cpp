// The "Convertion Settings" dialog: its enabling and key rules, the job's
// refusals shown before the dialog closes, and whole batches started from
// the main window with scripted overwrite answers and a Cancel.
#include <QApplication>
#include <QFileInfo>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "AppTestSupport.h"
#include "app/BatchSummary.h"
#include "app/ConvertForm.h"
#include "app/ProfileBoxes.h"
#include "app/Remembered.h"
#include "app/MainForm.h"
#include "app/ProgressDlg.h"
#include "registry/Registry.h"

namespace zelvo::test {

namespace {

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

void Choose(TfrmConvert& dialog, const char* caption) {
  const int index = dialog.cbxOutFormat->findText(QString::fromLatin1(caption));
  QVERIFY(index >= 0);
  dialog.cbxOutFormat->setCurrentIndex(index);
}

const QStringList kSizes3D = {"Default", "17", "32", "33", "64"};
const QStringList kSizes1D = {"Default", "1024", "2048", "4096", "8192", "16384", "32768", "65536"};

}  // namespace

class ConvertForm : public QObject {
  Q_OBJECT

 private slots:
  void init() { LastOutputFolder().clear(); }

  // The keys the size box of both dialogs takes (the items are checked on
  // the dialogs themselves); a profile that writes 1D tables through a format
  // of both kinds offers 1D sizes.
  void profileBoxItemsAndKeys() {
    QCOMPARE(SizeItems(*OutputProfileByCaption("Academy/ASC CLF 1D")).back(), std::string("65536"));
    struct Key {
      std::string text;
      char key;
      bool accepted;
      std::string text_after;
    };
    for (const Key& k : {Key{"Default", '3', true, ""}, Key{"Default", 'x', false, ""}, Key{"1234", '5', true, "1234"},
                         Key{"12345", '6', false, "12345"}, Key{"12345", '\b', true, "12345"},
                         Key{"12", '-', false, "12"}}) {
      std::string text = k.text;
      QCOMPARE(AcceptSizeKey(text, k.key), k.accepted);
      QCOMPARE(text, k.text_after);
    }
  }

  void startsWithNothingChosen() {
    LastOutputFolder() = "/films/out";
    TfrmConvert dialog(nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Convertion Settings"));
    QCOMPARE(dialog.edtOutFolder->text(), QStringLiteral("/films/out"));
    QVERIFY(dialog.edtOutFolder->isReadOnly());
    QCOMPARE(dialog.cbxOutFormat->count(), static_cast<int>(OutputProfiles().size()));
    for (int i = 0; i < dialog.cbxOutFormat->count(); ++i) {
      QCOMPARE(dialog.cbxOutFormat->itemText(i), QString::fromStdString(OutputProfileByIndex(i).Caption));
    }
    QCOMPARE(dialog.cbxOutFormat->currentIndex(), -1);
    QVERIFY(dialog.SelectedOutputProfile() == nullptr);
    QCOMPARE(dialog.cbxDimSize->currentText(), QStringLiteral("Default"));
    QCOMPARE(Items(dialog.cbxDimSize), kSizes3D);
    QVERIFY(!dialog.cbxDimSize->isEnabled());
    QCOMPARE(Items(dialog.cbxBits), QStringList({"Default", "8 bit", "10 bit", "12 bit", "14 bit", "16 bit"}));
    QVERIFY(!dialog.cbxBits->isEnabled());
    QCOMPARE(dialog.SelectedBits(), -1);
    QVERIFY(!dialog.btnConvert->isEnabled());
    QVERIFY(dialog.btnConvert->isDefault());
  }

  void profileDecidesWhatCanBeChosen() {
    PromptsScope prompts;
    TfrmConvert dialog(nullptr);
    struct Case {
      const char* profile;
      bool size;
      bool bits;
      QStringList sizes;  // the size list afterwards
      QStringList depths;
    };
    const QStringList all_bits = {"Default", "8 bit", "10 bit", "12 bit", "14 bit", "16 bit"};
    const Case cases[] = {
        {"Cube 3D Davinci", true, false, kSizes3D, all_bits},
        {"Autodesk Lustre 1D", true, true, kSizes1D, {"Default", "12 bit", "16 bit"}},
        {"3DL Fusion", false, false, kSizes1D, {"Default", "12 bit", "16 bit"}},  // disabled lists keep their items
        {"Nucoda 3D", true, false, kSizes3D, {"Default", "12 bit", "16 bit"}},
        {"Shake 1D", false, false, kSizes3D, {"Default", "12 bit", "16 bit"}},
        // Image profiles list their own sizes and depths.
        {"Hald CLUT TIFF", true, true,
         {"Default", "4", "9", "16", "25", "36", "49", "64", "81", "100", "121", "144", "169", "196", "225", "256"},
         {"Default", "8 bit", "16 bit", "32 bit (float)"}},
        {"Strip PNG", true, true, kSizes3D, {"Default", "8 bit", "16 bit"}},
        {"OpenColorIO raster EXR", true, true, kSizes3D, {"Default", "16 bit (half float)", "32 bit (float)"}},
    };
    for (const Case& c : cases) {
      dialog.cbxDimSize->setEditText("17");
      dialog.cbxBits->setCurrentIndex(1);
      Choose(dialog, c.profile);
      QCOMPARE(dialog.cbxDimSize->isEnabled(), c.size);
      QCOMPARE(dialog.cbxBits->isEnabled(), c.bits);
      QCOMPARE(Items(dialog.cbxDimSize), c.sizes);
      QCOMPARE(Items(dialog.cbxBits), c.depths);
      QCOMPARE(dialog.cbxDimSize->currentText(), QStringLiteral("Default"));
      QCOMPARE(dialog.cbxBits->currentIndex(), 0);
      QVERIFY(!dialog.btnConvert->isEnabled());  // no folder yet
    }
    Choose(dialog, "Autodesk Lustre 1D");
    dialog.cbxBits->setCurrentIndex(1);
    QCOMPARE(dialog.SelectedBits(), 12);

    // The folder comes from the picker only; it starts in the remembered one.
    prompts->next_folders.push_back(std::nullopt);
    prompts->next_folders.push_back(QStringLiteral("/films/out/"));
    QTest::mouseClick(dialog.btnSelectFolder, Qt::LeftButton);
    QVERIFY(!dialog.btnConvert->isEnabled());
    QTest::mouseClick(dialog.btnSelectFolder, Qt::LeftButton);
    QCOMPARE(prompts->folder_requests[0].Title, QStringLiteral("Please select a folder for converted files"));
    QCOMPARE(dialog.edtOutFolder->text(), QStringLiteral("/films/out"));
    QCOMPARE(LastOutputFolder(), std::string("/films/out"));
    QVERIFY(dialog.btnConvert->isEnabled());
    prompts->next_folders.push_back(std::nullopt);
    QTest::mouseClick(dialog.btnSelectFolder, Qt::LeftButton);
    QCOMPARE(prompts->folder_requests[2].InitialFolder, QStringLiteral("/films/out"));
  }

  void sizeBoxTakesFiveDigits() {
    TfrmConvert dialog(nullptr);
    Choose(dialog, "Cube 3D Davinci");
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));  // the list completes only in an active window
    QComboBox* size = dialog.cbxDimSize;
    size->setFocus();
    struct Case {
      QString before;
      QString typed;  // "\b" is Backspace, "\x7f" Delete
      QString after;
    };
    const Case cases[] = {
        {"Default", "6", "6"},           {"Default", "1", "1"},         {"Default", "x", ""},
        {"Default", "\b", ""},
        {"Default", "\x7f", ""},         {"", "123456", "12345"},       {"12", "a-.,9", "129"},
        {"1234", "\b\b7", "127"},        {"17", "\x7f", "17"},
    };
    for (const Case& c : cases) {
      size->setEditText(c.before);
      size->lineEdit()->end(false);
      for (const QChar ch : c.typed) {
        if (ch == u'\b') QTest::keyClick(size, Qt::Key_Backspace);
        else if (ch == u'\x7f') QTest::keyClick(size, Qt::Key_Delete);
        else QTest::keyClicks(size, QString(ch));
      }
      QCOMPARE(size->currentText(), c.after);
    }
    // The whole text counts, also when a digit would replace a selection.
    size->setEditText("12345");
    size->lineEdit()->selectAll();
    QTest::keyClicks(size, "9");
    QCOMPARE(size->currentText(), QStringLiteral("12345"));
  }

  void sizesTheJobWouldChangeAreRefused() {
    PromptsScope prompts;
    TfrmConvert dialog(nullptr);
    LastOutputFolder() = "/films/out";
    dialog.edtOutFolder->setText("/films/out");
    Choose(dialog, "Cube 3D Davinci");
    struct Case {
      const char* size;
      bool accepted;
    };
    // Pasted or typed through an input method, whatever reached the box.
    const Case cases[] = {{"257", false}, {"1", false}, {"0", false}, {"3x", false},
                          {"256", true},  {"2", true},  {"", true},   {"Default", true}};
    for (const Case& c : cases) {
      prompts->messages.clear();
      dialog.open();
      dialog.cbxDimSize->setEditText(c.size);
      QTest::mouseClick(dialog.btnConvert, Qt::LeftButton);
      QCOMPARE(dialog.result() == QDialog::Accepted, c.accepted);
      QCOMPARE(prompts->messages.size(), c.accepted ? 0u : 1u);
      if (!c.accepted) {
        QVERIFY(dialog.isVisible());
        QCOMPARE(prompts->messages[0].Icon, QMessageBox::Critical);
        QCOMPARE(prompts->messages[0].Text, QStringLiteral("A size of ") + c.size +
                                                " is not supported for \"Cube 3D Davinci\" (2 to 256 points per axis).");
      }
      dialog.setResult(0);
    }
  }

  // Five files, one unknown and unchecked; the targets of B and E exist.
  // No for B, and while E's question is open the person presses Cancel in
  // the progress dialog and then Yes: A and C are written, B and E stay.
  void wholeBatchWithOverwriteAnswersAndCancel() {
    QTemporaryDir in_dir, out_dir;
    const QDir in(in_dir.path()), out(out_dir.path());
    PromptsScope prompts;
    TfrmMain w;
    w.AddFiles({WriteCube(in, "A.cube"), WriteCube(in, "B.cube"), WriteCube(in, "C.cube"),
                WriteText(in, "D.txt", "notes\n"), WriteCube(in, "E.cube")});
    WriteText(out, "B.3dl", "old B\n");
    WriteText(out, "E.3dl", "old E\n");
    LastOutputFolder() = out.path().toStdString();

    prompts->answers = {QMessageBox::No, QMessageBox::Yes};
    bool progress_seen = false;
    prompts->on_message = [&](const TMessageRequest& m) {
      auto* progress = w.findChild<TfrmProgress*>();
      QVERIFY(progress != nullptr && progress->isVisible());
      QCOMPARE(progress->windowTitle(), QStringLiteral("Convertion..."));
      QCOMPARE(progress->lblText->text(), QStringLiteral("The selected files are being converted. Please wait..."));
      QCOMPARE(QApplication::activeModalWidget(), progress);  // the main window takes no input
      QCOMPARE(m.Title, QStringLiteral("Confirm"));
      QCOMPARE(m.Icon, QMessageBox::Question);
      QCOMPARE(m.Buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::YesToAll |
                              QMessageBox::NoToAll);
      QCOMPARE(m.DefaultButton, QMessageBox::Yes);
      QCOMPARE(m.EscapeButton, QMessageBox::Cancel);
      if (m.Text.contains("E.3dl")) {
        QCOMPARE(progress->ProgressBar->value(), 60);  // C was the third of five
        // E is the fourth of the four checked files.
        QCOMPARE(progress->lblFile->text(), QStringLiteral("E.cube"));
        QCOMPARE(progress->lblCount->text(), QStringLiteral("file 4 of 4"));
        QTest::mouseClick(progress->btnCancel, Qt::LeftButton);
        progress_seen = true;
      }
    };
    RunBatchThroughDialog(w, "3DL Fusion");

    QVERIFY(progress_seen);
    QCOMPARE(prompts->messages.size(), 2u);
    QCOMPARE(prompts->messages[0].Text, QString::fromStdString(OverwriteQuestion(out.filePath("B.3dl").toStdString())));
    QVERIFY(out.exists("A.3dl") && out.exists("C.3dl") && !out.exists("D.3dl"));
    QCOMPARE(ReadAll(out.filePath("B.3dl")), QByteArray("old B\n"));
    QCOMPARE(ReadAll(out.filePath("E.3dl")), QByteArray("old E\n"));
    QVERIFY(w.findChildren<TfrmProgress*>().isEmpty());
    QVERIFY(w.findChildren<TfrmConvert*>().isEmpty());
    QVERIFY(w.findChildren<TfrmBatchSummary*>().isEmpty());  // No and Cancel are no news

    // Yes to both replaces them.
    prompts->messages.clear();
    prompts->on_message = nullptr;
    prompts->answers = {QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Yes};
    RunBatchThroughDialog(w, "3DL Fusion");
    QCOMPARE(prompts->messages.size(), 4u);
    QVERIFY(ReadAll(out.filePath("E.3dl")) != QByteArray("old E\n"));
  }

  // A file that fails shows its error (its name, then the message) with
  // Stop, Skip and Skip All. Stop ends the batch there; Skip asks again at the
  // next failure; Skip All goes on without asking. Every failure is then in
  // the summary, with the files the batch did not reach.
  void failingFilesAnsweredStopSkipOrSkipAll() {
    struct Case {
      const char* name;
      std::deque<QMessageBox::StandardButton> answers;
      int boxes;
      QStringList converted;
      QStringList rows;  // each file's result in the summary
    };
    const Case cases[] = {
        {"Stop", {kStopButton}, 1, {"A"}, {"Converted", "Failed", "Not converted", "Not converted", "Not converted"}},
        {"Skip", {kSkipButton, kSkipButton}, 2, {"A", "C", "E"}, {"Converted", "Failed", "Converted", "Failed", "Converted"}},
        {"Skip All", {kSkipAllButton}, 1, {"A", "C", "E"}, {"Converted", "Failed", "Converted", "Failed", "Converted"}},
    };
    for (const Case& c : cases) {
      QTemporaryDir in_dir, out_dir;
      const QDir in(in_dir.path()), out(out_dir.path());
      PromptsScope prompts;
      TfrmMain w;
      const QString broken_b = WriteCube(in, "B.cube"), broken_d = WriteCube(in, "D.cube");
      w.AddFiles({WriteCube(in, "A.cube"), broken_b, WriteCube(in, "C.cube"), broken_d, WriteCube(in, "E.cube")});
      for (const QString& broken : {broken_b, broken_d}) WriteText(in, QFileInfo(broken).fileName(), "LUT_3D_SIZE 3\n0 0 0\n");
      LastOutputFolder() = out.path().toStdString();
      prompts->answers = c.answers;
      RunBatchThroughDialog(w, "Nucoda 3D");

      QCOMPARE(static_cast<int>(prompts->messages.size()), c.boxes);
      const TMessageRequest& box = prompts->messages[0];
      QCOMPARE(box.Text, broken_b + ": read as Cube 3D: Incomplete file (1 of 27 rows; the file ends at line 2)");
      QCOMPARE(box.Title, QStringLiteral("Zelvo LUT Converter"));
      QCOMPARE(box.Icon, QMessageBox::Critical);
      QCOMPARE(box.Buttons, kStopButton | kSkipButton | kSkipAllButton);
      QCOMPARE(box.DefaultButton, kStopButton);
      QCOMPARE(box.EscapeButton, kStopButton);
      QStringList captions;
      for (const auto& [button, text] : box.ButtonTexts) captions << text;
      QCOMPARE(captions, QStringList({"&Stop", "S&kip", "Skip &All"}));
      QStringList converted;
      for (const char* name : {"A", "B", "C", "D", "E"}) {
        if (out.exists(QString::fromLatin1(name) + ".cms")) converted << name;
      }
      QVERIFY2(converted == c.converted, c.name);

      auto* summary = w.findChild<TfrmBatchSummary*>();
      QVERIFY2(summary != nullptr && summary->isVisible(), c.name);
      QStringList rows;
      for (int i = 0; i < summary->lvwFiles->topLevelItemCount(); ++i) rows << summary->lvwFiles->topLevelItem(i)->text(1);
      QVERIFY2(rows == c.rows, c.name);
      QCOMPARE(summary->lvwFiles->topLevelItem(1)->text(2),
               QStringLiteral("read as Cube 3D: Incomplete file (1 of 27 rows; the file ends at line 2)"));
      QCOMPARE(summary->Summary().Stopped, c.answers.front() == kStopButton);
      QCOMPARE(summary->lblEnd->isHidden(), c.answers.front() != kStopButton);
      QTest::mouseClick(summary->btnOpenFolder, Qt::LeftButton);
      QCOMPARE(prompts->opened_urls, std::vector<QUrl>{QUrl::fromLocalFile(out.path())});
      QTest::keyClick(summary, Qt::Key_Escape);  // closed is gone
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      QVERIFY(w.findChild<TfrmBatchSummary*>() == nullptr);
    }
  }

  // Yes to All and No to All answer every later question of the batch.
  void yesToAllAndNoToAll() {
    QTemporaryDir in_dir, out_dir;
    const QDir in(in_dir.path()), out(out_dir.path());
    PromptsScope prompts;
    TfrmMain w;
    w.AddFiles({WriteCube(in, "A.cube"), WriteCube(in, "B.cube"), WriteCube(in, "C.cube")});
    LastOutputFolder() = out.path().toStdString();
    for (const QMessageBox::StandardButton answer : {QMessageBox::NoToAll, QMessageBox::YesToAll}) {
      for (const char* name : {"A.3dl", "B.3dl", "C.3dl"}) WriteText(out, name, "old\n");
      prompts->messages.clear();
      prompts->answers = {answer};
      RunBatchThroughDialog(w, "3DL Fusion");
      QCOMPARE(prompts->messages.size(), 1u);
      for (const char* name : {"A.3dl", "B.3dl", "C.3dl"}) {
        QCOMPARE(ReadAll(out.filePath(name)) == "old\n", answer == QMessageBox::NoToAll);
      }
      QVERIFY(w.findChildren<TfrmBatchSummary*>().isEmpty());
    }
  }

  // The summary comes only when something failed or a table lost something
  // of its source; a batch that simply succeeds stays quiet.
  void summaryOnlyWhenSomethingFailedOrWarned() {
    const QByteArray plain = "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";
    const QByteArray mixing = "LUT_3D_SIZE 2\n0 0 0\n0.8 0.2 0.1\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";
    struct Case {
      const char* name;
      QByteArray text;
      const char* profile;
      QString warning;  // the start of the one warning; empty: no summary
    };
    const Case cases[] = {
        {"plain", plain, "3DL Fusion", {}},
        {"plain to 1D", "LUT_1D_SIZE 2\n0 0 0\n1 1 1\n", "Cube 1D", {}},
        {"wide", "DOMAIN_MAX 2 2 2\n" + plain, "3DL Fusion",
         "Wide.cube: covers inputs beyond 0..1, which \"3DL Fusion\" cannot state; the converted file holds what the "
         "source does to inputs 0..1 and clips the rest."},
        {"mixing", mixing, "Cube 1D", "Wide.cube: a 1D table keeps only the response to greys"},
    };
    for (const Case& c : cases) {
      QTemporaryDir in_dir, out_dir;
      const QDir in(in_dir.path()), out(out_dir.path());
      PromptsScope prompts;
      TfrmMain w;
      w.AddFiles({WriteText(in, "Wide.cube", c.text), WriteCube(in, "Plain.cube")});
      LastOutputFolder() = out.path().toStdString();
      RunBatchThroughDialog(w, c.profile);
      QVERIFY2(prompts->messages.empty(), c.name);
      auto* summary = w.findChild<TfrmBatchSummary*>();
      QVERIFY2((summary != nullptr) == !c.warning.isEmpty(), c.name);
      if (summary == nullptr) continue;
      QCOMPARE(summary->Summary().Converted(), 2);
      QCOMPARE(summary->lblCounts->text(), QStringLiteral("2 files converted, 0 skipped, 0 failed."));
      QVERIFY2(summary->memWarnings->toPlainText().startsWith(c.warning), qPrintable(summary->memWarnings->toPlainText()));
      // A later batch's summary takes the place of this one.
      RunBatchThroughDialog(w, c.profile);
      QCOMPARE(w.findChildren<TfrmBatchSummary*>().size(), 1);
    }
  }

  // The job's refusals end the file with the job's message.
  void refusalsNameBothFiles() {
    QTemporaryDir in_dir, other_dir, out_dir;
    const QDir in(in_dir.path()), other(other_dir.path()), out(out_dir.path());
    PromptsScope prompts;
    TfrmMain w;
    w.AddFiles({WriteCube(in, "A.cube"), WriteCube(other, "A.cube")});
    LastOutputFolder() = out.path().toStdString();
    RunBatchThroughDialog(w, "Nucoda 3D");
    QCOMPARE(prompts->messages.size(), 1u);
    const QString collision = QStringLiteral("The target \"%1\" was already written from \"%2\" in this batch; \"%3\" is not converted.")
                                  .arg(out.filePath("A.cms"), in.filePath("A.cube"), other.filePath("A.cube"));
    QCOMPARE(prompts->messages[0].Text, collision);
    QVERIFY(out.exists("A.cms"));
    QVERIFY(w.findChildren<TfrmProgress*>().isEmpty());
  }

 private:
  // Clicks Convert in the main window and, in the dialog, the profile and Convert.
  static void RunBatchThroughDialog(TfrmMain& w, const char* profile) {
    bool dialog_seen = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<TfrmConvert*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      dialog_seen = true;
      Choose(*dialog, profile);
      QTest::mouseClick(dialog->btnConvert, Qt::LeftButton);
    });
    QTest::mouseClick(w.btnConvert, Qt::LeftButton);
    QVERIFY(dialog_seen);
  }
};

ZELVO_APP_SUITE(ConvertForm);

}  // namespace zelvo::test

#include "ConvertForm_test.moc"
