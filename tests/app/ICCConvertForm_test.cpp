// The "ICC Profile to LUT Conversion" dialog: the controls each profile class
// shows, the output file following the profile and the format, the size
// box's keys, Convert's enabling, its overwrite question and its report.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "AppTestSupport.h"
#include "ICCTestProfiles.h"
#include "app/ICCConvertForm.h"
#include "app/Remembered.h"
#include "app/ImageBox.h"
#include "app/MainForm.h"
#include "convert/ConvertJob.h"

namespace zelvo::test {

namespace {

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

TBitmap24 Ramp() {
  TBitmap24 picture(16, 8);
  for (std::size_t i = 0; i < picture.ByteCount(); ++i) picture.Pixels()[i] = static_cast<std::uint8_t>(i * 5);
  return picture;
}

// The dialog's test profiles in a folder of their own.
struct Profiles {
  QTemporaryDir dir;
  QString display = Make(Display22Profile(), "display.icc");
  QString srgb = Make(cmsCreate_sRGBProfile(), "srgb.icc");
  QString scanner = Make(SRGBProfileOfClass(cmsSigInputClass), "scanner.icm");
  QString link = Make(DeviceLinkProfile(Display22Profile(), cmsCreate_sRGBProfile()), "link.icc");
  QString abstract = Make(AbstractProfile(), "abstract.icc");
  QString forward_only = Make(IdentityTableProfile(cmsSigInputClass, cmsSigLabData), "forward.icc");

  QString Make(cmsHPROFILE profile, const char* name) const {
    const QString path = QDir(dir.path()).filePath(QString::fromLatin1(name));
    if (!SaveICCProfile(profile, path.toStdString())) qFatal("cannot write %s", qPrintable(path));
    return path;
  }
};

void OpenProfile(ScriptedPrompts& prompts, TfrmICCConvert& dialog, const QString& path) {
  prompts.next_files.push_back(QStringList{path});
  QTest::mouseClick(dialog.btnOpenICCProfile, Qt::LeftButton);
}

void ChooseFormat(TfrmICCConvert& dialog, const char* caption) {
  dialog.cbxOutFormat->setCurrentIndex(dialog.cbxOutFormat->findText(QString::fromLatin1(caption)));
  QVERIFY(dialog.cbxOutFormat->currentIndex() >= 0);
}

TICCConvertSettings SettingsFor(const QString& profile, const QString& second = QString(), bool invert = false) {
  TICCConvertSettings s;
  s.Profile = profile.toStdString();
  s.SecondProfile = second.toStdString();
  s.Invert = invert;
  return s;
}

}  // namespace

class ICCConvertForm : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    LastICCFolder().clear();
    LastOutputFolder().clear();
  }

  void startsEmptyWithTheTestPicture() {
    TfrmICCConvert dialog(nullptr, Ramp());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("ICC Profile to LUT Conversion"));
    QVERIFY(SamePicture(dialog.Image1->Picture(), Ramp()));
    QVERIFY(dialog.Image2->Picture().Empty() && dialog.Image2->toolTip().isEmpty());
    QVERIFY(dialog.lblICCType->text().isEmpty() && dialog.edtSrcProfile->text().isEmpty());
    for (QWidget* w : std::initializer_list<QWidget*>{dialog.lblSecondProfile, dialog.edtSecondProfile,
                                                      dialog.btnOpenSecondProfile, dialog.cbxInvertTransform}) {
      QVERIFY(w->isHidden());
    }
    QCOMPARE(dialog.edtSecondProfile->text(), QStringLiteral("sRGB (Default)"));
    QCOMPARE(dialog.cbxOutFormat->count(), static_cast<int>(OutputProfiles().size()));
    QCOMPARE(dialog.cbxOutFormat->currentIndex(), -1);
    QVERIFY(!dialog.edtLUTFile->isEnabled() && !dialog.btnSetLUTFile->isEnabled());
    QCOMPARE(Items(dialog.cbxDimSize), QStringList({"Default", "17", "32", "33", "64"}));
    QVERIFY(!dialog.cbxDimSize->isEnabled() && !dialog.cbxBits->isEnabled());
    QCOMPARE(Items(dialog.cbxBits), QStringList({"Default", "8 bit", "10 bit", "12 bit", "14 bit", "16 bit"}));
    QVERIFY(!dialog.btnConvert->isEnabled() && dialog.btnConvert->isDefault());
    QCOMPARE(dialog.btnCancel->text(), QStringLiteral("Close"));
  }

  void profileClassDecidesTheSecondProfileAndThePreview() {
    Profiles p;
    PromptsScope prompts;
    TfrmICCConvert dialog(nullptr, Ramp());
    struct Case {
      QString profile;
      QString type;
      QString second_caption;  // empty: no second-profile controls
      QString error;           // empty: previewed
    };
    const QString not_profile = WriteText(QDir(p.dir.path()), "notes.icc", "not a profile\n");
    const Case cases[] = {
        {p.display, "Display Device Profile", "Input Color Space", {}},
        {not_profile, {}, {}, "cannot be read as an ICC profile"},
        {p.scanner, "Input Device Profile", "Output Color Space", {}},
        {p.link, "Device Link Profile", {}, {}},
        {p.abstract, "Abstract Profile", {}, "this profile class cannot be turned into a LUT"},
    };
    for (const Case& c : cases) {
      prompts->messages.clear();
      OpenProfile(*prompts, dialog, c.profile);
      QCOMPARE(dialog.edtSrcProfile->text(), c.profile);
      QCOMPARE(dialog.lblICCType->text(), c.type.isEmpty() ? QString() : QStringLiteral("Profile Type: ") + c.type);
      QCOMPARE(dialog.edtSecondProfile->isHidden(), c.second_caption.isEmpty());
      QCOMPARE(dialog.cbxInvertTransform->isHidden(), c.second_caption.isEmpty());
      if (!c.second_caption.isEmpty()) QCOMPARE(dialog.lblSecondProfile->text(), c.second_caption);
      if (c.error.isEmpty()) {
        QVERIFY(prompts->messages.empty());
        QVERIFY(SamePicture(dialog.Image2->Picture(), PreviewICCProfile(SettingsFor(c.profile), Ramp())));
        QCOMPARE(dialog.Image2->toolTip(), QStringLiteral("The test image with ICC colors transformation"));
      } else {
        QCOMPARE(prompts->messages.size(), 1u);
        QCOMPARE(prompts->messages[0].Icon, QMessageBox::Critical);
        QVERIFY2(prompts->messages[0].Text.contains(c.error), qPrintable(prompts->messages[0].Text));
        QVERIFY(dialog.Image2->Picture().Empty());  // never the previous profile's picture
      }
    }
    const TOpenFilesRequest& first = prompts->file_requests.at(0);
    QCOMPARE(first.NameFilters, QStringList({"ICC Profiles (*.icc *icm)", "All Files (*)"}));
    QCOMPARE(first.InitialFolder, QString());
    QCOMPARE(prompts->file_requests.at(1).InitialFolder, p.dir.path());
  }

  void secondProfileAndInversion() {
    Profiles p;
    PromptsScope prompts;
    TfrmICCConvert dialog(nullptr, Ramp());
    OpenProfile(*prompts, dialog, p.display);
    prompts->next_files.push_back(QStringList{p.scanner});
    QTest::mouseClick(dialog.btnOpenSecondProfile, Qt::LeftButton);
    QCOMPARE(dialog.edtSecondProfile->text(), p.scanner);
    QVERIFY(SamePicture(dialog.Image2->Picture(), PreviewICCProfile(SettingsFor(p.display, p.scanner), Ramp())));
    dialog.cbxInvertTransform->setChecked(true);
    QVERIFY(SamePicture(dialog.Image2->Picture(), PreviewICCProfile(SettingsFor(p.display, p.scanner, true), Ramp())));
    QVERIFY(prompts->messages.empty());

    // A profile that converts one way only: the warning, the box cleared and
    // the normal direction shown again.
    OpenProfile(*prompts, dialog, p.forward_only);
    QVERIFY(!dialog.cbxInvertTransform->isChecked());
    dialog.cbxInvertTransform->setChecked(true);
    QCOMPARE(prompts->messages.size(), 1u);
    QCOMPARE(prompts->messages[0].Icon, QMessageBox::Warning);
    QCOMPARE(prompts->messages[0].Text, QStringLiteral("Inversion is impossible for selected ICC profile."));
    QVERIFY(!dialog.cbxInvertTransform->isChecked());
    QVERIFY(SamePicture(dialog.Image2->Picture(), PreviewICCProfile(SettingsFor(p.forward_only, p.scanner), Ramp())));

    // A second profile gone by the time of Convert is named, and nothing is written.
    ChooseFormat(dialog, "Cube 3D Davinci");
    QFile::remove(p.scanner);
    QTest::mouseClick(dialog.btnConvert, Qt::LeftButton);
    QCOMPARE(prompts->messages.size(), 2u);
    QVERIFY(prompts->messages[1].Text.contains(p.scanner));
    QVERIFY(!QFile::exists(dialog.edtLUTFile->text()));
  }

  void outputFileFollowsTheProfileThenTheFormat() {
    Profiles p;
    PromptsScope prompts;
    {
      TfrmICCConvert first(nullptr, Ramp());
      OpenProfile(*prompts, first, p.display);
      QVERIFY(!first.btnConvert->isEnabled());  // a profile, no format yet
    }
    TfrmICCConvert dialog(nullptr, Ramp());
    ChooseFormat(dialog, "S.two 1D");
    QVERIFY(dialog.edtLUTFile->isEnabled() && dialog.edtLUTFile->text().isEmpty());
    QVERIFY(!dialog.btnConvert->isEnabled());
    OpenProfile(*prompts, dialog, p.display);
    QCOMPARE(dialog.edtLUTFile->text(), p.dir.path() + QStringLiteral("/display.swto.xml"));
    QVERIFY(dialog.btnConvert->isEnabled());
    ChooseFormat(dialog, "Cube 3D Davinci");
    QCOMPARE(dialog.edtLUTFile->text(), p.dir.path() + QStringLiteral("/display.cube"));  // the whole extension
    QVERIFY(dialog.cbxDimSize->isEnabled() && !dialog.cbxBits->isEnabled());
    ChooseFormat(dialog, "Autodesk Lustre 1D");
    QCOMPARE(Items(dialog.cbxDimSize).value(1), QStringLiteral("1024"));
    QVERIFY(dialog.cbxBits->isEnabled());
    QCOMPARE(dialog.SelectedBits(), -1);
    ChooseFormat(dialog, "3DL Fusion");
    QVERIFY(!dialog.cbxDimSize->isEnabled() && !dialog.cbxBits->isEnabled());
    QCOMPARE(dialog.cbxDimSize->currentText(), QStringLiteral("Default"));

    // The save dialog: the format's filter and extension, the remembered folder.
    LastOutputFolder() = "/films/out";
    prompts->next_save_files = {std::nullopt, QStringLiteral("/films/luts/look.3dl")};
    QTest::mouseClick(dialog.btnSetLUTFile, Qt::LeftButton);
    QCOMPARE(dialog.edtLUTFile->text(), p.dir.path() + QStringLiteral("/display.3dl"));  // cancelled
    QTest::mouseClick(dialog.btnSetLUTFile, Qt::LeftButton);
    const TSaveFileRequest& asked = prompts->save_requests.at(1);
    QCOMPARE(asked.InitialFolder, QStringLiteral("/films/out"));
    QCOMPARE(asked.NameFilters, QStringList({"3DL Fusion (*.3dl)"}));
    QCOMPARE(asked.DefaultSuffix, QStringLiteral("3dl"));
    QCOMPARE(dialog.edtLUTFile->text(), QStringLiteral("/films/luts/look.3dl"));
    QCOMPARE(LastOutputFolder(), std::string("/films/luts"));
  }

  void sizeBoxTakesFiveDigitsAndConvertNeedsTwoPoints() {
    Profiles p;
    PromptsScope prompts;
    TfrmICCConvert dialog(nullptr, Ramp());
    OpenProfile(*prompts, dialog, p.display);
    ChooseFormat(dialog, "Cube 3D Davinci");
    QLineEdit* edit = dialog.cbxDimSize->lineEdit();
    edit->setFocus();
    QTest::keyClicks(edit, "6x4");  // "Default" goes with the first key; letters never come in
    QCOMPARE(edit->text(), QStringLiteral("64"));
    QTest::keyClicks(edit, "12345");
    QCOMPARE(edit->text(), QStringLiteral("64123"));  // a sixth digit is refused
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("6412"));
    dialog.cbxDimSize->setEditText(QStringLiteral("Default"));
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(edit->text(), QString());
    for (const auto& [size, enabled] : {std::pair{"1", false}, {"0", false}, {"17", true}, {"", true}}) {
      dialog.cbxDimSize->setEditText(QString::fromLatin1(size));
      QVERIFY2(dialog.btnConvert->isEnabled() == enabled, size);
    }
  }

  void convertAsksBeforeReplacingAndReports() {
    Profiles p;
    PromptsScope prompts;
    TfrmICCConvert dialog(nullptr, Ramp());
    OpenProfile(*prompts, dialog, p.display);
    ChooseFormat(dialog, "Cube 3D Davinci");
    dialog.cbxDimSize->setEditText(QStringLiteral("17"));
    const QString lut = dialog.edtLUTFile->text();
    QTest::mouseClick(dialog.btnConvert, Qt::LeftButton);
    QCOMPARE(prompts->messages.size(), 1u);
    QCOMPARE(prompts->messages[0].Icon, QMessageBox::Information);
    QCOMPARE(prompts->messages[0].Text, QStringLiteral("The conversion was successfully completed."));
    // What the command line and the core build for the same settings.
    TICCConvertSettings same = dialog.Settings();
    same.LUTFile = QDir(p.dir.path()).filePath("core.cube").toStdString();
    ConvertICCProfile(same);
    const QByteArray written = ReadAll(lut);
    QCOMPARE(written, ReadAll(QString::fromStdString(same.LUTFile)));
    QVERIFY(written.contains("LUT_3D_SIZE 17"));

    WriteText(QDir(p.dir.path()), "display.cube", "keep\n");
    prompts->answers = {QMessageBox::Cancel, QMessageBox::Yes};
    QTest::mouseClick(dialog.btnConvert, Qt::LeftButton);
    QCOMPARE(prompts->messages.size(), 2u);
    const TMessageRequest& question = prompts->messages[1];
    QCOMPARE(question.Text, QStringLiteral("The ") + lut +
                                QStringLiteral(" file is already exist. Are you sure want you to overwrite it?"));
    QCOMPARE(question.Buttons, QMessageBox::Yes | QMessageBox::Cancel);
    QCOMPARE(ReadAll(lut), QByteArray("keep\n"));
    QTest::mouseClick(dialog.btnConvert, Qt::LeftButton);
    QCOMPARE(ReadAll(lut), written);
    QCOMPARE(prompts->messages.back().Text, QStringLiteral("The conversion was successfully completed."));
  }

  void mainWindowOpensItWithTheUngradedPicture() {
    TfrmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<TfrmICCConvert*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      seen = true;
      QVERIFY(SamePicture(dialog->Image1->Picture(), w.UngradedPicture()));
      QCOMPARE(dialog->pos(), w.mapToGlobal(QPoint(0, 0)));
      QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
    });
    QTest::mouseClick(w.btnICC2LUT, Qt::LeftButton);
    QVERIFY(seen);
    QVERIFY(w.findChildren<TfrmICCConvert*>().isEmpty());
  }
};

ZELVO_APP_SUITE(ICCConvertForm);

}  // namespace zelvo::test

#include "ICCConvertForm_test.moc"
