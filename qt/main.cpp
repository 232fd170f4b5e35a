// Builds the window with the user's number format and runs the event loop;
// closing the window ends the program.
#include <QApplication>

#include "korvane_version.h"
#include "platform/locale_format.h"
#include "platform/startup.h"
#include "qt/korvane.h"

int main(int /*argc*/, char* argv[]) {
  platform::PreventBusAutolaunch();
  // The program takes no options: Qt sees only its name, so that -stylesheet,
  // -qwindowtitle or -reverse cannot recolour, rename or mirror the window.
  int no_arguments = 1;
  char* name_only[] = {argv[0], nullptr};
  QApplication application(no_arguments, name_only);
  QGuiApplication::setDesktopFileName(QStringLiteral(KORVANE_APP_ID));
  platform::InstallWindowFont();
  Korvane window(platform::NumberFormatFromLocale(platform::NumericLocale()));
  window.show();
  return QApplication::exec();
}
