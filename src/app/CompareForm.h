// The "Compare LUTs" window (Tools > Compare LUTs...): two LUT files compared
// as the command line's diff compares them, the report beside the curves of
// both. The choices of the comparison (how colours are taken, the grid, the
// depth of the code steps) are the command line's, and a change of one
// compares the LUTs read again at once.
#pragma once

#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "lut/Compare.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QSpinBox;

namespace zelvo {

class TfrmCurves;

class TfrmCompare : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmCompare(QWidget* owner = nullptr);

  // How the colour difference takes the values (sRGB, linear light, none).
  QComboBox* cbxSpace;
  QSpinBox* spnGrid;
  QSpinBox* spnDepth;
  // The sentence that says how the colour difference takes the values.
  QLabel* lblAssumption;
  // The report, or why the files cannot be compared.
  QPlainTextEdit* mmReport;
  TfrmCurves* frmCurves;

  // Reads both files (full paths as the file system names them) and compares
  // them with the choices shown. A file that cannot be read, or two LUTs that
  // cannot be compared, are said so in mmReport; what could be read is drawn.
  void CompareFiles(const std::string& file_a, const std::string& file_b);
  // The options the choices give.
  TCompareOptions Options() const;
  // The report shown; nullptr when the files could not be compared.
  const TCompareReport* Report() const { return report_ ? &*report_ : nullptr; }

 private:
  struct TSide {
    std::string Path;
    TLUT LUT;
    // Why the file cannot be compared; empty once it is read.
    std::string Error;
  };

  void Compare();

  TSide a_, b_;
  std::optional<TCompareReport> report_;
};

// The two files Tools > Compare LUTs... compares: the rows checked in the
// list when there are exactly two, otherwise those the person picks (two at
// once, or one and then the other). False when the person cancelled or
// picked more than two (a box says so).
bool PickLUTsToCompare(QWidget* owner, std::vector<std::string>& files);

}  // namespace zelvo
