// The settings kept between runs: nothing written unless asked, everything
// back in the next window when asked, and stored values that no longer apply
// left at their defaults without a word.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QToolButton>

#include "AppTestSupport.h"
#include "app/ConvertForm.h"
#include "app/MainForm.h"
#include "app/Remembered.h"
#include "app/Settings.h"
#include "image/PictureFile.h"
#include "image/Preview.h"

namespace zelvo::test {

namespace {

void ForgetEverything() {
  LastAddFolder().clear();
  LastOutputFolder().clear();
  LastPictureFolder().clear();
  LastICCFolder().clear();
  RememberedOutputChoice().reset();
}

// The conversion dialog as the person leaves it with Convert.
void ConvertWith(TfrmMain& w, const char* caption, const char* size, int bits_index) {
  TfrmConvert dialog(&w);
  dialog.cbxOutFormat->setCurrentIndex(dialog.cbxOutFormat->findText(QString::fromLatin1(caption)));
  dialog.cbxDimSize->setEditText(QString::fromLatin1(size));
  dialog.cbxBits->setCurrentIndex(bits_index);
  QTest::mouseClick(dialog.btnConvert, Qt::LeftButton);
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

}  // namespace

class Settings : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    RemoveSettings();
    ForgetEverything();
  }
  void cleanup() { init(); }

  void nothingIsWrittenUnlessAsked() {
    QTemporaryDir dir;
    PromptsScope prompts;
    TfrmMain w;
    QVERIFY(!w.miRememberSettings->isChecked());
    LastOutputFolder() = dir.path().toStdString();
    w.miTetrahedral->trigger();
    w.miPreviewPane->trigger();
    ConvertWith(w, "Autodesk Lustre 1D", "4096", 1);
    QVERIFY(!RememberedOutputChoice());
    TfrmConvert next(&w);
    QCOMPARE(next.cbxOutFormat->currentIndex(), -1);  // as it always starts
    w.close();
    QVERIFY(!QFile::exists(SettingsFileName()));
  }

  void rememberedSettingsComeBack() {
    QTemporaryDir dir;
    const QDir d(dir.path());
    d.mkpath("out");
    TBitmap24 picture(64, 32);
    picture.At(3, 3)[1] = 200;
    SavePicture(d.filePath("shot.bmp").toStdString(), picture);
    PromptsScope prompts;
    int bits = 0;
    {
      TfrmMain w;
      w.resize(700, 450);
      w.miRememberSettings->trigger();
      QVERIFY(QFile::exists(SettingsFileName()));
      LastOutputFolder() = d.filePath("out").toStdString();
      LastICCFolder() = d.path().toStdString();
      LastAddFolder() = d.path();
      prompts->next_files.push_back(QStringList{d.filePath("shot.bmp")});
      w.btnLoadPreviewImage->click();
      w.miTetrahedral->trigger();
      w.miPreviewPane->trigger();
      ConvertWith(w, "Autodesk Lustre 1D", "4096", 1);
      bits = RememberedOutputChoice().value().Bits;
      QVERIFY(bits > 0);
      w.close();
    }
    ForgetEverything();
    TfrmMain w;
    QVERIFY(w.miRememberSettings->isChecked());
    QCOMPARE(w.size(), QSize(700, 450));
    QCOMPARE(QString::fromStdString(LastOutputFolder()), d.filePath("out"));
    QCOMPARE(QString::fromStdString(LastICCFolder()), d.path());
    QCOMPARE(QString::fromStdString(LastPictureFolder()), d.path() + u'/');
    QCOMPARE(LastAddFolder(), d.path());
    QVERIFY(SamePicture(w.UngradedPicture(), FitPreviewBitmap(picture)));
    QCOMPARE(w.PreviewInterpolation(), TInterpolation::Tetrahedral);
    QVERIFY(w.pnlPreview->isHidden() && !w.miPreviewPane->isChecked());
    TfrmConvert dialog(&w);
    QCOMPARE(dialog.cbxOutFormat->currentText(), QStringLiteral("Autodesk Lustre 1D"));
    QCOMPARE(dialog.cbxDimSize->currentText(), QStringLiteral("4096"));
    QCOMPARE(dialog.SelectedBits(), bits);
    QVERIFY(prompts->messages.empty());

    // Off again: the file goes, and closing writes nothing.
    w.miRememberSettings->trigger();
    QVERIFY(!QFile::exists(SettingsFileName()));
    w.close();
    QVERIFY(!QFile::exists(SettingsFileName()));
  }

  void staleValuesFallBackToDefaults() {
    QTemporaryDir dir;
    const QString a_file = WriteCube(QDir(dir.path()), "a.cube");
    struct Case {
      const char* format;
      const char* size;
      int bits;
      QString shown_format, shown_size;
      int shown_bits;
    };
    const Case cases[] = {
        {"No Such Format", "33", 12, "", "Default", -1},
        {"Autodesk Lustre 1D", "abc", 7, "Autodesk Lustre 1D", "Default", -1},
        {"Autodesk Lustre 1D", "1", 12, "Autodesk Lustre 1D", "Default", 12},
        {"3DL Fusion", "65", -1, "3DL Fusion", "Default", -1},  // a size this format does not take
    };
    for (const Case& c : cases) {
      {
        QSettings stored(SettingsFileName(), QSettings::IniFormat);
        stored.setValue("Remember", true);
        stored.setValue("Window/Geometry", QByteArray("not a geometry"));
        stored.setValue("Folders/Output", dir.filePath("gone"));
        stored.setValue("Folders/Add", a_file);  // a file, not a folder
        stored.setValue("Conversion/OutputFormat", c.format);
        stored.setValue("Conversion/Size", c.size);
        stored.setValue("Conversion/Bits", c.bits);
        stored.setValue("Preview/Picture", dir.filePath("gone.jpg"));
        stored.setValue("Preview/Interpolation", "cubic");
      }
      PromptsScope prompts;
      TfrmMain w;
      QVERIFY(w.miRememberSettings->isChecked());
      QVERIFY(LastOutputFolder().empty() && LastAddFolder().isEmpty());
      QCOMPARE(w.PreviewInterpolation(), TInterpolation::Trilinear);
      QVERIFY(!w.UngradedPicture().Empty());
      TfrmConvert dialog(&w);
      QCOMPARE(dialog.cbxOutFormat->currentText(), c.shown_format);
      QCOMPARE(dialog.cbxDimSize->currentText(), c.shown_size);
      QCOMPARE(dialog.SelectedBits(), c.shown_bits);
      QVERIFY(prompts->messages.empty());
      init();
    }
  }
};

ZELVO_APP_SUITE(Settings);

}  // namespace zelvo::test

#include "Settings_test.moc"
