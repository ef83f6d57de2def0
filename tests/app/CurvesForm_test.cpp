// The curves window: what it shows for each LUT it is given, and for none.
#include <QLabel>
#include <QTest>

#include "AppTestSupport.h"
#include "app/CurvesForm.h"

namespace zelvo::test {

class CurvesForm : public QObject {
  Q_OBJECT

 private slots:
  void followsTheLUTsItIsGiven() {
    TLUT identity;
    identity.Kind = TLUTKind::lk3D;
    identity.SetSize3D(2);
    for (int i = 0; i < 8; ++i) identity.Table3D(i & 1, i >> 1 & 1, i >> 2) = {i & 1 ? 1.0 : 0.0, i & 2 ? 1.0 : 0.0, i & 4 ? 1.0 : 0.0};
    TLUT gamma;
    gamma.Kind = TLUTKind::lk1D;
    gamma.SetSize1D(3);
    gamma.Table1D(1) = {0.25, 0.5, 0.75};
    gamma.Table1D(2) = {1, 1, 1};
    TLUT none;
    none.Kind = TLUTKind::lkNone;

    TfrmCurves window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.lblState->text(), QStringLiteral("No LUT data."));
    QVERIFY(window.lblState->isVisible() && !window.pbxCurves->isVisible());

    struct Case {
      const TLUT* lut;
      QString title;
      int curves;              // 0: the state line instead of the plots
      const char* first_name;  // of the first curve
      QString label;           // lblLUT
      QString state;           // lblState, when shown
    };
    const Case cases[] = {
        {&identity, "identity.cube", 7, "Grey axis", "identity.cube \u2014 Type: 3D, Dimension: 2", ""},
        {&gamma, "gamma.cube", 3, "Red", "gamma.cube \u2014 Type: 1D, Dimension: 3", ""},
        {nullptr, "broken.cube", 0, "", "broken.cube", "cannot be read"},
        {&none, "empty.cdl", 0, "", "empty.cdl", "No LUT data."},
        {&gamma, "", 3, "Red", "Type: 1D, Dimension: 3", ""},
        {nullptr, "", 0, "", "", "No LUT data."},
    };
    for (const Case& c : cases) {
      window.ShowLUT(c.lut, c.title);
      const TCurveSet& shown = window.pbxCurves->Curves();
      QCOMPARE(static_cast<int>(shown.Curves.size()), c.curves);
      QCOMPARE(window.pbxCurves->isVisible(), c.curves > 0);
      QCOMPARE(window.lblState->isVisible(), c.curves == 0);
      QCOMPARE(window.lblLUT->text(), c.label);
      if (c.curves == 0) QCOMPARE(window.lblState->text(), c.state);
      if (c.curves > 0) {
        QCOMPARE(shown.Curves.front().Name, std::string(c.first_name));
        QCOMPARE(static_cast<int>(shown.Curves.front().Inputs.size()), kCurvesWindowPoints);
      }
      // Drawn at its default size and at its smallest, in a tall window too.
      for (const QSize size : {QSize(820, 560), window.minimumSizeHint(), QSize(400, 900)}) {
        window.resize(size);
        QVERIFY(!window.grab().isNull());
      }
    }
    // Two LUTs: the second over the first, or whichever can be drawn alone.
    window.ShowLUTPair(&identity, QStringLiteral("a.cube"), &gamma, QStringLiteral("b.cube"));
    QCOMPARE(window.pbxCurves->SecondCurves().Curves.size(), std::size_t{7});
    QCOMPARE(window.lblLUT->text(), QStringLiteral("A: a.cube \u2014 Type: 3D, Dimension: 2\n"
                                                   "B: b.cube \u2014 Type: 1D, Dimension: 3"));
    QVERIFY(!window.grab().isNull());
    window.ShowLUTPair(nullptr, QStringLiteral("a.cube"), &gamma, QStringLiteral("b.cube"));
    QCOMPARE(window.pbxCurves->Curves().Curves.size(), std::size_t{3});
    QVERIFY(window.pbxCurves->SecondCurves().Curves.empty());
    QCOMPARE(window.pbxCurves->LegendTexts().back(), QStringLiteral("B: b.cube"));
    QVERIFY(window.lblLUT->text().startsWith(QStringLiteral("A: a.cube (cannot be read)\nB: b.cube \u2014 ")));
    window.ShowLUTPair(&none, QStringLiteral("a.cdl"), nullptr, QStringLiteral("b.cube"));
    QVERIFY(window.lblState->isVisible() && !window.pbxCurves->isVisible());
    QCOMPARE(window.lblState->text(), QStringLiteral("cannot be read"));
    window.ShowLUT(&gamma, QStringLiteral("gamma.cube"));
    QVERIFY(window.pbxCurves->SecondCurves().Curves.empty());
    QCOMPARE(window.pbxCurves->LegendTexts().size(), 4);

    // The window keeps what it drew after the LUT has gone.
    {
      TLUT passing;
      passing.Kind = TLUTKind::lk1D;
      passing.SetSize1D(2);
      passing.Table1D(1) = {1, 0.5, 1};
      window.ShowLUT(&passing, QStringLiteral("passing.cube"));
    }
    QCOMPARE(window.pbxCurves->Curves().Curves[1].Outputs.back().G, 0.5);
    QVERIFY(!window.grab().isNull());
  }
};

ZELVO_APP_SUITE(CurvesForm);

}  // namespace zelvo::test

#include "CurvesForm_test.moc"
