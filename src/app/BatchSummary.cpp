#include "app/BatchSummary.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AppErrors.h"
#include "app/Paths.h"
#include "app/UserPrompts.h"

namespace zelvo {

int TBatchSummary::Count(TFileOutcome outcome) const {
  return static_cast<int>(
      std::count_if(Files.begin(), Files.end(), [outcome](const TBatchFile& f) { return f.Outcome == outcome; }));
}

int TBatchSummary::Verified() const {
  return static_cast<int>(std::count_if(Files.begin(), Files.end(), [](const TBatchFile& f) {
    return f.Verification && f.Verification->Outcome != TVerifyOutcome::Unverifiable;
  }));
}

int TBatchSummary::VerificationsFailed() const {
  return static_cast<int>(std::count_if(Files.begin(), Files.end(), [](const TBatchFile& f) {
    return f.Verification && f.Verification->Failed();
  }));
}

namespace {

QString NameOf(const std::string& path) { return QFileInfo(DisplayPath(path)).fileName(); }

QString Files(int n) { return n == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(n); }

QString OutcomeText(TFileOutcome outcome) {
  switch (outcome) {
    case TFileOutcome::Converted: return QStringLiteral("Converted");
    case TFileOutcome::Skipped: return QStringLiteral("Skipped");
    case TFileOutcome::Failed: return QStringLiteral("Failed");
  }
  return {};
}

void AddRow(QTreeWidget* list, const std::string& source, const QString& result, const QString& details,
            const QString& verification = {}) {
  auto* row = new QTreeWidgetItem(list, {NameOf(source), result, details, verification});
  row->setToolTip(0, DisplayPath(source));
  row->setToolTip(2, details);
  row->setToolTip(3, verification);
}

}  // namespace

TfrmBatchSummary::TfrmBatchSummary(QWidget* owner, TBatchSummary summary)
    : QDialog(owner), summary_(std::move(summary)) {
  setObjectName(QStringLiteral("frmBatchSummary"));
  setWindowTitle(QStringLiteral("Conversion Summary"));
  setAttribute(Qt::WA_DeleteOnClose);
  const TBatchSummary& s = summary_;

  lblCounts = new QLabel(QStringLiteral("%1 converted, %2 skipped, %3 failed.")
                             .arg(Files(s.Converted()))
                             .arg(s.Skipped())
                             .arg(s.Failed()),
                         this);
  lblCounts->setObjectName(QStringLiteral("lblCounts"));
  lblFolder = new QLabel(QStringLiteral("Output folder: ") + DisplayPath(s.OutputFolder), this);
  lblFolder->setObjectName(QStringLiteral("lblFolder"));
  lblFolder->setTextFormat(Qt::PlainText);
  lblFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblEnd = new QLabel(this);
  lblEnd->setObjectName(QStringLiteral("lblEnd"));
  lblEnd->setWordWrap(true);
  if (!s.NotConverted.empty()) {
    const QString how = s.Stopped ? QStringLiteral("The batch was stopped after an error")
                                  : QStringLiteral("The batch was cancelled");
    lblEnd->setText(how + QStringLiteral("; %1 not converted.").arg(Files(static_cast<int>(s.NotConverted.size()))));
  }
  lblEnd->setVisible(!s.NotConverted.empty());
  lblVerified = new QLabel(this);
  lblVerified->setObjectName(QStringLiteral("lblVerified"));
  lblVerified->setWordWrap(true);
  const bool verified = std::any_of(s.Files.begin(), s.Files.end(), [](const TBatchFile& f) { return f.Verification.has_value(); });
  if (verified) {
    lblVerified->setText(QStringLiteral("%1 read back and compared with their sources, %2 failed.")
                             .arg(Files(s.Verified()))
                             .arg(s.VerificationsFailed()));
  }
  lblVerified->setVisible(verified);

  lvwFiles = new QTreeWidget(this);
  lvwFiles->setObjectName(QStringLiteral("lvwFiles"));
  lvwFiles->setHeaderLabels({QStringLiteral("File Name"), QStringLiteral("Result"), QStringLiteral("Details"),
                             QStringLiteral("Verification")});
  lvwFiles->setRootIsDecorated(false);
  lvwFiles->setUniformRowHeights(true);
  lvwFiles->setSelectionMode(QAbstractItemView::SingleSelection);
  for (const TBatchFile& f : s.Files) {
    const QString details = f.Outcome == TFileOutcome::Converted
                                ? QStringLiteral("Written as ") + NameOf(f.Target)
                                : QString::fromStdString(f.Reason);
    AddRow(lvwFiles, f.Source, OutcomeText(f.Outcome), details,
           f.Verification ? QString::fromStdString(VerificationText(*f.Verification)) : QString());
  }
  for (const std::string& source : s.NotConverted) {
    AddRow(lvwFiles, source, QStringLiteral("Not converted"), QStringLiteral("The batch ended before this file."));
  }
  lvwFiles->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  lvwFiles->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  lvwFiles->setColumnHidden(3, !verified);
  // The written file's name stays readable beside what its verification found.
  if (verified) lvwFiles->setColumnWidth(2, 220);

  lblWarnings = new QLabel(QStringLiteral("Warnings"), this);
  lblWarnings->setObjectName(QStringLiteral("lblWarnings"));
  memWarnings = new QPlainTextEdit(this);
  memWarnings->setObjectName(QStringLiteral("memWarnings"));
  memWarnings->setReadOnly(true);
  QStringList warnings;
  for (const TBatchWarning& w : s.Warnings) {
    warnings << NameOf(w.Source) + QStringLiteral(": ") + QString::fromStdString(WithFullStop(w.Text));
  }
  memWarnings->setPlainText(warnings.join(QLatin1Char('\n')));
  lblWarnings->setVisible(!s.Warnings.empty());
  memWarnings->setVisible(!s.Warnings.empty());

  btnOpenFolder = new QPushButton(QStringLiteral("&Open Output Folder"), this);
  btnOpenFolder->setObjectName(QStringLiteral("btnOpenFolder"));
  btnOpenFolder->setAutoDefault(false);
  btnOpenFolder->setEnabled(!s.OutputFolder.empty());
  btnClose = new QPushButton(QStringLiteral("Close"), this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  btnClose->setDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnOpenFolder);
  buttons->addStretch();
  buttons->addWidget(btnClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblCounts);
  layout->addWidget(lblFolder);
  layout->addWidget(lblEnd);
  layout->addWidget(lblVerified);
  layout->addWidget(lvwFiles, 3);
  layout->addWidget(lblWarnings);
  layout->addWidget(memWarnings, 1);
  layout->addLayout(buttons);
  resize(verified ? 900 : 680, s.Warnings.empty() ? 360 : 460);

  connect(btnOpenFolder, &QPushButton::clicked, this, &TfrmBatchSummary::btnOpenFolderClick);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
}

void TfrmBatchSummary::btnOpenFolderClick() {
  const QString folder = DisplayPath(summary_.OutputFolder);
  if (!Prompts().OpenUrl(this, QUrl::fromLocalFile(folder))) {
    ShowMessage(this, QMessageBox::Warning, QStringLiteral("Warning"),
                QStringLiteral("The folder ") + folder + QStringLiteral(" cannot be opened: no file manager took it."));
  }
}

TfrmBatchSummary* ShowBatchSummary(QWidget* owner, const TBatchSummary& summary) {
  if (owner != nullptr) {
    for (TfrmBatchSummary* earlier : owner->findChildren<TfrmBatchSummary*>(Qt::FindDirectChildrenOnly)) {
      delete earlier;
    }
  }
  auto* window = new TfrmBatchSummary(owner, summary);
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace zelvo
