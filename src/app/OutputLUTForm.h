// What the dialogs that write one LUT file share (the ICC dialog and the
// combine dialog): the output format, the file, its size and depth, Convert
// and Close; the boxes follow the chosen profile, the file's extension
// follows the format, and the size box takes the conversion dialog's keys.
#pragma once

#include <QDialog>

#include "registry/Registry.h"

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace zelvo {

class TfrmOutputLUT : public QDialog {
  Q_OBJECT

 public:
  // The profile of the selected cbxOutFormat item, or nullptr.
  const TLutOutputProfile* SelectedOutputProfile() const;
  // The depth of the selected cbxBits item; -1 for "Default".
  int SelectedBits() const;

  QLabel* Label4 = nullptr;
  QComboBox* cbxOutFormat = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* edtLUTFile = nullptr;
  QPushButton* btnSetLUTFile = nullptr;
  QLabel* Label5 = nullptr;
  QComboBox* cbxDimSize = nullptr;
  QLabel* Label6 = nullptr;
  QComboBox* cbxBits = nullptr;
  QPushButton* btnConvert = nullptr;
  QPushButton* btnCancel = nullptr;

 protected:
  explicit TfrmOutputLUT(QWidget* owner);

  // Makes the controls, at the place in the keyboard's order where the
  // dialog calls it: no format, no file, sizes and depths at "Default",
  // Convert disabled.
  void CreateOutputControls();
  // Lays them out at the end of the dialog's layout and connects them; the
  // key filter goes on every control the dialog has made by then.
  void AddOutputControls(QVBoxLayout& layout);
  // After the format, the file or the size changed.
  virtual void OutputChanged() = 0;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void cbxOutFormatChange();
  void btnSetLUTFileClick();
  // True when the key press is used up here.
  bool cbxDimSizeKeyPress(const QKeyEvent& key);
  void cbxDimSizeKeyDown(const QKeyEvent& key);
};

}  // namespace zelvo
