// The "Convertion Settings" dialog: output folder, output profile, size and
// bit depth of a batch, and whether its written files are verified; on
// Convert it runs the batch job with the progress dialog and the overwrite
// question.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <optional>
#include <vector>

#include "app/BatchSummary.h"
#include "app/ProgressDlg.h"
#include "convert/ConvertJob.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QKeyEvent;
class QPushButton;

namespace zelvo {

// The buttons of the box that shows a file's error during a batch, under
// their own captions: Stop ends the batch (the default, also Esc), Skip goes
// on with the next file, Skip All goes on without asking again.
inline constexpr QMessageBox::StandardButton kStopButton = QMessageBox::Abort;
inline constexpr QMessageBox::StandardButton kSkipButton = QMessageBox::Ignore;
inline constexpr QMessageBox::StandardButton kSkipAllButton = QMessageBox::NoToAll;

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
  // question, error box, the job; then the summary window when there is
  // something to say. Returns what the batch did. An error outside any one
  // file (settings the job refuses) passes to the caller once the progress
  // dialog is gone. `clock` is the progress dialog's.
  TBatchSummary ConvertFiles(const std::vector<ConversionEntry>& entries, TClock clock = SteadyClock());

  QLabel* lblOutFolder;
  QLineEdit* edtOutFolder;
  QPushButton* btnSelectFolder;
  QLabel* lblOutFormat;
  QComboBox* cbxOutFormat;
  QLabel* lblDimSize;
  QComboBox* cbxDimSize;
  QLabel* lblBits;
  QComboBox* cbxBits;
  QCheckBox* chkVerify;
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
// over the entries, and what it did (nothing when the dialog was cancelled).
// The dialog is freed in every case.
std::optional<TBatchSummary> ShowConversionDialog(QWidget* owner, const std::vector<ConversionEntry>& entries);

}  // namespace zelvo
