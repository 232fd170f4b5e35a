// Qt 6.4 does not publish a locale's group sizes or its minimum grouping, so they
// are read off how the locale writes integers, always of the one numeric locale:
// QLocale::system() would take them from the messages locale. Only the sizes are taken from Qt:
// its own grouping of seven-digit numbers under a minimum grouping of two is
// wrong (1234 567), so the core does the grouping itself.
#include "platform/locale_format.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace platform {
namespace {

struct Grouping {
  int primary = 0;
  int secondary = 0;
  int minimum = 1;
};

Grouping ReadGrouping(const QLocale& locale) {
  Grouping g;
  const QString separator = locale.groupSeparator();
  if (separator.isEmpty()) return g;
  // Fourteen digits: the leftmost group has two, more than any minimum grouping asks.
  const QStringList groups = locale.toString(Q_INT64_C(12345678901234)).split(separator);
  if (groups.size() < 2) return g;
  // Digits, not UTF-16 units: some locales' digits lie outside the Basic Multilingual Plane.
  const auto digit_count = [&](qsizetype i) { return static_cast<int>(groups.at(i).toUcs4().size()); };
  g.primary = digit_count(groups.size() - 1);
  g.secondary = groups.size() > 2 ? digit_count(groups.size() - 2) : g.primary;
  // The fewest integer digits that the locale groups at all.
  qint64 power = 1;
  for (int digits = 1; digits <= g.primary + 4; ++digits, power *= 10) {
    if (digits > g.primary && locale.toString(power).contains(separator)) {
      g.minimum = digits - g.primary;
      break;
    }
  }
  return g;
}

}  // namespace

QLocale NumericLocale() {
  for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const QString name = qEnvironmentVariable(variable);
    if (!name.isEmpty()) return QLocale(name);  // bg_BG.UTF-8: QLocale ignores the code set
  }
  return QLocale::c();
}

calc::NumberFormat NumberFormatFromLocale(const QLocale& locale) {
  calc::NumberFormat format;
  format.decimal_separator = locale.decimalPoint().toStdString();
  format.group_separator = locale.groupSeparator().toStdString();
  format.negative_sign = locale.negativeSign().toStdString();
  const Grouping grouping = ReadGrouping(locale);
  format.primary_group_size = grouping.primary;
  format.secondary_group_size = grouping.secondary;
  format.minimum_grouping_digits = grouping.minimum;
  return format;
}

}  // namespace platform
