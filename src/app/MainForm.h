// The main window: the menu bar, the toolbar, the list of LUT files with
// their detected formats, the preview pane and the status bar. Made in
// MainForm.cpp (the window, the list), MainMenus.cpp (the menus, the status
// bar, the settings kept between runs) and MainPreview.cpp (the pane and the
// curves window that follow the selected row).
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <string>
#include <vector>

#include "app/CompareForm.h"
#include "app/CurvesForm.h"
#include "app/FileList.h"
#include "convert/ConvertJob.h"
#include "image/Bitmap24.h"
#include "image/Preview.h"
#include "lut/LUT.h"

class QAction;
class QActionGroup;
class QMimeData;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QScrollArea;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace zelvo {

class TImageBox;

// The folder from which files were last added, while the program runs.
QString& LastAddFolder();
// The picker of LUT files to add, starting in LastAddFolder, which follows
// the pick: their full paths, none when the person cancelled.
QStringList PickLUTFiles(QWidget* owner);

// The columns of lvwFiles.
enum TFileColumn { colFileName = 0, colFormat = 1, colFolder = 2 };

// The full path of a row, as the file system names it.
std::string PathOfRow(const QTreeWidgetItem& item);
// Why the row's file cannot be read; empty when it could be.
QString ProblemOfRow(const QTreeWidgetItem& item);

class TfrmMain : public QMainWindow {
  Q_OBJECT

 public:
  TfrmMain();
  ~TfrmMain() override;

  // Appends one row per path, in the given order. A file that cannot be read
  // (missing, unreadable, a pipe, a device, a broken link) gets an unchecked
  // row with the reason in its Format column, and the files after it are
  // added as usual; known files are checked. Afterwards one error box names
  // the files that cannot be read.
  void AddFiles(const QStringList& paths);
  void AddLocalFiles(std::vector<TListedFile> files);
  // Files and folders given by a drop or on the command line, added as "Add
  // LUTs" adds picked files: a folder gives what is directly in it (with
  // `subfolders`, in its subfolders too); all of them in path order ignoring
  // case. LastAddFolder follows. Paths are the file system's bytes, so
  // names that are not UTF-8 are kept.
  void AddDroppedPaths(const QStringList& paths);
  void AddLocalPaths(const std::vector<std::string>& paths, bool subfolders = false);
  bool AnyChecked() const;
  // The rows as the batch job takes them, in list order.
  std::vector<ConversionEntry> ConversionEntries() const;
  // Reads the LUT file into the preview LUT and shows it applied to the
  // ungraded picture, with its type, size and comment lines below. A file
  // that cannot be read clears the LUT, its picture and its details, shows
  // "cannot be read" with the reason, and its error passes to the caller.
  void ShowLUTPreview(const QString& lut_file);
  // The picture of imgUngraded: the default one until the person loads one.
  const TBitmap24& UngradedPicture() const;
  // The interpolation the pane applies 3D tables with (View > Interpolation).
  TInterpolation PreviewInterpolation() const;
  // The curves window (View > Curves), made when first asked for.
  void ShowCurvesWindow();
  TfrmCurves* CurvesWindow() const { return frmCurves_; }
  // The comparison window (Tools > Compare LUTs...), made when first asked for.
  TfrmCompare* CompareWindow() const { return frmCompare_; }
  // The status bar's line after a batch: "Converted N files into FOLDER",
  // the folder a link that opens it in the desktop's file manager.
  void ShowBatchResult(int converted, const QString& folder);

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
  // The menu bar; the Edit menu holds the four actions of pmnList.
  QMenu* mnuFile;
  QAction* miAddFiles;
  QAction* miAddFolder;
  QAction* miNewIdentity;
  QAction* miConvert;
  QAction* miQuit;
  QMenu* mnuEdit;
  QMenu* mnuView;
  QAction* miPreviewPane;
  QAction* miCurves;
  QMenu* mnuInterpolation;
  QActionGroup* grpInterpolation;
  QAction* miTrilinear;
  QAction* miTetrahedral;
  QAction* miRememberSettings;
  QMenu* mnuTools;
  QAction* miICC2LUT;
  QAction* miCompareLUTs;
  QAction* miCombine;
  QMenu* mnuHelp;
  QAction* miContents;
  QAction* miAbout;
  // The status bar: the list's counts, and the line of the last batch.
  QLabel* lblListCounts;
  QLabel* lblBatchResult;
  // The preview pane on the right; its parts scroll when the window is too
  // low for them.
  QFrame* pnlPreview;
  QScrollArea* sbxPreview;
  QLabel* StaticText1;
  TImageBox* imgUngraded;
  // How a picture beyond 8 bits is shown ("values beyond 0..1 are shown
  // clipped"); hidden for the others.
  QLabel* stxPictureNote;
  QLabel* stxLUTApplied;
  TImageBox* imgLUTApplied;
  // "cannot be read", over the reason in mmComments, for a LUT that failed.
  QLabel* stxLUTState;
  QLabel* stxComments;
  QPlainTextEdit* mmComments;
  // The LUT of the last file the pane read; empty after a failed read.
  TLUT PreviewLUT;

  // The handlers, public so that the menu's state can be checked as it opens.
  void pmnListPopup();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // What the pane shows of the selected row.
  enum class TPaneState { Nothing, Unknown, Shown, CannotRead };

  // The parts of the window, made and connected in this order.
  void CreateToolBar();
  void CreateList();
  void CreatePopupMenu();
  void CreatePreviewPane();
  void CreateMenuBar();
  void CreateStatusBar();
  void ConnectToolBar();
  void ConnectList();
  void FormCreate();
  // The first size: as designed, but never beyond the screen's free area.
  void FitToScreen();
  void btnAddFilesClick();
  void miAddFolderClick();
  // File > New Identity LUT: the dialog, and the written file added to the
  // list when the person asked for it.
  void miNewIdentityClick();
  void btnConvertClick();
  void btnICC2LUTClick();
  // Compares the two checked rows, or two files the person picks.
  void miCompareLUTsClick();
  // The combine dialog, with the list's selected and checked files to add.
  void miCombineClick();
  void btnAboutClick();
  void miContentsClick();
  void lvwFilesSelectItem(QTreeWidgetItem* item, bool selected);
  void btnShowHidePreviewClick();
  void btnLoadPreviewImageClick();
  // The selection handler for the row selected now, or a deselection.
  void PreviewSelection();
  void HideLUTApplied();
  // The pane and the curves window after a row that cannot be read.
  void ShowCannotRead(const QString& reason);
  void UpdateCurvesWindow();
  // A click or Enter on the selected row shows why its LUT cannot be read,
  // once per selection; browsing with the arrow keys only changes the pane.
  void ReportPreviewError(QTreeWidgetItem* item);
  void SetPreviewInterpolation(TInterpolation interpolation);
  void lvwFilesChange(QTreeWidgetItem* item);
  void miCheckAllClick();
  void miUncheckAllClick();
  void miDeleteClick();
  void miClearListClick();
  // Convert, Delete and Clear List follow the checks, the selection and the
  // rows, also for their keys, which work while the menus are closed; the
  // status bar counts the rows.
  void UpdateListCommands();
  void lvwFilesDragDrop(const QMimeData& data);
  // The settings kept between runs (MainMenus.cpp).
  void miRememberSettingsClick(bool on);
  void RestoreSettings();
  void StoreSettings() const;
  void LoadPictureFile(const std::string& file_name);
  // The ungraded picture, its values and its note.
  void SetUngradedPicture(TPanePicture&& picture);

  QPointer<TfrmCurves> frmCurves_;
  QPointer<TfrmCompare> frmCompare_;
  TPaneState pane_state_ = TPaneState::Nothing;
  // The error of the selected row's LUT, and whether a box has said it.
  std::string preview_error_;
  bool preview_error_shown_ = false;
  // The picture file the person loaded last (empty: the default picture).
  std::string picture_file_;
  // The ungraded picture's values for a picture beyond 8 bits (else empty):
  // what the pane grades in float.
  TFloatPicture ungraded_values_;
};

// The full paths of the local files and folders a drag carries, as the file
// system names them.
std::vector<std::string> LocalPathsOf(const QMimeData& data);

}  // namespace zelvo
