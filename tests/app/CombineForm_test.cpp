// The "Combine and Invert" dialog: steps added from the main list and the
// picker, moved, inverted and removed, the preview following them, Convert
// enabled only for a valid chain, the errors it shows, and the file it
// writes against the command line's bake of the same chain.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cmath>

#include "AppTestSupport.h"
#include "app/CombineForm.h"
#include "app/ImageBox.h"
#include "app/MainForm.h"
#include "image/ApplyLUT.h"
#include "lut/Resample.h"

namespace zelvo::test {

namespace {

TBitmap24 Ramp() {
  TBitmap24 picture(16, 8);
  for (std::size_t i = 0; i < picture.ByteCount(); ++i) picture.Pixels()[i] = static_cast<std::uint8_t>(i * 5);
  return picture;
}

// A 9-point cube of a smooth grade that can be inverted: a mix, then a
// power per channel (`k` sets how strong).
QString WriteGrade(const QDir& dir, const QString& name, double k) {
  TLUT lut;
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(9);
  BakeLUT(lut, [k](const TColor* in, TColor* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      const TColor& c = in[i];
      out[i] = TColor{std::pow(0.85 * c.R + 0.1 * c.G + 0.05 * c.B, 1 - 0.2 * k),
                      std::pow(0.05 * c.R + 0.85 * c.G + 0.1 * c.B, 1 + 0.1 * k), 0.1 * c.R + 0.9 * c.B * (1 - 0.1 * k)};
    }
  });
  const QString path = dir.filePath(name);
  SaveLUTFile(path.toStdString(), lut, *OutputProfileByCaption("Cube 3D Davinci"));
  return path;
}

// A process list of one matrix: it cannot be inverted.
QString WriteMatrixList(const QDir& dir) {
  return WriteText(dir, "matrix.clf", R"(<?xml version="1.0" encoding="UTF-8"?>
<ProcessList compCLFversion="3" id="x">
  <Matrix inBitDepth="32f" outBitDepth="32f"><Array dim="3 3">1 0.1 0 0 1 0 0 0 1</Array></Matrix>
</ProcessList>
)");
}

// The ramp through the chain as the core makes it from the files.
TBitmap24 Through(const std::vector<TChainStep>& steps) {
  TBitmap24 picture = Ramp();
  ApplyLUTToBitmap(BuildChainLUT(steps, TInterpolation::Trilinear), picture);
  return picture;
}

QStringList Column(const QTreeWidget* list, int column) {
  QStringList texts;
  for (int i = 0; i < list->topLevelItemCount(); ++i) texts << list->topLevelItem(i)->text(column);
  return texts;
}

void Select(TfrmCombine& dialog, int row) { dialog.lvwSteps->setCurrentItem(dialog.lvwSteps->topLevelItem(row)); }

void Type(QLineEdit* edit, const char* text) {
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

void ChooseOutput(ScriptedPrompts& prompts, TfrmCombine& dialog, const QString& file) {
  dialog.cbxOutFormat->setCurrentIndex(dialog.cbxOutFormat->findText(QStringLiteral("Cube 3D Davinci")));
  prompts.next_save_files.push_back(file);
  QTest::mouseClick(dialog.btnSetLUTFile, Qt::LeftButton);
}

}  // namespace

class CombineForm : public QObject {
  Q_OBJECT

 private slots:
  void stepsAddedMovedInvertedAndRemoved() {
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    const QString a = WriteGrade(dir, "a.cube", 1), b = WriteGrade(dir, "b.cube", 2), c = WriteGrade(dir, "c.cube", 3);
    PromptsScope prompts;
    TfrmCombine dialog(nullptr, Ramp(), TInterpolation::Trilinear, TListRows{{b.toStdString()}, {a.toStdString(), b.toStdString()}});
    QCOMPARE(dialog.lvwSteps->topLevelItemCount(), 0);
    QVERIFY(dialog.Image2->Picture().Empty() && !dialog.grpCDL->isEnabled());
    for (QPushButton* button : {dialog.btnMoveUp, dialog.btnMoveDown, dialog.btnRemove}) QVERIFY(!button->isEnabled());

    QTest::mouseClick(dialog.btnAddChecked, Qt::LeftButton);
    QTest::mouseClick(dialog.btnAddSelected, Qt::LeftButton);
    prompts->next_files.push_back(QStringList{c});
    QTest::mouseClick(dialog.btnAddFiles, Qt::LeftButton);
    QCOMPARE(prompts->file_requests.at(0).NameFilters.value(0).left(22), QStringLiteral("LUT Files (*.cube *.lu"));
    QVERIFY(prompts->file_requests.at(0).MultiSelect);
    QTest::mouseClick(dialog.btnAddCDL, Qt::LeftButton);
    QCOMPARE(Column(dialog.lvwSteps, colStepNumber), QStringList({"1", "2", "3", "4", "5"}));
    QCOMPARE(Column(dialog.lvwSteps, colStep),
             QStringList({"a.cube", "b.cube", "b.cube", "c.cube",
                          "ASC CDL slope 1 1 1, offset 0 0 0, power 1 1 1, saturation 1"}));
    QCOMPARE(dialog.lvwSteps->currentItem(), dialog.lvwSteps->topLevelItem(4));  // the new step
    QVERIFY(dialog.grpCDL->isEnabled() && !dialog.btnMoveDown->isEnabled() && dialog.btnMoveUp->isEnabled());
    QCOMPARE(dialog.edtCDL[cdlPowerG]->text(), QStringLiteral("1"));
    // Only a LUT has a box to invert it.
    QVERIFY(!dialog.lvwSteps->topLevelItem(4)->data(colInvert, Qt::CheckStateRole).isValid());
    QCOMPARE(dialog.lvwSteps->topLevelItem(0)->checkState(colInvert), Qt::Unchecked);

    // The grade's numbers as typed, then the grade moved to the top.
    Type(dialog.edtCDL[cdlSlopeR], "1.2");
    Type(dialog.edtCDL[cdlSaturation], "0.8");
    QCOMPARE(dialog.lvwSteps->topLevelItem(4)->text(colStep),
             QStringLiteral("ASC CDL slope 1.2 1 1, offset 0 0 0, power 1 1 1, saturation 0.8"));
    for (int i = 0; i < 4; ++i) QTest::mouseClick(dialog.btnMoveUp, Qt::LeftButton);
    QCOMPARE(dialog.lvwSteps->currentItem(), dialog.lvwSteps->topLevelItem(0));
    QVERIFY(!dialog.btnMoveUp->isEnabled() && dialog.btnMoveDown->isEnabled());
    QCOMPARE(dialog.edtCDL[cdlSlopeR]->text(), QStringLiteral("1.2"));
    Select(dialog, 1);
    QVERIFY(!dialog.grpCDL->isEnabled() && dialog.edtCDL[cdlSlopeR]->text().isEmpty());
    QTest::mouseClick(dialog.btnMoveDown, Qt::LeftButton);
    QCOMPARE(Column(dialog.lvwSteps, colStep).mid(1),
             QStringList({"b.cube", "a.cube", "b.cube", "c.cube"}));
    QCOMPARE(dialog.lvwSteps->currentItem(), dialog.lvwSteps->topLevelItem(2));

    // The first b inverted, the second removed: the preview is always the
    // core's chain of the rows on the ramp.
    dialog.lvwSteps->topLevelItem(1)->setCheckState(colInvert, Qt::Checked);
    QCOMPARE(dialog.lvwSteps->topLevelItem(1)->text(colStep), QStringLiteral("inverse of b.cube"));
    QVERIFY(dialog.Steps().Steps()[1].Step.Inverted);
    Select(dialog, 3);
    QTest::mouseClick(dialog.btnRemove, Qt::LeftButton);
    QCOMPARE(Column(dialog.lvwSteps, colStepNumber), QStringList({"1", "2", "3", "4"}));
    QCOMPARE(Column(dialog.lvwSteps, colStep).mid(1), QStringList({"inverse of b.cube", "a.cube", "c.cube"}));
    QCOMPARE(dialog.lvwSteps->currentItem(), dialog.lvwSteps->topLevelItem(3));
    TCDLData grade;
    grade.SOP[0].Slope = 1.2f;
    grade.Saturation = 0.8f;
    const TBitmap24 want = Through({CDLStep(grade), LUTStep(b.toStdString(), true), LUTStep(a.toStdString()),
                                    LUTStep(c.toStdString())});
    QVERIFY(SamePicture(dialog.Image2->Picture(), want));
    QVERIFY(!SamePicture(want, Through({CDLStep(grade), LUTStep(b.toStdString()), LUTStep(a.toStdString()),
                                        LUTStep(c.toStdString())})));
    QVERIFY(dialog.lblProblems->isHidden());
  }

  // Convert follows the chain: no steps, a step that cannot be inverted, a
  // number that is no number, a file that does not load keep it disabled,
  // each error shown in the dialog beside its step.
  void convertOnlyForAValidChain() {
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    const QString a = WriteGrade(dir, "a.cube", 1), list = WriteMatrixList(dir);
    const QString notes = WriteText(dir, "notes.txt", "not a LUT\n");
    PromptsScope prompts;
    TfrmCombine dialog(nullptr, Ramp(), TInterpolation::Trilinear, TListRows{{}, {a.toStdString(), list.toStdString()}});
    QVERIFY(!dialog.btnAddSelected->isEnabled() && dialog.btnAddChecked->isEnabled());
    ChooseOutput(*prompts, dialog, dir.filePath("out.cube"));
    QCOMPARE(dialog.edtLUTFile->text(), dir.filePath("out.cube"));
    QVERIFY(!dialog.btnConvert->isEnabled());  // no steps yet
    QTest::mouseClick(dialog.btnAddChecked, Qt::LeftButton);
    QVERIFY(dialog.btnConvert->isEnabled());

    QTreeWidgetItem* matrix = dialog.lvwSteps->topLevelItem(1);
    matrix->setCheckState(colInvert, Qt::Checked);
    const QString cannot = list + ": A process list of nodes (Matrix) cannot be inverted; only tables (1D, 3D or both) can.";
    QCOMPARE(dialog.lblProblems->text(), QStringLiteral("Step 2: ") + cannot);
    QVERIFY(!dialog.lblProblems->isHidden());
    QVERIFY(matrix->toolTip(colStep).endsWith(cannot));
    QCOMPARE(matrix->foreground(colStep).color(), QColor(170, 0, 0));
    QVERIFY(!dialog.btnConvert->isEnabled() && dialog.Image2->Picture().Empty());
    matrix->setCheckState(colInvert, Qt::Unchecked);
    QVERIFY(dialog.btnConvert->isEnabled() && dialog.lblProblems->isHidden());
    QVERIFY(!dialog.Image2->Picture().Empty());

    QTest::mouseClick(dialog.btnAddCDL, Qt::LeftButton);
    for (const auto& [text, problem] :
         {std::pair{"abc", "Step 3: the green offset: 'abc' is not a valid floating point value"},
          {"1e39", "Step 3: the green offset: '1e39' is too large a number for an ASC CDL grade."}, {"0.02", ""}}) {
      Type(dialog.edtCDL[cdlOffsetG], text);
      QCOMPARE(dialog.lblProblems->text(), QString::fromLatin1(problem));
      QCOMPARE(dialog.btnConvert->isEnabled(), QByteArray(problem).isEmpty());
    }

    prompts->next_files.push_back(QStringList{notes});
    QTest::mouseClick(dialog.btnAddFiles, Qt::LeftButton);
    QCOMPARE(dialog.lblProblems->text(), QStringLiteral("Step 4: ") + notes + ": The file is not a LUT file of a known format.");
    QVERIFY(!dialog.btnConvert->isEnabled());
    QTest::mouseClick(dialog.btnRemove, Qt::LeftButton);
    QVERIFY(dialog.btnConvert->isEnabled());
    dialog.cbxOutFormat->setCurrentIndex(-1);
    QVERIFY(!dialog.btnConvert->isEnabled());
    QVERIFY(prompts->messages.empty());

    // A file gone since it was added: Convert reads the files again, says
    // so and writes nothing.
    ChooseOutput(*prompts, dialog, dir.filePath("out.cube"));
    QFile::remove(a);
    QTest::mouseClick(dialog.btnConvert, Qt::LeftButton);
    QCOMPARE(prompts->messages.size(), 1u);
    QCOMPARE(prompts->messages[0].Icon, QMessageBox::Critical);
    QVERIFY2(prompts->messages[0].Text.contains(QStringLiteral("Step 1: ") + a), qPrintable(prompts->messages[0].Text));
    QVERIFY(dialog.lblProblems->text().startsWith(QStringLiteral("Step 1: ") + a + ": "));
    QVERIFY(!dialog.btnConvert->isEnabled());
    QVERIFY(!QFile::exists(dir.filePath("out.cube")));
  }

  // A cube inverted, a grade, a second cube: the file is the one bake
  // writes for the same chain, and the notes say what the inverse met.
  void writesWhatBakeWrites() {
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    const QString a = WriteGrade(dir, "a.cube", 1), b = WriteGrade(dir, "b.cube", 2);
    PromptsScope prompts;
    TfrmCombine dialog(nullptr, Ramp(), TInterpolation::Tetrahedral, TListRows{{}, {a.toStdString()}});
    QTest::mouseClick(dialog.btnAddChecked, Qt::LeftButton);
    dialog.lvwSteps->topLevelItem(0)->setCheckState(colInvert, Qt::Checked);
    QTest::mouseClick(dialog.btnAddCDL, Qt::LeftButton);
    const char* numbers[kCDLNumbers] = {"1.1", "1", "0.9", "0.01", "0", "-0.02", "1", "1.2", "1", "0.8"};
    for (std::size_t i = 0; i < kCDLNumbers; ++i) Type(dialog.edtCDL[i], numbers[i]);
    prompts->next_files.push_back(QStringList{b});
    QTest::mouseClick(dialog.btnAddFiles, Qt::LeftButton);
    const QString out = dir.filePath("combined.cube");
    ChooseOutput(*prompts, dialog, out);

    // The conversion's refusals first: a size it does not build, a step's own file.
    dialog.cbxDimSize->setEditText(QStringLiteral("1"));
    QTest::mouseClick(dialog.btnConvert, Qt::LeftButton);
    QCOMPARE(prompts->messages.back().Text,
             QStringLiteral("A size of 1 is not supported for \"Cube 3D Davinci\" (2 to 256 points per axis)."));
    dialog.cbxDimSize->setEditText(QStringLiteral("17"));
    prompts->next_save_files.push_back(b);
    QTest::mouseClick(dialog.btnSetLUTFile, Qt::LeftButton);
    QTest::mouseClick(dialog.btnConvert, Qt::LeftButton);
    QCOMPARE(prompts->messages.back().Text, QStringLiteral("The LUT file \"") + b + "\" is step 3 of this chain.");
    QVERIFY(!QFile::exists(out));

    prompts->next_save_files.push_back(out);
    QTest::mouseClick(dialog.btnSetLUTFile, Qt::LeftButton);
    prompts->messages.clear();
    QTest::mouseClick(dialog.btnConvert, Qt::LeftButton);
    QCOMPARE(prompts->messages.size(), 1u);
    QCOMPARE(prompts->messages[0].Icon, QMessageBox::Information);
    const QString said = prompts->messages[0].Text;
    QVERIFY2(said.startsWith("The conversion was successfully completed.\n\nThe inverse of a.cube has "), qPrintable(said));

    QProcess bake;
    bake.start(QStringLiteral(ZELVO_CLI_PROGRAM),
               {"bake", "--invlut", a, "--slope", "1.1", "1", "0.9", "--offset", "0.01", "0", "-0.02", "--power", "1",
                "1.2", "1", "--sat", "0.8", "--lut", b, "-p", "Cube 3D Davinci", "--size", "17", "--interp",
                "tetrahedral", "-o", dir.filePath("bake.cube")});
    QVERIFY(bake.waitForFinished(60000));
    QCOMPARE(bake.exitCode(), 0);
    const QByteArray written = ReadAll(out);
    QVERIFY(written.contains("LUT_3D_SIZE 17"));
    QCOMPARE(written, ReadAll(dir.filePath("bake.cube")));

    // Asked before the file is replaced; Cancel keeps it.
    WriteText(dir, "combined.cube", "keep\n");
    prompts->answers = {QMessageBox::Cancel};
    QTest::mouseClick(dialog.btnConvert, Qt::LeftButton);
    QCOMPARE(prompts->messages.back().Buttons, QMessageBox::Yes | QMessageBox::Cancel);
    QCOMPARE(ReadAll(out), QByteArray("keep\n"));
  }

  void toolsMenuOpensItWithTheListsFiles() {
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    const QString a = WriteGrade(dir, "a.cube", 1), b = WriteGrade(dir, "b.cube", 2);
    TfrmMain w;
    w.AddFiles({a, b});
    w.lvwFiles->topLevelItem(0)->setCheckState(colFileName, Qt::Unchecked);
    w.lvwFiles->setCurrentItem(w.lvwFiles->topLevelItem(0));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QList<QAction*> tools = w.mnuTools->actions();
    QCOMPARE(tools.indexOf(w.miCombine), tools.indexOf(w.miCompareLUTs) + 1);
    QCOMPARE(w.miCombine->text(), QStringLiteral("C&ombine and Invert..."));
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<TfrmCombine*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      seen = true;
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Combine and Invert"));
      QVERIFY(SamePicture(dialog->Image1->Picture(), w.UngradedPicture()));
      QTest::mouseClick(dialog->btnAddSelected, Qt::LeftButton);
      QTest::mouseClick(dialog->btnAddChecked, Qt::LeftButton);
      QCOMPARE(Column(dialog->lvwSteps, colStep), QStringList({"a.cube", "b.cube"}));
      QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
    });
    w.miCombine->trigger();
    QVERIFY(seen);
    QVERIFY(w.findChildren<TfrmCombine*>().isEmpty());
  }
};

ZELVO_APP_SUITE(CombineForm);

}  // namespace zelvo::test

#include "CombineForm_test.moc"
