#include "app/OutputLUTForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/FormParts.h"
#include "app/Paths.h"
#include "app/ProfileBoxes.h"
#include "convert/ICCConversion.h"

namespace zelvo {

TfrmOutputLUT::TfrmOutputLUT(QWidget* owner) : QDialog(owner) {}

void TfrmOutputLUT::CreateOutputControls() {
  Label4 = NamedLabel(this, "Label4", QStringLiteral("Output LUT Format"));
  cbxOutFormat = new QComboBox(this);
  cbxOutFormat->setObjectName(QStringLiteral("cbxOutFormat"));
  Label1 = NamedLabel(this, "Label1", QStringLiteral("Output LUT File"));
  edtLUTFile = PickedPathEdit(this, "edtLUTFile");
  edtLUTFile->setMinimumWidth(360);
  btnSetLUTFile = BrowseButton(this, "btnSetLUTFile", QStringLiteral("Select the destination LUT file name"));
  Label5 = NamedLabel(this, "Label5", QStringLiteral("LUT dimension size"));
  cbxDimSize = new QComboBox(this);
  cbxDimSize->setObjectName(QStringLiteral("cbxDimSize"));
  SetUpSizeBox(*cbxDimSize);
  Label6 = NamedLabel(this, "Label6", QStringLiteral("Bits per color"));
  cbxBits = new QComboBox(this);
  cbxBits->setObjectName(QStringLiteral("cbxBits"));
  btnConvert = new QPushButton(QStringLiteral("Convert"), this);
  btnConvert->setObjectName(QStringLiteral("btnConvert"));
  btnConvert->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Close"), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  btnCancel->setAutoDefault(false);

  for (std::size_t i = 0; i < OutputProfiles().size(); ++i) {
    cbxOutFormat->addItem(QString::fromStdString(OutputProfiles()[i]->Caption), static_cast<int>(i));
  }
  cbxOutFormat->setCurrentIndex(-1);
  edtLUTFile->setEnabled(false);
  btnSetLUTFile->setEnabled(false);
  ResetProfileBoxes(*cbxDimSize, *cbxBits);
  btnConvert->setEnabled(false);
}

void TfrmOutputLUT::AddOutputControls(QVBoxLayout& layout) {
  auto* sizes = new QGridLayout;
  sizes->addWidget(Label5, 0, 0);
  sizes->addWidget(Label6, 0, 1);
  sizes->addWidget(cbxDimSize, 1, 0);
  sizes->addWidget(cbxBits, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnConvert);
  buttons->addWidget(btnCancel);
  layout.addWidget(Label4);
  layout.addWidget(cbxOutFormat);
  layout.addWidget(Label1);
  layout.addLayout(Row({edtLUTFile, btnSetLUTFile}));
  layout.addLayout(sizes);
  layout.addSpacing(6);
  layout.addLayout(buttons);
  layout.setSizeConstraint(QLayout::SetFixedSize);

  connect(cbxOutFormat, &QComboBox::currentIndexChanged, this, &TfrmOutputLUT::cbxOutFormatChange);
  connect(edtLUTFile, &QLineEdit::textChanged, this, &TfrmOutputLUT::OutputChanged);
  connect(cbxDimSize, &QComboBox::currentTextChanged, this, &TfrmOutputLUT::OutputChanged);
  connect(btnSetLUTFile, &QPushButton::clicked, this, &TfrmOutputLUT::btnSetLUTFileClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  // FormKeyDown: the dialog sees key presses before its controls do.
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

const TLutOutputProfile* TfrmOutputLUT::SelectedOutputProfile() const {
  const QVariant index = cbxOutFormat->currentData();
  return index.isValid() ? &OutputProfileByIndex(index.toInt()) : nullptr;
}

int TfrmOutputLUT::SelectedBits() const {
  const QVariant bits = cbxBits->currentData();
  return bits.isValid() ? bits.toInt() : -1;
}

void TfrmOutputLUT::cbxOutFormatChange() {
  if (const TLutOutputProfile* profile = SelectedOutputProfile()) {
    ShowProfileBoxes(*cbxDimSize, *cbxBits, *profile);
    edtLUTFile->setEnabled(true);
    btnSetLUTFile->setEnabled(true);
    if (!edtLUTFile->text().isEmpty()) {
      edtLUTFile->setText(DisplayPath(ICCOutputFileName(LocalPath(edtLUTFile->text()), *profile)));
    }
  }
  OutputChanged();
}

void TfrmOutputLUT::btnSetLUTFileClick() {
  const TLutOutputProfile* profile = SelectedOutputProfile();
  if (profile == nullptr) return;
  if (const QString picked = PickOutputLUTFile(this, *profile); !picked.isEmpty()) edtLUTFile->setText(picked);
}

bool TfrmOutputLUT::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto& key = static_cast<const QKeyEvent&>(*event);
    // FormKeyDown: the Alt key is discarded for the whole dialog.
    if (key.key() == Qt::Key_Alt) return true;
    if (cbxDimSize != nullptr && watched == cbxDimSize->lineEdit()) {
      if (key.key() == Qt::Key_Delete) cbxDimSizeKeyDown(key);
      if (cbxDimSizeKeyPress(key)) return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool TfrmOutputLUT::cbxDimSizeKeyPress(const QKeyEvent& key) { return RefuseSizeKey(*cbxDimSize, key); }

void TfrmOutputLUT::cbxDimSizeKeyDown(const QKeyEvent&) {
  if (cbxDimSize->currentText() == QLatin1String("Default")) cbxDimSize->setEditText(QString());
}

}  // namespace zelvo
