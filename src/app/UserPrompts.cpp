#include "app/UserPrompts.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>

namespace zelvo {

namespace {

// The toolkit's own dialog (a native one has no room for it) with the
// preview of the highlighted file beside the list.
void AddPreview(QFileDialog& dialog, const std::function<QImage(const QString&)>& preview) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  auto* label = new QLabel(&dialog);
  label->setObjectName(QStringLiteral("lblPreview"));
  label->setFixedSize(220, 180);
  label->setAlignment(Qt::AlignCenter);
  label->setFrameShape(QFrame::StyledPanel);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    grid->addWidget(label, 0, grid->columnCount(), grid->rowCount(), 1, Qt::AlignTop);
  }
  QObject::connect(&dialog, &QFileDialog::currentChanged, label, [label, preview](const QString& path) {
    QImage image = preview(path);
    const QSize room = label->contentsRect().size();
    if (image.width() > room.width() || image.height() > room.height()) {
      image = image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    label->setPixmap(QPixmap::fromImage(image));
  });
}

class TQtPrompts final : public TUserPrompts {
 public:
  QMessageBox::StandardButton ShowMessage(QWidget* owner, const TMessageRequest& r) override {
    QMessageBox box(r.Icon, r.Title, r.Text, r.Buttons, owner);
    // Messages quote file names and file contents: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    if (r.DefaultButton != QMessageBox::NoButton) box.setDefaultButton(r.DefaultButton);
    if (r.EscapeButton != QMessageBox::NoButton) box.setEscapeButton(r.EscapeButton);
    for (const auto& [button, text] : r.ButtonTexts) {
      if (QAbstractButton* b = box.button(button)) b->setText(text);
    }
    box.exec();
    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    return pressed == QMessageBox::NoButton ? r.EscapeButton : pressed;
  }

  bool OpenFiles(QWidget* owner, const TOpenFilesRequest& r, QStringList& paths) override {
    QFileDialog dialog(owner, r.Title, r.InitialFolder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(r.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setNameFilters(r.NameFilters);
    if (r.FilterIndex >= 0 && r.FilterIndex < r.NameFilters.size()) {
      dialog.selectNameFilter(r.NameFilters[r.FilterIndex]);
    }
    if (r.Preview) AddPreview(dialog, r.Preview);
    if (dialog.exec() != QDialog::Accepted) return false;
    paths = dialog.selectedFiles();
    return !paths.isEmpty();
  }

  bool SaveFile(QWidget* owner, const TSaveFileRequest& r, QString& path) override {
    QFileDialog dialog(owner, r.Title, r.InitialFolder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The caller asks before it replaces a file, when it is about to.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(r.NameFilters);
    dialog.setDefaultSuffix(r.DefaultSuffix);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList picked = dialog.selectedFiles();
    if (picked.isEmpty()) return false;
    path = picked.front();
    return true;
  }

  bool SelectFolder(QWidget* owner, const TSelectFolderRequest& r, QString& folder) override {
    QFileDialog dialog(owner, r.Title, r.InitialFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList picked = dialog.selectedFiles();
    if (picked.isEmpty()) return false;
    folder = picked.front();
    return true;
  }
};

std::unique_ptr<TUserPrompts>& Current() {
  static std::unique_ptr<TUserPrompts> prompts = std::make_unique<TQtPrompts>();
  return prompts;
}

}  // namespace

bool TUserPrompts::OpenUrl(QWidget*, const QUrl& url) { return QDesktopServices::openUrl(url); }

TUserPrompts& Prompts() { return *Current(); }

std::unique_ptr<TUserPrompts> SetPrompts(std::unique_ptr<TUserPrompts> prompts) {
  if (!prompts) prompts = std::make_unique<TQtPrompts>();
  std::swap(prompts, Current());
  return prompts;
}

QMessageBox::StandardButton ShowMessage(QWidget* owner, QMessageBox::Icon icon, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton default_button,
                                        QMessageBox::StandardButton escape_button) {
  return Prompts().ShowMessage(owner, TMessageRequest{icon, title, text, buttons, default_button, escape_button});
}

QMessageBox::StandardButton ShowMessage(QWidget* owner, const TMessageRequest& request) {
  return Prompts().ShowMessage(owner, request);
}

}  // namespace zelvo
