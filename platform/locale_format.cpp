// The locale is always the one numeric locale: QLocale::system() would take its
// numbers from the messages locale. The core reads the grouping off Qt's samples.
#include "platform/locale_format.h"

#include <QString>
#include <QtGlobal>

namespace platform {

QLocale NumericLocale() {
  for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const QString name = qEnvironmentVariable(variable);
    if (!name.isEmpty()) return QLocale(name);  // bg_BG.UTF-8: QLocale ignores the code set
  }
  return QLocale::c();
}

calc::NumberFormat NumberFormatFromLocale(const QLocale& locale) {
  const QString digits = QString::fromLatin1(calc::kSampleDigits.data(), calc::kSampleDigits.size());
  QString samples;
  for (qsizetype count = 1; count <= digits.size(); ++count)
    samples += locale.toString(digits.left(count).toLongLong()) + u'\n';
  return calc::NumberFormatFromSample(locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString(),
                                      locale.negativeSign().toStdString(), samples.toStdString());
}

}  // namespace platform
