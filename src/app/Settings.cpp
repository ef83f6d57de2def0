#include "app/Settings.h"

#include <QFile>
#include <QSettings>

namespace zelvo {

namespace {

QString& OverriddenFile() {
  static QString file;
  return file;
}

}  // namespace

QString SettingsFileName() {
  if (!OverriddenFile().isEmpty()) return OverriddenFile();
  // The desktop's own place: ~/.config/ORGANISATION/APPLICATION.conf, a text
  // file in the same form as the tests' (IniFormat) on Linux.
  const QSettings place(QSettings::NativeFormat, QSettings::UserScope, QString::fromUtf8(kSettingsOrganisation),
                        QString::fromUtf8(kSettingsApplication));
  return place.fileName();
}

void SetSettingsFileName(const QString& file) { OverriddenFile() = file; }

std::unique_ptr<QSettings> OpenSettings() {
  return std::make_unique<QSettings>(SettingsFileName(), QSettings::IniFormat);
}

bool SettingsRemembered() {
  if (!QFile::exists(SettingsFileName())) return false;
  return OpenSettings()->value(QStringLiteral("Remember")).toBool();
}

void RemoveSettings() {
  {
    // Emptied first: the toolkit keeps what it read of a file for the
    // process, and a file removed behind its back could come back.
    const std::unique_ptr<QSettings> settings = OpenSettings();
    settings->clear();
    settings->sync();
  }
  QFile::remove(SettingsFileName());
}

}  // namespace zelvo
