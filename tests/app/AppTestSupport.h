// What the window tests share: prompts answered from a script instead of a
// person, sample LUT files, and the suites' registration.
#pragma once

#include <QDir>
#include <QMessageBox>
#include <QObject>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/UserPrompts.h"
#include "image/Bitmap24.h"

namespace zelvo::test {

class ScriptedPrompts final : public TUserPrompts {
 public:
  // Every message box asked for, in order.
  std::vector<TMessageRequest> messages;
  // The answers to give, in order; without one, the default button (or Ok).
  std::deque<QMessageBox::StandardButton> answers;
  // Called with each message box before it is answered.
  std::function<void(const TMessageRequest&)> on_message;

  std::vector<TOpenFilesRequest> file_requests;
  std::deque<std::optional<QStringList>> next_files;  // nullopt: Cancel
  std::vector<TSelectFolderRequest> folder_requests;
  std::deque<std::optional<QString>> next_folders;
  std::vector<TSaveFileRequest> save_requests;
  std::deque<std::optional<QString>> next_save_files;
  std::vector<QUrl> opened_urls;  // what was handed to the desktop

  QMessageBox::StandardButton ShowMessage(QWidget*, const TMessageRequest& request) override;
  bool OpenFiles(QWidget*, const TOpenFilesRequest& request, QStringList& paths) override;
  bool SelectFolder(QWidget*, const TSelectFolderRequest& request, QString& folder) override;
  bool SaveFile(QWidget*, const TSaveFileRequest& request, QString& path) override;
  bool OpenUrl(QWidget*, const QUrl& url) override;
};

// Installs scripted prompts for its lifetime.
class PromptsScope {
 public:
  PromptsScope();
  ~PromptsScope();
  PromptsScope(const PromptsScope&) = delete;
  PromptsScope& operator=(const PromptsScope&) = delete;
  ScriptedPrompts& operator*() const { return *prompts_; }
  ScriptedPrompts* operator->() const { return prompts_; }

 private:
  ScriptedPrompts* prompts_;
  std::unique_ptr<TUserPrompts> previous_;
};

// A 2-point Cube 3D file (or any text) in a folder; returns its path.
QString WriteCube(const QDir& dir, const QString& name);
QString WriteText(const QDir& dir, const QString& name, const QByteArray& text);
QByteArray ReadAll(const QString& path);
// The same size and the same bytes.
bool SamePicture(const TBitmap24& a, const TBitmap24& b);

// Registers a suite under a name for the test program's main.
using SuiteFactory = std::function<std::unique_ptr<QObject>()>;
bool RegisterSuite(const char* name, SuiteFactory factory);

}  // namespace zelvo::test

#define ZELVO_APP_SUITE(Class) \
  static const bool Class##_registered = ::zelvo::test::RegisterSuite(#Class, [] { return std::make_unique<Class>(); })
