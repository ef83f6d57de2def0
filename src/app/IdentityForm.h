// The "New Identity LUT" dialog (File menu): the identity LUT written in an
// output profile at a size and depth, to a file the person names. A picture
// of it, graded in a photo editor and converted back, gives the grade as a
// LUT. Every rule it follows is the core's (convert/IdentityLUT.h).
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "convert/ConvertJob.h"

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zelvo {

class TfrmIdentity : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmIdentity(QWidget* owner);

  // The profile of the selected cbxOutFormat item, or nullptr.
  const TLutOutputProfile* SelectedOutputProfile() const;
  // The settings the controls show.
  ConversionSettings Settings() const;
  // The file written, once Create has written it.
  const std::string& WrittenFile() const { return written_; }
  bool AddToList() const;

  QLabel* lblOutFormat;
  QComboBox* cbxOutFormat;
  QLabel* lblDimSize;
  QComboBox* cbxDimSize;
  QLabel* lblSizes;
  QLabel* lblBits;
  QComboBox* cbxBits;
  QLabel* lblLUTFile;
  QLineEdit* edtLUTFile;
  QPushButton* btnSetLUTFile;
  QCheckBox* cbxAddToList;
  QPushButton* btnCreate;
  QPushButton* btnCancel;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void cbxOutFormatChange();
  void btnSetLUTFileClick();
  void btnCreateClick();
  void UpdateCreateButton();

  std::string written_;
  // The profile whose extension the file name has.
  const TLutOutputProfile* named_as_ = nullptr;
};

// The File menu's item: the dialog, modal; the file it wrote and whether the
// person asked for it in the list, or nothing when it was cancelled.
struct TIdentityWritten {
  std::string File;
  bool AddToList = false;
};
std::optional<TIdentityWritten> ShowIdentityDialog(QWidget* owner);

}  // namespace zelvo
