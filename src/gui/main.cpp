// Kesmora: the window program.
#include "gui/app/main_window.h"
#include "gui/common/qt_interface.h"
#include "core/app/startup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

#include <cstring>
#include <optional>

namespace {

// Reads the command line: the program directory of --home, if given. --help and --version
// print their text and end the program here.
std::optional<QString> ProcessOptions(const QCoreApplication& app) {
  QCoreApplication::setApplicationName("Kesmora");
  QCoreApplication::setApplicationVersion(kesmora::ProgramVersion);
  QCommandLineParser parser;
  parser.setApplicationDescription("Favourable times from planetary transits");
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption homeOption("home", "Program directory (default: $KESMORA_HOME, the build tree, or ~/.local/share/kesmora).", "DIR");
  parser.addOption(homeOption);
  parser.process(app);
  if (!parser.isSet(homeOption)) return std::nullopt;
  return parser.value(homeOption);
}

bool AsksForText(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    for (const char* text : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
      if (std::strcmp(argv[i], text) == 0) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // Help and version answer on a console without a display too, as help2man asks them.
  if (AsksForText(argc, argv)) {
    QCoreApplication console(argc, argv);
    ProcessOptions(console);
  }
  QApplication app(argc, argv);
  // Desktops match the window to its menu entry and icon by this name.
  QGuiApplication::setDesktopFileName("org.kesmora.Kesmora");
  const std::optional<QString> home = ProcessOptions(app);

  kesmora::Session session;
  kesmora::StartOptions start;
  if (home) start.home = home->toStdString();
  start.executableDir = QCoreApplication::applicationDirPath().toStdString();
  try {
    kesmora::StartSession(session, start);
  } catch (const kesmora::FatalError& e) {
    QMessageBox::critical(nullptr, QString::fromStdString(e.title), QString::fromStdString(e.what()));
    return 1;
  }

  kesmora::gui::QtInterface ui;
  kesmora::gui::MainWindow window(session, ui);
  ui.SetParent(&window);
  window.Start();
  return app.exec();
}
