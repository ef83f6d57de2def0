#include "app/FormParts.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "app/FileDlg.h"
#include "app/Paths.h"
#include "app/ProfileBoxes.h"
#include "app/Remembered.h"
#include "app/UserPrompts.h"

namespace zelvo {

QLabel* NamedLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QPushButton* BrowseButton(QWidget* parent, const char* name, const QString& hint) {
  auto* button = new QPushButton(QStringLiteral("..."), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setToolTip(hint);
  button->setAutoDefault(false);
  button->setFixedWidth(32);
  return button;
}

QLineEdit* PickedPathEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  ShowAsReadOnly(*edit);
  return edit;
}

QHBoxLayout* Row(std::initializer_list<QWidget*> widgets) {
  auto* row = new QHBoxLayout;
  for (QWidget* w : widgets) row->addWidget(w, w->inherits("QLineEdit") || w->inherits("QComboBox") ? 1 : 0);
  return row;
}

QString PickOutputLUTFile(QWidget* owner, const TLutOutputProfile& profile) {
  TFileSaveDialog picker(owner);
  picker.InitialDir = DisplayPath(LastOutputFolder());
  picker.DefaultExt = QString::fromStdString(profile.Extension);
  picker.Filter = QString::fromStdString(profile.Caption + "|*." + profile.Extension);
  if (!picker.Execute()) return QString();
  LastOutputFolder() = LocalPath(QFileInfo(picker.FileName).absolutePath());
  return picker.FileName;
}

std::optional<TReplace> AskReplaceLUTFile(QWidget* owner, const QString& path) {
  std::error_code ec;
  if (!std::filesystem::exists(LocalPath(path), ec)) return TReplace::KeepExisting;
  const QString question =
      QStringLiteral("The ") + path + QStringLiteral(" file is already exist. Are you sure want you to overwrite it?");
  if (ShowMessage(owner, QMessageBox::Question, QStringLiteral("Confirm"), question,
                  QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Cancel,
                  QMessageBox::Cancel) != QMessageBox::Yes) {
    return std::nullopt;
  }
  return TReplace::Replace;
}

}  // namespace zelvo
