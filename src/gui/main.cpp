// Kesmora: the window program.
#include "gui/app/main_window.h"
#include "gui/common/qt_interface.h"
#include "core/app/startup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Kesmora");
  QApplication::setApplicationVersion(kesmora::ProgramVersion);
  // Desktops match the window to its menu entry and icon by this name.
  QGuiApplication::setDesktopFileName("org.kesmora.Kesmora");

  QCommandLineParser parser;
  parser.setApplicationDescription("Favourable times from planetary transits");
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption homeOption("home", "Program directory (default: $KESMORA_HOME, the build tree, or ~/.local/share/kesmora).", "DIR");
  parser.addOption(homeOption);
  parser.process(app);

  kesmora::Session session;
  kesmora::StartOptions start;
  if (parser.isSet(homeOption)) start.home = parser.value(homeOption).toStdString();
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
