// The LUT file picker: one or many existing files, returned with full paths.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace zelvo {

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

  // True when the person confirmed a pick; FileName and Files then hold it.
  bool Execute() override;
};

}  // namespace zelvo
