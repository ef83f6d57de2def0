// The progress dialog: its time estimates on a fake clock, and Cancel.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "AppTestSupport.h"
#include "app/ProgressDlg.h"

namespace zelvo::test {

class ProgressDlg : public QObject {
  Q_OBJECT

 private slots:
  void estimatesFromTheRecentRate() {
    struct Report {
      double seconds;
      double percent;
      const char* line;  // lblTime afterwards
    };
    struct Case {
      const char* name;
      std::vector<Report> reports;
      bool line_shown;  // at the end
    };
    const Case cases[] = {
        {"every 2 s, the first estimate after more than 3 s",
         {{0, 10, ""}, {2, 20, ""}, {4, 30, "14 seconds remaining"}, {6, 40, "14 seconds remaining"},
          {8, 50, "10 seconds remaining"}},
         true},
        {"the same percentage later changes nothing",
         {{100, 10, ""}, {104, 10, ""}, {108, 30, "28 seconds remaining"}, {112, 30, "28 seconds remaining"}},
         true},
        {"60 s", {{0, 50, ""}, {15, 60, "1 minutes remaining"}}, true},
        {"10799 s", {{0, 50, ""}, {2699.75, 60, "179 minutes remaining"}}, true},
        {"10800 s", {{0, 50, ""}, {2700, 60, "3 hours remaining"}}, true},
        {"going down hides the line for good",
         {{0, 50, ""}, {4, 40, "-24 seconds remaining"}, {8, 60, "-24 seconds remaining"}},
         false},
        {"0 % is no reference", {{0, 0, ""}, {2, 10, ""}, {5, 10, ""}, {9, 20, "1 minutes remaining"}}, true},
    };
    for (const Case& c : cases) {
      double now = 0;
      TfrmProgress progress(nullptr, [&now] { return now; });
      progress.show();
      for (const Report& r : c.reports) {
        now = r.seconds;
        progress.ReportProgress(r.percent);
        QVERIFY2(progress.lblTime->text() == QString::fromLatin1(r.line), c.name);
      }
      QVERIFY2(progress.lblTime->isVisible() == c.line_shown, c.name);
    }
  }

  void barTakesTheWholePercentage() {
    TfrmProgress progress(nullptr, [] { return 0.0; });
    progress.show();
    progress.ReportProgress(100.0 / 3);
    QCOMPARE(progress.ProgressBar->value(), 33);
    progress.ReportProgress(99.99);
    QCOMPARE(progress.ProgressBar->value(), 99);
  }

  // The file line: the name, shortened in the middle when it is long, the
  // whole path as the tooltip, and its place among the checked files.
  void namesTheFileAndItsPlace() {
    TfrmProgress progress(nullptr, [] { return 0.0; });
    progress.show();
    progress.SetFile(QStringLiteral("/films/luts/Day.cube"), 2, 7);
    QCOMPARE(progress.lblFile->text(), QStringLiteral("Day.cube"));
    QCOMPARE(progress.lblCount->text(), QStringLiteral("file 2 of 7"));
    const QString name = QString(120, QLatin1Char('n')) + QStringLiteral("_end.cube");
    progress.SetFile(QStringLiteral("/films/") + name, 10, 10);
    QVERIFY(progress.lblFile->text().size() < name.size());
    QVERIFY(progress.lblFile->text().endsWith(QStringLiteral("_end.cube")));
    QCOMPARE(progress.lblFile->toolTip(), QStringLiteral("/films/") + name);
    QVERIFY(progress.lblFile->sizeHint().width() <= progress.width());
  }

  void cancelAndCloseAreSeenAtTheNextPoll() {
    TfrmProgress progress(nullptr);
    QCOMPARE(progress.windowTitle(), QStringLiteral("Processing..."));
    QVERIFY(!(progress.windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(progress.windowModality(), Qt::ApplicationModal);
    QVERIFY(!(progress.btnCancel->focusPolicy() & Qt::TabFocus));
    progress.show();
    QVERIFY(!progress.PollCancelled());
    QTest::mouseClick(progress.btnCancel, Qt::LeftButton);
    QVERIFY(progress.PollCancelled());

    progress.hide();
    progress.show();  // each showing starts afresh
    QVERIFY(!progress.PollCancelled());
    progress.close();
    QVERIFY(progress.PollCancelled());
    progress.show();
    QTest::keyClick(&progress, Qt::Key_Escape);
    QVERIFY(progress.PollCancelled());
  }
};

ZELVO_APP_SUITE(ProgressDlg);

}  // namespace zelvo::test

#include "ProgressDlg_test.moc"
