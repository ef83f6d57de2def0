// The preview pane of the main window and the curves window: both follow the
// selected row, and both say so when its LUT cannot be read.
#include <QActionGroup>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/AppErrors.h"
#include "app/CurvesForm.h"
#include "app/ImageBox.h"
#include "app/MainForm.h"
#include "app/Paths.h"
#include "app/PictureDlg.h"
#include "app/UserPrompts.h"
#include "app/WaitCursor.h"
#include "convert/PreviewFile.h"
#include "image/PictureFile.h"
#include "image/Preview.h"

namespace zelvo {

namespace {

QLabel* PaneLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

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

void TfrmMain::CreatePreviewPane() {
  pnlPreview = new QFrame(this);
  pnlPreview->setObjectName(QStringLiteral("pnlPreview"));
  pnlPreview->setFixedWidth(250);
  pnlPreview->setStyleSheet(
      QStringLiteral("QFrame#pnlPreview { background: white; border: none; border-left: 1px solid silver; }"));
  // The parts keep their sizes; in a window too low for them they scroll
  // rather than run into each other.
  sbxPreview = new QScrollArea(pnlPreview);
  sbxPreview->setObjectName(QStringLiteral("sbxPreview"));
  sbxPreview->setFrameShape(QFrame::NoFrame);
  sbxPreview->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sbxPreview->setWidgetResizable(true);
  sbxPreview->viewport()->setAutoFillBackground(false);
  auto* parts = new QWidget(sbxPreview);
  parts->setObjectName(QStringLiteral("pnlPreviewParts"));
  parts->setAutoFillBackground(false);
  StaticText1 = PaneLabel(parts, "StaticText1", QStringLiteral("Ungraded"));
  imgUngraded = new TImageBox(parts, kPreviewBoxWidth, kPreviewBoxHeight);
  imgUngraded->setObjectName(QStringLiteral("imgUngraded"));
  stxPictureNote = new QLabel(parts);
  stxPictureNote->setObjectName(QStringLiteral("stxPictureNote"));
  stxPictureNote->setWordWrap(true);
  stxPictureNote->setFixedWidth(kPreviewBoxWidth);
  stxPictureNote->setStyleSheet(QStringLiteral("color: #555555;"));
  stxPictureNote->hide();
  stxLUTApplied = PaneLabel(parts, "stxLUTApplied", QStringLiteral("LUT Applied"));
  imgLUTApplied = new TImageBox(parts, kPreviewBoxWidth, kPreviewBoxHeight);
  imgLUTApplied->setObjectName(QStringLiteral("imgLUTApplied"));
  stxLUTState = PaneLabel(parts, "stxLUTState", QStringLiteral("cannot be read"));
  stxLUTState->setStyleSheet(QStringLiteral("color: #aa0000;"));
  stxComments = PaneLabel(parts, "stxComments", QStringLiteral("Comments"));
  mmComments = new QPlainTextEdit(parts);
  mmComments->setObjectName(QStringLiteral("mmComments"));
  mmComments->setReadOnly(true);
  mmComments->setFrameShape(QFrame::NoFrame);
  mmComments->setFixedSize(201, 97);
  mmComments->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* parts_layout = new QVBoxLayout(parts);
  // The right margin leaves room for the scroll bar when there is one.
  parts_layout->setContentsMargins(20, 8, 0, 8);
  parts_layout->setSpacing(4);
  for (QWidget* w : std::initializer_list<QWidget*>{StaticText1, imgUngraded, stxPictureNote, stxLUTApplied, imgLUTApplied, stxLUTState,
                                                    stxComments, mmComments}) {
    parts_layout->addWidget(w, 0, Qt::AlignLeft);
  }
  parts_layout->addStretch(1);
  sbxPreview->setWidget(parts);
  auto* pane_layout = new QVBoxLayout(pnlPreview);
  pane_layout->setContentsMargins(1, 0, 0, 0);  // the silver line stays in sight
  pane_layout->addWidget(sbxPreview);
  imgUngraded->SetPicture(DefaultPreviewPicture().Copy());
}

const TBitmap24& TfrmMain::UngradedPicture() const { return imgUngraded->Picture(); }

TInterpolation TfrmMain::PreviewInterpolation() const {
  return miTetrahedral->isChecked() ? TInterpolation::Tetrahedral : TInterpolation::Trilinear;
}

void TfrmMain::SetPreviewInterpolation(TInterpolation interpolation) {
  (interpolation == TInterpolation::Tetrahedral ? miTetrahedral : miTrilinear)->setChecked(true);
  PreviewSelection();
}

void TfrmMain::HideLUTApplied() {
  for (QWidget* w : std::initializer_list<QWidget*>{stxLUTApplied, imgLUTApplied, stxLUTState, stxComments, mmComments}) {
    w->hide();
  }
}

void TfrmMain::ShowCannotRead(const QString& reason) {
  PreviewLUT = TLUT();
  pane_state_ = TPaneState::CannotRead;
  HideLUTApplied();
  imgLUTApplied->Clear();
  mmComments->setPlainText(reason);
  stxLUTState->show();
  mmComments->show();
}

void TfrmMain::ShowLUTPreview(const QString& lut_file) {
  const TWaitCursor hourglass;
  const std::string file_name = LocalPath(lut_file);
  TLUTPreview preview;
  try {
    preview = NamingFile(file_name, [&] {
      return PreviewLUTFile(file_name, UngradedPicture(), PreviewInterpolation(), &ungraded_values_);
    });
  } catch (const std::exception& e) {
    // Nothing of the LUT shown before stays beside this file's name.
    ShowCannotRead(QString::fromStdString(ErrorBoxText(e)));
    throw;
  }
  PreviewLUT = std::move(preview.LUT);
  if (!preview.Recognised) {
    pane_state_ = TPaneState::Unknown;
    HideLUTApplied();
    return;
  }
  pane_state_ = TPaneState::Shown;
  stxLUTState->hide();
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
  preview_error_.clear();
  preview_error_shown_ = false;
  if (!selected || item == nullptr) {
    pane_state_ = TPaneState::Nothing;
    HideLUTApplied();
    UpdateCurvesWindow();
    return;
  }
  const bool curves_shown = frmCurves_ != nullptr && frmCurves_->isVisible();
  if (pnlPreview->isHidden() && !curves_shown) {
    pane_state_ = TPaneState::Nothing;
    return;
  }
  // A file that could not be read when it was added is not read again: its
  // row says why, and no other file stands in for it.
  if (const QString problem = ProblemOfRow(*item); !problem.isEmpty()) {
    ShowCannotRead(problem);
  } else {
    try {
      ShowLUTPreview(DisplayPath(PathOfRow(*item)));
    } catch (const std::exception& e) {
      preview_error_ = ErrorBoxText(e);
    }
  }
  UpdateCurvesWindow();
}

void TfrmMain::ReportPreviewError(QTreeWidgetItem* item) {
  if (item == nullptr || !item->isSelected() || preview_error_.empty() || preview_error_shown_) return;
  preview_error_shown_ = true;
  ShowMessage(this, QMessageBox::Critical, QString::fromUtf8(kApplicationTitle), QString::fromStdString(preview_error_));
}

void TfrmMain::PreviewSelection() {
  const QList<QTreeWidgetItem*> selected = lvwFiles->selectedItems();
  lvwFilesSelectItem(selected.value(0), !selected.isEmpty());
}

void TfrmMain::ShowCurvesWindow() {
  if (frmCurves_ == nullptr) frmCurves_ = new TfrmCurves(this);
  frmCurves_->show();
  frmCurves_->raise();
  frmCurves_->activateWindow();
  PreviewSelection();
}

void TfrmMain::UpdateCurvesWindow() {
  if (frmCurves_ == nullptr || !frmCurves_->isVisible()) return;
  const QList<QTreeWidgetItem*> selected = lvwFiles->selectedItems();
  const QString title = selected.isEmpty() ? QString() : selected.front()->text(colFileName);
  switch (pane_state_) {
    case TPaneState::Shown:
      frmCurves_->ShowLUT(&PreviewLUT, title);
      break;
    case TPaneState::CannotRead:
      frmCurves_->ShowLUT(nullptr, title);
      break;
    case TPaneState::Unknown: {
      TLUT none;
      none.Kind = TLUTKind::lkNone;
      frmCurves_->ShowLUT(&none, title);
      break;
    }
    case TPaneState::Nothing:
      frmCurves_->ShowLUT(nullptr, QString());
      break;
  }
}

void TfrmMain::btnShowHidePreviewClick() {
  pnlPreview->setVisible(pnlPreview->isHidden());
  miPreviewPane->setChecked(!pnlPreview->isHidden());
  // Shown again, the pane shows the selection as it is now.
  if (!pnlPreview->isHidden()) PreviewSelection();
}

void TfrmMain::btnLoadPreviewImageClick() {
  RunUserAction(this, [this] {
    TPanePicture picture;
    std::string file_name;
    if (!LoadPreviewPicture(this, picture, &file_name)) return;
    SetUngradedPicture(std::move(picture));
    picture_file_ = file_name;
    const QList<QTreeWidgetItem*> selected = lvwFiles->selectedItems();
    if (!selected.isEmpty()) lvwFilesSelectItem(selected.front(), true);
  });
}

void TfrmMain::LoadPictureFile(const std::string& file_name) {
  try {
    SetUngradedPicture(ReadPanePicture(DisplayPath(file_name)));
    picture_file_ = file_name;
  } catch (const std::exception&) {
    // A picture that has gone leaves the default one.
  }
}

void TfrmMain::SetUngradedPicture(TPanePicture&& picture) {
  imgUngraded->SetPicture(std::move(picture.Shown));
  ungraded_values_ = std::move(picture.Values);
  stxPictureNote->setText(QString::fromStdString(picture.Note));
  stxPictureNote->setVisible(!picture.Note.empty());
}

}  // namespace zelvo
