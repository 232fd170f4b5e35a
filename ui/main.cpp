// Builds the window with the user's number format and runs the event loop;
// closing the window ends the program.
#include <QApplication>
#include <QLocale>

#include "platform/locale_format.h"
#include "platform/startup.h"
#include "ui/korvane.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  platform::InstallWindowFont();
  Korvane window(platform::NumberFormatFromLocale(QLocale::system()));
  window.show();
  return QApplication::exec();
}
