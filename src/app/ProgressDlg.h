// The progress of a long operation on the user-interface thread: a text
// line, a bar, an estimate of the time remaining and Cancel. While it shows,
// the other windows take no input.
#pragma once

#include <QDialog>
#include <functional>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace zelvo {

// Seconds on a clock that only goes forward.
using TClock = std::function<double()>;
TClock SteadyClock();

class TfrmProgress : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmProgress(QWidget* owner, TClock clock = SteadyClock());

  void SetText(const QString& text);
  // Names the file being worked on (its name; the whole path as the tooltip)
  // and its place: "file K of C".
  void SetFile(const QString& path, int reached, int count);
  // Sets the bar to the whole percentage and updates the estimate.
  void ReportProgress(double percent);
  // Lets the user interface handle what is pending, then tells whether the
  // person asked to stop.
  bool PollCancelled();
  void SetShowTimeEstimate(bool show);

  bool Cancelled() const { return cancelled_; }

  QFrame* Panel1;
  QLabel* lblText;
  QLabel* lblFile;
  QLabel* lblCount;
  QProgressBar* ProgressBar;
  QLabel* lblTime;
  QPushButton* btnCancel;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void FormShow();
  void FormCloseQuery();
  void btnCancelClick();
  void UpdateTimeEstimate();

  TClock clock_;
  bool cancelled_ = false;
  bool show_time_estimate_ = true;
  int last_position_ = 0;
  double percent_ = 0;
  bool estimate_started_ = false;  // EstimateTime holds a reading
  double estimate_time_ = 0;       // seconds
  double estimate_percent_ = 0;    // 0: no reference percentage yet
};

}  // namespace zelvo
