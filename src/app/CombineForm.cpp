#include "app/CombineForm.h"

#include <QApplication>
#include <QBrush>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <chrono>
#include <future>
#include <memory>

#include "app/AppErrors.h"
#include "app/FormParts.h"
#include "app/ImageBox.h"
#include "app/MainForm.h"
#include "app/Paths.h"
#include "app/PictureDlg.h"
#include "app/ProgressDlg.h"
#include "app/UserPrompts.h"
#include "image/Preview.h"

namespace zelvo {

namespace {

constexpr const char* kCombineDone = "The conversion was successfully completed.";
// A conversion that takes longer than this shows the progress dialog.
constexpr int kProgressAfterMs = 400;

QPushButton* StepButton(QWidget* parent, const char* name, const QString& text, const QString& hint) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setToolTip(hint);
  button->setAutoDefault(false);
  return button;
}

// A grade as its row shows it: its numbers as typed, which need not read
// as numbers yet.
QString GradeText(const TCombineStep& step) {
  const auto& n = step.Numbers;
  const auto three = [&](std::size_t first) {
    return QString::fromStdString(n[first] + " " + n[first + 1] + " " + n[first + 2]);
  };
  return QStringLiteral("ASC CDL slope ") + three(cdlSlopeR) + QStringLiteral(", offset ") + three(cdlOffsetR) +
         QStringLiteral(", power ") + three(cdlPowerR) + QStringLiteral(", saturation ") +
         QString::fromStdString(n[cdlSaturation]);
}

// The conversion on a thread of its own; the progress dialog shows when it
// takes a while, so that the windows are drawn and wait meanwhile.
TConvertNotes ConvertWithProgress(QWidget* owner, std::function<TConvertNotes()> work) {
  // Nothing of the dialog is pressed again meanwhile, also once the
  // progress dialog is closed with Esc.
  struct TDisabled {
    QWidget* w;
    ~TDisabled() { w->setEnabled(true); }
  } const disabled{owner};
  owner->setEnabled(false);
  std::future<TConvertNotes> task = std::async(std::launch::async, std::move(work));
  QElapsedTimer waited;
  waited.start();
  std::unique_ptr<TfrmProgress> progress;
  while (task.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
    if (progress == nullptr && waited.elapsed() >= kProgressAfterMs) {
      // (Owned by the main window: a child of the disabled dialog would be
      // disabled too.)
      progress = std::make_unique<TfrmProgress>(owner->parentWidget());
      progress->setWindowTitle(QStringLiteral("Convertion..."));
      progress->SetText(QStringLiteral("The chain is being made into one LUT. Please wait..."));
      progress->ProgressBar->setRange(0, 0);  // no share of the work to tell
      progress->SetShowTimeEstimate(false);
      progress->btnCancel->hide();  // a bake runs to its end
      progress->show();
    }
    if (progress != nullptr) progress->PollCancelled();
  }
  return task.get();
}

// What a conversion says besides its success.
QString NotesText(const TConvertNotes& notes, const TLutOutputProfile& profile) {
  QString text = QString::fromUtf8(kCombineDone);
  const QString caption = QStringLiteral("\"") + QString::fromStdString(profile.Caption) + QStringLiteral("\"");
  if (notes.InputsClipped) {
    text += QStringLiteral("\n\nThe chain covers inputs beyond 0..1, which ") + caption +
            QStringLiteral(" cannot state; the file holds what it does to inputs 0..1 and clips the rest.");
  }
  if (notes.OutputsClipped) {
    text += QStringLiteral("\n\nThe table has values beyond 0..1, which ") + caption +
            QStringLiteral(" cannot hold; the file clips them to 0..1.");
  }
  // The core's notes are clauses: each becomes a sentence of its own.
  for (const std::string& warning : notes.Warnings) {
    QString sentence = QString::fromStdString(warning);
    if (sentence.isEmpty()) continue;
    sentence[0] = sentence[0].toUpper();
    if (!sentence.endsWith(u'.')) sentence += u'.';
    text += QStringLiteral("\n\n") + sentence;
  }
  return text;
}

}  // namespace

TfrmCombine::TfrmCombine(QWidget* owner, const TBitmap24& test_picture, TInterpolation interpolation, TListRows rows)
    : TfrmOutputLUT(owner), steps_(interpolation), rows_(std::move(rows)) {
  setObjectName(QStringLiteral("frmCombine"));
  setWindowTitle(QStringLiteral("Combine and Invert"));

  Image1 = new TImageBox(this, kPreviewBoxWidth, kPreviewBoxHeight);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setToolTip(QStringLiteral("The test image, click to load another image"));
  Image1->setCursor(Qt::PointingHandCursor);
  Image2 = new TImageBox(this, kPreviewBoxWidth, kPreviewBoxHeight);
  Image2->setObjectName(QStringLiteral("Image2"));
  Image2->setToolTip(QStringLiteral("The test image through the chain"));

  lblSteps = NamedLabel(this, "lblSteps", QStringLiteral("Steps, applied from the top"));
  lvwSteps = new QTreeWidget(this);
  lvwSteps->setObjectName(QStringLiteral("lvwSteps"));
  lvwSteps->setHeaderLabels({QStringLiteral("#"), QStringLiteral("Step"), QStringLiteral("Invert")});
  lvwSteps->setRootIsDecorated(false);
  lvwSteps->setSelectionMode(QAbstractItemView::SingleSelection);
  lvwSteps->setMinimumSize(440, 140);
  lvwSteps->header()->setStretchLastSection(false);
  lvwSteps->header()->setSectionResizeMode(colStepNumber, QHeaderView::ResizeToContents);
  lvwSteps->header()->setSectionResizeMode(colStep, QHeaderView::Stretch);
  lvwSteps->header()->setSectionResizeMode(colInvert, QHeaderView::ResizeToContents);
  btnAddSelected = StepButton(this, "btnAddSelected", QStringLiteral("Add Selected"),
                              QStringLiteral("Add the LUT selected in the main list"));
  btnAddChecked = StepButton(this, "btnAddChecked", QStringLiteral("Add Checked"),
                             QStringLiteral("Add the LUTs checked in the main list"));
  btnAddFiles = StepButton(this, "btnAddFiles", QStringLiteral("Add LUTs..."), QStringLiteral("Add LUT files"));
  btnAddCDL = StepButton(this, "btnAddCDL", QStringLiteral("Add ASC CDL"),
                         QStringLiteral("Add an ASC CDL grade: slope, offset and power per channel, saturation"));
  btnMoveUp = StepButton(this, "btnMoveUp", QStringLiteral("Up"), QStringLiteral("Apply the selected step earlier"));
  btnMoveDown = StepButton(this, "btnMoveDown", QStringLiteral("Down"), QStringLiteral("Apply the selected step later"));
  btnRemove = StepButton(this, "btnRemove", QStringLiteral("Remove"), QStringLiteral("Remove the selected step"));

  grpCDL = new QGroupBox(QStringLiteral("ASC CDL"), this);
  grpCDL->setObjectName(QStringLiteral("grpCDL"));
  auto* grade = new QGridLayout(grpCDL);
  const char* const channel_names[] = {"Red", "Green", "Blue"};
  const char* const part_names[] = {"Slope", "Offset", "Power"};
  for (int c = 0; c < 3; ++c) grade->addWidget(new QLabel(QString::fromLatin1(channel_names[c]), grpCDL), 0, c + 1);
  for (std::size_t i = 0; i < kCDLNumbers; ++i) {
    const QString part = i == cdlSaturation ? QStringLiteral("Saturation") : QString::fromLatin1(part_names[i / 3]);
    const QString channel = i == cdlSaturation ? QString() : QString::fromLatin1(channel_names[i % 3]);
    auto* edit = new QLineEdit(grpCDL);
    edit->setObjectName(QStringLiteral("edt") + part + (channel.isEmpty() ? QString() : channel.left(1)));
    edit->setToolTip(QString::fromLatin1(CDLNumberName(i)));
    edit->setMaximumWidth(96);
    edtCDL[i] = edit;
    const int row = static_cast<int>(i == cdlSaturation ? 4 : i / 3 + 1);
    if (i % 3 == 0) grade->addWidget(new QLabel(part, grpCDL), row, 0);
    grade->addWidget(edit, row, i == cdlSaturation ? 1 : static_cast<int>(i % 3) + 1);
  }

  lblProblems = NamedLabel(this, "lblProblems", QString());
  lblProblems->setWordWrap(true);
  lblProblems->setTextFormat(Qt::PlainText);
  lblProblems->setStyleSheet(QStringLiteral("color: #aa0000;"));
  lblProblems->setMaximumWidth(640);
  CreateOutputControls();

  auto* pictures = new QHBoxLayout;
  pictures->addWidget(Image1);
  pictures->addWidget(Image2);
  pictures->addStretch();
  auto* step_buttons = new QVBoxLayout;
  for (QPushButton* b : {btnAddSelected, btnAddChecked, btnAddFiles, btnAddCDL}) step_buttons->addWidget(b);
  step_buttons->addSpacing(8);
  for (QPushButton* b : {btnMoveUp, btnMoveDown, btnRemove}) step_buttons->addWidget(b);
  step_buttons->addStretch();
  auto* steps = new QHBoxLayout;
  steps->addWidget(lvwSteps, 1);
  steps->addLayout(step_buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(pictures);
  layout->addSpacing(6);
  layout->addWidget(lblSteps);
  layout->addLayout(steps);
  layout->addWidget(grpCDL);
  layout->addWidget(lblProblems);
  AddOutputControls(*layout);

  FormCreate(test_picture);

  connect(btnAddSelected, &QPushButton::clicked, this, &TfrmCombine::btnAddSelectedClick);
  connect(btnAddChecked, &QPushButton::clicked, this, &TfrmCombine::btnAddCheckedClick);
  connect(btnAddFiles, &QPushButton::clicked, this, &TfrmCombine::btnAddFilesClick);
  connect(btnAddCDL, &QPushButton::clicked, this, &TfrmCombine::btnAddCDLClick);
  connect(btnMoveUp, &QPushButton::clicked, this, &TfrmCombine::btnMoveUpClick);
  connect(btnMoveDown, &QPushButton::clicked, this, &TfrmCombine::btnMoveDownClick);
  connect(btnRemove, &QPushButton::clicked, this, &TfrmCombine::btnRemoveClick);
  connect(lvwSteps, &QTreeWidget::itemChanged, this, &TfrmCombine::lvwStepsChange);
  connect(lvwSteps, &QTreeWidget::itemSelectionChanged, this, &TfrmCombine::ShowSelection);
  for (std::size_t i = 0; i < kCDLNumbers; ++i) {
    connect(edtCDL[i], &QLineEdit::textEdited, this, [this, i](const QString& text) { edtCDLChange(i, text); });
  }
  connect(Image1, &TImageBox::clicked, this, &TfrmCombine::Image1Click);
  connect(btnConvert, &QPushButton::clicked, this, &TfrmCombine::btnConvertClick);
}

void TfrmCombine::FormCreate(const TBitmap24& test_picture) {
  btnAddSelected->setEnabled(!rows_.Selected.empty());
  btnAddChecked->setEnabled(!rows_.Checked.empty());
  Image1->SetPicture(test_picture.Copy());
  steps_.SetPicture(Image1->Picture());
  ShowSteps(-1);
}

ConversionSettings TfrmCombine::Settings() const {
  ConversionSettings settings;
  settings.OutputProfile = SelectedOutputProfile();
  settings.SizeText = cbxDimSize->currentText().toStdString();
  settings.Bits = SelectedBits();
  settings.Interpolation = steps_.Interpolation();
  return settings;
}

int TfrmCombine::SelectedStep() const {
  const QList<QTreeWidgetItem*> selected = lvwSteps->selectedItems();
  return selected.isEmpty() ? -1 : lvwSteps->indexOfTopLevelItem(selected.front());
}

void TfrmCombine::ShowSteps(int selected) {
  {
    // The rows are kept and rewritten: a check box's row must outlive the
    // signal of its click.
    const QSignalBlocker quiet(lvwSteps);
    const std::vector<TCombineStep>& steps = steps_.Steps();
    const int count = static_cast<int>(steps.size());
    while (lvwSteps->topLevelItemCount() > count) delete lvwSteps->takeTopLevelItem(count);
    while (lvwSteps->topLevelItemCount() < count) new QTreeWidgetItem(lvwSteps);
    for (int i = 0; i < count; ++i) {
      const TCombineStep& step = steps[static_cast<std::size_t>(i)];
      QTreeWidgetItem* item = lvwSteps->topLevelItem(i);
      const bool lut = step.Step.Kind == TChainStepKind::LUT;
      item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren |
                     (lut ? Qt::ItemIsUserCheckable : Qt::NoItemFlags));
      item->setText(colStepNumber, QString::number(i + 1));
      item->setText(colStep, lut ? DisplayPath(step.Step.Description()) : GradeText(step));
      // Only a LUT has a box to invert it.
      item->setData(colInvert, Qt::CheckStateRole,
                    lut ? QVariant(step.Step.Inverted ? Qt::Checked : Qt::Unchecked) : QVariant());
      QString tip = lut ? DisplayPath(step.Step.FileName) : GradeText(step);
      if (!step.Error.empty()) tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + QString::fromStdString(step.Error);
      item->setForeground(colStep, step.Error.empty() ? lvwSteps->palette().text() : QBrush(QColor(170, 0, 0)));
      item->setToolTip(colStep, tip);
    }
    lvwSteps->clearSelection();
    if (selected >= 0 && selected < lvwSteps->topLevelItemCount()) {
      lvwSteps->setCurrentItem(lvwSteps->topLevelItem(selected));
    }
  }
  QStringList problems;
  for (const std::string& problem : steps_.Problems()) problems.push_back(QString::fromStdString(problem));
  lblProblems->setText(problems.join(u'\n'));
  lblProblems->setVisible(!problems.isEmpty());
  if (steps_.Chain() != nullptr) {
    Image2->SetPicture(steps_.Preview().Copy());
  } else {
    Image2->Clear();  // never the picture of another chain
  }
  ShowSelection();
  UpdateConvertButton();
}

void TfrmCombine::ShowSelection() {
  const int row = SelectedStep();
  const int count = static_cast<int>(steps_.Steps().size());
  btnMoveUp->setEnabled(row > 0);
  btnMoveDown->setEnabled(row >= 0 && row + 1 < count);
  btnRemove->setEnabled(row >= 0);
  const TCombineStep* grade =
      row >= 0 && steps_.Steps()[static_cast<std::size_t>(row)].Step.Kind == TChainStepKind::CDL
          ? &steps_.Steps()[static_cast<std::size_t>(row)]
          : nullptr;
  grpCDL->setEnabled(grade != nullptr);
  for (std::size_t i = 0; i < kCDLNumbers; ++i) {
    // Unchanged text keeps the cursor where the person types.
    const QString text = grade != nullptr ? QString::fromStdString(grade->Numbers[i]) : QString();
    if (edtCDL[i]->text() != text) edtCDL[i]->setText(text);
  }
}

void TfrmCombine::UpdateConvertButton() {
  btnConvert->setEnabled(steps_.Chain() != nullptr && SelectedOutputProfile() != nullptr &&
                         !edtLUTFile->text().isEmpty());
}

void TfrmCombine::AddFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  for (const std::string& path : paths) steps_.AddLUTFile(path);
  ShowSteps(static_cast<int>(steps_.Steps().size()) - 1);
}

void TfrmCombine::btnAddSelectedClick() {
  RunUserAction(this, [this] { AddFiles(rows_.Selected); });
}

void TfrmCombine::btnAddCheckedClick() {
  RunUserAction(this, [this] { AddFiles(rows_.Checked); });
}

void TfrmCombine::btnAddFilesClick() {
  RunUserAction(this, [this] {
    std::vector<std::string> paths;
    for (const QString& path : PickLUTFiles(this)) paths.push_back(LocalPath(path));
    AddFiles(paths);
  });
}

void TfrmCombine::btnAddCDLClick() {
  RunUserAction(this, [this] {
    steps_.AddCDL();
    ShowSteps(static_cast<int>(steps_.Steps().size()) - 1);
    edtCDL[cdlSlopeR]->setFocus();
  });
}

void TfrmCombine::btnMoveUpClick() {
  RunUserAction(this, [this] {
    const int row = SelectedStep();
    if (row <= 0) return;
    steps_.Move(static_cast<std::size_t>(row), static_cast<std::size_t>(row - 1));
    ShowSteps(row - 1);
  });
}

void TfrmCombine::btnMoveDownClick() {
  RunUserAction(this, [this] {
    const int row = SelectedStep();
    if (row < 0 || row + 1 >= static_cast<int>(steps_.Steps().size())) return;
    steps_.Move(static_cast<std::size_t>(row), static_cast<std::size_t>(row + 1));
    ShowSteps(row + 1);
  });
}

void TfrmCombine::btnRemoveClick() {
  RunUserAction(this, [this] {
    const int row = SelectedStep();
    if (row < 0) return;
    steps_.Remove(static_cast<std::size_t>(row));
    ShowSteps(std::min(row, static_cast<int>(steps_.Steps().size()) - 1));
  });
}

void TfrmCombine::lvwStepsChange(QTreeWidgetItem* item, int column) {
  if (item == nullptr || column != colInvert) return;
  RunUserAction(this, [this, item] {
    const int row = lvwSteps->indexOfTopLevelItem(item);
    steps_.SetInverted(static_cast<std::size_t>(row), item->checkState(colInvert) == Qt::Checked);
    ShowSteps(row);
  });
}

void TfrmCombine::edtCDLChange(std::size_t number, const QString& text) {
  RunUserAction(this, [this, number, &text] {
    const int row = SelectedStep();
    if (row < 0) return;
    steps_.SetCDLNumber(static_cast<std::size_t>(row), number, text.toStdString());
    ShowSteps(row);
  });
}

void TfrmCombine::Image1Click() {
  RunUserAction(this, [this] {
    TPanePicture picture;
    if (!LoadPreviewPicture(this, picture)) return;
    Image1->SetPicture(std::move(picture.Shown));
    steps_.SetPicture(Image1->Picture());
    ShowSteps(SelectedStep());
  });
}

void TfrmCombine::btnConvertClick() {
  RunUserAction(this, [this] {
    const ConversionSettings settings = Settings();
    // The conversion's rules, before anything is asked or written: a size it
    // would change or cannot build is refused here, to be corrected.
    try {
      CheckConversionSettings(settings);
      CheckSizeInRange(settings);
    } catch (const EZelvoError&) {
      if (cbxDimSize->isEnabled()) cbxDimSize->setFocus();
      throw;
    }
    const std::string target = LocalPath(edtLUTFile->text());
    if (target.empty()) throw EZelvoError("No output LUT file is set.");
    // Writing the LUT over a file of the chain would lose that file.
    const std::vector<TCombineStep>& steps = steps_.Steps();
    for (std::size_t i = 0; i < steps.size(); ++i) {
      if (steps[i].Step.Kind == TChainStepKind::LUT && IsSameFile(target, steps[i].Step.FileName)) {
        throw EZelvoError("The LUT file \"" + target + "\" is step " + std::to_string(i + 1) + " of this chain.");
      }
    }
    const std::optional<TReplace> replace = AskReplaceLUTFile(this, edtLUTFile->text());
    if (!replace) return;
    // What the files hold now is written; one gone or broken since it was
    // added stops the conversion and shows in the dialog.
    steps_.ReloadFiles();
    ShowSteps(SelectedStep());
    if (steps_.Chain() == nullptr) {
      throw EZelvoError("The chain cannot be converted:\n" + lblProblems->text().toStdString());
    }
    const std::vector<TChainStep> chain = steps_.ChainSteps();
    const TConvertNotes notes = ConvertWithProgress(
        this, [settings, chain, target, replace] { return ConvertChain(settings, chain, target, *replace); });
    ShowMessage(this, QMessageBox::Information, QStringLiteral("Information"), NotesText(notes, *settings.OutputProfile));
  });
}

void ShowCombineDialog(QWidget* owner, const TBitmap24& test_picture, TInterpolation interpolation, TListRows rows) {
  const auto dialog = std::make_unique<TfrmCombine>(owner, test_picture, interpolation, std::move(rows));
  if (owner != nullptr) dialog->move(owner->mapToGlobal(QPoint(0, 0)));
  dialog->exec();
}

}  // namespace zelvo
