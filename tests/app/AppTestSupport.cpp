#include "AppTestSupport.h"

#include <QApplication>
#include <QFile>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace zelvo::test {

QMessageBox::StandardButton ScriptedPrompts::ShowMessage(QWidget*, const TMessageRequest& request) {
  messages.push_back(request);
  if (on_message) on_message(request);
  if (!answers.empty()) {
    const QMessageBox::StandardButton answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return request.DefaultButton != QMessageBox::NoButton ? request.DefaultButton : QMessageBox::Ok;
}

namespace {

// The next scripted pick: false for Cancel, also when the script has run out.
template <typename T>
bool TakeNext(std::deque<std::optional<T>>& script, T& picked) {
  if (script.empty()) return false;
  const std::optional<T> next = std::move(script.front());
  script.pop_front();
  if (next) picked = *next;
  return next.has_value();
}

}  // namespace

bool ScriptedPrompts::OpenFiles(QWidget*, const TOpenFilesRequest& request, QStringList& paths) {
  file_requests.push_back(request);
  return TakeNext(next_files, paths);
}

bool ScriptedPrompts::SelectFolder(QWidget*, const TSelectFolderRequest& request, QString& folder) {
  folder_requests.push_back(request);
  return TakeNext(next_folders, folder);
}

bool ScriptedPrompts::SaveFile(QWidget*, const TSaveFileRequest& request, QString& path) {
  save_requests.push_back(request);
  return TakeNext(next_save_files, path);
}

bool ScriptedPrompts::OpenUrl(QWidget*, const QUrl& url) {
  opened_urls.push_back(url);
  return true;
}

PromptsScope::PromptsScope() {
  auto prompts = std::make_unique<ScriptedPrompts>();
  prompts_ = prompts.get();
  previous_ = SetPrompts(std::move(prompts));
}

PromptsScope::~PromptsScope() { SetPrompts(std::move(previous_)); }

QString WriteText(const QDir& dir, const QString& name, const QByteArray& text) {
  const QString path = dir.filePath(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) qFatal("cannot write %s", qPrintable(path));
  return path;
}

QString WriteCube(const QDir& dir, const QString& name) {
  return WriteText(dir, name,
                   "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool SamePicture(const TBitmap24& a, const TBitmap24& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         (a.ByteCount() == 0 || std::memcmp(a.Pixels(), b.Pixels(), a.ByteCount()) == 0);
}

namespace {

std::map<std::string, SuiteFactory>& Suites() {
  static std::map<std::string, SuiteFactory> suites;
  return suites;
}

}  // namespace

bool RegisterSuite(const char* name, SuiteFactory factory) {
  Suites()[name] = std::move(factory);
  return true;
}

}  // namespace zelvo::test

// test_app [SUITE [Qt Test options]]: one suite, or every suite in turn.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  auto& suites = zelvo::test::Suites();
  if (argc > 1 && argv[1][0] != '-') {
    const auto suite = suites.find(argv[1]);
    if (suite == suites.end()) {
      std::fprintf(stderr, "no suite %s\n", argv[1]);
      return 2;
    }
    argv[1] = argv[0];
    const std::unique_ptr<QObject> object = suite->second();
    return QTest::qExec(object.get(), argc - 1, argv + 1);
  }
  int failed = 0;
  for (const auto& [name, factory] : suites) {
    const std::unique_ptr<QObject> object = factory();
    failed += QTest::qExec(object.get(), argc, argv);
  }
  return failed;
}
