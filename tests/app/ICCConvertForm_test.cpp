// The "ICC Profile to LUT Conversion" dialog: the controls each profile class
// shows, the output file following the profile and the format, the size
// box's keys, Convert's enabling, its overwrite question and its report.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
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

  // The conversion dialog's size rules: typed digits stay as typed, and
  // Convert refuses a size the job does not build or text that is no whole
  // number, with a message and nothing written.
  void sizeBoxFollowsTheConversionDialogsRules() {
    Profiles p;
    PromptsScope prompts;
    TfrmICCConvert dialog(nullptr, Ramp());
    dialog.show();
    OpenProfile(*prompts, dialog, p.display);
    ChooseFormat(dialog, "Cube 3D Davinci");
    QLineEdit* edit = dialog.cbxDimSize->lineEdit();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));  // the list completes only in an active window
    edit->setFocus();
    QTest::keyClicks(edit, "1");  // never completed to "17" from the list
    QCOMPARE(edit->text(), QStringLiteral("1"));
    QCOMPARE(dialog.cbxDimSize->currentText(), QStringLiteral("1"));
    QTest::keyClicks(edit, "6x4");  // letters never come in; a sixth digit is refused
    QTest::keyClicks(edit, "123");
    QCOMPARE(edit->text(), QStringLiteral("16412"));
    dialog.cbxDimSize->setEditText(QStringLiteral("Default"));
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(edit->text(), QString());

    const QString lut = dialog.edtLUTFile->text();
    struct Case {
      const char* size;  // as pasted or typed through an input method
      bool written;
    };
    for (const Case& c : {Case{"1", false}, Case{"0", false}, Case{"257", false}, Case{"abc", false},
                          Case{"3x", false}, Case{"100", true}, Case{"", true}}) {
      QFile::remove(lut);
      prompts->messages.clear();
      dialog.cbxDimSize->setEditText(QString::fromLatin1(c.size));
      QVERIFY(dialog.btnConvert->isEnabled());
      QTest::mouseClick(dialog.btnConvert, Qt::LeftButton);
      QCOMPARE(prompts->messages.size(), 1u);
      QCOMPARE(QFile::exists(lut), c.written);
      if (c.written) continue;
      QCOMPARE(prompts->messages[0].Icon, QMessageBox::Critical);
      QCOMPARE(prompts->messages[0].Text, QStringLiteral("A size of ") + c.size +
                                              " is not supported for \"Cube 3D Davinci\" (2 to 256 points per axis).");
    }
    QVERIFY(ReadAll(lut).contains("LUT_3D_SIZE 33"));
  }

  // A profile that cannot be read, or gives no transform, leaves Convert
  // disabled until one that does is opened.
  void convertWaitsForAProfileThatLoads() {
    Profiles p;
    PromptsScope prompts;
    TfrmICCConvert dialog(nullptr, Ramp());
    ChooseFormat(dialog, "Cube 3D Davinci");
    const QString not_profile = WriteText(QDir(p.dir.path()), "notes.icc", "not a profile\n");
    for (const auto& [profile, enabled] : {std::pair{p.display, true}, {not_profile, false}, {p.link, true},
                                           {p.abstract, false}, {p.scanner, true}}) {
      OpenProfile(*prompts, dialog, profile);
      QCOMPARE(dialog.edtSrcProfile->text(), profile);
      QVERIFY2(dialog.btnConvert->isEnabled() == enabled, qPrintable(profile));
    }
    for (QLineEdit* path : {dialog.edtSrcProfile, dialog.edtSecondProfile, dialog.edtLUTFile}) {
      QVERIFY(path->isReadOnly());
      QCOMPARE(path->palette().color(QPalette::Base), path->palette().color(QPalette::Window));
    }
  }

  // The LUT goes beside its profile unless that is a folder of the system's
  // (or one that cannot be written): then the last output folder, or home.
  void outputFileAvoidsFoldersThatCannotBeWritten() {
    const QString system_profile = QStringLiteral("/usr/share/color/icc/sRGB.icc");
    QVERIFY2(QFile::exists(system_profile), "scripts/bootstrap.sh installs icc-profiles-free");
    Profiles p;
    QTemporaryDir last, home;
    const QByteArray old_home = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    struct Case {
      QString profile;
      std::string last_output;
      QString folder;
    };
    QTemporaryDir locked;
    const QString locked_profile = QDir(locked.path()).filePath("display.icc");
    QFile::copy(p.display, locked_profile);
    QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool locks_hold = !QFileInfo(locked.path()).isWritable();  // not for root
    std::vector<Case> cases = {{p.display, last.path().toStdString(), p.dir.path()},
                               {system_profile, last.path().toStdString(), last.path()},
                               {system_profile, "", home.path()},
                               {system_profile, "/no/such/folder", home.path()}};
    if (locks_hold) cases.push_back({locked_profile, last.path().toStdString(), last.path()});
    for (const Case& c : cases) {
      PromptsScope prompts;
      LastOutputFolder() = c.last_output;
      TfrmICCConvert dialog(nullptr, Ramp());
      OpenProfile(*prompts, dialog, c.profile);
      ChooseFormat(dialog, "Cube 3D Davinci");
      QCOMPARE(dialog.edtLUTFile->text(), QDir(c.folder).filePath(QFileInfo(c.profile).baseName() + ".cube"));
    }
    QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", old_home);
  }

  // A CMYK printer gives a soft proof: the dialog says so under the profile
  // type, the invert box is disabled, and the preview and the LUT are the
  // proof's. An RGB profile afterwards brings the box back.
  void cmykPrinterBecomesASoftProof() {
    Profiles p;
    PromptsScope prompts;
    const QString printer = p.Make(CMYKPrinterProfile(), "printer.icc");
    TfrmICCConvert dialog(nullptr, Ramp());
    dialog.show();
    OpenProfile(*prompts, dialog, printer);
    QVERIFY(prompts->messages.empty());
    QCOMPARE(dialog.lblICCType->text(), QStringLiteral("Profile Type: Output Device Profile"));
    QVERIFY(dialog.lblSoftProof->isVisible());
    QCOMPARE(dialog.lblSoftProof->text(), QStringLiteral("Soft proof: RGB to CMYK and back"));
    QVERIFY(dialog.edtSecondProfile->isVisible());
    QVERIFY(dialog.cbxInvertTransform->isVisible() && !dialog.cbxInvertTransform->isEnabled());
    QVERIFY(SamePicture(dialog.Image2->Picture(), PreviewICCProfile(SettingsFor(printer), Ramp())));
    QVERIFY(!SamePicture(dialog.Image2->Picture(), Ramp()));
    ChooseFormat(dialog, "Cube 3D Davinci");
    dialog.cbxDimSize->setEditText(QStringLiteral("9"));
    QTest::mouseClick(dialog.btnConvert, Qt::LeftButton);
    QCOMPARE(prompts->messages.back().Text, QStringLiteral("The conversion was successfully completed."));
    TICCConvertSettings same = dialog.Settings();
    same.LUTFile = QDir(p.dir.path()).filePath("core.cube").toStdString();
    ConvertICCProfile(same);
    QCOMPARE(ReadAll(dialog.edtLUTFile->text()), ReadAll(QString::fromStdString(same.LUTFile)));

    OpenProfile(*prompts, dialog, p.display);
    QVERIFY(!dialog.lblSoftProof->isVisible());
    QVERIFY(dialog.cbxInvertTransform->isEnabled());
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
