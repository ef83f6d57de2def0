// The program's own icons, drawn as SVG and kept in the program's resources.
#pragma once

#include <QIcon>
#include <QString>

namespace zelvo {

// The icon ":/icons/<name>.svg", rendered at the usual sizes.
QIcon ZelvoIcon(const QString& name);

// The desktop's name of the program: its desktop entry, icon and metainfo.
inline constexpr char kDesktopId[] = "org.zelvo.lutconverter";

}  // namespace zelvo
