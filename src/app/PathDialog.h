// The folder picker: only folders can be confirmed.
#pragma once

#include <QString>

class QWidget;

namespace zelvo {

class TPathDialog {
 public:
  explicit TPathDialog(QWidget* owner) : owner_(owner) {}

  QString Title;  // the text above the folders

  // The folder shown first and, after Execute returns true, the one picked.
  // A trailing separator is dropped (but for the root); an empty value means
  // the process's current folder.
  const QString& Directory() const { return directory_; }
  void SetDirectory(const QString& directory);

  // True when the person confirmed a folder, which is then in Directory.
  bool Execute();

 private:
  QWidget* owner_;
  QString directory_;
};

}  // namespace zelvo
