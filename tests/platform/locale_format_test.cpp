// The user's locale read into the core's number format, for locales built explicitly.
#include <gtest/gtest.h>

#include <QLocale>
#include <string>

#include "calc/number_text.h"
#include "platform/locale_format.h"

namespace {

struct LocaleCase {
  const char* name;
  QLocale locale;
  std::string decimal, group;
  int primary, secondary, minimum;
  std::string thousands, millions;  // 1036 and 1234567.5 with three decimals
};

class NumberFormatFromLocaleTest : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(NumberFormatFromLocaleTest, ReadsSeparatorsAndGrouping) {
  const LocaleCase& c = GetParam();
  const calc::NumberFormat f = platform::NumberFormatFromLocale(c.locale);
  EXPECT_EQ(f.decimal_separator, c.decimal);
  EXPECT_EQ(f.group_separator, c.group);
  EXPECT_EQ(f.primary_group_size, c.primary);
  EXPECT_EQ(f.secondary_group_size, c.secondary);
  EXPECT_EQ(f.minimum_grouping_digits, c.minimum);
  EXPECT_EQ(f.negative_sign, "-");
  EXPECT_EQ(calc::FormatThreeDecimals(1036, f), c.thousands);
  EXPECT_EQ(calc::FormatThreeDecimals(1234567.5, f), c.millions);
}

INSTANTIATE_TEST_SUITE_P(Locales, NumberFormatFromLocaleTest,
                         ::testing::Values(LocaleCase{"Bulgarian", QLocale(QLocale::Bulgarian, QLocale::Bulgaria), ",",
                                                      "\u00A0", 3, 3, 2, "1036,000", "1\u00A0234\u00A0567,500"},
                                           LocaleCase{"English", QLocale(QLocale::English, QLocale::UnitedStates), ".",
                                                      ",", 3, 3, 1, "1,036.000", "1,234,567.500"},
                                           LocaleCase{"German", QLocale(QLocale::German, QLocale::Germany), ",", ".", 3,
                                                      3, 1, "1.036,000", "1.234.567,500"},
                                           LocaleCase{"Indian", QLocale(QLocale::Hindi, QLocale::India), ".", ",", 3, 2,
                                                      1, "1,036.000", "12,34,567.500"},
                                           LocaleCase{"DigitsOutsideTheBasicPlane", QLocale(QStringLiteral("ccp_BD")),
                                                      ".", ",", 3, 2, 1, "1,036.000", "12,34,567.500"},
                                           LocaleCase{"CLocaleGroupsNothing", QLocale::c(), ".", ",", 0, 0, 1,
                                                      "1036.000", "1234567.500"}),
                         [](const ::testing::TestParamInfo<LocaleCase>& row) { return std::string(row.param.name); });

TEST(NumberFormatFromLocaleTest, LocaleWithoutGroupingGroupsNothing) {
  QLocale locale(QLocale::English, QLocale::UnitedStates);
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  const calc::NumberFormat f = platform::NumberFormatFromLocale(locale);
  EXPECT_EQ(calc::FormatThreeDecimals(1234567, f), "1234567.000");
}

// Which environment variable sets the numbers: the area of a 100 by 100 flag at 50 %.
struct EnvironmentCase {
  const char* name;
  const char *lc_all, *lc_numeric, *lang, *lc_messages;
  std::string area;
};

class NumericLocaleTest : public ::testing::TestWithParam<EnvironmentCase> {};

TEST_P(NumericLocaleTest, FollowsTheNumericLocaleAlone) {
  const EnvironmentCase& c = GetParam();
  const auto set = [](const char* variable, const char* value) {
    if (value)
      qputenv(variable, value);
    else
      qunsetenv(variable);
  };
  set("LC_ALL", c.lc_all);
  set("LC_NUMERIC", c.lc_numeric);
  set("LANG", c.lang);
  set("LC_MESSAGES", c.lc_messages);
  EXPECT_EQ(calc::FormatThreeDecimals(5000, platform::NumberFormatFromLocale(platform::NumericLocale())), c.area);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, NumericLocaleTest,
    ::testing::Values(
        EnvironmentCase{"Lang", nullptr, nullptr, "bg_BG.UTF-8", nullptr, "5000,000"},
        EnvironmentCase{"MessagesLocaleIgnored", nullptr, nullptr, "bg_BG.UTF-8", "en_US.UTF-8", "5000,000"},
        EnvironmentCase{"NumericOverLang", nullptr, "en_US.UTF-8", "bg_BG.UTF-8", nullptr, "5,000.000"},
        EnvironmentCase{"AllOverNumeric", "de_DE.UTF-8", "en_US.UTF-8", "bg_BG.UTF-8", nullptr, "5.000,000"},
        EnvironmentCase{"CGroupsNothing", nullptr, nullptr, "C", "en_US.UTF-8", "5000.000"},
        EnvironmentCase{"PosixGroupsNothing", nullptr, "POSIX", "en_US.UTF-8", nullptr, "5000.000"},
        EnvironmentCase{"NothingSetIsC", nullptr, nullptr, nullptr, "de_DE.UTF-8", "5000.000"}),
    [](const ::testing::TestParamInfo<EnvironmentCase>& row) { return std::string(row.param.name); });

}  // namespace
