// zelvo-lut-converter: the desktop program.
#include <QApplication>
#include <QCommandLineParser>

#include "Version.h"
#include "app/AppErrors.h"
#include "app/Icons.h"
#include "app/MainForm.h"
#include "formats/LUTFormat.h"
#include "formats/TextFile.h"

int main(int argc, char** argv) {
  // An interrupted conversion leaves no temporary file behind.
  zelvo::InstallTemporaryFileCleanup();
  // The formats and output profiles exist before any window asks for them.
  zelvo::LUTFormats();
  zelvo::OutputProfiles();

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("zelvo-lut-converter"));
  QApplication::setApplicationVersion(QString::fromLatin1(zelvo::ZelvoVersion()));
  QApplication::setDesktopFileName(QString::fromLatin1(zelvo::kDesktopId));
  QApplication::setWindowIcon(zelvo::ZelvoIcon(QStringLiteral("zelvo-lut-converter")));

  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromUtf8(zelvo::kApplicationTitle));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("LUT files or folders to add to the list"),
                               QStringLiteral("[FILE|FOLDER...]"));
  parser.process(app);

  zelvo::TfrmMain main_window;
  main_window.show();
  const QStringList paths = parser.positionalArguments();
  if (!paths.isEmpty()) {
    zelvo::RunUserAction(&main_window, [&] { main_window.AddDroppedPaths(paths); });
  }
  return QApplication::exec();
}
