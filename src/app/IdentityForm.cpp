#include "app/IdentityForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>
#include <optional>

#include "app/AppErrors.h"
#include "app/FormParts.h"
#include "app/Paths.h"
#include "app/ProfileBoxes.h"
#include "app/WaitCursor.h"
#include "convert/IdentityLUT.h"

namespace zelvo {

namespace {

// The name with the extension of `from` (where it has it) replaced by that of `to`.
QString WithExtensionOf(const QString& name, const TLutOutputProfile* from, const TLutOutputProfile& to) {
  QString stem = name;
  const QString old_suffix = from != nullptr ? u'.' + QString::fromStdString(from->Extension) : QString();
  if (!old_suffix.isEmpty() && stem.endsWith(old_suffix, Qt::CaseInsensitive)) {
    stem.chop(old_suffix.size());
  } else if (const QFileInfo info(name); !info.suffix().isEmpty()) {
    stem.chop(info.suffix().size() + 1);
  }
  return stem + u'.' + QString::fromStdString(to.Extension);
}

}  // namespace

TfrmIdentity::TfrmIdentity(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("frmIdentity"));
  setWindowTitle(QStringLiteral("New Identity LUT"));

  cbxOutFormat = new QComboBox(this);
  cbxOutFormat->setObjectName(QStringLiteral("cbxOutFormat"));
  cbxDimSize = new QComboBox(this);
  cbxDimSize->setObjectName(QStringLiteral("cbxDimSize"));
  SetUpSizeBox(*cbxDimSize);
  lblSizes = new QLabel(this);
  lblSizes->setObjectName(QStringLiteral("lblSizes"));
  cbxBits = new QComboBox(this);
  cbxBits->setObjectName(QStringLiteral("cbxBits"));
  edtLUTFile = new QLineEdit(this);
  edtLUTFile->setObjectName(QStringLiteral("edtLUTFile"));
  ShowAsReadOnly(*edtLUTFile);  // only the picker fills it
  edtLUTFile->setMinimumWidth(320);
  btnSetLUTFile = new QPushButton(QStringLiteral("..."), this);
  btnSetLUTFile->setObjectName(QStringLiteral("btnSetLUTFile"));
  btnSetLUTFile->setToolTip(QStringLiteral("Select the identity LUT file name"));
  btnSetLUTFile->setAutoDefault(false);
  btnSetLUTFile->setFixedWidth(32);
  cbxAddToList = new QCheckBox(QStringLiteral("Add the LUT to the list"), this);
  cbxAddToList->setObjectName(QStringLiteral("cbxAddToList"));
  cbxAddToList->setChecked(true);
  btnCreate = new QPushButton(QStringLiteral("Create"), this);
  btnCreate->setObjectName(QStringLiteral("btnCreate"));
  btnCreate->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  btnCancel->setAutoDefault(false);

  lblOutFormat = new QLabel(QStringLiteral("Output Format"), this);
  lblDimSize = new QLabel(QStringLiteral("Dimension size"), this);
  lblBits = new QLabel(QStringLiteral("Bits per color"), this);
  lblLUTFile = new QLabel(QStringLiteral("Output LUT File"), this);

  auto* file_row = new QHBoxLayout;
  file_row->addWidget(edtLUTFile);
  file_row->addWidget(btnSetLUTFile);
  auto* form = new QFormLayout;
  form->addRow(lblOutFormat, cbxOutFormat);
  form->addRow(lblDimSize, cbxDimSize);
  form->addRow(QString(), lblSizes);
  form->addRow(lblBits, cbxBits);
  form->addRow(lblLUTFile, file_row);
  form->addRow(QString(), cbxAddToList);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnCreate);
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  for (std::size_t i = 0; i < OutputProfiles().size(); ++i) {
    cbxOutFormat->addItem(QString::fromStdString(OutputProfiles()[i]->Caption), static_cast<int>(i));
  }
  // A picture to grade is what an identity is most often made for.
  cbxOutFormat->setCurrentIndex(static_cast<int>(TOutputProfileId::HaldPng));
  cbxOutFormatChange();

  connect(cbxOutFormat, &QComboBox::currentIndexChanged, this, &TfrmIdentity::cbxOutFormatChange);
  connect(btnSetLUTFile, &QPushButton::clicked, this, &TfrmIdentity::btnSetLUTFileClick);
  connect(edtLUTFile, &QLineEdit::textChanged, this, &TfrmIdentity::UpdateCreateButton);
  connect(btnCreate, &QPushButton::clicked, this, &TfrmIdentity::btnCreateClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  cbxDimSize->lineEdit()->installEventFilter(this);
}

const TLutOutputProfile* TfrmIdentity::SelectedOutputProfile() const {
  const QVariant index = cbxOutFormat->currentData();
  return index.isValid() ? &OutputProfileByIndex(index.toInt()) : nullptr;
}

ConversionSettings TfrmIdentity::Settings() const {
  ConversionSettings settings;
  settings.OutputProfile = SelectedOutputProfile();
  settings.SizeText = cbxDimSize->currentText().toStdString();
  const QVariant bits = cbxBits->currentData();
  settings.Bits = bits.isValid() ? bits.toInt() : -1;
  return settings;
}

bool TfrmIdentity::AddToList() const { return cbxAddToList->isChecked(); }

void TfrmIdentity::cbxOutFormatChange() {
  const TLutOutputProfile* profile = SelectedOutputProfile();
  if (profile == nullptr) return;
  ShowProfileBoxes(*cbxDimSize, *cbxBits, *profile);
  const std::string unit = profile->Is3D ? " points" : " entries";
  lblSizes->setText(QString::fromStdString(
      (profile->SizeSelectable ? SelectableSizesText(*profile) + unit + "; default " : std::string("Fixed: ")) +
      std::to_string(profile->DefaultSize) + (profile->SizeSelectable ? "" : unit)));
  if (!edtLUTFile->text().isEmpty()) edtLUTFile->setText(WithExtensionOf(edtLUTFile->text(), named_as_, *profile));
  named_as_ = profile;
  UpdateCreateButton();
}

void TfrmIdentity::UpdateCreateButton() {
  btnCreate->setEnabled(SelectedOutputProfile() != nullptr && !edtLUTFile->text().isEmpty());
}

void TfrmIdentity::btnSetLUTFileClick() {
  const TLutOutputProfile* profile = SelectedOutputProfile();
  if (profile == nullptr) return;
  const QString file = PickOutputLUTFile(this, *profile);
  if (!file.isEmpty()) edtLUTFile->setText(file);
}

void TfrmIdentity::btnCreateClick() {
  RunUserAction(this, [this] {
    const std::string file = LocalPath(edtLUTFile->text());
    const std::optional<TReplace> replace = AskReplaceLUTFile(this, edtLUTFile->text());
    if (!replace) return;
    try {
      const TWaitCursor hourglass;
      NamingFile(file, [&] { WriteIdentityLUT(Settings(), file, *replace); });
    } catch (...) {
      // The dialog stays open for another size, depth or file.
      if (cbxDimSize->isEnabled()) cbxDimSize->setFocus();
      throw;
    }
    written_ = file;
    accept();
  });
}

bool TfrmIdentity::eventFilter(QObject* watched, QEvent* event) {
  if (watched == cbxDimSize->lineEdit() && event->type() == QEvent::KeyPress) {
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (key.key() == Qt::Key_Delete && cbxDimSize->currentText() == QLatin1String("Default")) {
      cbxDimSize->setEditText(QString());
    }
    if (RefuseSizeKey(*cbxDimSize, key)) return true;
  }
  return QDialog::eventFilter(watched, event);
}

std::optional<TIdentityWritten> ShowIdentityDialog(QWidget* owner) {
  const auto dialog = std::make_unique<TfrmIdentity>(owner);
  if (dialog->exec() != QDialog::Accepted) return std::nullopt;
  return TIdentityWritten{dialog->WrittenFile(), dialog->AddToList()};
}

}  // namespace zelvo
