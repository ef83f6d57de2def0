#include "app/ConvertForm.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>
#include <new>

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

void FillBits(QComboBox* box, const std::vector<int>& bits) {
  box->clear();
  box->addItem(QStringLiteral("Default"), -1);
  for (const int b : bits) box->addItem(QString::number(b) + QStringLiteral(" bit"), b);
}

}  // namespace

TfrmConvert::TfrmConvert(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("frmConvert"));
  setWindowTitle(QStringLiteral("Convertion Settings"));

  edtOutFolder = new QLineEdit(this);
  edtOutFolder->setObjectName(QStringLiteral("edtOutFolder"));
  edtOutFolder->setReadOnly(true);
  edtOutFolder->setMinimumWidth(320);
  {
    // Grey like a disabled field: only the picker changes it.
    QPalette grey = edtOutFolder->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Window));
    edtOutFolder->setPalette(grey);
  }
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
  cbxDimSize->setEditable(true);
  cbxDimSize->setInsertPolicy(QComboBox::NoInsert);
  cbxDimSize->lineEdit()->setObjectName(QStringLiteral("edtDimSize"));

  cbxBits = new QComboBox(this);
  cbxBits->setObjectName(QStringLiteral("cbxBits"));

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
  setTabOrder(cbxBits, btnConvert);
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
  FillBits(cbxBits, {8, 10, 12, 14, 16});
  cbxBits->setCurrentIndex(0);
  cbxBits->setEnabled(false);
  btnConvert->setEnabled(false);
  cbxOutFormat->setFocus();
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
    if (profile->BitsSelectable) FillBits(cbxBits, SelectableBits(*profile));
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

void TfrmConvert::ConvertFiles(const std::vector<ConversionEntry>& entries, TClock clock) {
  const ConversionSettings settings = Settings();
  // Owned by the main window; gone before an error is shown.
  TfrmProgress progress(parentWidget(), std::move(clock));
  progress.setWindowTitle(QStringLiteral("Convertion..."));
  progress.SetText(QStringLiteral("The selected files are being converted. Please wait..."));
  progress.show();

  std::string current;  // the file being converted, to name it in an error
  std::vector<std::string> clipped;
  ConversionFeedback feedback;
  feedback.ConfirmOverwrite = [&](const std::string& target) {
    const QMessageBox::StandardButton answer =
        ShowMessage(&progress, QMessageBox::Question, QStringLiteral("Confirm"),
                    QString::fromStdString(OverwriteQuestion(target)),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) return OverwriteAnswer::Yes;
    if (answer == QMessageBox::No) return OverwriteAnswer::No;
    return OverwriteAnswer::Cancel;
  };
  feedback.ReportProgress = [&](double percent) { progress.ReportProgress(percent); };
  feedback.PollCancelled = [&] { return progress.PollCancelled(); };
  feedback.FileStarting = [&](const std::string& source, const std::string&) { current = source; };
  feedback.FileDone = [&](const std::string&, TFileOutcome) { current.clear(); };
  feedback.InputsClipped = [&](const std::string& source) { clipped.push_back(source); };
  std::string outputs_clipped;  // the first source whose values were clipped
  feedback.OutputsClipped = [&](const std::string& source) {
    if (outputs_clipped.empty()) outputs_clipped = source;
  };
  try {
    zelvo::ConvertFiles(settings, entries, feedback);
  } catch (const std::exception& e) {
    // A reader's message does not say which file of the batch it was.
    const auto* z = dynamic_cast<const EZelvoError*>(&e);
    const std::string message = z != nullptr ? z->Described() : std::string(e.what());
    if (current.empty() || dynamic_cast<const std::bad_alloc*>(&e) != nullptr ||
        message.find(current) != std::string::npos) {
      throw;
    }
    throw EZelvoError(current + ": " + message);
  }
  progress.hide();
  if (!clipped.empty()) {
    std::string text = clipped.front();
    if (clipped.size() == 2) text += " and 1 more file";
    if (clipped.size() > 2) text += " and " + std::to_string(clipped.size() - 1) + " more files";
    text += clipped.size() == 1 ? " covers" : " cover";
    text += " inputs beyond 0..1, which \"" + settings.OutputProfile->Caption +
            "\" cannot state; the converted files hold what the sources do to inputs 0..1 and clip the rest.";
    ShowMessage(parentWidget(), QMessageBox::Information, QStringLiteral("Information"), QString::fromStdString(text));
  }
  if (!outputs_clipped.empty()) {
    const std::string text = outputs_clipped + " has values beyond 0..1, which \"" +
                             settings.OutputProfile->Caption + "\" cannot hold; the converted files clip them to 0..1.";
    ShowMessage(parentWidget(), QMessageBox::Information, QStringLiteral("Information"), QString::fromStdString(text));
  }
}

void ShowConversionDialog(QWidget* owner, const std::vector<ConversionEntry>& entries) {
  const std::unique_ptr<TfrmConvert> dialog = std::make_unique<TfrmConvert>(owner);
  if (dialog->exec() != QDialog::Accepted) return;
  dialog->ConvertFiles(entries);
}

}  // namespace zelvo
