#include "app/ProgressDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace zelvo {

TClock SteadyClock() {
  return [] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  };
}

TfrmProgress::TfrmProgress(QWidget* owner, TClock clock) : QDialog(owner), clock_(std::move(clock)) {
  setObjectName(QStringLiteral("frmProgress"));
  setWindowTitle(QStringLiteral("Processing..."));
  // A title bar without a close button; the other windows wait while it shows.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowModality(Qt::ApplicationModal);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameShape(QFrame::StyledPanel);
  Panel1->setFrameShadow(QFrame::Sunken);
  lblText = new QLabel(Panel1);
  lblText->setObjectName(QStringLiteral("lblText"));
  lblText->setTextFormat(Qt::PlainText);
  lblFile = new QLabel(Panel1);
  lblFile->setObjectName(QStringLiteral("lblFile"));
  lblFile->setTextFormat(Qt::PlainText);
  lblCount = new QLabel(Panel1);
  lblCount->setObjectName(QStringLiteral("lblCount"));
  lblCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  ProgressBar = new QProgressBar(Panel1);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
  lblTime = new QLabel(Panel1);
  lblTime->setObjectName(QStringLiteral("lblTime"));
  auto* panel_layout = new QVBoxLayout(Panel1);
  panel_layout->addWidget(lblText);
  auto* file_row = new QHBoxLayout;
  file_row->addWidget(lblFile, 1);
  file_row->addWidget(lblCount);
  panel_layout->addLayout(file_row);
  panel_layout->addWidget(ProgressBar);
  panel_layout->addWidget(lblTime);

  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  btnCancel->setFocusPolicy(Qt::ClickFocus);  // not reached with Tab
  btnCancel->setAutoDefault(false);
  connect(btnCancel, &QPushButton::clicked, this, &TfrmProgress::btnCancelClick);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnCancel);
  buttons->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Panel1);
  layout->addLayout(buttons);
  setFixedSize(392, 172);  // room for the file line

  // FormCreate
  lblText->clear();
  lblTime->clear();
}

void TfrmProgress::SetText(const QString& text) { lblText->setText(text); }

void TfrmProgress::SetFile(const QString& path, int reached, int count) {
  lblCount->setText(QStringLiteral("file %1 of %2").arg(reached).arg(count));
  // A long name is shortened in the middle, where names differ least.
  const int room = width() - lblCount->sizeHint().width() - 48;
  lblFile->setText(lblFile->fontMetrics().elidedText(QFileInfo(path).fileName(), Qt::ElideMiddle, std::max(room, 60)));
  lblFile->setToolTip(path);
}

void TfrmProgress::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

void TfrmProgress::FormShow() {
  cancelled_ = false;
  last_position_ = 0;
  percent_ = 0;
  estimate_started_ = false;
  estimate_time_ = 0;
  estimate_percent_ = 0;
}

void TfrmProgress::closeEvent(QCloseEvent* event) {
  FormCloseQuery();
  QDialog::closeEvent(event);
}

void TfrmProgress::reject() {
  // Esc closes the window like the title bar would: that is a Cancel too.
  FormCloseQuery();
  QDialog::reject();
}

void TfrmProgress::FormCloseQuery() { cancelled_ = true; }

void TfrmProgress::btnCancelClick() { cancelled_ = true; }

bool TfrmProgress::PollCancelled() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return cancelled_;
}

void TfrmProgress::SetShowTimeEstimate(bool show) {
  show_time_estimate_ = show;
  if (!show) lblTime->hide();
}

void TfrmProgress::ReportProgress(double percent) {
  percent_ = percent;
  const int position = static_cast<int>(std::trunc(percent));
  if (position != last_position_) {
    ProgressBar->setValue(position);
    last_position_ = position;
  }
  if (show_time_estimate_) UpdateTimeEstimate();
}

void TfrmProgress::UpdateTimeEstimate() {
  // The rate since the last estimate, not since the start: a batch whose
  // files differ in size is estimated from the recent ones.
  const double now = clock_();
  if (!estimate_started_) {
    estimate_started_ = true;
    estimate_time_ = now;
  }
  if (estimate_percent_ == 0) estimate_percent_ = percent_;
  const double elapsed = now - estimate_time_;
  if (elapsed <= 3) return;
  if (estimate_percent_ == percent_) return;
  // Rounded to the nearest, halves to even (the default rounding mode).
  const double seconds = std::nearbyint((100 - percent_) / ((percent_ - estimate_percent_) / elapsed));
  if (seconds < 0) SetShowTimeEstimate(false);
  // A crawl of a thousandth of a percent gives an estimate beyond any integer.
  const long long whole = std::isnan(seconds) ? 0 : static_cast<long long>(std::clamp(seconds, -1e15, 1e15));
  QString text;
  if (whole < 60) {
    text = QString::number(whole) + QStringLiteral(" seconds remaining");
  } else if (whole < 10800) {
    text = QString::number(whole / 60) + QStringLiteral(" minutes remaining");
  } else {
    text = QString::number(whole / 3600) + QStringLiteral(" hours remaining");
  }
  lblTime->setText(text);
  estimate_time_ = now;
  estimate_percent_ = percent_;
}

}  // namespace zelvo
