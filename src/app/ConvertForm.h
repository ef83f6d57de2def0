// The "Convertion Settings" dialog: output folder, output profile, size and
// bit depth of a batch; on Convert it runs the batch job with the progress
// dialog and the overwrite question.
#pragma once

#include <QDialog>
#include <vector>

#include "app/ProgressDlg.h"
#include "convert/ConvertJob.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QKeyEvent;
class QPushButton;

namespace zelvo {

class TfrmConvert : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmConvert(QWidget* owner);

  // The profile of the selected cbxOutFormat item, or nullptr.
  const TLutOutputProfile* SelectedOutputProfile() const;
  // The depth of the selected cbxBits item; -1 for "Default".
  int SelectedBits() const;
  // The settings the controls show.
  ConversionSettings Settings() const;

  // The batch over the entries with these settings: progress dialog, overwrite
  // question, the job. Errors pass to the caller once the progress dialog is
  // gone. `clock` is the progress dialog's.
  void ConvertFiles(const std::vector<ConversionEntry>& entries, TClock clock = SteadyClock());

  QLabel* lblOutFolder;
  QLineEdit* edtOutFolder;
  QPushButton* btnSelectFolder;
  QLabel* lblOutFormat;
  QComboBox* cbxOutFormat;
  QLabel* lblDimSize;
  QComboBox* cbxDimSize;
  QLabel* lblBits;
  QComboBox* cbxBits;
  QPushButton* btnConvert;
  QPushButton* btnCancel;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void edtOutFolderChange();
  void cbxOutFormatChange();
  void btnSelectFolderClick();
  void btnConvertClick();
  // True when the key press is used up here.
  bool cbxDimSizeKeyPress(const QKeyEvent& key);
  void cbxDimSizeKeyDown(const QKeyEvent& key);
};

// The main window's Convert button: the dialog, modal; on Convert the batch
// over the entries. The dialog is freed in every case.
void ShowConversionDialog(QWidget* owner, const std::vector<ConversionEntry>& entries);

}  // namespace zelvo
