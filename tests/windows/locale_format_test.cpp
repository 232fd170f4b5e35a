// Windows' regional settings, as GetLocaleInfoEx gives them, read into the core's
// number format: what Wine and Windows return for real locales, and settings a
// user may have changed in the Control Panel.
#include "windows/locale_format.h"

#include <gtest/gtest.h>

#include <string>

#include "calc/number_text.h"
#include "windows/utf16.h"

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
        Case{"EnglishUnitedStates", {u".", u",", u"3;0", u"1", u"1", u"-"}, "1,036.000", "1,234,567.500", "-0.250"},
        // Grouped from four digits, as the settings say and Windows' own programs write.
        Case{"Bulgarian",
             {u",", u"\u00A0", u"3;0", u"1", u"1", u"-"},
             "1\u00A0036,000",
             "1\u00A0234\u00A0567,500",
             "-0,250"},
        Case{"GermanGermany", {u",", u".", u"3;0", u"1", u"1", u"-"}, "1.036,000", "1.234.567,500", "-0,250"},
        // Indian grouping: three digits, then twos.
        Case{"HindiIndia", {u".", u",", u"3;2;0", u"1", u"1", u"-"}, "1,036.000", "12,34,567.500", "-0.250"},
        // Three sizes and no trailing 0: read to the end of the list, never past it.
        Case{"GroupingListedOnly", {u".", u",", u"3;2;2", u"1", u"1", u"-"}, "1,036.000", "12,34,567.500", "-0.250"},
        // Only the first group, no repeat.
        Case{"GroupOnce", {u".", u",", u"3", u"1", u"1", u"-"}, "1,036.000", "1234,567.500", "-0.250"},
        Case{"NoGrouping", {u".", u",", u"0;0", u"1", u"1", u"-"}, "1036.000", "1234567.500", "-0.250"},
        Case{"EmptyGroupSeparator", {u".", u"", u"3;0", u"1", u"1", u"-"}, "1036.000", "1234567.500", "-0.250"},
        // Changed in the Control Panel: no leading zero, negatives in parentheses, a spaced sign.
        Case{"NoLeadingZero", {u".", u",", u"3;0", u"0", u"1", u"-"}, "1,036.000", "1,234,567.500", "-.250"},
        Case{"NegativeInParentheses", {u".", u",", u"3;0", u"1", u"0", u"-"}, "1,036.000", "1,234,567.500", "(0.250)"},
        Case{"NegativeSignAndBlank", {u".", u",", u"3;0", u"1", u"2", u"-"}, "1,036.000", "1,234,567.500", "- 0.250"},
        // An emptied decimal symbol: the period.
        Case{"EmptyDecimalSymbol", {u"", u",", u"3;0", u"1", u"1", u"-"}, "1,036.000", "1,234,567.500", "-0.250"},
        // Three-byte UTF-8: the Arabic decimal separator and a narrow no-break space.
        Case{"ThreeByteSeparators",
             {u"\u066B", u"\u202F", u"3;0", u"1", u"1", u"-"},
             "1\u202F036\u066B000",
             "1\u202F234\u202F567\u066B500",
             "-0\u066B250"},
        // A lone surrogate is no character: U+FFFD, as Windows writes it.
        Case{"LoneSurrogateSeparator",
             {u"\xD800", u",", u"3;0", u"1", u"1", u"-"},
             "1,036\uFFFD000",
             "1,234,567\uFFFD500",
             "-0\uFFFD250"},
        // A separator outside the Basic Multilingual Plane arrives as a surrogate pair.
        Case{"SurrogatePairSeparator",
             {u"\U0001D7CE", u",", u"3;0", u"1", u"1", u"-"},
             "1,036\U0001D7CE000",
             "1,234,567\U0001D7CE500",
             "-0\U0001D7CE250"}),
    [](const auto& test) { return std::string(test.param.name); });

// The core's UTF-8 into the wide API's UTF-16: what is not well formed is U+FFFD, as many as
// Windows chooses (Wine's choice differs), written once in a row.
TEST(Utf16Test, ReadsWellFormedTextAndReplacesTheRest) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"9,300", u"9,300"},
      {"\u0414\u0435\u0431\u0435\u043B\u0438\u043D\u0430", u"\u0414\u0435\u0431\u0435\u043B\u0438\u043D\u0430"},
      {"4\u202F999\u066B250", u"4\u202F999\u066B250"},
      {"\U0001D7CE", u"\U0001D7CE"},
      // The last character of each length and the first of the next.
      {"\u007F\u0080\u07FF\u0800\uFFFF\U00010000", u"\u007F\u0080\u07FF\u0800\uFFFF\U00010000"},
      {"a\xE2\x80", u"a\uFFFD"},        // cut short at the end
      {"\xC0\xAF", u"\uFFFD"},          // an overlong slash
      {"\xED\xA0\x80", u"\uFFFD"},      // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD"},  // beyond U+10FFFF
  };
  for (const auto& c : cases) {
    const std::u16string text = korvane::Utf16(c.utf8);
    const std::size_t replaced = c.utf16.find(u'\uFFFD');
    EXPECT_EQ(text.substr(0, replaced), c.utf16.substr(0, replaced)) << c.utf8;
    if (replaced == std::u16string::npos) {
      EXPECT_EQ(korvane::Utf8(c.utf16), c.utf8);
    } else {
      EXPECT_EQ(text.find_first_not_of(u'\uFFFD', replaced), std::u16string::npos) << c.utf8;
      EXPECT_GT(text.size(), replaced) << c.utf8;
    }
  }
}

// The wide API's UTF-16 into the core's UTF-8: a surrogate without its other half is U+FFFD.
TEST(Utf8Test, ReplacesLoneSurrogates) {
  const struct {
    std::u16string utf16;
    std::string utf8;
  } cases[] = {
      {u"a\xD800", "a\uFFFD"},  // a high one at the end
      {u"\xDC00"
       u"b",
       "\uFFFDb"},                                  // a low one at the start
      {u"\xDFFF\xD800", "\uFFFD\uFFFD"},            // a pair in the wrong order
      {u"\xD83D\xD83D\xDE00", "\uFFFD\U0001F600"},  // a high one, then a whole pair
  };
  for (const auto& c : cases) EXPECT_EQ(korvane::Utf8(c.utf16), c.utf8) << c.utf8;
}

}  // namespace
