#include "app/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <filesystem>

#include "app/AboutForm.h"
#include "app/AppErrors.h"
#include "app/ConvertForm.h"
#include "app/FileDlg.h"
#include "app/ICCConvertForm.h"
#include "app/Icons.h"
#include "app/PathDialog.h"
#include "app/Paths.h"
#include "app/Remembered.h"
#include "app/UserPrompts.h"
#include "registry/Registry.h"

namespace zelvo {

namespace {

// The row's detected format (an identity), or None for an unknown file.
constexpr int kFormatRole = Qt::UserRole;
// The full path as the file system names it (bytes; the columns show text).
constexpr int kPathRole = Qt::UserRole + 1;
// Why the file cannot be read, for a row of a file that cannot.
constexpr int kProblemRole = Qt::UserRole + 2;

// The error box after an adding names at most this many files.
constexpr std::size_t kNamedInBox = 20;

TLUTFormatId FormatOfRow(const QTreeWidgetItem* item) {
  const QVariant format = item->data(colFileName, kFormatRole);
  return format.isValid() ? static_cast<TLUTFormatId>(format.toInt()) : TLUTFormatId::None;
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

// A row of the list for a checked path: its name, its format or why it
// cannot be read, its folder; the full path in the tooltip of every column.
QTreeWidgetItem* NewRow(const TListedFile& file) {
  auto* item = new QTreeWidgetItem;
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren);
  item->setText(colFileName, DisplayPath(FileNamePart(file.Path)));
  item->setData(colFileName, kPathRole, QByteArray::fromStdString(file.Path));
  item->setText(colFolder, QDir::toNativeSeparators(DisplayPath(FolderPart(file.Path))));
  item->setCheckState(colFileName, Qt::Unchecked);
  QString tip = QDir::toNativeSeparators(DisplayPath(file.Path));
  if (!file.Problem.empty()) {
    const QString problem = QString::fromStdString(file.Problem);
    item->setText(colFormat, problem);
    item->setData(colFileName, kProblemRole, problem);
    item->setForeground(colFormat, QColor(170, 0, 0));
    tip += u'\n' + problem;
  } else if (file.Format == TLUTFormatId::None) {
    item->setText(colFormat, QStringLiteral("unknown"));
  } else {
    item->setData(colFileName, kFormatRole, IndexOf(file.Format));
    item->setText(colFormat, QString::fromStdString(LUTFormatOf(file.Format).Name));
    item->setCheckState(colFileName, Qt::Checked);
  }
  for (int column = colFileName; column <= colFolder; ++column) item->setToolTip(column, tip);
  return item;
}

// The one box after an adding: which files cannot be read, and why.
QString CannotReadText(const std::vector<const TListedFile*>& bad) {
  QString text = bad.size() == 1 ? QStringLiteral("1 file cannot be read; it is in the list, unchecked:")
                                 : QString::number(bad.size()) +
                                       QStringLiteral(" files cannot be read; they are in the list, unchecked:");
  for (std::size_t i = 0; i < bad.size() && i < kNamedInBox; ++i) {
    text += u'\n' + QDir::toNativeSeparators(DisplayPath(bad[i]->Path)) + QStringLiteral(": ") +
            QString::fromStdString(bad[i]->Problem);
  }
  if (bad.size() > kNamedInBox) text += QStringLiteral("\nand ") + QString::number(bad.size() - kNamedInBox) + QStringLiteral(" more");
  return QString::fromStdString(WithFullStop(text.toStdString()));
}

}  // namespace

QString& LastAddFolder() {
  static QString folder;
  return folder;
}

QStringList PickLUTFiles(QWidget* owner) {
  TFileOpenDialog picker(owner);
  picker.MultiSelect = true;
  picker.InitialDir = LastAddFolder();
  picker.Filter = QString::fromLatin1(kLUTFilter);
  if (!picker.Execute()) return {};
  LastAddFolder() = QFileInfo(picker.Files.front()).absolutePath();
  return picker.Files;
}

std::string PathOfRow(const QTreeWidgetItem& item) {
  return item.data(colFileName, kPathRole).toByteArray().toStdString();
}

QString ProblemOfRow(const QTreeWidgetItem& item) { return item.data(colFileName, kProblemRole).toString(); }

std::vector<std::string> LocalPathsOf(const QMimeData& data) {
  std::vector<std::string> paths;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) continue;
    if (!url.host().isEmpty() && url.host() != QLatin1String("localhost")) {
      paths.push_back(LocalPath(url.toLocalFile()));
      continue;
    }
    // Percent-encoded bytes as they are: a name that is not UTF-8 stays the
    // file's name, where the toolkit's decoding would replace its bytes.
    paths.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
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
  CreateMenuBar();
  CreateStatusBar();

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
  RestoreSettings();
  FitToScreen();
}

TfrmMain::~TfrmMain() = default;

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
  miCheckAll = pmnList->addAction(QStringLiteral("&Check All"));
  miCheckAll->setObjectName(QStringLiteral("miCheckAll"));
  miUncheckAll = pmnList->addAction(QStringLiteral("&Uncheck All"));
  miUncheckAll->setObjectName(QStringLiteral("miUncheckAll"));
  pmnList->addSeparator();
  miDelete = pmnList->addAction(QStringLiteral("&Delete"));
  miDelete->setObjectName(QStringLiteral("miDelete"));
  miDelete->setShortcut(QKeySequence(Qt::Key_Delete));
  miDelete->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  lvwFiles->addAction(miDelete);  // Del works while the list has the focus
  miClearList = pmnList->addAction(QStringLiteral("Clear &List"));
  miClearList->setObjectName(QStringLiteral("miClearList"));
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
  connect(lvwFiles, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) { ReportPreviewError(item); });
  connect(lvwFiles, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) { ReportPreviewError(item); });
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
  UpdateListCommands();
  HideLUTApplied();
}

void TfrmMain::FitToScreen() {
  const QScreen* shown_on = screen();
  if (shown_on == nullptr) return;
  // Room for the frame and title bar the window manager adds.
  const QSize room = shown_on->availableGeometry().size() - QSize(8, 32);
  if (width() > room.width() || height() > room.height()) {
    resize(std::min(width(), room.width()), std::min(height(), room.height()));
  }
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
    const std::string path = PathOfRow(*item);
    entries.push_back(ConversionEntry{FileNamePart(path), FolderPart(path), item->checkState(colFileName) == Qt::Checked});
  }
  return entries;
}

void TfrmMain::AddFiles(const QStringList& paths) {
  std::vector<TListedFile> files;
  for (const QString& path : paths) files.push_back(TListedFile{AbsoluteLocalPath(LocalPath(path)), {}, {}});
  AddLocalFiles(std::move(files));
}

void TfrmMain::AddLocalFiles(std::vector<TListedFile> files) {
  std::vector<const TListedFile*> bad;
  {
    // Rows are made whole before they join the list: no change handler runs
    // for each of thousands of rows.
    const QSignalBlocker quiet(lvwFiles);
    for (TListedFile& file : files) {
      CheckListedFile(file);
      lvwFiles->addTopLevelItem(NewRow(file));
      if (!file.Problem.empty()) bad.push_back(&file);
    }
  }
  UpdateListCommands();
  if (!bad.empty()) {
    ShowMessage(this, QMessageBox::Critical, QString::fromUtf8(kApplicationTitle), CannotReadText(bad));
  }
}

void TfrmMain::AddDroppedPaths(const QStringList& paths) {
  std::vector<std::string> local;
  for (const QString& path : paths) local.push_back(LocalPath(path));
  AddLocalPaths(local);
}

void TfrmMain::AddLocalPaths(const std::vector<std::string>& paths, bool subfolders) {
  if (paths.empty()) return;
  std::vector<TListedFile> files;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string path = AbsoluteLocalPath(paths[i]);
    std::error_code ec;
    const bool folder = std::filesystem::is_directory(path, ec);
    if (i == 0) LastAddFolder() = DisplayPath(folder ? path : FolderPart(path));
    if (folder) {
      std::vector<TListedFile> inside = FolderEntries(path, subfolders);
      std::move(inside.begin(), inside.end(), std::back_inserter(files));
    } else {
      files.push_back(TListedFile{path, {}, {}});
    }
  }
  SortByPathIgnoringCase(files);
  AddLocalFiles(std::move(files));
}

void TfrmMain::btnAddFilesClick() {
  RunUserAction(this, [this] {
    const QStringList picked = PickLUTFiles(this);
    if (picked.isEmpty()) return;
    std::vector<TListedFile> files;
    for (const QString& path : picked) files.push_back(TListedFile{AbsoluteLocalPath(LocalPath(path)), {}, {}});
    SortByPathIgnoringCase(files);
    AddLocalFiles(std::move(files));
  });
}

void TfrmMain::miAddFolderClick() {
  RunUserAction(this, [this] {
    TPathDialog picker(this);
    picker.Title = QStringLiteral("Please select a folder of LUT files");
    if (!LastAddFolder().isEmpty()) picker.SetDirectory(LastAddFolder());
    if (!picker.Execute()) return;
    const std::string folder = LocalPath(picker.Directory());
    bool subfolders = false;
    if (HasSubfolders(folder)) {
      const QMessageBox::StandardButton answer =
          ShowMessage(this, QMessageBox::Question, QStringLiteral("Add Folder"),
                      QStringLiteral("Add the files in the subfolders of \"") +
                          QDir::toNativeSeparators(picker.Directory()) + QStringLiteral("\" too?"),
                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No, QMessageBox::Cancel);
      if (answer == QMessageBox::Cancel) return;
      subfolders = answer == QMessageBox::Yes;
    }
    AddLocalPaths({folder}, subfolders);
  });
}

void TfrmMain::btnConvertClick() {
  // What a batch wrote is told by the files it changed in the output folder
  // (the file system stamps them by a clock up to a tick behind).
  const auto started = std::filesystem::file_time_type::clock::now() - std::chrono::milliseconds(20);
  lblBatchResult->clear();
  RunUserAction(this, [this] { ShowConversionDialog(this, ConversionEntries()); });
  const std::string folder = LastOutputFolder();
  if (folder.empty()) return;
  int written = 0;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec); !ec && it != std::filesystem::directory_iterator();
       it.increment(ec)) {
    std::error_code entry_ec;
    if (it->is_regular_file(entry_ec) && it->last_write_time(entry_ec) >= started && !entry_ec) ++written;
  }
  if (written > 0) ShowBatchResult(written, DisplayPath(folder));
}

void TfrmMain::btnICC2LUTClick() {
  RunUserAction(this, [this] { ShowICCConvertDialog(this, UngradedPicture()); });
}

void TfrmMain::btnAboutClick() {
  TfrmAbout about(this);
  about.exec();
}

void TfrmMain::lvwFilesChange(QTreeWidgetItem* item) {
  UpdateListCommands();
  if (item != nullptr && item->checkState(colFileName) == Qt::Checked && FormatOfRow(item) == TLUTFormatId::None) {
    item->setCheckState(colFileName, Qt::Unchecked);
    const QString problem = ProblemOfRow(*item);
    ShowMessage(this, QMessageBox::Information, QStringLiteral("Information"),
                problem.isEmpty() ? QStringLiteral("Unable to convert unknown format.\nPlease contact us to add this.")
                                  : QStringLiteral("This file cannot be converted: ") + problem + u'.');
  }
}

void TfrmMain::UpdateListCommands() {
  int checked = 0;
  const int rows = lvwFiles->topLevelItemCount();
  for (int i = 0; i < rows; ++i) checked += lvwFiles->topLevelItem(i)->checkState(colFileName) == Qt::Checked;
  btnConvert->setEnabled(checked > 0);
  miConvert->setEnabled(checked > 0);
  miDelete->setEnabled(!lvwFiles->selectedItems().isEmpty());
  miClearList->setEnabled(rows > 0);
  lblListCounts->setText((rows == 1 ? QStringLiteral("1 file, ") : QString::number(rows) + QStringLiteral(" files, ")) +
                         QString::number(checked) + QStringLiteral(" checked"));
}

void TfrmMain::pmnListPopup() {
  UpdateListCommands();
  miCheckAll->setEnabled(true);
  miUncheckAll->setEnabled(true);
}

void TfrmMain::miCheckAllClick() {
  const QSignalBlocker quiet(lvwFiles);
  for (int i = 0; i < lvwFiles->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = lvwFiles->topLevelItem(i);
    if (FormatOfRow(item) != TLUTFormatId::None) item->setCheckState(colFileName, Qt::Checked);
  }
  UpdateListCommands();
}

void TfrmMain::miUncheckAllClick() {
  const QSignalBlocker quiet(lvwFiles);
  for (int i = 0; i < lvwFiles->topLevelItemCount(); ++i) {
    lvwFiles->topLevelItem(i)->setCheckState(colFileName, Qt::Unchecked);
  }
  UpdateListCommands();
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
  } else {
    PreviewSelection();  // nothing selected: the pane and the curves window say so
  }
  UpdateListCommands();
}

void TfrmMain::miClearListClick() {
  lvwFiles->clear();
  PreviewSelection();
  UpdateListCommands();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lvwFiles->viewport()) {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (drag->mimeData() != nullptr && !LocalPathsOf(*drag->mimeData()).empty()) {
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
  const std::vector<std::string> paths = LocalPathsOf(data);
  QMetaObject::invokeMethod(
      this, [this, paths] { RunUserAction(this, [&] { AddLocalPaths(paths); }); }, Qt::QueuedConnection);
}

}  // namespace zelvo
