// The About box: the application icon, the product name, the version of this
// build and where to reach the project.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace zelvo {

class TfrmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmAbout(QWidget* owner);

  QLabel* imgIcon;
  QLabel* lblProduct;
  QLabel* lblVersion;
  QLabel* lblContact;
  QPushButton* btnClose;
};

// "Version 0.1.0": the version line of the About box.
QString VersionLine();

}  // namespace zelvo
