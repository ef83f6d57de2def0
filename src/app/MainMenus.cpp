// The main window's menu bar and status bar, and the settings it keeps
// between runs when the person asks for it.
#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTreeWidget>
#include <QUrl>

#include "app/AppErrors.h"
#include "app/CompareForm.h"
#include "app/IdentityForm.h"
#include "app/CombineForm.h"
#include "app/MainForm.h"
#include "app/Paths.h"
#include "app/Remembered.h"
#include "app/Settings.h"
#include "app/UserPrompts.h"
#include "registry/Registry.h"

namespace zelvo {

namespace {

QAction* MenuItem(QMenu* menu, const char* name, const QString& text, const QKeySequence& key = {}) {
  QAction* action = menu->addAction(text);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(key);
  return action;
}

// Where the help is: the README installed beside the program, the one of
// the source tree for a program run from its build folder, else the
// program's web page.
QUrl HelpUrl() {
  const QDir program(QCoreApplication::applicationDirPath());
  for (const char* candidate : {"../share/doc/zelvo-lut-converter/README.md", "../../../../README.md"}) {
    const QFileInfo readme(program.filePath(QString::fromLatin1(candidate)));
    if (readme.isFile()) return QUrl::fromLocalFile(readme.canonicalFilePath());
  }
  return QUrl(QStringLiteral("https://zelvo.org/lut-converter/"));
}

// The keys of the settings file.
const QString kRemember = QStringLiteral("Remember");
const QString kGeometry = QStringLiteral("Window/Geometry");
const QString kPaneShown = QStringLiteral("Window/PreviewPane");
const QString kAddFolder = QStringLiteral("Folders/Add");
const QString kOutputFolder = QStringLiteral("Folders/Output");
const QString kPictureFolder = QStringLiteral("Folders/Picture");
const QString kICCFolder = QStringLiteral("Folders/ICC");
const QString kOutputFormat = QStringLiteral("Conversion/OutputFormat");
const QString kSize = QStringLiteral("Conversion/Size");
const QString kBits = QStringLiteral("Conversion/Bits");
const QString kVerify = QStringLiteral("Conversion/Verify");
const QString kPicture = QStringLiteral("Preview/Picture");
const QString kInterpolation = QStringLiteral("Preview/Interpolation");

// A stored folder that is still there, or nothing.
QString ExistingFolder(const QSettings& settings, const QString& key) {
  const QString folder = settings.value(key).toString();
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

}  // namespace

void TfrmMain::CreateMenuBar() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("mnuMain"));
  mnuFile = bar->addMenu(QStringLiteral("&File"));
  miAddFiles = MenuItem(mnuFile, "miAddFiles", QStringLiteral("&Add LUTs..."), QKeySequence(Qt::CTRL | Qt::Key_O));
  miAddFolder = MenuItem(mnuFile, "miAddFolder", QStringLiteral("Add &Folder..."));
  miNewIdentity = MenuItem(mnuFile, "miNewIdentity", QStringLiteral("New &Identity LUT..."));
  miNewIdentity->setToolTip(QStringLiteral("Write the identity LUT in an output format: a picture to grade in a photo editor"));
  mnuFile->addSeparator();
  miConvert = MenuItem(mnuFile, "miConvert", QStringLiteral("&Convert..."), QKeySequence(Qt::CTRL | Qt::Key_Return));
  miConvert->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
  mnuFile->addSeparator();
  miQuit = MenuItem(mnuFile, "miQuit", QStringLiteral("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q));

  // The list's own menu, with its key for Delete.
  mnuEdit = bar->addMenu(QStringLiteral("&Edit"));
  mnuEdit->addActions({miCheckAll, miUncheckAll});
  mnuEdit->addSeparator();
  mnuEdit->addActions({miDelete, miClearList});

  mnuView = bar->addMenu(QStringLiteral("&View"));
  miPreviewPane = MenuItem(mnuView, "miPreviewPane", QStringLiteral("&Preview Pane"));
  miPreviewPane->setCheckable(true);
  miPreviewPane->setChecked(true);
  miCurves = MenuItem(mnuView, "miCurves", QStringLiteral("&Curves"));
  mnuInterpolation = mnuView->addMenu(QStringLiteral("&Interpolation"));
  grpInterpolation = new QActionGroup(this);
  miTrilinear = MenuItem(mnuInterpolation, "miTrilinear", QStringLiteral("&Trilinear"));
  miTetrahedral = MenuItem(mnuInterpolation, "miTetrahedral", QStringLiteral("T&etrahedral"));
  for (QAction* action : {miTrilinear, miTetrahedral}) {
    action->setCheckable(true);
    grpInterpolation->addAction(action);
  }
  miTrilinear->setChecked(true);
  mnuView->addSeparator();
  miRememberSettings = MenuItem(mnuView, "miRememberSettings", QStringLiteral("&Remember Settings"));
  miRememberSettings->setCheckable(true);
  miRememberSettings->setToolTip(QStringLiteral("Keep the window, folders and choices between runs"));

  mnuTools = bar->addMenu(QStringLiteral("&Tools"));
  miICC2LUT = MenuItem(mnuTools, "miICC2LUT", QStringLiteral("&ICC Profile to LUT..."));
  miCompareLUTs = MenuItem(mnuTools, "miCompareLUTs", QStringLiteral("&Compare LUTs..."));
  miCombine = MenuItem(mnuTools, "miCombine", QStringLiteral("C&ombine and Invert..."));

  mnuHelp = bar->addMenu(QStringLiteral("&Help"));
  miContents = MenuItem(mnuHelp, "miContents", QStringLiteral("&Contents"), QKeySequence(Qt::Key_F1));
  miAbout = MenuItem(mnuHelp, "miAbout", QStringLiteral("&About"));

  connect(miAddFiles, &QAction::triggered, this, &TfrmMain::btnAddFilesClick);
  connect(miAddFolder, &QAction::triggered, this, &TfrmMain::miAddFolderClick);
  connect(miNewIdentity, &QAction::triggered, this, &TfrmMain::miNewIdentityClick);
  connect(miConvert, &QAction::triggered, this, &TfrmMain::btnConvertClick);
  connect(miQuit, &QAction::triggered, this, &QWidget::close);
  connect(mnuEdit, &QMenu::aboutToShow, this, &TfrmMain::pmnListPopup);
  connect(miPreviewPane, &QAction::triggered, this, &TfrmMain::btnShowHidePreviewClick);
  connect(miCurves, &QAction::triggered, this, &TfrmMain::ShowCurvesWindow);
  connect(miTrilinear, &QAction::triggered, this, [this] { SetPreviewInterpolation(TInterpolation::Trilinear); });
  connect(miTetrahedral, &QAction::triggered, this, [this] { SetPreviewInterpolation(TInterpolation::Tetrahedral); });
  connect(miRememberSettings, &QAction::triggered, this, &TfrmMain::miRememberSettingsClick);
  connect(miICC2LUT, &QAction::triggered, this, &TfrmMain::btnICC2LUTClick);
  connect(miCompareLUTs, &QAction::triggered, this, &TfrmMain::miCompareLUTsClick);
  connect(miCombine, &QAction::triggered, this, &TfrmMain::miCombineClick);
  connect(miContents, &QAction::triggered, this, &TfrmMain::miContentsClick);
  connect(miAbout, &QAction::triggered, this, &TfrmMain::btnAboutClick);
}

void TfrmMain::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("sbrMain"));
  lblBatchResult = new QLabel(bar);
  lblBatchResult->setObjectName(QStringLiteral("lblBatchResult"));
  lblBatchResult->setTextFormat(Qt::RichText);
  lblBatchResult->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(lblBatchResult, &QLabel::linkActivated, this, [this](const QString& link) {
    if (!Prompts().OpenUrl(this, QUrl(link))) {
      ShowMessage(this, QMessageBox::Information, QStringLiteral("Information"),
                  QStringLiteral("No program of the desktop opens ") + QUrl(link).toDisplayString() + u'.');
    }
  });
  lblListCounts = new QLabel(bar);
  lblListCounts->setObjectName(QStringLiteral("lblListCounts"));
  bar->addWidget(lblBatchResult, 1);
  bar->addPermanentWidget(lblListCounts);
}

void TfrmMain::ShowBatchResult(int converted, const QString& folder) {
  const QString shown = QDir::toNativeSeparators(folder);
  lblBatchResult->setText(QStringLiteral("Converted ") + QString::number(converted) +
                          (converted == 1 ? QStringLiteral(" file into ") : QStringLiteral(" files into ")) +
                          QStringLiteral("<a href=\"") +
                          QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded).toHtmlEscaped() +
                          QStringLiteral("\">") + shown.toHtmlEscaped() + QStringLiteral("</a>"));
  lblBatchResult->setToolTip(QStringLiteral("Open ") + shown + QStringLiteral(" in the file manager"));
}

void TfrmMain::miNewIdentityClick() {
  const std::optional<TIdentityWritten> written = ShowIdentityDialog(this);
  if (!written || !written->AddToList) return;
  // A file written over one of the list's is not listed twice.
  for (int i = 0; i < lvwFiles->topLevelItemCount(); ++i) {
    if (IsSameFile(PathOfRow(*lvwFiles->topLevelItem(i)), written->File)) return;
  }
  AddLocalFiles({TListedFile{written->File, {}, {}}});
}

void TfrmMain::miCombineClick() {
  TListRows rows;
  for (const QTreeWidgetItem* item : lvwFiles->selectedItems()) rows.Selected.push_back(PathOfRow(*item));
  for (int i = 0; i < lvwFiles->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = lvwFiles->topLevelItem(i);
    if (item->checkState(colFileName) == Qt::Checked) rows.Checked.push_back(PathOfRow(*item));
  }
  RunUserAction(this, [&] { ShowCombineDialog(this, UngradedPicture(), PreviewInterpolation(), std::move(rows)); });
}

void TfrmMain::miContentsClick() {
  const QUrl help = HelpUrl();
  if (!Prompts().OpenUrl(this, help)) {
    ShowMessage(this, QMessageBox::Information, QStringLiteral("Information"),
                QStringLiteral("No program of the desktop opens the help, ") + help.toDisplayString() + u'.');
  }
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  StoreSettings();
  // The curves and comparison windows go with the main window: closing it
  // ends the program.
  if (frmCurves_ != nullptr) frmCurves_->close();
  if (frmCompare_ != nullptr) frmCompare_->close();
  QMainWindow::closeEvent(event);
}

void TfrmMain::miCompareLUTsClick() {
  RunUserAction(this, [this] {
    std::vector<std::string> files;
    for (int i = 0; i < lvwFiles->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* row = lvwFiles->topLevelItem(i);
      if (row->checkState(colFileName) == Qt::Checked) files.push_back(PathOfRow(*row));
    }
    if (!PickLUTsToCompare(this, files)) return;
    if (frmCompare_ == nullptr) frmCompare_ = new TfrmCompare(this);
    frmCompare_->show();
    frmCompare_->raise();
    frmCompare_->activateWindow();
    frmCompare_->CompareFiles(files[0], files[1]);
  });
}

void TfrmMain::miRememberSettingsClick(bool on) {
  if (on) {
    if (!RememberedOutputChoice()) RememberedOutputChoice() = TOutputChoice{};
    StoreSettings();
  } else {
    RememberedOutputChoice().reset();
    RemoveSettings();
  }
}

void TfrmMain::RestoreSettings() {
  if (!SettingsRemembered()) return;
  miRememberSettings->setChecked(true);
  const std::unique_ptr<QSettings> settings = OpenSettings();
  // A value that no longer applies leaves its default, without a word.
  restoreGeometry(settings->value(kGeometry).toByteArray());
  if (const QString folder = ExistingFolder(*settings, kAddFolder); !folder.isEmpty()) LastAddFolder() = folder;
  if (const QString folder = ExistingFolder(*settings, kOutputFolder); !folder.isEmpty()) {
    LastOutputFolder() = LocalPath(folder);
  }
  if (const QString folder = ExistingFolder(*settings, kPictureFolder); !folder.isEmpty()) {
    LastPictureFolder() = LocalPath(folder);
  }
  if (const QString folder = ExistingFolder(*settings, kICCFolder); !folder.isEmpty()) LastICCFolder() = LocalPath(folder);

  TOutputChoice choice;
  const std::string caption = settings->value(kOutputFormat).toString().toStdString();
  if (OutputProfileByCaption(caption) != nullptr) {
    choice.Caption = caption;
    choice.SizeText = settings->value(kSize, QStringLiteral("Default")).toString().toStdString();
    bool number = false;
    const int bits = settings->value(kBits).toInt(&number);
    if (number) choice.Bits = bits;
  }
  choice.Verify = settings->value(kVerify, false).toBool();
  RememberedOutputChoice() = choice;

  if (const QString picture = settings->value(kPicture).toString(); !picture.isEmpty()) {
    LoadPictureFile(LocalPath(picture));
  }
  TInterpolation interpolation = TInterpolation::Trilinear;
  if (ParseInterpolation(settings->value(kInterpolation).toString().toStdString(), interpolation)) {
    (interpolation == TInterpolation::Tetrahedral ? miTetrahedral : miTrilinear)->setChecked(true);
  }
  if (!settings->value(kPaneShown, true).toBool()) btnShowHidePreviewClick();
}

void TfrmMain::StoreSettings() const {
  if (!miRememberSettings->isChecked()) return;
  const std::unique_ptr<QSettings> settings = OpenSettings();
  settings->setValue(kRemember, true);
  settings->setValue(kGeometry, saveGeometry());
  settings->setValue(kPaneShown, !pnlPreview->isHidden());
  settings->setValue(kAddFolder, LastAddFolder());
  settings->setValue(kOutputFolder, DisplayPath(LastOutputFolder()));
  settings->setValue(kPictureFolder, DisplayPath(LastPictureFolder()));
  settings->setValue(kICCFolder, DisplayPath(LastICCFolder()));
  const TOutputChoice choice = RememberedOutputChoice().value_or(TOutputChoice{});
  settings->setValue(kOutputFormat, QString::fromStdString(choice.Caption));
  settings->setValue(kSize, QString::fromStdString(choice.SizeText));
  settings->setValue(kBits, choice.Bits);
  settings->setValue(kVerify, choice.Verify);
  settings->setValue(kPicture, DisplayPath(picture_file_));
  settings->setValue(kInterpolation, QString::fromLatin1(InterpolationName(PreviewInterpolation())));
  settings->sync();
}

}  // namespace zelvo
