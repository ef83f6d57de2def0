// The main window driven as a person would: adding files by the picker and by
// dropping, the check boxes, the list menu, and the About box.
#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QComboBox>
#include <QFile>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <cstdio>
#include <unistd.h>
#include <sys/stat.h>

#include "AppTestSupport.h"
#include "base/Version.h"
#include "app/AboutForm.h"
#include "app/ConvertForm.h"
#include "app/CurvesForm.h"
#include "app/ImageBox.h"
#include "app/Remembered.h"
#include "app/MainForm.h"

namespace zelvo::test {

namespace {

QStringList Column(const TfrmMain& w, int column) {
  QStringList texts;
  for (int i = 0; i < w.lvwFiles->topLevelItemCount(); ++i) texts << w.lvwFiles->topLevelItem(i)->text(column);
  return texts;
}

QList<bool> Checks(const TfrmMain& w) {
  QList<bool> checks;
  for (int i = 0; i < w.lvwFiles->topLevelItemCount(); ++i) {
    checks << (w.lvwFiles->topLevelItem(i)->checkState(0) == Qt::Checked);
  }
  return checks;
}

// Drags the paths onto the list and drops them; false when the list refused
// the drag.
bool Drop(TfrmMain& w, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  QWidget* target = w.lvwFiles->viewport();
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  QApplication::processEvents();  // the files are added once the drop is over
  return true;
}

}  // namespace

class MainForm : public QObject {
  Q_OBJECT

 private slots:
  void init() { LastAddFolder().clear(); }

  void addsPickedFilesInPathOrderWithTheirFormats() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    PromptsScope prompts;
    TfrmMain w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Zelvo LUT Converter"));
    QVERIFY(!w.btnConvert->isEnabled());

    prompts->next_files.push_back(QStringList{WriteCube(d, "B.cube"), WriteText(d, "a.txt", "no LUT here\n"),
                                              WriteText(d, "c.3dl", "0 512 1023\n0 0 0\n0 0 0\n")});
    QTest::mouseClick(w.btnAddFiles, Qt::LeftButton);
    QCOMPARE(prompts->file_requests.size(), 1u);
    const TOpenFilesRequest& asked = prompts->file_requests[0];
    QVERIFY(asked.MultiSelect);
    QCOMPARE(asked.InitialFolder, QString());
    QCOMPARE(asked.FilterIndex, 0);
    QCOMPARE(asked.NameFilters,
             QStringList({"LUT Files (*.cube *.lut *.m3d *.3dl *.txt *.cms *.mga *.xml *.3dmesh *.dat *.alut *.ilut "
                          "*.olut *.1dlut *.look *.cc *.pfl *.clf *.ctf *.csp *.spi1d *.spi3d *.spimtx *.vf *.itx "
                          "*.ccc *.cdl *.icc *.icm *.pf)",
                          "All Files (*)"}));
    QCOMPARE(Column(w, colFileName), QStringList({"a.txt", "B.cube", "c.3dl"}));  // not B, a, c
    QCOMPARE(Column(w, colFormat), QStringList({"unknown", "Cube 3D", "3DL"}));
    QCOMPARE(Column(w, colFolder), QStringList({d.path(), d.path(), d.path()}));
    QCOMPARE(Checks(w), QList<bool>({false, true, true}));
    QVERIFY(w.btnConvert->isEnabled());
    QCOMPARE(LastAddFolder(), d.path());

    // The same file again gives a second row after the others; the picker
    // opens where the last files came from; Cancel changes nothing.
    prompts->next_files.push_back(QStringList{d.filePath("B.cube")});
    prompts->next_files.push_back(std::nullopt);
    QTest::mouseClick(w.btnAddFiles, Qt::LeftButton);
    QTest::mouseClick(w.btnAddFiles, Qt::LeftButton);
    QCOMPARE(prompts->file_requests[1].InitialFolder, d.path());
    QCOMPARE(Column(w, colFileName), QStringList({"a.txt", "B.cube", "c.3dl", "B.cube"}));
    QVERIFY(prompts->messages.empty());
  }

  void unknownFilesCannotBeChecked() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    PromptsScope prompts;
    TfrmMain w;
    w.AddFiles({WriteText(d, "x.txt", "hello\n")});
    QVERIFY(!w.btnConvert->isEnabled());  // only unknown files
    w.AddFiles({WriteCube(d, "a.cube")});
    QTreeWidgetItem* unknown = w.lvwFiles->topLevelItem(0);

    unknown->setCheckState(0, Qt::Checked);  // what a click on its box does
    QCOMPARE(unknown->checkState(0), Qt::Unchecked);
    QCOMPARE(prompts->messages.size(), 1u);
    QCOMPARE(prompts->messages[0].Icon, QMessageBox::Information);
    QCOMPARE(prompts->messages[0].Title, QStringLiteral("Information"));
    QCOMPARE(prompts->messages[0].Text, QStringLiteral("Unable to convert unknown format.\nPlease contact us to add this."));

    w.miUncheckAll->trigger();
    QCOMPARE(Checks(w), QList<bool>({false, false}));
    QVERIFY(!w.btnConvert->isEnabled());
    w.miCheckAll->trigger();
    QCOMPARE(Checks(w), QList<bool>({false, true}));
    QVERIFY(w.btnConvert->isEnabled());
    w.lvwFiles->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    QVERIFY(!w.btnConvert->isEnabled());
    w.lvwFiles->topLevelItem(1)->setCheckState(0, Qt::Checked);
    QVERIFY(w.btnConvert->isEnabled());
    QCOMPARE(prompts->messages.size(), 1u);  // Check All asks nothing
  }

  void deleteAndClearList() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    PromptsScope prompts;
    TfrmMain w;
    w.AddFiles({WriteCube(d, "1.cube"), WriteCube(d, "2.cube"), WriteCube(d, "3.cube")});

    w.pmnListPopup();
    QVERIFY(!w.miDelete->isEnabled());  // nothing selected
    QVERIFY(w.miClearList->isEnabled() && w.miCheckAll->isEnabled() && w.miUncheckAll->isEnabled());
    w.miDelete->trigger();
    QCOMPARE(w.lvwFiles->topLevelItemCount(), 3);

    w.lvwFiles->setCurrentItem(w.lvwFiles->topLevelItem(2));
    w.pmnListPopup();
    QVERIFY(w.miDelete->isEnabled());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.lvwFiles->setFocus();
    QTest::keyClick(w.lvwFiles, Qt::Key_Delete);  // Del while the list has the focus
    QCOMPARE(Column(w, colFileName), QStringList({"1.cube", "2.cube"}));
    QCOMPARE(w.lvwFiles->selectedItems().value(0), w.lvwFiles->topLevelItem(1));  // the new last row

    w.lvwFiles->setCurrentItem(w.lvwFiles->topLevelItem(0));
    w.miDelete->trigger();
    QCOMPARE(Column(w, colFileName), QStringList({"2.cube"}));
    QCOMPARE(w.lvwFiles->selectedItems().value(0), w.lvwFiles->topLevelItem(0));  // the same index
    w.miDelete->trigger();
    QCOMPARE(w.lvwFiles->topLevelItemCount(), 0);
    QVERIFY(!w.btnConvert->isEnabled());

    w.AddFiles({d.filePath("1.cube")});
    QVERIFY(w.btnConvert->isEnabled());
    w.miClearList->trigger();
    QCOMPARE(w.lvwFiles->topLevelItemCount(), 0);
    QVERIFY(!w.btnConvert->isEnabled());
    w.pmnListPopup();
    QVERIFY(!w.miDelete->isEnabled() && !w.miClearList->isEnabled());
  }

  void droppedFilesAndFoldersAreAddedLikePickedOnes() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    d.mkpath("grades/sub");
    const QDir grades(d.filePath("grades"));
    WriteCube(grades, "b.cube");
    WriteText(grades, "A.txt", "notes\n");
    WriteCube(grades, ".hidden.cube");
    WriteCube(QDir(grades.filePath("sub")), "deeper.cube");
    const QString single = WriteCube(d, "Z.cube");
    PromptsScope prompts;
    TfrmMain w;

    QVERIFY(!Drop(w, {QUrl("https://example.invalid/a.cube")}));  // nothing local
    QVERIFY(Drop(w, {QUrl::fromLocalFile(grades.path()), QUrl::fromLocalFile(single)}));
    QCOMPARE(Column(w, colFileName), QStringList({"A.txt", "b.cube", "Z.cube"}));
    QCOMPARE(Checks(w), QList<bool>({false, true, true}));
    QCOMPARE(LastAddFolder(), grades.path());
    QVERIFY(w.btnConvert->isEnabled());

    QVERIFY(Drop(w, {QUrl::fromLocalFile(single)}));
    QCOMPARE(w.lvwFiles->topLevelItemCount(), 4);
    QCOMPARE(LastAddFolder(), d.path());

    // A name that is not UTF-8 comes percent-encoded and stays the file's.
    const QByteArray odd = QFile::encodeName(d.path()) + "/n\xfe.cube";
    std::FILE* file = std::fopen(odd.constData(), "wb");
    QVERIFY(file != nullptr);
    std::fputs("LUT_1D_SIZE 2\n0 0 0\n1 1 1\n", file);
    std::fclose(file);
    QVERIFY(Drop(w, {QUrl::fromEncoded("file://" + odd.toPercentEncoding("/"))}));
    QCOMPARE(QByteArray::fromStdString(PathOfRow(*w.lvwFiles->topLevelItem(4))), odd);
    QCOMPARE(w.lvwFiles->topLevelItem(4)->text(colFormat), QStringLiteral("Cube 1D"));
    QVERIFY(prompts->messages.empty());
  }

  // The status bar's line after a batch that wrote files, and its folder.
  void batchResultInTheStatusBar() {
    QTemporaryDir in_dir, out_dir;
    const QDir in(in_dir.path());
    PromptsScope prompts;
    TfrmMain w;
    w.AddFiles({WriteCube(in, "A.cube"), WriteCube(in, "B.cube")});
    LastOutputFolder() = out_dir.path().toStdString();
    for (const auto answer : {QMessageBox::Yes, QMessageBox::No}) {
      QTest::qWait(100);  // the files' times tell one batch from the next
      prompts->answers = {answer, answer};
      QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TfrmConvert*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        dialog->cbxOutFormat->setCurrentIndex(dialog->cbxOutFormat->findText("Nucoda 3D"));
        QTest::mouseClick(dialog->btnConvert, Qt::LeftButton);
      });
      w.miConvert->trigger();
      // Replacing both counts them again; answering No to both writes nothing.
      QCOMPARE(w.lblBatchResult->text().startsWith("Converted 2 files into <a href="), answer == QMessageBox::Yes);
    }
    QCOMPARE(prompts->messages.size(), 2u);  // the two overwrite questions of the second batch
  }

  // Each kind of bad path in the middle of a folder: a row of its own with
  // the reason, every later file added, one box naming the bad ones, and
  // selecting a bad row never previews another file (not even one of the
  // same name in the working folder).
  void everyPathBecomesARow() {
    QTemporaryDir dir, elsewhere;
    const QDir d(dir.path());
    d.mkpath("mixed");
    const QDir mixed(d.filePath("mixed"));
    struct Row {
      QByteArray name;  // as the file system names it
      const char* made;  // "cube", "fifo", "missing-link", "device-link", "loop", "locked"
      const char* format;  // the Format column, a reason where it cannot be read
    };
    std::vector<Row> rows = {
        {"a.cube", "cube", "Cube 3D"},
        {"b.cube", "fifo", "a pipe, not a file"},
        {"c.cube", "cube", "Cube 3D"},
        {"d.cube", "missing-link", "broken link"},
        {"e.cube", "device-link", "a device, not a file"},
        {"f.cube", "loop", "broken link: Too many levels of symbolic links"},
        {"g\xff.cube", "cube", "Cube 3D"},  // not UTF-8
        {"z.cube", "cube", "Cube 3D"},
    };
    if (geteuid() != 0) rows.insert(rows.begin() + 2, Row{"bb.cube", "locked", "cannot be read: Permission denied"});
    const std::string folder = QFile::encodeName(mixed.path()).toStdString();
    for (const Row& row : rows) {
      const std::string path = folder + '/' + row.name.toStdString();
      const std::string kind = row.made;
      if (kind == "cube" || kind == "locked") {
        std::FILE* file = std::fopen(path.c_str(), "wb");  // by its bytes: the name need not be UTF-8
        QVERIFY(file != nullptr);
        std::fputs("LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n", file);
        std::fclose(file);
      }
      if (kind == "locked") QVERIFY(chmod(path.c_str(), 0) == 0);
      if (kind == "fifo") QVERIFY(mkfifo(path.c_str(), 0600) == 0);
      if (kind == "missing-link") QVERIFY(symlink("gone.cube", path.c_str()) == 0);
      if (kind == "device-link") QVERIFY(symlink("/dev/null", path.c_str()) == 0);
      if (kind == "loop") QVERIFY(symlink(path.c_str(), path.c_str()) == 0);
    }
    // What the old list previewed for a half-made row: the name in the working folder.
    WriteCube(QDir(elsewhere.path()), "b.cube");
    const QString before = QDir::currentPath();
    QDir::setCurrent(elsewhere.path());
    PromptsScope prompts;
    TfrmMain w;
    w.AddLocalPaths({folder});
    QDir::setCurrent(before);

    QCOMPARE(w.lvwFiles->topLevelItemCount(), static_cast<int>(rows.size()));
    QCOMPARE(prompts->messages.size(), 1u);
    const QString box = prompts->messages[0].Text;
    QCOMPARE(prompts->messages[0].Icon, QMessageBox::Critical);
    const std::vector<ConversionEntry> entries = w.ConversionEntries();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      QTreeWidgetItem* item = w.lvwFiles->topLevelItem(static_cast<int>(i));
      const QString path = QFile::decodeName(QByteArray::fromStdString(folder + '/' + rows[i].name.toStdString()));
      const bool good = std::string(rows[i].made) == "cube";
      QCOMPARE(item->text(colFileName), QFile::decodeName(rows[i].name));
      QCOMPARE(item->text(colFormat), QString::fromUtf8(rows[i].format));
      QCOMPARE(item->checkState(colFileName), good ? Qt::Checked : Qt::Unchecked);
      QCOMPARE(QByteArray::fromStdString(PathOfRow(*item)), QByteArray::fromStdString(folder + '/' + rows[i].name.toStdString()));  // the bytes themselves
      QCOMPARE(entries[i].FileName, rows[i].name.toStdString());
      QVERIFY(item->toolTip(colFolder).startsWith(path));
      QCOMPARE(box.contains(path + ": " + rows[i].format), !good);
      if (good) continue;
      QVERIFY(item->toolTip(colFormat).endsWith(rows[i].format));
      // Selected after a good row: the pane says why, and nothing is applied.
      w.lvwFiles->setCurrentItem(w.lvwFiles->topLevelItem(0));
      QVERIFY(!w.imgLUTApplied->isHidden());
      w.lvwFiles->setCurrentItem(item);
      QVERIFY(!w.stxLUTState->isHidden() && w.imgLUTApplied->isHidden());
      QCOMPARE(w.mmComments->toPlainText(), QString::fromUtf8(rows[i].format));
      QCOMPARE(w.PreviewLUT.FormatIndex, TLUTFormatId::None);
      QVERIFY(w.imgLUTApplied->Picture().Empty());
      item->setCheckState(colFileName, Qt::Checked);  // a click on its box
      QCOMPARE(item->checkState(colFileName), Qt::Unchecked);
    }
    QCOMPARE(prompts->messages.size(), 1u + rows.size() - 4);  // and one for each click on a bad row's box

    // Picked or given files: a missing one in the middle is a row too.
    prompts->messages.clear();
    w.miClearList->trigger();
    w.AddFiles({mixed.filePath("a.cube"), mixed.filePath("nothing.cube"), mixed.filePath("c.cube")});
    QCOMPARE(Column(w, colFormat), QStringList({"Cube 3D", "not found", "Cube 3D"}));
    QCOMPARE(prompts->messages.size(), 1u);
    QCOMPARE(w.lblListCounts->text(), QStringLiteral("3 files, 2 checked"));
  }

  void addFolderAsksAboutSubfolders() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    d.mkpath("top/sub/deeper");
    d.mkpath("flat");
    WriteCube(QDir(d.filePath("top")), "1.cube");
    WriteCube(QDir(d.filePath("top/sub")), "2.cube");
    WriteCube(QDir(d.filePath("top/sub/deeper")), "3.cube");
    WriteCube(QDir(d.filePath("flat")), "4.cube");
    PromptsScope prompts;
    TfrmMain w;
    prompts->next_folders = {d.filePath("top"), d.filePath("top"), d.filePath("top"), d.filePath("flat"), std::nullopt};
    prompts->answers = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    w.miAddFolder->trigger();
    QCOMPARE(Column(w, colFileName), QStringList({"1.cube", "2.cube", "3.cube"}));
    QCOMPARE(prompts->messages[0].Title, QStringLiteral("Add Folder"));
    QCOMPARE(prompts->messages[0].EscapeButton, QMessageBox::Cancel);
    w.miAddFolder->trigger();
    QCOMPARE(w.lvwFiles->topLevelItemCount(), 4);
    w.miAddFolder->trigger();  // Cancel at the question
    w.miAddFolder->trigger();  // no subfolders: no question
    w.miAddFolder->trigger();  // Cancel at the picker
    QCOMPARE(Column(w, colFileName), QStringList({"1.cube", "2.cube", "3.cube", "1.cube", "4.cube"}));
    QCOMPARE(prompts->messages.size(), 3u);
    QCOMPARE(prompts->folder_requests[1].InitialFolder, d.filePath("top"));
    QCOMPARE(LastAddFolder(), d.filePath("flat"));
  }

  // The menu bar: mnemonics everywhere, the keys, and the enabling rules of
  // the toolbar and the list's menu.
  void menusFollowTheListAndHaveTheirKeys() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    PromptsScope prompts;
    TfrmMain w;
    for (QAction* title : w.menuBar()->actions()) {
      QVERIFY2(title->text().contains(u'&'), qPrintable(title->text()));
      for (QAction* item : title->menu()->actions()) QVERIFY2(item->isSeparator() || item->text().contains(u'&'), qPrintable(item->text()));
    }
    QCOMPARE(w.miAddFiles->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(w.miConvert->shortcut(), QKeySequence(QStringLiteral("Ctrl+Return")));
    QCOMPARE(w.miQuit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    QCOMPARE(w.miContents->shortcut(), QKeySequence(QStringLiteral("F1")));
    QVERIFY(w.mnuEdit->actions().contains(w.miDelete));

    QVERIFY(!w.miConvert->isEnabled() && !w.miDelete->isEnabled() && !w.miClearList->isEnabled());
    QCOMPARE(w.lblListCounts->text(), QStringLiteral("0 files, 0 checked"));
    w.AddFiles({WriteCube(d, "a.cube"), WriteText(d, "b.txt", "notes\n")});
    QVERIFY(w.miConvert->isEnabled() && w.miClearList->isEnabled() && !w.miDelete->isEnabled());
    QCOMPARE(w.lblListCounts->text(), QStringLiteral("2 files, 1 checked"));
    w.lvwFiles->setCurrentItem(w.lvwFiles->topLevelItem(1));
    QVERIFY(w.miDelete->isEnabled());
    w.miUncheckAll->trigger();
    QVERIFY(!w.miConvert->isEnabled() && !w.btnConvert->isEnabled());
    QCOMPARE(w.lblListCounts->text(), QStringLiteral("2 files, 0 checked"));

    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F1);
    QCOMPARE(prompts->opened_urls.size(), 1u);
    QVERIFY2(prompts->opened_urls[0].toLocalFile().endsWith("README.md"), qPrintable(prompts->opened_urls[0].toString()));
    w.ShowBatchResult(3, d.path());
    QVERIFY(w.lblBatchResult->text().startsWith("Converted 3 files into <a href="));
    emit w.lblBatchResult->linkActivated(QUrl::fromLocalFile(d.path()).toString());
    QCOMPARE(prompts->opened_urls.back(), QUrl::fromLocalFile(d.path()));
    w.miCurves->trigger();
    QVERIFY(w.CurvesWindow()->isVisible());
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(w.isHidden() && w.CurvesWindow()->isHidden());
  }

  void aboutBoxShowsTheProductAndClosesWithClose() {
    TfrmMain w;
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* about = qobject_cast<TfrmAbout*>(QApplication::activeModalWidget());
      QVERIFY(about != nullptr);
      seen = true;
      QCOMPARE(about->lblProduct->text(), QStringLiteral("Zelvo LUT Converter"));
      QCOMPARE(about->lblVersion->text(), QStringLiteral("Version ") + ZelvoVersion());
      QVERIFY(!about->imgIcon->pixmap().isNull());
      QTest::mouseClick(about->btnClose, Qt::LeftButton);
    });
    QTest::mouseClick(w.btnAbout, Qt::LeftButton);
    QVERIFY(seen);
    QVERIFY(w.findChildren<TfrmAbout*>().isEmpty());
  }
};

ZELVO_APP_SUITE(MainForm);

}  // namespace zelvo::test

#include "MainForm_test.moc"
