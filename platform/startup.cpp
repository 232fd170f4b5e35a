#include "platform/startup.h"

#include <QByteArray>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QString>
#include <QStringList>

namespace platform {

void InstallWindowFont() {
  const QString face = QStringLiteral("Times New Roman");
  // Most systems either have the face or map it to a metric-compatible one
  // (fontconfig's aliases); loading our own copy then only costs start-up time.
  static const QStringList compatible = {face, QStringLiteral("Liberation Serif"), QStringLiteral("Tinos")};
  if (compatible.contains(QFontInfo(QFont(face)).family())) return;
  const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/korvane/fonts/LiberationSerif-Regular.ttf"));
  const QStringList families = QFontDatabase::applicationFontFamilies(id);
  if (!families.isEmpty()) QFont::insertSubstitution(face, families.first());
}

void PreventBusAutolaunch() {
  if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")) return;
  // libdbus also finds a session bus at $XDG_RUNTIME_DIR/bus, as systemd sessions provide.
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo::exists(QString::fromLocal8Bit(runtime) + QStringLiteral("/bus"))) return;
  qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");  // an address libdbus refuses, so it launches nothing
}

}  // namespace platform
