#include "app/PathDialog.h"

#include <QDir>

#include "app/UserPrompts.h"

namespace zelvo {

namespace {

QString WithoutTrailingSeparator(QString folder) {
  while (folder.size() > 1 && (folder.endsWith(u'/') || folder.endsWith(QDir::separator()))) {
    // "C:\" stays a drive root.
    if (folder.size() == 3 && folder[1] == u':') break;
    folder.chop(1);
  }
  return folder;
}

}  // namespace

void TPathDialog::SetDirectory(const QString& directory) {
  directory_ = directory.isEmpty() ? QDir::currentPath() : WithoutTrailingSeparator(directory);
}

bool TPathDialog::Execute() {
  if (directory_.isEmpty()) SetDirectory(QString());
  QString picked;
  if (!Prompts().SelectFolder(owner_, TSelectFolderRequest{Title, directory_}, picked) || picked.isEmpty()) {
    return false;
  }
  directory_ = WithoutTrailingSeparator(QDir::toNativeSeparators(picked));
  return true;
}

}  // namespace zelvo
