#include "app/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "app/AboutForm.h"
#include "app/AppErrors.h"
#include "app/ConvertForm.h"
#include "app/FileDlg.h"
#include "app/ICCConvertForm.h"
#include "app/Icons.h"
#include "app/ImageBox.h"
#include "app/Paths.h"
#include "app/PictureDlg.h"
#include "app/UserPrompts.h"
#include "registry/Registry.h"
#include "image/PictureFile.h"
#include "image/Preview.h"
#include "convert/PreviewFile.h"

namespace zelvo {

namespace {

// The row's detected format (an identity), or None for an unknown file.
constexpr int kFormatRole = Qt::UserRole;
// The folder as the file system names it (the column shows it natively).
constexpr int kFolderRole = Qt::UserRole + 1;

const char kLUTFilter[] =
    "LUT Files|*.cube;*.lut;*.m3d;*.3dl;*.txt;*.cms;*.mga;*.xml;*.3dmesh;*.dat;*.alut;*.ilut;*.olut;*.1dlut;*.look;"
    "*.cc;*.pfl;*.clf;*.ctf;*.csp;*.spi1d;*.spi3d;*.spimtx;*.vf;*.itx;*.ccc;*.cdl;*.icc;*.icm;*.pf|All Files|*.*";

TLUTFormatId FormatOfRow(const QTreeWidgetItem* item) {
  const QVariant format = item->data(colFileName, kFormatRole);
  return format.isValid() ? static_cast<TLUTFormatId>(format.toInt()) : TLUTFormatId::None;
}

void SortByPathIgnoringCase(QStringList& paths) {
  std::stable_sort(paths.begin(), paths.end(),
                   [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
}

QToolButton* ToolButton(QWidget* parent, const char* name, const QString& icon, const QString& hint) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setIcon(ZelvoIcon(icon));
  button->setIconSize(QSize(24, 24));
  button->setToolTip(hint);
  button->setAutoRaise(true);
  return button;
}

QToolButton* TextButton(QWidget* parent, const char* name, const QString& text, const QString& icon) {
  QToolButton* button = ToolButton(parent, name, icon, QString());
  button->setText(text);
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  QFont bold(QStringLiteral("Arial"));
  bold.setPixelSize(12);
  bold.setBold(true);
  button->setFont(bold);
  return button;
}

QLabel* PaneLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

// The hourglass while the pane reads and applies a LUT, also when it fails.
class TWaitCursor {
 public:
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// The picture the pane starts with, drawn at build time and stored with the
// program; decoded and fitted once per run.
const TBitmap24& DefaultPreviewPicture() {
  static const TBitmap24 picture = [] {
    QFile file(QStringLiteral(":/pictures/TestPicture.jpg"));
    if (!file.open(QIODevice::ReadOnly)) return TBitmap24();
    const QByteArray bytes = file.readAll();
    return FitPreviewBitmap(LoadPictureFromMemory(std::string_view(bytes.constData(), bytes.size())));
  }();
  return picture;
}

}  // namespace

QString& LastAddFolder() {
  static QString folder;
  return folder;
}

QStringList LocalPathsOf(const QMimeData& data) {
  QStringList paths;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) paths.push_back(url.toLocalFile());
  }
  return paths;
}

TfrmMain::TfrmMain() {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QString::fromUtf8(kApplicationTitle));
  resize(881, 640);
  setMinimumSize(400, 200);

  CreateToolBar();
  CreateList();
  CreatePopupMenu();
  CreatePreviewPane();

  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(lvwFiles, 1);
  layout->addWidget(pnlPreview);
  setCentralWidget(central);

  ConnectToolBar();
  ConnectList();
  FormCreate();
}

void TfrmMain::CreateToolBar() {
  Panel2 = new QToolBar(this);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  Panel2->setMovable(false);
  Panel2->setFloatable(false);
  Panel2->setContextMenuPolicy(Qt::PreventContextMenu);
  Panel2->setStyleSheet(QStringLiteral("QToolBar#Panel2 { border: none; border-bottom: 1px solid #a0a0a0; spacing: 4px; }"));
  Panel2->setMinimumHeight(34);
  addToolBar(Qt::TopToolBarArea, Panel2);

  btnAddFiles = TextButton(Panel2, "btnAddFiles", QStringLiteral("Add LUTs"), QStringLiteral("add-luts"));
  btnConvert = TextButton(Panel2, "btnConvert", QStringLiteral("Convert"), QStringLiteral("convert"));
  btnConvert->setToolTip(QStringLiteral("Convert the selected LUT files"));
  btnICC2LUT = ToolButton(Panel2, "btnICC2LUT", QStringLiteral("icc-to-lut"),
                          QStringLiteral("Convert ICC profile to LUT file"));
  Panel2->addWidget(btnAddFiles);
  Panel2->addWidget(btnConvert);
  Panel2->addSeparator();
  Panel2->addWidget(btnICC2LUT);

  auto* spacer = new QWidget(Panel2);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  Panel2->addWidget(spacer);
  Panel3 = new QWidget(Panel2);
  Panel3->setObjectName(QStringLiteral("Panel3"));
  btnShowHidePreview = ToolButton(Panel3, "btnShowHidePreview", QStringLiteral("preview-pane"),
                                  QStringLiteral("Show/Hide the preview pane"));
  btnLoadPreviewImage = ToolButton(Panel3, "btnLoadPreviewImage", QStringLiteral("load-picture"),
                                   QStringLiteral("Load a preview image"));
  btnAbout = ToolButton(Panel3, "btnAbout", QStringLiteral("about"), QStringLiteral("About"));
  auto* panel3_layout = new QHBoxLayout(Panel3);
  panel3_layout->setContentsMargins(0, 0, 0, 0);
  panel3_layout->setSpacing(2);
  panel3_layout->addWidget(btnShowHidePreview);
  panel3_layout->addWidget(btnLoadPreviewImage);
  panel3_layout->addWidget(btnAbout);
  Panel2->addWidget(Panel3);
}

void TfrmMain::CreateList() {
  lvwFiles = new QTreeWidget(this);
  lvwFiles->setObjectName(QStringLiteral("lvwFiles"));
  lvwFiles->setColumnCount(3);
  lvwFiles->setHeaderLabels({QStringLiteral("File Name"), QStringLiteral("Format"), QStringLiteral("Folder")});
  lvwFiles->setColumnWidth(colFileName, 250);
  lvwFiles->setColumnWidth(colFormat, 200);
  lvwFiles->setColumnWidth(colFolder, 150);
  lvwFiles->header()->setSectionsClickable(false);
  lvwFiles->setRootIsDecorated(false);
  lvwFiles->setItemsExpandable(false);
  lvwFiles->setUniformRowHeights(true);
  lvwFiles->setAllColumnsShowFocus(true);
  lvwFiles->setSelectionMode(QAbstractItemView::SingleSelection);
  lvwFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvwFiles->setFrameShape(QFrame::NoFrame);
  lvwFiles->setContextMenuPolicy(Qt::CustomContextMenu);
  lvwFiles->viewport()->setAcceptDrops(true);
  lvwFiles->viewport()->installEventFilter(this);
}

void TfrmMain::CreatePopupMenu() {
  pmnList = new QMenu(this);
  pmnList->setObjectName(QStringLiteral("pmnList"));
  miCheckAll = pmnList->addAction(QStringLiteral("Check All"));
  miCheckAll->setObjectName(QStringLiteral("miCheckAll"));
  miUncheckAll = pmnList->addAction(QStringLiteral("Uncheck All"));
  miUncheckAll->setObjectName(QStringLiteral("miUncheckAll"));
  pmnList->addSeparator();
  miDelete = pmnList->addAction(QStringLiteral("Delete"));
  miDelete->setObjectName(QStringLiteral("miDelete"));
  miDelete->setShortcut(QKeySequence(Qt::Key_Delete));
  miDelete->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  lvwFiles->addAction(miDelete);  // Del works while the list has the focus
  miClearList = pmnList->addAction(QStringLiteral("Clear List"));
  miClearList->setObjectName(QStringLiteral("miClearList"));
}

void TfrmMain::CreatePreviewPane() {
  pnlPreview = new QFrame(this);
  pnlPreview->setObjectName(QStringLiteral("pnlPreview"));
  pnlPreview->setFixedWidth(250);
  pnlPreview->setStyleSheet(
      QStringLiteral("QFrame#pnlPreview { background: white; border: none; border-left: 1px solid silver; }"));
  StaticText1 = PaneLabel(pnlPreview, "StaticText1", QStringLiteral("Ungraded"));
  imgUngraded = new TImageBox(pnlPreview, kPreviewBoxWidth, kPreviewBoxHeight);
  imgUngraded->setObjectName(QStringLiteral("imgUngraded"));
  stxLUTApplied = PaneLabel(pnlPreview, "stxLUTApplied", QStringLiteral("LUT Applied"));
  imgLUTApplied = new TImageBox(pnlPreview, kPreviewBoxWidth, kPreviewBoxHeight);
  imgLUTApplied->setObjectName(QStringLiteral("imgLUTApplied"));
  stxComments = PaneLabel(pnlPreview, "stxComments", QStringLiteral("Comments"));
  mmComments = new QPlainTextEdit(pnlPreview);
  mmComments->setObjectName(QStringLiteral("mmComments"));
  mmComments->setReadOnly(true);
  mmComments->setFrameShape(QFrame::NoFrame);
  mmComments->setFixedSize(201, 97);
  mmComments->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* preview_layout = new QVBoxLayout(pnlPreview);
  preview_layout->setContentsMargins(20, 8, 19, 8);
  preview_layout->setSpacing(4);
  for (QWidget* w : std::initializer_list<QWidget*>{StaticText1, imgUngraded, stxLUTApplied, imgLUTApplied, stxComments,
                                                    mmComments}) {
    preview_layout->addWidget(w);
  }
  preview_layout->addStretch(1);
}

void TfrmMain::ConnectToolBar() {
  connect(btnAddFiles, &QToolButton::clicked, this, &TfrmMain::btnAddFilesClick);
  connect(btnConvert, &QToolButton::clicked, this, &TfrmMain::btnConvertClick);
  connect(btnICC2LUT, &QToolButton::clicked, this, &TfrmMain::btnICC2LUTClick);
  connect(btnShowHidePreview, &QToolButton::clicked, this, &TfrmMain::btnShowHidePreviewClick);
  connect(btnLoadPreviewImage, &QToolButton::clicked, this, &TfrmMain::btnLoadPreviewImageClick);
  connect(btnAbout, &QToolButton::clicked, this, &TfrmMain::btnAboutClick);
}

void TfrmMain::ConnectList() {
  connect(lvwFiles, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) { lvwFilesChange(item); });
  connect(lvwFiles, &QTreeWidget::itemSelectionChanged, this, &TfrmMain::UpdateListCommands);
  connect(lvwFiles, &QTreeWidget::itemSelectionChanged, this, &TfrmMain::PreviewSelection);
  connect(lvwFiles, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { pmnList->popup(lvwFiles->viewport()->mapToGlobal(pos)); });
  connect(pmnList, &QMenu::aboutToShow, this, &TfrmMain::pmnListPopup);
  connect(miCheckAll, &QAction::triggered, this, &TfrmMain::miCheckAllClick);
  connect(miUncheckAll, &QAction::triggered, this, &TfrmMain::miUncheckAllClick);
  connect(miDelete, &QAction::triggered, this, &TfrmMain::miDeleteClick);
  connect(miClearList, &QAction::triggered, this, &TfrmMain::miClearListClick);
}

void TfrmMain::FormCreate() {
  lvwFiles->clear();
  btnConvert->setEnabled(false);
  UpdateListCommands();
  imgUngraded->SetPicture(DefaultPreviewPicture().Copy());
  HideLUTApplied();
}

bool TfrmMain::AnyChecked() const {
  for (int i = 0; i < lvwFiles->topLevelItemCount(); ++i) {
    if (lvwFiles->topLevelItem(i)->checkState(colFileName) == Qt::Checked) return true;
  }
  return false;
}

std::vector<ConversionEntry> TfrmMain::ConversionEntries() const {
  std::vector<ConversionEntry> entries;
  for (int i = 0; i < lvwFiles->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = lvwFiles->topLevelItem(i);
    entries.push_back(ConversionEntry{LocalPath(item->text(colFileName)),
                                      LocalPath(item->data(colFolder, kFolderRole).toString()),
                                      item->checkState(colFileName) == Qt::Checked});
  }
  return entries;
}

void TfrmMain::AddFiles(const QStringList& paths) {
  for (const QString& path : paths) {
    const QFileInfo info(path);
    auto* item = new QTreeWidgetItem;
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren);
    item->setText(colFileName, info.fileName());
    item->setCheckState(colFileName, Qt::Unchecked);
    lvwFiles->addTopLevelItem(item);
    const TLUTFormatId format = DetectLUTFormat(LocalPath(path));
    item->setData(colFolder, kFolderRole, info.absolutePath());
    item->setText(colFolder, QDir::toNativeSeparators(info.absolutePath()));
    if (format == TLUTFormatId::None) {
      item->setText(colFormat, QStringLiteral("unknown"));
    } else {
      item->setData(colFileName, kFormatRole, IndexOf(format));
      item->setText(colFormat, QString::fromStdString(LUTFormatOf(format).Name));
      item->setCheckState(colFileName, Qt::Checked);
    }
  }
  UpdateListCommands();
}

void TfrmMain::AddDroppedPaths(const QStringList& paths) {
  if (paths.isEmpty()) return;
  QStringList files;
  for (const QString& path : paths) {
    const QFileInfo info(path);
    if (info.isDir()) {
      if (&path == &paths.front()) LastAddFolder() = info.absoluteFilePath();
      // The regular files directly inside; no subfolders, pipes or devices.
      const QFileInfoList entries = QDir(path).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
      for (const QFileInfo& entry : entries) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(LocalPath(entry.absoluteFilePath()), ec)) {
          files.push_back(entry.absoluteFilePath());
        }
      }
    } else {
      if (&path == &paths.front()) LastAddFolder() = info.absolutePath();
      files.push_back(info.absoluteFilePath());
    }
  }
  SortByPathIgnoringCase(files);
  AddFiles(files);
}

void TfrmMain::btnAddFilesClick() {
  RunUserAction(this, [this] {
    TFileOpenDialog picker(this);
    picker.MultiSelect = true;
    picker.InitialDir = LastAddFolder();
    picker.Filter = QString::fromLatin1(kLUTFilter);
    if (!picker.Execute()) return;
    LastAddFolder() = QFileInfo(picker.Files.front()).absolutePath();
    QStringList paths = picker.Files;
    SortByPathIgnoringCase(paths);
    AddFiles(paths);
  });
}

void TfrmMain::btnConvertClick() {
  RunUserAction(this, [this] { ShowConversionDialog(this, ConversionEntries()); });
}

void TfrmMain::btnICC2LUTClick() {
  RunUserAction(this, [this] { ShowICCConvertDialog(this, UngradedPicture()); });
}

void TfrmMain::btnAboutClick() {
  TfrmAbout about(this);
  about.exec();
}

void TfrmMain::lvwFilesChange(QTreeWidgetItem* item) {
  btnConvert->setEnabled(AnyChecked());
  if (item != nullptr && item->checkState(colFileName) == Qt::Checked && FormatOfRow(item) == TLUTFormatId::None) {
    item->setCheckState(colFileName, Qt::Unchecked);
    ShowMessage(this, QMessageBox::Information, QStringLiteral("Information"),
                QStringLiteral("Unable to convert unknown format.\nPlease contact us to add this."));
  }
}

void TfrmMain::UpdateListCommands() {
  miDelete->setEnabled(!lvwFiles->selectedItems().isEmpty());
  miClearList->setEnabled(lvwFiles->topLevelItemCount() > 0);
}

void TfrmMain::pmnListPopup() {
  UpdateListCommands();
  miCheckAll->setEnabled(true);
  miUncheckAll->setEnabled(true);
}

void TfrmMain::miCheckAllClick() {
  for (int i = 0; i < lvwFiles->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = lvwFiles->topLevelItem(i);
    if (FormatOfRow(item) != TLUTFormatId::None) item->setCheckState(colFileName, Qt::Checked);
  }
}

void TfrmMain::miUncheckAllClick() {
  for (int i = 0; i < lvwFiles->topLevelItemCount(); ++i) {
    lvwFiles->topLevelItem(i)->setCheckState(colFileName, Qt::Unchecked);
  }
}

void TfrmMain::miDeleteClick() {
  const QList<QTreeWidgetItem*> selected = lvwFiles->selectedItems();
  if (selected.isEmpty()) return;
  const int index = lvwFiles->indexOfTopLevelItem(selected.front());
  delete lvwFiles->takeTopLevelItem(index);
  const int count = lvwFiles->topLevelItemCount();
  if (count > 0) {
    QTreeWidgetItem* next = lvwFiles->topLevelItem(std::min(index, count - 1));
    lvwFiles->setCurrentItem(next);
    next->setSelected(true);
  }
  btnConvert->setEnabled(AnyChecked());
  UpdateListCommands();
}

void TfrmMain::miClearListClick() {
  lvwFiles->clear();
  btnConvert->setEnabled(false);
  UpdateListCommands();
}

const TBitmap24& TfrmMain::UngradedPicture() const { return imgUngraded->Picture(); }

void TfrmMain::HideLUTApplied() {
  for (QWidget* w : std::initializer_list<QWidget*>{stxLUTApplied, imgLUTApplied, stxComments, mmComments}) w->hide();
}

void TfrmMain::ShowLUTPreview(const QString& lut_file) {
  const TWaitCursor hourglass;
  // The file is read into a LUT of its own: a failed read leaves the pane.
  const std::string file_name = LocalPath(lut_file);
  TLUTPreview preview = NamingFile(file_name, [&] { return PreviewLUTFile(file_name, UngradedPicture()); });
  PreviewLUT = std::move(preview.LUT);
  if (!preview.Recognised) {
    HideLUTApplied();
    return;
  }
  // A LUT without a usable table is described, but there is no picture of it.
  imgLUTApplied->SetPicture(std::move(preview.Picture));
  imgLUTApplied->setVisible(preview.Graded);
  stxLUTApplied->setVisible(preview.Graded);
  QStringList lines;
  for (const std::string& line : preview.Lines) lines.push_back(QString::fromStdString(line));
  mmComments->setPlainText(lines.join(u'\n'));
  mmComments->show();
  stxComments->show();
}

void TfrmMain::lvwFilesSelectItem(QTreeWidgetItem* item, bool selected) {
  if (!selected || item == nullptr) {
    HideLUTApplied();
    return;
  }
  if (pnlPreview->isHidden()) return;
  const QString path = QDir(item->data(colFolder, kFolderRole).toString()).filePath(item->text(colFileName));
  RunUserAction(this, [&] { ShowLUTPreview(path); });
}

void TfrmMain::PreviewSelection() {
  const QList<QTreeWidgetItem*> selected = lvwFiles->selectedItems();
  lvwFilesSelectItem(selected.value(0), !selected.isEmpty());
}

void TfrmMain::btnShowHidePreviewClick() {
  pnlPreview->setVisible(pnlPreview->isHidden());
  // Shown again, the pane shows the selection as it is now.
  if (!pnlPreview->isHidden()) PreviewSelection();
}

void TfrmMain::btnLoadPreviewImageClick() {
  RunUserAction(this, [this] {
    TBitmap24 picture;
    if (!LoadPreviewPicture(this, picture)) return;
    imgUngraded->SetPicture(std::move(picture));
    const QList<QTreeWidgetItem*> selected = lvwFiles->selectedItems();
    if (!selected.isEmpty()) lvwFilesSelectItem(selected.front(), true);
  });
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lvwFiles->viewport()) {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (drag->mimeData() != nullptr && !LocalPathsOf(*drag->mimeData()).isEmpty()) {
          drag->acceptProposedAction();
        } else {
          drag->ignore();
        }
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (drop->mimeData() != nullptr) lvwFilesDragDrop(*drop->mimeData());
        drop->acceptProposedAction();
        return true;
      }
      default:
        break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::lvwFilesDragDrop(const QMimeData& data) {
  // Added once the drop has finished: a file manager waits for the drop to
  // end, and an error box must not hold it up.
  const QStringList paths = LocalPathsOf(data);
  QMetaObject::invokeMethod(
      this, [this, paths] { RunUserAction(this, [&] { AddDroppedPaths(paths); }); }, Qt::QueuedConnection);
}

}  // namespace zelvo
