#include "platform/startup.h"

#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <QStringList>

namespace platform {

void InstallWindowFont() {
  const QString face = QStringLiteral("Times New Roman");
  if (QFontDatabase::hasFamily(face)) return;
  const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/korvane/fonts/LiberationSerif-Regular.ttf"));
  const QStringList families = QFontDatabase::applicationFontFamilies(id);
  if (!families.isEmpty()) QFont::insertSubstitution(face, families.first());
}

}  // namespace platform
