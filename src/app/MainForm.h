// The main window: the list of LUT files with their detected formats, the
// toolbar, and the place of the preview pane.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <vector>

#include "convert/ConvertJob.h"
#include "image/Bitmap24.h"
#include "lut/LUT.h"

class QAction;
class QMimeData;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace zelvo {

class TImageBox;

// The folder from which files were last added, while the program runs.
QString& LastAddFolder();

// The columns of lvwFiles.
enum TFileColumn { colFileName = 0, colFormat = 1, colFolder = 2 };

class TfrmMain : public QMainWindow {
  Q_OBJECT

 public:
  TfrmMain();

  // Appends one row per path, in the given order, with the detected format;
  // known files are checked. An error ends the adding at that file (its row
  // keeps only its name) and passes to the caller.
  void AddFiles(const QStringList& paths);
  // Files and folders given by a drop or on the command line, added as "Add
  // LUTs" adds picked files: a folder gives the regular files directly in it;
  // all of them in path order ignoring case. LastAddFolder follows.
  void AddDroppedPaths(const QStringList& paths);
  bool AnyChecked() const;
  // The rows as the batch job takes them, in list order.
  std::vector<ConversionEntry> ConversionEntries() const;
  // Reads the LUT file into the preview LUT and shows it applied to the
  // ungraded picture, with its type, size and comment lines below. Errors
  // pass to the caller and leave what the pane showed.
  void ShowLUTPreview(const QString& lut_file);
  // The picture of imgUngraded: the default one until the person loads one.
  const TBitmap24& UngradedPicture() const;

  QToolBar* Panel2;
  QToolButton* btnAddFiles;
  QToolButton* btnConvert;
  QToolButton* btnICC2LUT;
  QWidget* Panel3;
  QToolButton* btnShowHidePreview;
  QToolButton* btnLoadPreviewImage;
  QToolButton* btnAbout;
  QTreeWidget* lvwFiles;
  QMenu* pmnList;
  QAction* miCheckAll;
  QAction* miUncheckAll;
  QAction* miDelete;
  QAction* miClearList;
  // The preview pane on the right.
  QFrame* pnlPreview;
  QLabel* StaticText1;
  TImageBox* imgUngraded;
  QLabel* stxLUTApplied;
  TImageBox* imgLUTApplied;
  QLabel* stxComments;
  QPlainTextEdit* mmComments;
  // The LUT of the last file the pane read.
  TLUT PreviewLUT;

  // The handlers, public so that the menu's state can be checked as it opens.
  void pmnListPopup();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The parts of the window, made and connected in this order.
  void CreateToolBar();
  void CreateList();
  void CreatePopupMenu();
  void CreatePreviewPane();
  void ConnectToolBar();
  void ConnectList();
  void FormCreate();
  void btnAddFilesClick();
  void btnConvertClick();
  void btnICC2LUTClick();
  void btnAboutClick();
  void lvwFilesSelectItem(QTreeWidgetItem* item, bool selected);
  void btnShowHidePreviewClick();
  void btnLoadPreviewImageClick();
  // The selection handler for the row selected now, or a deselection.
  void PreviewSelection();
  void HideLUTApplied();
  void lvwFilesChange(QTreeWidgetItem* item);
  void miCheckAllClick();
  void miUncheckAllClick();
  void miDeleteClick();
  void miClearListClick();
  // Delete and Clear List follow the selection and the rows, also for the
  // Del key, which works while the menu is closed.
  void UpdateListCommands();
  void lvwFilesDragDrop(const QMimeData& data);
};

// The full paths of the local files and folders a drag carries.
QStringList LocalPathsOf(const QMimeData& data);

}  // namespace zelvo
