// The parts the dialogs that write one LUT file share (the ICC dialog and
// the combine dialog): named labels, the "..." buttons and the path fields
// only a picker fills, and the output file's picker and overwrite question.
#pragma once

#include <QString>
#include <initializer_list>
#include <optional>

#include "base/TextFile.h"
#include "registry/Registry.h"

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace zelvo {

QLabel* NamedLabel(QWidget* parent, const char* name, const QString& text);
// A "..." button beside a path field, with its hint.
QPushButton* BrowseButton(QWidget* parent, const char* name, const QString& hint);
// A path field that only its picker fills (ShowAsReadOnly).
QLineEdit* PickedPathEdit(QWidget* parent, const char* name);
// The widgets side by side; fields and boxes take the room left.
QHBoxLayout* Row(std::initializer_list<QWidget*> widgets);

// The save picker of the output LUT file: the profile's filter and
// extension, starting in LastOutputFolder, which follows the pick. Empty
// when the person cancelled.
QString PickOutputLUTFile(QWidget* owner, const TLutOutputProfile& profile);

// Whether the LUT file may be written: KeepExisting where there is no file
// yet (one that appears meanwhile is not replaced), Replace once the person
// agreed to replace the one there; nothing when they declined.
std::optional<TReplace> AskReplaceLUTFile(QWidget* owner, const QString& path);

}  // namespace zelvo
