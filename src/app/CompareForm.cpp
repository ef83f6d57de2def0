#include "app/CompareForm.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>

#include "app/AppErrors.h"
#include "app/CurvesForm.h"
#include "app/FileDlg.h"
#include "app/FileList.h"
#include "app/MainForm.h"
#include "app/Paths.h"
#include "app/UserPrompts.h"
#include "registry/Registry.h"

namespace zelvo {

namespace {

// The spaces in the order of cbxSpace's items.
constexpr TCompareSpace kSpaces[] = {TCompareSpace::csSRGB, TCompareSpace::csLinear, TCompareSpace::csNone};
const char* const kSpaceCaptions[] = {"sRGB display colours", "Linear light", "No colour difference"};

QSpinBox* SpinBox(QWidget* parent, const char* name, int low, int high, int value, const QString& suffix) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setRange(low, high);
  box->setValue(value);
  box->setSuffix(suffix);
  // Typing "65" compares once, not at "6" as well.
  box->setKeyboardTracking(false);
  return box;
}

// Reads a file to compare into `lut`, or gives why it cannot be. The list's
// own checks come first, so that a pipe or a device is never opened.
std::string ReadToCompare(const std::string& path, TLUT& lut) {
  try {
    TListedFile listed{path, {}, {}};
    CheckListedFile(listed);
    if (!listed.Problem.empty()) return WithFullStop(path + ": " + listed.Problem);
    if (listed.Format == TLUTFormatId::None) {
      return path + ": The file is not a LUT file of a known format" + UnknownFormatDetail(path) + ".";
    }
    NamingFile(path, [&] { LoadLUTFile(path, lut, listed.Format); });
    return {};
  } catch (const std::exception& e) {
    return ErrorBoxText(e);
  }
}

QString FileNameOf(const std::string& path) { return QFileInfo(DisplayPath(path)).fileName(); }

}  // namespace

TfrmCompare::TfrmCompare(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("frmCompare"));
  setWindowTitle(QStringLiteral("Compare LUTs"));

  cbxSpace = new QComboBox(this);
  cbxSpace->setObjectName(QStringLiteral("cbxSpace"));
  for (std::size_t k = 0; k < std::size(kSpaces); ++k) {
    cbxSpace->addItem(QString::fromLatin1(kSpaceCaptions[k]), static_cast<int>(kSpaces[k]));
  }
  cbxSpace->setToolTip(QStringLiteral("How the output values are taken for the colour difference (dE2000)"));
  const TCompareOptions defaults;
  spnGrid = SpinBox(this, "spnGrid", kMinCompareGrid, kMaxCompareGrid, defaults.Grid, QStringLiteral(" points"));
  spnGrid->setToolTip(QStringLiteral("Points per axis of the even grid of inputs, beside the grid points of both LUTs"));
  spnDepth = SpinBox(this, "spnDepth", 1, kMaxCompareDepth, defaults.DepthBits, QStringLiteral(" bits"));
  spnDepth->setToolTip(QStringLiteral("The depth whose code steps the differences are told in; "
                                      "the threshold is half a code step"));
  lblAssumption = new QLabel(this);
  lblAssumption->setObjectName(QStringLiteral("lblAssumption"));
  lblAssumption->setTextFormat(Qt::PlainText);

  mmReport = new QPlainTextEdit(this);
  mmReport->setObjectName(QStringLiteral("mmReport"));
  mmReport->setReadOnly(true);
  mmReport->setLineWrapMode(QPlainTextEdit::NoWrap);
  mmReport->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  frmCurves = new TfrmCurves(this);
  frmCurves->setWindowFlags(Qt::Widget);

  auto* choices = new QHBoxLayout;
  const auto label = [&](const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, this);
    l->setBuddy(buddy);
    choices->addWidget(l);
    choices->addWidget(buddy);
    choices->addSpacing(12);
  };
  label(QStringLiteral("&Colour difference:"), cbxSpace);
  label(QStringLiteral("&Grid:"), spnGrid);
  label(QStringLiteral("Code steps of &depth:"), spnDepth);
  choices->addStretch(1);
  auto* report = new QWidget(this);
  auto* report_layout = new QVBoxLayout(report);
  report_layout->setContentsMargins(0, 0, 0, 0);
  report_layout->addLayout(choices);
  report_layout->addWidget(lblAssumption);
  report_layout->addWidget(mmReport, 1);
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(report);
  split->addWidget(frmCurves);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split);
  resize(1240, 620);

  connect(cbxSpace, &QComboBox::currentIndexChanged, this, &TfrmCompare::Compare);
  connect(spnGrid, &QSpinBox::valueChanged, this, &TfrmCompare::Compare);
  connect(spnDepth, &QSpinBox::valueChanged, this, &TfrmCompare::Compare);
  Compare();
}

TCompareOptions TfrmCompare::Options() const {
  TCompareOptions options;
  options.Space = static_cast<TCompareSpace>(cbxSpace->currentData().toInt());
  options.Grid = spnGrid->value();
  options.DepthBits = spnDepth->value();
  return options;
}

void TfrmCompare::CompareFiles(const std::string& file_a, const std::string& file_b) {
  for (auto [side, path] : {std::pair{&a_, &file_a}, std::pair{&b_, &file_b}}) {
    side->Path = *path;
    side->LUT = TLUT();
    side->Error = ReadToCompare(side->Path, side->LUT);
  }
  frmCurves->ShowLUTPair(a_.Error.empty() ? &a_.LUT : nullptr, FileNameOf(a_.Path),
                         b_.Error.empty() ? &b_.LUT : nullptr, FileNameOf(b_.Path));
  Compare();
}

void TfrmCompare::Compare() {
  const TCompareOptions options = Options();
  lblAssumption->setText(QStringLiteral("Colour difference: ") + QString::fromLatin1(CompareSpaceAssumption(options.Space)));
  report_.reset();
  if (a_.Path.empty()) {
    mmReport->setPlainText(QStringLiteral("No LUTs to compare."));
    return;
  }
  const std::string name_a = DisplayPath(a_.Path).toStdString(), name_b = DisplayPath(b_.Path).toStdString();
  std::string error;
  for (const TSide* side : {&a_, &b_}) {
    if (!side->Error.empty()) error += side->Error + "\n";
  }
  if (error.empty()) {
    try {
      report_ = CompareLUTs(a_.LUT, b_.LUT, options);
    } catch (const std::exception& e) {
      error = ErrorBoxText(e) + "\n";
    }
  }
  const std::string text = report_ ? CompareReportText(*report_, name_a, name_b)
                                   : "A: " + name_a + "\nB: " + name_b + "\nThe LUTs cannot be compared.\n" + error;
  mmReport->setPlainText(QString::fromStdString(text));
}

bool PickLUTsToCompare(QWidget* owner, std::vector<std::string>& files) {
  if (files.size() == 2) return true;
  files.clear();
  TFileOpenDialog picker(owner);
  picker.MultiSelect = true;
  picker.InitialDir = LastAddFolder();
  picker.Filter = QString::fromLatin1(kLUTFilter);
  picker.Title = QStringLiteral("Pick two LUT files to compare");
  if (!picker.Execute()) return false;
  if (picker.Files.size() > 2) {
    ShowMessage(owner, QMessageBox::Information, QStringLiteral("Compare LUTs"),
                QStringLiteral("Please pick two LUT files to compare, not ") + QString::number(picker.Files.size()) +
                    u'.');
    return false;
  }
  for (const QString& file : picker.Files) files.push_back(LocalPath(file));
  if (files.size() == 1) {
    picker.MultiSelect = false;
    picker.InitialDir = QFileInfo(picker.FileName).absolutePath();
    picker.Title = QStringLiteral("Pick the LUT file to compare with ") + QFileInfo(picker.FileName).fileName();
    if (!picker.Execute()) return false;
    files.push_back(LocalPath(picker.FileName));
  }
  return true;
}

}  // namespace zelvo
