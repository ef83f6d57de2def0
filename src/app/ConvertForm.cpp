#include "app/ConvertForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "app/AppErrors.h"
#include "app/PathDialog.h"
#include "app/ProfileBoxes.h"
#include "app/Remembered.h"
#include "app/Paths.h"
#include "app/UserPrompts.h"
#include "base/Errors.h"

namespace zelvo {

namespace {

void FillSizes(QComboBox* box, const TLutOutputProfile& profile) {
  box->clear();
  for (const std::string& item : SizeItems(profile)) box->addItem(QString::fromStdString(item));
}

void FillBits(QComboBox* box, const std::vector<TBitsChoice>& choices) {
  box->clear();
  for (const TBitsChoice& c : choices) box->addItem(QString::fromStdString(c.Caption), c.Bits);
}

}  // namespace

TfrmConvert::TfrmConvert(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("frmConvert"));
  setWindowTitle(QStringLiteral("Convertion Settings"));

  edtOutFolder = new QLineEdit(this);
  edtOutFolder->setObjectName(QStringLiteral("edtOutFolder"));
  ShowAsReadOnly(*edtOutFolder);  // only the picker changes it
  edtOutFolder->setMinimumWidth(320);
  btnSelectFolder = new QPushButton(QStringLiteral("..."), this);
  btnSelectFolder->setObjectName(QStringLiteral("btnSelectFolder"));
  btnSelectFolder->setToolTip(QStringLiteral("Select the output folder"));
  btnSelectFolder->setAutoDefault(false);
  btnSelectFolder->setFixedWidth(32);

  cbxOutFormat = new QComboBox(this);
  cbxOutFormat->setObjectName(QStringLiteral("cbxOutFormat"));
  cbxOutFormat->setEditable(false);

  cbxDimSize = new QComboBox(this);
  cbxDimSize->setObjectName(QStringLiteral("cbxDimSize"));
  SetUpSizeBox(*cbxDimSize);

  cbxBits = new QComboBox(this);
  cbxBits->setObjectName(QStringLiteral("cbxBits"));

  chkVerify = new QCheckBox(QStringLiteral("Verify written files"), this);
  chkVerify->setObjectName(QStringLiteral("chkVerify"));
  chkVerify->setToolTip(QStringLiteral("Read each written file back with its format's reader and compare it with its "
                                       "source: a file that differs by more than expected counts as failed"));

  btnConvert = new QPushButton(QStringLiteral("Convert"), this);
  btnConvert->setObjectName(QStringLiteral("btnConvert"));
  btnConvert->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  btnCancel->setAutoDefault(false);

  lblOutFolder = new QLabel(QStringLiteral("Output Folder"), this);
  lblOutFormat = new QLabel(QStringLiteral("Output Format"), this);
  lblDimSize = new QLabel(QStringLiteral("Dimension size"), this);
  lblBits = new QLabel(QStringLiteral("Bits per color"), this);

  auto* folder_row = new QHBoxLayout;
  folder_row->addWidget(edtOutFolder);
  folder_row->addWidget(btnSelectFolder);
  auto* form = new QFormLayout;
  form->addRow(lblOutFolder, folder_row);
  form->addRow(lblOutFormat, cbxOutFormat);
  form->addRow(lblDimSize, cbxDimSize);
  form->addRow(lblBits, cbxBits);
  form->addRow(QString(), chkVerify);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnConvert);
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // a fixed dialog border

  setTabOrder(edtOutFolder, btnSelectFolder);
  setTabOrder(btnSelectFolder, cbxOutFormat);
  setTabOrder(cbxOutFormat, cbxDimSize);
  setTabOrder(cbxDimSize, cbxBits);
  setTabOrder(cbxBits, chkVerify);
  setTabOrder(chkVerify, btnConvert);
  setTabOrder(btnConvert, btnCancel);

  FormCreate();

  connect(edtOutFolder, &QLineEdit::textChanged, this, &TfrmConvert::edtOutFolderChange);
  connect(cbxOutFormat, &QComboBox::currentIndexChanged, this, &TfrmConvert::cbxOutFormatChange);
  connect(btnSelectFolder, &QPushButton::clicked, this, &TfrmConvert::btnSelectFolderClick);
  connect(btnConvert, &QPushButton::clicked, this, &TfrmConvert::btnConvertClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  // The dialog sees key presses before its controls do.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TfrmConvert::FormCreate() {
  edtOutFolder->setText(DisplayPath(LastOutputFolder()));
  for (std::size_t i = 0; i < OutputProfiles().size(); ++i) {
    cbxOutFormat->addItem(QString::fromStdString(OutputProfiles()[i]->Caption), static_cast<int>(i));
  }
  cbxOutFormat->setCurrentIndex(-1);
  FillSizes(cbxDimSize, OutputProfileOf(TOutputProfileId::Cube3DDavinci));  // the 3D sizes until a format is picked
  cbxDimSize->setEditText(QStringLiteral("Default"));
  cbxDimSize->setEnabled(false);
  std::vector<TBitsChoice> every;
  for (const std::string& item : BitsItems()) every.push_back({item, BitsOfItem(item)});
  FillBits(cbxBits, every);
  cbxBits->setCurrentIndex(0);
  cbxBits->setEnabled(false);
  btnConvert->setEnabled(false);
  cbxOutFormat->setFocus();
  // The last choice, kept between runs on request; what no longer applies
  // (a caption, size or depth this version does not offer) stays at its default.
  if (const std::optional<TOutputChoice>& choice = RememberedOutputChoice()) {
    chkVerify->setChecked(choice->Verify);
    const int format = cbxOutFormat->findText(QString::fromStdString(choice->Caption));
    if (format < 0) return;
    cbxOutFormat->setCurrentIndex(format);
    cbxOutFormatChange();
    const QString size = QString::fromStdString(choice->SizeText);
    bool number = false;
    const int points = size.toInt(&number);
    if (cbxDimSize->isEnabled() && number && points >= 2 && points <= LargestSize(*SelectedOutputProfile())) {
      cbxDimSize->setEditText(size);
    }
    if (cbxBits->isEnabled() && cbxBits->findData(choice->Bits) >= 0) cbxBits->setCurrentIndex(cbxBits->findData(choice->Bits));
  }
}

const TLutOutputProfile* TfrmConvert::SelectedOutputProfile() const {
  const QVariant index = cbxOutFormat->currentData();
  if (!index.isValid()) return nullptr;
  return &OutputProfileByIndex(index.toInt());
}

int TfrmConvert::SelectedBits() const {
  const QVariant bits = cbxBits->currentData();
  return bits.isValid() ? bits.toInt() : -1;
}

ConversionSettings TfrmConvert::Settings() const {
  ConversionSettings settings;
  settings.OutputFolder = LocalPath(edtOutFolder->text());
  settings.OutputProfile = SelectedOutputProfile();
  settings.SizeText = cbxDimSize->currentText().toStdString();
  settings.Bits = SelectedBits();
  settings.Verify = chkVerify->isChecked();
  return settings;
}

void TfrmConvert::edtOutFolderChange() {
  btnConvert->setEnabled(cbxOutFormat->currentIndex() >= 0 && !edtOutFolder->text().isEmpty());
}

void TfrmConvert::cbxOutFormatChange() {
  const TLutOutputProfile* profile = SelectedOutputProfile();
  if (profile != nullptr) {
    cbxDimSize->setEnabled(profile->SizeSelectable);
    if (profile->SizeSelectable) FillSizes(cbxDimSize, *profile);
    cbxDimSize->setEditText(QStringLiteral("Default"));
    cbxBits->setEnabled(profile->BitsSelectable);
    // Only the depths the job accepts for this profile (its reader reads
    // them back).
    if (profile->BitsSelectable) FillBits(cbxBits, BitsChoices(*profile));
    cbxBits->setCurrentIndex(0);
  }
  edtOutFolderChange();
}

void TfrmConvert::btnSelectFolderClick() {
  TPathDialog picker(this);
  picker.Title = QStringLiteral("Please select a folder for converted files");
  if (!LastOutputFolder().empty()) picker.SetDirectory(DisplayPath(LastOutputFolder()));
  if (!picker.Execute()) return;
  LastOutputFolder() = LocalPath(picker.Directory());
  edtOutFolder->setText(picker.Directory());
}

void TfrmConvert::btnConvertClick() {
  // The job's own checks, before the dialog closes: a size it would change or
  // cannot build (typed, pasted or entered otherwise) is refused here, and the
  // dialog stays open to correct it.
  try {
    const ConversionSettings settings = Settings();
    CheckConversionSettings(settings);
    CheckSizeInRange(settings);
  } catch (const std::exception& e) {
    ShowApplicationError(this, e);
    if (cbxDimSize->isEnabled()) cbxDimSize->setFocus();
    return;
  }
  if (std::optional<TOutputChoice>& choice = RememberedOutputChoice()) {
    *choice = TOutputChoice{SelectedOutputProfile()->Caption, cbxDimSize->currentText().toStdString(), SelectedBits(),
                            chkVerify->isChecked()};
  }
  accept();
}

bool TfrmConvert::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto& key = static_cast<const QKeyEvent&>(*event);
    // FormKeyDown: the Alt key is discarded for the whole dialog.
    if (key.key() == Qt::Key_Alt) return true;
    if (watched == cbxDimSize->lineEdit() || watched == cbxDimSize) {
      if (key.key() == Qt::Key_Delete) cbxDimSizeKeyDown(key);
      if (cbxDimSizeKeyPress(key)) return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool TfrmConvert::cbxDimSizeKeyPress(const QKeyEvent& key) { return RefuseSizeKey(*cbxDimSize, key); }

void TfrmConvert::cbxDimSizeKeyDown(const QKeyEvent&) {
  if (cbxDimSize->currentText() == QLatin1String("Default")) cbxDimSize->setEditText(QString());
}

namespace {

// The error box of a file: its name, then the message (unless the message
// names it already); Stop, Skip or Skip All.
QMessageBox::StandardButton AskAfterFailure(QWidget* owner, const std::string& source, const std::string& message) {
  TMessageRequest request;
  request.Icon = QMessageBox::Critical;
  request.Title = QString::fromUtf8(kApplicationTitle);
  request.Text = QString::fromStdString(message.find(source) != std::string::npos ? message : source + ": " + message);
  request.Buttons = kStopButton | kSkipButton | kSkipAllButton;
  request.DefaultButton = kStopButton;
  request.EscapeButton = kStopButton;
  request.ButtonTexts = {{kStopButton, QStringLiteral("&Stop")},
                         {kSkipButton, QStringLiteral("S&kip")},
                         {kSkipAllButton, QStringLiteral("Skip &All")}};
  return ShowMessage(owner, request);
}

OverwriteAnswer AskOverwrite(QWidget* owner, const std::string& target) {
  const QMessageBox::StandardButton answer =
      ShowMessage(owner, QMessageBox::Question, QStringLiteral("Confirm"),
                  QString::fromStdString(OverwriteQuestion(target)),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::YesToAll |
                      QMessageBox::NoToAll,
                  QMessageBox::Yes, QMessageBox::Cancel);
  switch (answer) {
    case QMessageBox::Yes: return OverwriteAnswer::Yes;
    case QMessageBox::No: return OverwriteAnswer::No;
    case QMessageBox::YesToAll: return OverwriteAnswer::YesToAll;
    case QMessageBox::NoToAll: return OverwriteAnswer::NoToAll;
    default: return OverwriteAnswer::Cancel;
  }
}

}  // namespace

TBatchSummary TfrmConvert::ConvertFiles(const std::vector<ConversionEntry>& entries, TClock clock) {
  const ConversionSettings settings = Settings();
  TBatchSummary summary;
  summary.OutputFolder = settings.OutputFolder;
  // Owned by the main window; gone before an error is shown.
  TfrmProgress progress(parentWidget(), std::move(clock));
  progress.setWindowTitle(QStringLiteral("Convertion..."));
  progress.SetText(QStringLiteral("The selected files are being converted. Please wait..."));
  progress.show();

  std::string target;  // of the file the batch has reached
  std::optional<TVerification> verification;  // of its written file, read back
  bool skip_all = false;
  bool stopped = false;
  ConversionFeedback feedback;
  feedback.FileReached = [&](const std::string& source, const std::string& to, std::size_t k, std::size_t count) {
    target = to;
    verification.reset();
    progress.SetFile(DisplayPath(source), static_cast<int>(k), static_cast<int>(count));
  };
  feedback.ConfirmOverwrite = [&](const std::string& to) { return AskOverwrite(&progress, to); };
  feedback.ReportProgress = [&](double percent) { progress.ReportProgress(percent); };
  feedback.PollCancelled = [&] { return progress.PollCancelled(); };
  feedback.InputsClipped = [&](const std::string& source) {
    summary.Warnings.push_back({source, "covers inputs beyond 0..1, which \"" + settings.OutputProfile->Caption +
                                            "\" cannot state; the converted file holds what the source does to "
                                            "inputs 0..1 and clips the rest"});
  };
  feedback.OutputsClipped = [&](const std::string& source) {
    summary.Warnings.push_back({source, "has values beyond 0..1, which \"" + settings.OutputProfile->Caption +
                                            "\" cannot hold; the converted file clips them to 0..1"});
  };
  feedback.Warning = [&](const std::string& source, const std::string& warning) {
    summary.Warnings.push_back({source, warning});
  };
  feedback.Verified = [&](const std::string&, const std::string&, const TVerification& v) { verification = v; };
  feedback.FileDone = [&](const std::string& source, TFileOutcome outcome) {
    if (outcome == TFileOutcome::Failed) return;  // recorded with its error below
    summary.Files.push_back({source, target, outcome,
                             outcome == TFileOutcome::Skipped ? "The existing file was kept." : std::string(),
                             verification});
  };
  feedback.FileFailed = [&](const std::string& source, const std::exception& e) {
    const std::string message = ErrorBoxText(e);
    summary.Files.push_back({source, target, TFileOutcome::Failed, message, verification});
    if (skip_all) return true;
    const QMessageBox::StandardButton answer = AskAfterFailure(&progress, source, message);
    skip_all = answer == kSkipAllButton;
    stopped = answer != kSkipButton && answer != kSkipAllButton;
    return !stopped;
  };
  try {
    summary.Cancelled = zelvo::ConvertFiles(settings, entries, feedback) == BatchResult::Cancelled;
  } catch (const std::exception&) {
    // Stop after a file's error ends the batch here: its box was the message.
    if (!stopped) throw;
    summary.Stopped = true;
  }
  progress.hide();
  // The checked files after the last one the batch reached were not converted.
  std::size_t checked = 0;
  for (const ConversionEntry& entry : entries) {
    if (entry.Checked && checked++ >= summary.Files.size()) {
      summary.NotConverted.push_back(JoinPath(entry.Folder, entry.FileName));
    }
  }
  if (summary.HasSomethingToSay()) ShowBatchSummary(parentWidget(), summary);
  return summary;
}

std::optional<TBatchSummary> ShowConversionDialog(QWidget* owner, const std::vector<ConversionEntry>& entries) {
  const std::unique_ptr<TfrmConvert> dialog = std::make_unique<TfrmConvert>(owner);
  if (dialog->exec() != QDialog::Accepted) return std::nullopt;
  return dialog->ConvertFiles(entries);
}

}  // namespace zelvo
