// Tools > Compare LUTs...: which two files it compares, the report it shows
// beside the curves of both, its choices, and the files it cannot compare.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include "AppTestSupport.h"
#include "app/CompareForm.h"
#include "app/CurvesForm.h"
#include "app/MainForm.h"
#include "registry/Registry.h"

namespace zelvo::test {

namespace {

// The identity with red lifted by 0.25 at black: the largest difference.
const QByteArray kLifted = "LUT_3D_SIZE 2\n0.25 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";

TLUT Loaded(const QString& path) {
  TLUT lut;
  LoadLUTFile(path.toStdString(), lut);
  return lut;
}

// The report the core gives for the two files, named as the window names them.
QString CoreReport(const QString& a, const QString& b, const TCompareOptions& options = {}) {
  return QString::fromStdString(
      CompareReportText(CompareLUTs(Loaded(a), Loaded(b), options), a.toStdString(), b.toStdString()));
}

}  // namespace

class CompareForm : public QObject {
  Q_OBJECT

 private slots:
  void init() { LastAddFolder().clear(); }

  void comparesPickedFilesBesideTheirCurves() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    const QString a = WriteCube(d, QStringLiteral("a.cube")), b = WriteText(d, QStringLiteral("b.cube"), kLifted);
    PromptsScope prompts;
    TfrmMain w;
    QVERIFY(w.mnuTools->actions().indexOf(w.miCompareLUTs) == w.mnuTools->actions().indexOf(w.miICC2LUT) + 1);
    prompts->next_files = {QStringList{a, b}};
    w.miCompareLUTs->trigger();
    QCOMPARE(prompts->file_requests.size(), std::size_t{1});
    QVERIFY(prompts->file_requests[0].MultiSelect);
    TfrmCompare* window = w.CompareWindow();
    QVERIFY(window != nullptr && window->isVisible());
    QVERIFY(window->Report() != nullptr);
    QCOMPARE(window->Report()->MaxDifference(), CompareLUTs(Loaded(a), Loaded(b)).MaxDifference());
    QCOMPARE(window->Report()->MaxDifference(), 0.25);
    QCOMPARE(window->mmReport->toPlainText(), CoreReport(a, b));

    // Both LUTs drawn, B over A, and named.
    const TCurvesView& view = *window->frmCurves->pbxCurves;
    QCOMPARE(view.Curves().Curves.size(), std::size_t{7});
    QCOMPARE(view.SecondCurves().Curves.size(), std::size_t{7});
    QCOMPARE(view.Curves().Curves[0].Outputs[0].R, 0.0);
    QCOMPARE(view.SecondCurves().Curves[0].Outputs[0].R, 0.25);
    QVERIFY(view.LegendTexts().contains(QStringLiteral("A: a.cube")));
    QVERIFY(view.LegendTexts().contains(QStringLiteral("B: b.cube")));
  }

  void takesTheTwoCheckedRowsOrAsksForEach() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    const QString a = WriteCube(d, QStringLiteral("a.cube")), b = WriteText(d, QStringLiteral("b.cube"), kLifted);
    const QString c = WriteCube(d, QStringLiteral("c.cube"));
    PromptsScope prompts;
    TfrmMain w;
    // Exactly two checked rows: no picker.
    w.AddLocalPaths({b.toStdString(), a.toStdString()});
    w.miCompareLUTs->trigger();
    QVERIFY(prompts->file_requests.empty());
    QCOMPARE(w.CompareWindow()->mmReport->toPlainText(), CoreReport(a, b));

    // Three rows checked: one file picked, then the other.
    w.AddLocalPaths({c.toStdString()});
    prompts->next_files = {QStringList{c}, QStringList{b}};
    w.miCompareLUTs->trigger();
    QCOMPARE(prompts->file_requests.size(), std::size_t{2});
    QVERIFY(!prompts->file_requests[1].MultiSelect);
    QCOMPARE(w.CompareWindow()->mmReport->toPlainText(), CoreReport(c, b));

    // Three picked, or a cancel, leave the report as it was.
    prompts->next_files = {QStringList{a, b, c}, std::nullopt};
    w.miCompareLUTs->trigger();
    QCOMPARE(prompts->messages.size(), std::size_t{1});
    QVERIFY(prompts->messages[0].Text.contains(QStringLiteral("not 3")));
    w.miCompareLUTs->trigger();
    QCOMPARE(w.CompareWindow()->mmReport->toPlainText(), CoreReport(c, b));
  }

  void saysWhyFilesCannotBeCompared() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    const QString a = WriteCube(d, QStringLiteral("a.cube"));
    const QString cut = WriteText(d, QStringLiteral("cut.cube"), "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n");
    std::string cut_error;
    try {
      Loaded(cut);
    } catch (const EZelvoError& e) {
      cut_error = e.Described();
    }
    QVERIFY(!cut_error.empty());
    const struct {
      QString b;
      QString error;  // in the report box
    } cases[] = {
        {cut, QString::fromStdString(cut_error)},
        {d.filePath(QStringLiteral("gone.cube")), QStringLiteral("gone.cube: not found.")},
        {WriteText(d, QStringLiteral("notes.txt"), "Day 3: exteriors\n"),
         QStringLiteral("notes.txt: The file is not a LUT file of a known format (it starts with")},
        {WriteText(d, QStringLiteral("high.cube"),
                   "DOMAIN_MIN 2 2 2\nDOMAIN_MAX 3 3 3\nLUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n"),
         QStringLiteral("The two LUTs have no inputs in common")},
    };
    PromptsScope prompts;
    TfrmCompare window;
    window.show();
    for (const auto& c : cases) {
      window.CompareFiles(a.toStdString(), c.b.toStdString());
      const QString text = window.mmReport->toPlainText();
      QVERIFY2(text.contains(c.error), qPrintable(text));
      QVERIFY(text.contains(QStringLiteral("The LUTs cannot be compared.")));
      QVERIFY(window.Report() == nullptr);
      // What could be read is drawn.
      QCOMPARE(window.frmCurves->pbxCurves->Curves().Curves.size(), std::size_t{7});
      QVERIFY(!window.grab().isNull());
    }
    QVERIFY(prompts->messages.empty());
  }

  void theChoicesChangeTheReport() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    const QString a = WriteCube(d, QStringLiteral("a.cube")), b = WriteText(d, QStringLiteral("b.cube"), kLifted);
    TfrmCompare window;
    window.CompareFiles(a.toStdString(), b.toStdString());
    const double srgb_de = window.Report()->MaxDE;
    TCompareOptions options;
    const struct {
      int space;
      TCompareSpace expected;
    } spaces[] = {{1, TCompareSpace::csLinear}, {2, TCompareSpace::csNone}, {0, TCompareSpace::csSRGB}};
    for (const auto& s : spaces) {
      window.cbxSpace->setCurrentIndex(s.space);
      options.Space = s.expected;
      QCOMPARE(window.Report()->Options.Space, s.expected);
      QCOMPARE(window.mmReport->toPlainText(), CoreReport(a, b, options));
      QVERIFY(window.lblAssumption->text().contains(QString::fromLatin1(CompareSpaceAssumption(s.expected))));
      QCOMPARE(window.Report()->MaxDE == srgb_de, s.expected == TCompareSpace::csSRGB);
    }
    window.spnGrid->setValue(5);
    window.spnDepth->setValue(8);
    options.Grid = 5;
    options.DepthBits = 8;
    QCOMPARE(window.Report()->Options.Grid, 5);
    QCOMPARE(window.Report()->Options.DepthBits, 8);
    QCOMPARE(window.mmReport->toPlainText(), CoreReport(a, b, options));
  }
};

ZELVO_APP_SUITE(CompareForm);

}  // namespace zelvo::test

#include "CompareForm_test.moc"
