// The file pickers: one or many existing files, returned with full paths,
// and the name of a file to write.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace zelvo {

// The filter of the pickers that add LUT files.
inline constexpr char kLUTFilter[] =
    "LUT Files|*.cube;*.lut;*.m3d;*.3dl;*.txt;*.cms;*.mga;*.xml;*.3dmesh;*.dat;*.alut;*.ilut;*.olut;*.1dlut;*.look;"
    "*.cc;*.pfl;*.clf;*.ctf;*.csp;*.spi1d;*.spi3d;*.spimtx;*.vf;*.itx;*.ccc;*.cdl;*.icc;*.icm;*.pf|All Files|*.*";

class TFileCommonDialog {
 public:
  explicit TFileCommonDialog(QWidget* owner) : Owner(owner) {}
  virtual ~TFileCommonDialog() = default;

  QWidget* Owner;         // the window the picker is modal to
  QString InitialDir;     // used when not empty
  QString Title;          // used when not empty
  QString FileName;       // after a pick: the first picked file's full path
  // Description and pattern pairs separated by "|", patterns within a pair by
  // ";": "LUT Files|*.cube;*.lut|All Files|*.*".
  QString Filter;
  int FilterIndex = 0;    // the pair selected first

  virtual bool Execute() = 0;

  // The filter pairs in the toolkit's form, "LUT Files (*.cube *.lut)". A
  // pattern of every file ("*.*") lists names without a dot too.
  static QStringList NameFiltersOf(const QString& filter);
};

class TFileOpenDialog : public TFileCommonDialog {
 public:
  using TFileCommonDialog::TFileCommonDialog;

  QStringList Files;  // after a pick: every picked file's full path
  bool MultiSelect = false;
  // When set, the picker shows what this gives for the highlighted file.
  std::function<QImage(const QString& path)> Preview;

  // True when the person confirmed a pick; FileName and Files then hold it.
  bool Execute() override;
};

class TFileSaveDialog : public TFileCommonDialog {
 public:
  using TFileCommonDialog::TFileCommonDialog;

  QString DefaultExt;  // without the dot; added to a name typed without one

  // True when the person confirmed a name; FileName then holds its full path.
  bool Execute() override;
};

}  // namespace zelvo
