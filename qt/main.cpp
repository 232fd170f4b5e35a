// Builds the window with the user's number format and runs the event loop;
// closing the window ends the program.
#include <QApplication>
#include <QLocale>

#include "korvane_version.h"
#include "platform/locale_format.h"
#include "platform/startup.h"
#include "qt/korvane.h"

int main(int argc, char* argv[]) {
  platform::PreventBusAutolaunch();
  QApplication application(argc, argv);
  QGuiApplication::setDesktopFileName(QStringLiteral(KORVANE_APP_ID));
  platform::InstallWindowFont();
  Korvane window(platform::NumberFormatFromLocale(QLocale::system()));
  window.show();
  return QApplication::exec();
}
