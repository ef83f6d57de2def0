// Everything that waits for a person: message boxes and the file and folder
// pickers, and what hands a folder or page to the desktop. The windows ask
// through Prompts(); the program answers with Qt's dialogs and the desktop's
// services, the tests with a scripted implementation (SetPrompts).
#pragma once

#include <QImage>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QWidget;

namespace zelvo {

struct TMessageRequest {
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QString Title;
  QString Text;
  QMessageBox::StandardButtons Buttons = QMessageBox::Ok;
  QMessageBox::StandardButton DefaultButton = QMessageBox::NoButton;
  QMessageBox::StandardButton EscapeButton = QMessageBox::NoButton;
  // Captions in place of the toolkit's own, for buttons whose meaning no
  // standard caption says ("Stop", "Skip"); the answer is still the button.
  std::vector<std::pair<QMessageBox::StandardButton, QString>> ButtonTexts = {};
};

// A file picker as the toolkit sees it: filters in Qt's form
// ("LUT Files (*.cube *.lut)").
struct TOpenFilesRequest {
  QString Title;           // empty: the toolkit's default
  QString InitialFolder;   // empty: the toolkit's default
  QStringList NameFilters;
  int FilterIndex = 0;
  bool MultiSelect = false;
  // When set, the picker shows beside its list what this gives for the
  // highlighted file (a null image shows nothing).
  std::function<QImage(const QString& path)> Preview;
};

// A save dialog: the name of a file to write, which may exist already (the
// caller asks before replacing it).
struct TSaveFileRequest {
  QString Title;
  QString InitialFolder;
  QStringList NameFilters;
  QString DefaultSuffix;  // added to a name typed without one
};

struct TSelectFolderRequest {
  QString Title;
  QString InitialFolder;
};

class TUserPrompts {
 public:
  virtual ~TUserPrompts() = default;
  // The button the person pressed (the escape button when the box was closed).
  virtual QMessageBox::StandardButton ShowMessage(QWidget* owner, const TMessageRequest& request) = 0;
  // False when the person cancelled; otherwise the full paths of existing files.
  virtual bool OpenFiles(QWidget* owner, const TOpenFilesRequest& request, QStringList& paths) = 0;
  // False when the person cancelled; otherwise the full path of a folder.
  virtual bool SelectFolder(QWidget* owner, const TSelectFolderRequest& request, QString& folder) = 0;
  // False when the person cancelled; otherwise the full path of the file.
  virtual bool SaveFile(QWidget* owner, const TSaveFileRequest& request, QString& path) = 0;
  // Opens a file, a folder or a web page in the desktop's own program for it
  // (a folder in its file manager); false when there is none.
  virtual bool OpenUrl(QWidget* owner, const QUrl& url);
};

// The prompts in force: Qt's dialogs unless a test set others.
TUserPrompts& Prompts();
// Replaces the prompts (nullptr brings back Qt's dialogs); returns the old ones.
std::unique_ptr<TUserPrompts> SetPrompts(std::unique_ptr<TUserPrompts> prompts);

// The message boxes of the windows.
QMessageBox::StandardButton ShowMessage(QWidget* owner, QMessageBox::Icon icon, const QString& title,
                                        const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QMessageBox::StandardButton default_button = QMessageBox::NoButton,
                                        QMessageBox::StandardButton escape_button = QMessageBox::NoButton);
QMessageBox::StandardButton ShowMessage(QWidget* owner, const TMessageRequest& request);

}  // namespace zelvo
