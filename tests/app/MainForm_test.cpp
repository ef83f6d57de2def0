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
#include <sys/stat.h>

#include "AppTestSupport.h"
#include "base/Version.h"
#include "app/AboutForm.h"
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
                          "*.olut *.1dlut *.look *.cc *.pfl *.clf *.ctf *.csp *.spi1d *.spi3d *.spimtx *.vf *.itx)",
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
    QVERIFY(mkfifo(qPrintable(grades.filePath("pipe.cube")), 0600) == 0);
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
    QVERIFY(prompts->messages.empty());
  }

  void anErrorEndsTheAddingAtThatFile() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    PromptsScope prompts;
    TfrmMain w;
    WriteCube(d, "a.cube");
    WriteCube(d, "c.cube");
    QVERIFY(mkfifo(qPrintable(d.filePath("b.cube")), 0600) == 0);
    prompts->next_files.push_back(QStringList{d.filePath("c.cube"), d.filePath("b.cube"), d.filePath("a.cube")});
    QTest::mouseClick(w.btnAddFiles, Qt::LeftButton);
    QCOMPARE(Column(w, colFileName), QStringList({"a.cube", "b.cube"}));
    QCOMPARE(Column(w, colFormat), QStringList({"Cube 3D", ""}));
    QCOMPARE(prompts->messages.size(), 1u);
    QCOMPARE(prompts->messages[0].Icon, QMessageBox::Critical);
    QCOMPARE(prompts->messages[0].Title, QStringLiteral("Zelvo LUT Converter"));
    QVERIFY2(prompts->messages[0].Text.contains(d.filePath("b.cube")), qPrintable(prompts->messages[0].Text));
    QVERIFY(prompts->messages[0].Text.endsWith(u'.'));
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
