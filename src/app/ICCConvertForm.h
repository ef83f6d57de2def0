// The "ICC Profile to LUT Conversion" dialog: an ICC profile, its transform
// shown on the test picture, and that transform written as a LUT file of an
// output profile. Every rule it follows is the core's (icc/ICCConvert.h).
#pragma once

#include "app/OutputLUTForm.h"
#include "base/TextFile.h"
#include "convert/ICCConversion.h"
#include "image/Bitmap24.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zelvo {

class TImageBox;

class TfrmICCConvert : public TfrmOutputLUT {
  Q_OBJECT

 public:
  // The test picture is the main window's ungraded picture, copied.
  TfrmICCConvert(QWidget* owner, const TBitmap24& test_picture);

  // What the controls say: the hidden second-profile controls and a second
  // profile of "sRGB (Default)" both mean sRGB.
  TICCConvertSettings Settings() const;

  TImageBox* Image1;
  TImageBox* Image2;
  QLabel* Label2;
  QLineEdit* edtSrcProfile;
  QPushButton* btnOpenICCProfile;
  QLabel* lblICCType;
  QLabel* lblSoftProof;
  QLabel* lblSecondProfile;
  QLineEdit* edtSecondProfile;
  QPushButton* btnOpenSecondProfile;
  QCheckBox* cbxInvertTransform;

 protected:
  void OutputChanged() override { edtSrcProfileChange(); }

 private:
  void FormCreate(const TBitmap24& test_picture);
  void btnOpenICCProfileClick();
  void btnOpenSecondProfileClick();
  void cbxInvertTransformClick(bool checked);
  void edtSrcProfileChange();
  void Image1Click();
  void btnConvertClick();
  // The transform of the settings shown on the test picture, or written as
  // the LUT file (replacing a file only when `replace` says so).
  void RunICCTransform(bool preview, TReplace replace = TReplace::KeepExisting);
  // Convert is enabled exactly when the settings can be converted and the
  // profiles were read and give a transform.
  void UpdateConvertButton();
  // Where the LUT of a profile goes: beside it, unless that folder cannot be
  // written; then into the last output folder, or the home folder.
  QString OutputFolderFor(const QString& profile_path) const;
  // The open dialog of both profile buttons; empty when cancelled.
  QString PickICCProfile();
  bool SecondProfileShown() const;
  // The second-profile controls and the invert box, which go together.
  void ShowSecondProfile(bool shown);

  // The last preview of the profiles worked: they were read and give a transform.
  bool transform_ready_ = false;
};

// The toolbar's ICC button: the dialog, modal, at the top-left corner of the
// owner's client area; freed when it closes.
void ShowICCConvertDialog(QWidget* owner, const TBitmap24& test_picture);

}  // namespace zelvo
