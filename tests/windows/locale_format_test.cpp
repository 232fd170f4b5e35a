// Windows' regional settings, as GetLocaleInfoEx gives them, read into the core's
// number format: what Wine and Windows return for real locales, and settings a
// user may have changed in the Control Panel.
#include "windows/locale_format.h"

#include <gtest/gtest.h>

#include <string>

#include "calc/number_text.h"

namespace {

struct Case {
  const char* name;
  korvane::LocaleInfo info;
  std::string thousands, millions, negative;  // 1036, 1234567.5 and -0.25 with three decimals
};

class NumberFormatFromLocaleInfoTest : public ::testing::TestWithParam<Case> {};

TEST_P(NumberFormatFromLocaleInfoTest, WritesNumbersAsTheUserSettingsSay) {
  const Case& c = GetParam();
  const calc::NumberFormat f = korvane::NumberFormatFromLocaleInfo(c.info);
  EXPECT_EQ(calc::FormatThreeDecimals(1036, f), c.thousands);
  EXPECT_EQ(calc::FormatThreeDecimals(1234567.5, f), c.millions);
  EXPECT_EQ(calc::FormatThreeDecimals(-0.25, f), c.negative);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, NumberFormatFromLocaleInfoTest,
    ::testing::Values(
        Case{"EnglishUnitedStates",
             {u"en-US", u".", u",", u"3;0", u"1", u"1", u"-"},
             "1,036.000",
             "1,234,567.500",
             "-0.250"},
        // Bulgarian groups only from five integer digits, as on Linux.
        Case{"Bulgarian",
             {u"bg-BG", u",", u"\u00A0", u"3;0", u"1", u"1", u"-"},
             "1036,000",
             "1\u00A0234\u00A0567,500",
             "-0,250"},
        Case{"GermanGermany", {u"de-DE", u",", u".", u"3;0", u"1", u"1", u"-"}, "1.036,000", "1.234.567,500", "-0,250"},
        // Indian grouping: three digits, then twos.
        Case{"HindiIndia", {u"hi-IN", u".", u",", u"3;2;0", u"1", u"1", u"-"}, "1,036.000", "12,34,567.500", "-0.250"},
        // Only the first group, no repeat.
        Case{"GroupOnce", {u"en-US", u".", u",", u"3", u"1", u"1", u"-"}, "1,036.000", "1234,567.500", "-0.250"},
        Case{"NoGrouping", {u"en-US", u".", u",", u"0;0", u"1", u"1", u"-"}, "1036.000", "1234567.500", "-0.250"},
        Case{"EmptyGroupSeparator",
             {u"en-US", u".", u"", u"3;0", u"1", u"1", u"-"},
             "1036.000",
             "1234567.500",
             "-0.250"},
        // Changed in the Control Panel: no leading zero, negatives in parentheses, a spaced sign.
        Case{"NoLeadingZero", {u"en-US", u".", u",", u"3;0", u"0", u"1", u"-"}, "1,036.000", "1,234,567.500", "-.250"},
        Case{"NegativeInParentheses",
             {u"en-US", u".", u",", u"3;0", u"1", u"0", u"-"},
             "1,036.000",
             "1,234,567.500",
             "(0.250)"},
        Case{"NegativeSignAndBlank",
             {u"en-US", u".", u",", u"3;0", u"1", u"2", u"-"},
             "1,036.000",
             "1,234,567.500",
             "- 0.250"},
        // A separator outside the Basic Multilingual Plane arrives as a surrogate pair.
        Case{"SurrogatePairSeparator",
             {u"en-US", u"\U0001D7CE", u",", u"3;0", u"1", u"1", u"-"},
             "1,036\U0001D7CE000",
             "1,234,567\U0001D7CE500",
             "-0\U0001D7CE250"}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
