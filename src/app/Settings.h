// The settings kept between runs, only while the person asks for it (View >
// Remember Settings): nothing is written otherwise, and turning it off
// removes the file. The desktop's place for them (QSettings of the
// organisation and the program, as the desktop entry names them) can be
// replaced by a file of the tests' own.
#pragma once

#include <QString>
#include <memory>

class QSettings;

namespace zelvo {

inline constexpr char kSettingsOrganisation[] = "Zelvo";
inline constexpr char kSettingsApplication[] = "Zelvo LUT Converter";

// The file the settings live in.
QString SettingsFileName();
// Another file from now on; empty brings back the desktop's place.
void SetSettingsFileName(const QString& file);

// The settings file, opened for reading and writing.
std::unique_ptr<QSettings> OpenSettings();
// Whether the file exists and says the settings are remembered.
bool SettingsRemembered();
// Removes the file (and what the process cached of it).
void RemoveSettings();

}  // namespace zelvo
