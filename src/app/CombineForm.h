// The "Combine and Invert" dialog: a chain of LUT files (each as it is or
// inverted) and ASC CDL grades, shown on the test picture while it is
// edited, and written as one LUT file of an output profile. The steps and
// what stands in their way are CombineSteps.h's; every rule is the core's.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/CombineSteps.h"
#include "app/OutputLUTForm.h"
#include "image/Bitmap24.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace zelvo {

class TImageBox;

// The columns of lvwSteps.
enum TStepColumn { colStepNumber = 0, colStep = 1, colInvert = 2 };

// The main window's rows the dialog adds from: full paths as the file
// system names them.
struct TListRows {
  std::vector<std::string> Selected;
  std::vector<std::string> Checked;
};

class TfrmCombine : public TfrmOutputLUT {
  Q_OBJECT

 public:
  // The test picture is the main window's ungraded picture, copied; the
  // LUTs' 3D tables are read with `interpolation`, as the pane shows them.
  TfrmCombine(QWidget* owner, const TBitmap24& test_picture, TInterpolation interpolation, TListRows rows);

  // What the output controls say.
  ConversionSettings Settings() const;
  const TCombineSteps& Steps() const { return steps_; }

  TImageBox* Image1;
  TImageBox* Image2;
  QLabel* lblSteps;
  QTreeWidget* lvwSteps;
  QPushButton* btnAddSelected;
  QPushButton* btnAddChecked;
  QPushButton* btnAddFiles;
  QPushButton* btnAddCDL;
  QPushButton* btnMoveUp;
  QPushButton* btnMoveDown;
  QPushButton* btnRemove;
  // The numbers of the selected grade (enabled while one is selected), in
  // the order of TCDLNumber.
  QGroupBox* grpCDL;
  std::array<QLineEdit*, kCDLNumbers> edtCDL{};
  // What stands in the way of Convert, a line each.
  QLabel* lblProblems;

 protected:
  void OutputChanged() override { UpdateConvertButton(); }

 private:
  void FormCreate(const TBitmap24& test_picture);
  void btnAddSelectedClick();
  void btnAddCheckedClick();
  void btnAddFilesClick();
  void btnAddCDLClick();
  void btnMoveUpClick();
  void btnMoveDownClick();
  void btnRemoveClick();
  void lvwStepsChange(QTreeWidgetItem* item, int column);
  void edtCDLChange(std::size_t number, const QString& text);
  void Image1Click();
  void btnConvertClick();
  void AddFiles(const std::vector<std::string>& paths);
  // The list, the grade's numbers, the problems, the preview and the
  // buttons after a change of the steps; `selected` is the row to select.
  void ShowSteps(int selected);
  // The selected row, or -1.
  int SelectedStep() const;
  // The buttons that depend on the selection, and the grade's numbers.
  void ShowSelection();
  // Convert is enabled exactly when the chain is valid and a format and a
  // file are set.
  void UpdateConvertButton();

  TCombineSteps steps_;
  TListRows rows_;
};

// Tools > Combine and Invert: the dialog, modal, at the top-left corner of
// the owner's client area; freed when it closes.
void ShowCombineDialog(QWidget* owner, const TBitmap24& test_picture, TInterpolation interpolation, TListRows rows);

}  // namespace zelvo
