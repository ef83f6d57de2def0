#include "app/AboutForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "base/Version.h"
#include "app/AppErrors.h"
#include "app/Icons.h"

namespace zelvo {

QString VersionLine() { return QStringLiteral("Version ") + QString::fromLatin1(ZelvoVersion()); }

TfrmAbout::TfrmAbout(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("About"));
  setModal(true);

  imgIcon = new QLabel(this);
  imgIcon->setObjectName(QStringLiteral("imgIcon"));
  imgIcon->setPixmap(ZelvoIcon(QStringLiteral("zelvo-lut-converter")).pixmap(64, 64));
  lblProduct = new QLabel(QString::fromUtf8(kApplicationTitle), this);
  lblProduct->setObjectName(QStringLiteral("lblProduct"));
  QFont big = lblProduct->font();
  big.setPointSizeF(big.pointSizeF() * 1.5);
  big.setBold(true);
  lblProduct->setFont(big);
  lblVersion = new QLabel(VersionLine(), this);
  lblVersion->setObjectName(QStringLiteral("lblVersion"));
  lblContact = new QLabel(
      QStringLiteral("Converts colour look-up tables between the file formats of\n"
                     "grading systems, compositing tools and on-set devices.\n\n"
                     "Questions, problems and wishes for new formats:\n"
                     "the Zelvo LUT Converter issue tracker."),
      this);
  lblContact->setObjectName(QStringLiteral("lblContact"));
  btnClose = new QPushButton(QStringLiteral("Close"), this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  btnClose->setDefault(true);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->addWidget(imgIcon, 0, 0, 3, 1, Qt::AlignTop);
  grid->addWidget(lblProduct, 0, 1);
  grid->addWidget(lblVersion, 1, 1);
  grid->addWidget(lblContact, 2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnClose);
  grid->addLayout(buttons, 3, 0, 1, 2);
  grid->setHorizontalSpacing(16);
  grid->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace zelvo
