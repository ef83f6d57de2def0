// File names between the windows (QString) and the core (bytes as the file
// system takes them).
#pragma once

#include <QFile>
#include <QString>
#include <string>

namespace zelvo {

inline std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
inline QString DisplayPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

}  // namespace zelvo
