// The file and folder pickers over the scripted prompts, and the text of the
// application's error boxes.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QTimer>
#include <QTest>

#include "AppTestSupport.h"
#include "app/AppErrors.h"
#include "app/FileDlg.h"
#include "app/PathDialog.h"
#include "base/Errors.h"

namespace zelvo::test {

class Pickers : public QObject {
  Q_OBJECT

 private slots:
  void filterPairsInTheToolkitsForm() {
    QCOMPARE(TFileCommonDialog::NameFiltersOf("LUT Files|*.cube;*.lut|All Files|*.*"),
             QStringList({"LUT Files (*.cube *.lut)", "All Files (*)"}));
    QCOMPARE(TFileCommonDialog::NameFiltersOf("Cube|*.cube|dangling"), QStringList({"Cube (*.cube)"}));
  }

  void filePickerReturnsFullPaths() {
    PromptsScope prompts;
    TFileOpenDialog picker(nullptr);
    picker.MultiSelect = true;
    picker.Title = "Pick";
    picker.InitialDir = "/luts";
    prompts->next_files.push_back(QStringList{"/luts/one.cube"});
    QVERIFY(picker.Execute());
    QCOMPARE(picker.Files, QStringList({"/luts/one.cube"}));
    QCOMPARE(picker.FileName, QStringLiteral("/luts/one.cube"));
    QCOMPARE(prompts->file_requests[0].Title, QStringLiteral("Pick"));
    QCOMPARE(prompts->file_requests[0].InitialFolder, QStringLiteral("/luts"));

    prompts->next_files.push_back(QStringList{"/luts/c.cube", "/luts/a.cube", "/luts/b.cube"});
    QVERIFY(picker.Execute());
    QCOMPARE(picker.Files, QStringList({"/luts/c.cube", "/luts/a.cube", "/luts/b.cube"}));  // as returned
    QCOMPARE(picker.FileName, QStringLiteral("/luts/c.cube"));

    prompts->next_files.push_back(std::nullopt);
    QVERIFY(!picker.Execute());
    QCOMPARE(picker.Files.size(), 3);  // Cancel changes nothing

    picker.MultiSelect = false;
    prompts->next_files.push_back(QStringList{"/luts/x.cube"});
    QVERIFY(picker.Execute());
    QVERIFY(!prompts->file_requests.back().MultiSelect);
    QCOMPARE(picker.Files, QStringList({"/luts/x.cube"}));
  }

  void folderPickerStartsWhereItIsTold() {
    PromptsScope prompts;
    TPathDialog picker(nullptr);
    picker.Title = "Where?";
    prompts->next_folders.push_back(std::nullopt);
    QVERIFY(!picker.Execute());
    QCOMPARE(prompts->folder_requests[0].InitialFolder, QDir::currentPath());  // never set
    QCOMPARE(prompts->folder_requests[0].Title, QStringLiteral("Where?"));

    picker.SetDirectory("/films/out/");
    QCOMPARE(picker.Directory(), QStringLiteral("/films/out"));
    picker.SetDirectory("/");
    QCOMPARE(picker.Directory(), QStringLiteral("/"));
    picker.SetDirectory("/films/out/");
    prompts->next_folders.push_back(QStringLiteral("/films/graded/"));
    QVERIFY(picker.Execute());
    QCOMPARE(prompts->folder_requests[1].InitialFolder, QStringLiteral("/films/out"));
    QCOMPARE(picker.Directory(), QStringLiteral("/films/graded"));
    prompts->next_folders.push_back(std::nullopt);
    QVERIFY(!picker.Execute());
    QCOMPARE(picker.Directory(), QStringLiteral("/films/graded"));
  }

  // The toolkit's own dialogs behind the seam, answered by finding them.
  void qtDialogsAnswerThroughTheSameSeam() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    const QString a = WriteCube(d, "a.cube"), b = WriteCube(d, "b.cube");
    WriteText(d, "notes.txt", "x\n");
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Pick LUTs"));
      QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFiles);
      QCOMPARE(dialog->directory().absolutePath(), d.path());
      QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("Cube (*.cube)"));
      dialog->selectFile("\"a.cube\" \"b.cube\"");
      static_cast<QDialog*>(dialog)->accept();  // as Open does
    });
    TFileOpenDialog picker(nullptr);
    picker.Title = "Pick LUTs";
    picker.InitialDir = d.path();
    picker.Filter = "Cube|*.cube|All Files|*.*";
    picker.MultiSelect = true;
    QVERIFY(picker.Execute());
    QCOMPARE(picker.Files, QStringList({a, b}));

    // The picture picker: the toolkit's own dialog, with the preview beside the list.
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
      auto* preview = dialog->findChild<QLabel*>("lblPreview");
      QVERIFY(preview != nullptr);
      emit dialog->currentChanged(a);  // as highlighting a file does
      QCOMPARE(preview->pixmap().size(), QSize(8, 4));
      emit dialog->currentChanged(d.path());
      QVERIFY(preview->pixmap().isNull());
      dialog->reject();
    });
    picker.MultiSelect = false;
    picker.Preview = [&](const QString& path) {
      return path == a ? QImage(8, 4, QImage::Format_RGB32) : QImage();
    };
    QVERIFY(!picker.Execute());

    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
      QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));  // Convert asks itself
      QCOMPARE(dialog->defaultSuffix(), QStringLiteral("cube"));
      dialog->selectFile(a);
      static_cast<QDialog*>(dialog)->accept();
    });
    TFileSaveDialog saver(nullptr);
    saver.InitialDir = d.path();
    saver.Filter = "Cube 3D Davinci|*.cube";
    saver.DefaultExt = "cube";
    QVERIFY(saver.Execute());
    QCOMPARE(saver.FileName, a);

    QTimer::singleShot(0, [] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      QCOMPARE(box->text(), QStringLiteral("<b>not markup</b>"));
      QCOMPARE(box->textFormat(), Qt::PlainText);
      QTest::keyClick(box, Qt::Key_Escape);
    });
    QCOMPARE(ShowMessage(nullptr, QMessageBox::Question, "Confirm", "<b>not markup</b>",
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                         QMessageBox::Cancel),
             QMessageBox::Cancel);
  }

  void errorBoxesEndWithAFullStop() {
    const std::pair<const char*, const char*> cases[] = {
        {"Cannot open", "Cannot open."}, {"Incomplete file.", "Incomplete file."}, {"a (line 3)", "a (line 3)"},
        {"quoted \"x\"", "quoted \"x\""},  {"size 9", "size 9."},                  {"path /", "path /."},
        {"", ""},                          {"Gr\xc3\xbc\xc3\x9f", "Gr\xc3\xbc\xc3\x9f."},
    };
    for (const auto& [message, shown] : cases) QCOMPARE(WithFullStop(message), std::string(shown));
    ELUTError error("Incomplete file.");
    error.FormatName = "Cube 3D";
    error.Line = 12;
    QCOMPARE(ErrorBoxText(error), std::string("read as Cube 3D: Incomplete file (line 12)."));
    QCOMPARE(ErrorBoxText(std::runtime_error("disk full")), std::string("disk full."));
  }
};

ZELVO_APP_SUITE(Pickers);

}  // namespace zelvo::test

#include "Pickers_test.moc"
