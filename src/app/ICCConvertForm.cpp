#include "app/ICCConvertForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <memory>

#include "app/AppErrors.h"
#include "app/FileDlg.h"
#include "app/FormParts.h"
#include "app/ImageBox.h"
#include "app/Paths.h"
#include "app/PictureDlg.h"
#include "app/ProfileBoxes.h"
#include "app/Remembered.h"
#include "app/UserPrompts.h"
#include "convert/ConvertJob.h"
#include "convert/ICCConversion.h"
#include "image/Preview.h"
#include "base/Errors.h"

namespace zelvo {

namespace {

// Texts the dialog shows.
constexpr const char* kSRGBDefaultText = "sRGB (Default)";
constexpr const char* kICCConversionDone = "The conversion was successfully completed.";

const char kICCFilter[] = "ICC Profiles|*.icc;*icm|All Files|*.*";
const char kImage2Hint[] = "The test image with ICC colors transformation";

// A folder a LUT may be written into: one the user can write, and not one of
// the system's data folders (where packages keep their profiles), even for a
// user who could write there.
bool MayWriteInto(const QString& folder) {
  const QFileInfo info(folder);
  if (folder.isEmpty() || !info.isDir() || !info.isWritable()) return false;
  const QString path = info.canonicalFilePath();
  const QString own = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
    const QString system = QFileInfo(data).canonicalFilePath();
    if (data == own || system.isEmpty()) continue;
    if (path == system || path.startsWith(system + QLatin1Char('/'))) return false;
  }
  return true;
}

}  // namespace

TfrmICCConvert::TfrmICCConvert(QWidget* owner, const TBitmap24& test_picture) : TfrmOutputLUT(owner) {
  setObjectName(QStringLiteral("frmICCConvert"));
  setWindowTitle(QStringLiteral("ICC Profile to LUT Conversion"));

  Image1 = new TImageBox(this, kPreviewBoxWidth, kPreviewBoxHeight);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setToolTip(QStringLiteral("The test image, click to load another image"));
  Image1->setCursor(Qt::PointingHandCursor);
  Image2 = new TImageBox(this, kPreviewBoxWidth, kPreviewBoxHeight);
  Image2->setObjectName(QStringLiteral("Image2"));

  Label2 = NamedLabel(this, "Label2", QStringLiteral("ICC Profile File"));
  edtSrcProfile = PickedPathEdit(this, "edtSrcProfile");
  btnOpenICCProfile = BrowseButton(this, "btnOpenICCProfile", QStringLiteral("Select the ICC profile to convert"));
  lblICCType = NamedLabel(this, "lblICCType", QString());
  lblSoftProof = NamedLabel(this, "lblSoftProof", QString());
  lblSecondProfile = NamedLabel(this, "lblSecondProfile", QStringLiteral("Input Color Space"));
  edtSecondProfile = PickedPathEdit(this, "edtSecondProfile");
  btnOpenSecondProfile = BrowseButton(this, "btnOpenSecondProfile", QString());
  cbxInvertTransform = new QCheckBox(QStringLiteral("Invert colors transformation"), this);
  cbxInvertTransform->setObjectName(QStringLiteral("cbxInvertTransform"));
  CreateOutputControls();

  auto* pictures = new QHBoxLayout;
  pictures->addWidget(Image1);
  pictures->addWidget(Image2);
  pictures->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(pictures);
  layout->addSpacing(6);
  layout->addWidget(Label2);
  layout->addLayout(Row({edtSrcProfile, btnOpenICCProfile}));
  layout->addWidget(lblICCType);
  layout->addWidget(lblSoftProof);
  layout->addWidget(lblSecondProfile);
  layout->addLayout(Row({edtSecondProfile, btnOpenSecondProfile}));
  layout->addWidget(cbxInvertTransform);
  AddOutputControls(*layout);

  FormCreate(test_picture);

  connect(btnOpenICCProfile, &QPushButton::clicked, this, &TfrmICCConvert::btnOpenICCProfileClick);
  connect(btnOpenSecondProfile, &QPushButton::clicked, this, &TfrmICCConvert::btnOpenSecondProfileClick);
  connect(cbxInvertTransform, &QCheckBox::toggled, this, &TfrmICCConvert::cbxInvertTransformClick);
  connect(edtSrcProfile, &QLineEdit::textChanged, this, &TfrmICCConvert::edtSrcProfileChange);
  connect(Image1, &TImageBox::clicked, this, &TfrmICCConvert::Image1Click);
  connect(btnConvert, &QPushButton::clicked, this, &TfrmICCConvert::btnConvertClick);
}

void TfrmICCConvert::FormCreate(const TBitmap24& test_picture) {
  lblICCType->clear();
  lblSoftProof->hide();
  edtSrcProfile->clear();
  edtSecondProfile->setText(QString::fromUtf8(kSRGBDefaultText));
  ShowSecondProfile(false);
  Image1->SetPicture(test_picture.Copy());
}

bool TfrmICCConvert::SecondProfileShown() const { return !edtSecondProfile->isHidden(); }

void TfrmICCConvert::ShowSecondProfile(bool shown) {
  for (QWidget* w : std::initializer_list<QWidget*>{lblSecondProfile, edtSecondProfile, btnOpenSecondProfile,
                                                    cbxInvertTransform}) {
    w->setVisible(shown);
  }
}

TICCConvertSettings TfrmICCConvert::Settings() const {
  TICCConvertSettings settings;
  settings.Profile = LocalPath(edtSrcProfile->text());
  if (SecondProfileShown()) {
    if (edtSecondProfile->text() != QString::fromUtf8(kSRGBDefaultText)) {
      settings.SecondProfile = LocalPath(edtSecondProfile->text());
    }
    settings.Invert = cbxInvertTransform->isChecked();
  }
  settings.OutputProfile = SelectedOutputProfile();
  settings.SizeText = cbxDimSize->currentText().toStdString();
  settings.Bits = SelectedBits();
  settings.LUTFile = LocalPath(edtLUTFile->text());
  return settings;
}

QString TfrmICCConvert::PickICCProfile() {
  TFileOpenDialog opdOpenICCProfile(this);
  opdOpenICCProfile.InitialDir = DisplayPath(LastICCFolder());
  opdOpenICCProfile.Filter = QString::fromLatin1(kICCFilter);
  if (!opdOpenICCProfile.Execute()) return QString();
  LastICCFolder() = LocalPath(QFileInfo(opdOpenICCProfile.FileName).absolutePath());
  return opdOpenICCProfile.FileName;
}

void TfrmICCConvert::btnOpenICCProfileClick() {
  RunUserAction(this, [this] {
    const QString path = PickICCProfile();
    if (path.isEmpty()) return;
    // Nothing of the previous profile stays shown, or convertible, when this
    // one cannot be read.
    transform_ready_ = false;
    edtSrcProfile->setText(path);
    {
      const QSignalBlocker quiet(cbxInvertTransform);  // the preview below shows the new profile
      cbxInvertTransform->setChecked(false);
    }
    lblICCType->clear();
    lblSoftProof->hide();
    Image2->Clear();
    ShowSecondProfile(false);
    const TICCProfile profile = OpenICCProfile(LocalPath(path));
    const TICCSignature profile_class = GetICCProfileClass(profile);
    const TICCSignature device_space = GetICCColorSpace(profile);
    lblICCType->setText(QString::fromStdString(ProfileTypeText(profile_class)));
    ShowSecondProfile(TakesSecondProfile(profile_class));
    lblSecondProfile->setText(QString::fromStdString(SecondProfileCaption(profile_class)));
    // A soft proof goes from RGB to the device and back: nothing to invert.
    const bool soft_proof = IsSoftProof(profile_class, device_space);
    lblSoftProof->setText(QString::fromStdString(SoftProofText(device_space)));
    lblSoftProof->setVisible(soft_proof);
    cbxInvertTransform->setEnabled(!soft_proof);
    RunICCTransform(true);
  });
}

void TfrmICCConvert::btnOpenSecondProfileClick() {
  RunUserAction(this, [this] {
    const QString path = PickICCProfile();
    if (path.isEmpty()) return;
    edtSecondProfile->setText(path);
    RunICCTransform(true);
  });
}

void TfrmICCConvert::cbxInvertTransformClick(bool checked) {
  if (!checked) {
    RunUserAction(this, [this] { RunICCTransform(true); });
    return;
  }
  try {
    RunICCTransform(true);
  } catch (const std::exception&) {
    ShowMessage(this, QMessageBox::Warning, QStringLiteral("Warning"), QString::fromUtf8(kInversionImpossible));
    cbxInvertTransform->setChecked(false);  // which previews the normal direction again
  }
}

void TfrmICCConvert::RunICCTransform(bool preview, TReplace replace) {
  const TICCConvertSettings settings = Settings();
  if (!preview) {
    ConvertICCProfile(settings, replace);
    return;
  }
  try {
    Image2->SetPicture(PreviewICCProfile(settings, Image1->Picture()));
  } catch (...) {
    Image2->Clear();  // never the picture of other settings
    transform_ready_ = false;
    UpdateConvertButton();
    throw;
  }
  Image2->setToolTip(QString::fromLatin1(kImage2Hint));
  transform_ready_ = true;
  UpdateConvertButton();
}

void TfrmICCConvert::edtSrcProfileChange() {
  const TLutOutputProfile* profile = SelectedOutputProfile();
  if (edtLUTFile->text().isEmpty() && !edtSrcProfile->text().isEmpty() && profile != nullptr) {
    // The LUT goes beside the profile, under its name (or where it can be written).
    const QString name = QFileInfo(DisplayPath(ICCOutputFileName(LocalPath(edtSrcProfile->text()), *profile))).fileName();
    edtLUTFile->setText(QDir(OutputFolderFor(edtSrcProfile->text())).filePath(name));
  }
  UpdateConvertButton();
}

QString TfrmICCConvert::OutputFolderFor(const QString& profile_path) const {
  const QString beside = QFileInfo(profile_path).absolutePath();
  if (MayWriteInto(beside)) return beside;
  const QString last = DisplayPath(LastOutputFolder());
  if (MayWriteInto(last)) return last;
  return QDir::homePath();
}

void TfrmICCConvert::UpdateConvertButton() {
  btnConvert->setEnabled(transform_ready_ && CanConvertICC(Settings()));
}

void TfrmICCConvert::Image1Click() {
  RunUserAction(this, [this] {
    TPanePicture picture;
    if (!LoadPreviewPicture(this, picture)) return;
    Image1->SetPicture(std::move(picture.Shown));
    if (!edtSrcProfile->text().isEmpty()) RunICCTransform(true);
  });
}

void TfrmICCConvert::btnConvertClick() {
  RunUserAction(this, [this] {
    const TICCConvertSettings settings = Settings();
    // The conversion dialog's rules, before anything is asked or written: a
    // size it would change or cannot build is refused here, to be corrected.
    try {
      CheckICCOutputSettings(settings);
    } catch (const EZelvoError&) {
      if (cbxDimSize->isEnabled()) cbxDimSize->setFocus();
      throw;
    }
    // Writing the LUT over the profile it is made from would lose the profile.
    for (const std::string& profile : {settings.Profile, settings.SecondProfile}) {
      if (!profile.empty() && IsSameFile(settings.LUTFile, profile)) {
        throw EZelvoError("The LUT file \"" + settings.LUTFile + "\" is an ICC profile of this conversion.");
      }
    }
    const std::optional<TReplace> replace = AskReplaceLUTFile(this, edtLUTFile->text());
    if (!replace) return;
    RunICCTransform(false, *replace);
    ShowMessage(this, QMessageBox::Information, QStringLiteral("Information"), QString::fromUtf8(kICCConversionDone));
  });
}

void ShowICCConvertDialog(QWidget* owner, const TBitmap24& test_picture) {
  const auto dialog = std::make_unique<TfrmICCConvert>(owner, test_picture);
  if (owner != nullptr) dialog->move(owner->mapToGlobal(QPoint(0, 0)));
  dialog->exec();
}

}  // namespace zelvo
