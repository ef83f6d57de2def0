// zelvo-lut-converter: the desktop program.
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <string>
#include <string_view>
#include <vector>

#include "base/Version.h"
#include "app/AppErrors.h"
#include "app/Icons.h"
#include "app/MainForm.h"
#include "registry/Registry.h"
#include "base/TextFile.h"

namespace {

void SetUpApplication() {
  QCoreApplication::setApplicationName(QStringLiteral("zelvo-lut-converter"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(zelvo::ZelvoVersion()));
}

void DescribeArguments(QCommandLineParser& parser) {
  parser.setApplicationDescription(QString::fromUtf8(zelvo::kApplicationTitle));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("LUT files or folders to add to the list"),
                               QStringLiteral("[FILE|FOLDER...]"));
}

// The positional arguments as the file system's bytes: the toolkit's text of
// a name that is not UTF-8 no longer names the file. Each is the next
// remaining argument whose text the parser gave.
std::vector<std::string> PathArguments(int argc, char** argv, const QStringList& positional) {
  std::vector<std::string> paths;
  int next = 1;
  for (const QString& text : positional) {
    int found = next;
    while (found < argc && QFile::decodeName(argv[found]) != text) ++found;
    if (found < argc) {
      paths.emplace_back(argv[found]);
      next = found + 1;
    } else {
      paths.push_back(QFile::encodeName(text).toStdString());
    }
  }
  return paths;
}

}  // namespace

int main(int argc, char** argv) {
  // An interrupted conversion leaves no temporary file behind.
  zelvo::InstallTemporaryFileCleanup();
  // The formats and output profiles exist before any window asks for them.
  zelvo::LUTFormats();
  zelvo::OutputProfiles();

  // --help and --version answer on a terminal without a display.
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-?" || arg == "-v" || arg == "--version") {
      QCoreApplication core(argc, argv);
      SetUpApplication();
      QCommandLineParser parser;
      DescribeArguments(parser);
      parser.process(core);  // prints and ends the program
    }
  }

  QApplication app(argc, argv);
  SetUpApplication();
  QApplication::setDesktopFileName(QString::fromLatin1(zelvo::kDesktopId));
  QApplication::setWindowIcon(zelvo::ZelvoIcon(QStringLiteral("zelvo-lut-converter")));
  QCommandLineParser parser;
  DescribeArguments(parser);
  parser.process(app);

  zelvo::TfrmMain main_window;
  main_window.show();
  const std::vector<std::string> paths = PathArguments(argc, argv, parser.positionalArguments());
  if (!paths.empty()) {
    zelvo::RunUserAction(&main_window, [&] { main_window.AddLocalPaths(paths); });
  }
  return QApplication::exec();
}
