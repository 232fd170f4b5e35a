// How results are written: the general number text and the three-decimal form.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "calc/number_text.h"
#include "tests/calc/formats.h"

namespace calc {
namespace {

using testing::Bulgarian;
using testing::English;
using testing::German;

struct TextCase {
  const char* name;
  double value;
  NumberFormat format;
  std::string expected;
};

std::string CaseName(const ::testing::TestParamInfo<TextCase>& info) { return info.param.name; }

class NumberToTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumberToTextTest, WritesTheGeneralForm) {
  const TextCase& c = GetParam();
  EXPECT_EQ(NumberToText(c.value, c.format), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, NumberToTextTest,
    ::testing::Values(
        TextCase{"Integer", 65, English(), "65"}, TextCase{"Half", 0.5, English(), "0.5"},
        TextCase{"HalfWithDecimalComma", 0.5, Bulgarian(), "0,5"}, TextCase{"NeverGrouped", 1036, English(), "1036"},
        TextCase{"NeverGroupedGerman", 1234567, German(), "1234567"},
        TextCase{"OneThirdHasFifteenDigits", 1.0 / 3, English(), "0.333333333333333"},
        TextCase{"TwoThirdsRounds", 2.0 / 3, English(), "0.666666666666667"},
        TextCase{"SumShowsRoundedDigits", 0.1 + 0.2, English(), "0.3"},
        TextCase{"LongIntegerRounds", 123456789012345.6, English(), "123456789012346"},
        TextCase{"LargestPlainInteger", 999999999999999, English(), "999999999999999"},
        TextCase{"RoundingCarriesIntoExponent", 999999999999999.9, English(), "1E+15"},
        TextCase{"ExponentFrom1E15", 1e15, English(), "1E+15"}, TextCase{"LargeExponent", 1e20, English(), "1E+20"},
        TextCase{"ThreeDigitExponent", 1.5e308, Bulgarian(), "1,5E+308"},
        TextCase{"SmallWithExponent", 5.6789e-12, English(), "5.6789E-12"},
        TextCase{"SmallWithExponentComma", 5.6789e-12, Bulgarian(), "5,6789E-12"},
        TextCase{"FifteenDecimalsStayPlain", 1e-15, English(), "0.000000000000001"},
        TextCase{"SixteenDecimalsTakeExponent", 1.5e-15, English(), "1.5E-15"},
        TextCase{"SmallPlain", 0.0001, English(), "0.0001"}, TextCase{"Negative", -2.5, English(), "-2.5"},
        TextCase{"NegativeZeroIsZero", -0.0, English(), "0"}, TextCase{"Zero", 0.0, German(), "0"},
        TextCase{"TrailingZerosOfInteger", 1200, English(), "1200"},
        TextCase{"TwoExponentDigits", 5.180916e-10, English(), "5.180916E-10"},
        TextCase{"SubnormalRoundsToFifteenDigits", 1e-310, English(), "9.99999999999997E-311"}),
    CaseName);

class FormatThreeDecimalsTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(FormatThreeDecimalsTest, WritesThreeDecimals) {
  const TextCase& c = GetParam();
  EXPECT_EQ(FormatThreeDecimals(c.value, c.format), c.expected);
}

NumberFormat WithoutLeadingZero() {
  NumberFormat f;
  f.leading_zero = false;
  return f;
}
NumberFormat WithParentheses() {
  NumberFormat f;
  f.negative_form = NumberFormat::NegativeForm::Parentheses;
  return f;
}
NumberFormat IndianGroups() {
  NumberFormat f;
  f.secondary_group_size = 2;
  return f;
}
NumberFormat Ungrouped() {
  NumberFormat f;
  f.primary_group_size = 0;
  return f;
}

INSTANTIATE_TEST_SUITE_P(
    English, FormatThreeDecimalsTest,
    ::testing::Values(
        TextCase{"RoundsUp", 9.2997844, English(), "9.300"}, TextCase{"PadsInteger", 518, English(), "518.000"},
        TextCase{"LeadingZero", 0.5, English(), "0.500"}, TextCase{"GroupsThousands", 1036, English(), "1,036.000"},
        TextCase{"GroupsMillions", 1234567.891, English(), "1,234,567.891"},
        TextCase{"SixDigitsOneSeparator", 123456, English(), "123,456.000"},
        TextCase{"ExactTieAwayFromZero", 0.0625, English(), "0.063"},
        TextCase{"AnotherExactTie", 0.1875, English(), "0.188"},
        TextCase{"TieWithIntegerPart", 2.0625, English(), "2.063"},
        TextCase{"NegativeTie", -0.0625, English(), "-0.063"},
        TextCase{"BinaryValueAboveHalf", 0.0005, English(), "0.001"},
        TextCase{"BinaryValueBelowHalf", 1.0005, English(), "1.000"},
        TextCase{"CarryIntoThousands", 999.9995, English(), "1,000.000"},
        TextCase{"Negative", -1036, English(), "-1,036.000"},
        TextCase{"TinyNegativeShowsNoSign", -0.0004, English(), "0.000"},
        TextCase{"NegativeZero", -0.0, English(), "0.000"},
        TextCase{"FifteenSignificantDigits", 1181221514250.8701, English(), "1,181,221,514,250.870"},
        TextCase{"SixteenIntegerDigitsEndInZero", 1234567890123456.7, English(), "1,234,567,890,123,460.000"},
        TextCase{"RoundingCarriesIntoANewDigit", 999999999999999.9, English(), "1,000,000,000,000,000.000"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(Bulgarian, FormatThreeDecimalsTest,
                         ::testing::Values(TextCase{"DecimalComma", 9.2997844, Bulgarian(), "9,300"},
                                           TextCase{"FourDigitsNotGrouped", 1036, Bulgarian(), "1036,000"},
                                           TextCase{"FiveDigitsGrouped", 12345.5, Bulgarian(), "12\u00A0345,500"},
                                           TextCase{"SevenDigitsGroupedInThrees", 1234567, Bulgarian(),
                                                    "1\u00A0234\u00A0567,000"},
                                           TextCase{"LeadingZero", 0.5, Bulgarian(), "0,500"}),
                         CaseName);

INSTANTIATE_TEST_SUITE_P(German, FormatThreeDecimalsTest,
                         ::testing::Values(TextCase{"PeriodGroups", 1036, German(), "1.036,000"},
                                           TextCase{"CommaDecimals", 0.5, German(), "0,500"},
                                           TextCase{"Millions", 1234567.25, German(), "1.234.567,250"}),
                         CaseName);

INSTANTIATE_TEST_SUITE_P(OtherSettings, FormatThreeDecimalsTest,
                         ::testing::Values(TextCase{"NoLeadingZero", 0.5, WithoutLeadingZero(), ".500"},
                                           TextCase{"NoLeadingZeroNegative", -0.5, WithoutLeadingZero(), "-.500"},
                                           TextCase{"LeadingZeroOnlyBelowOne", 10.5, WithoutLeadingZero(), "10.500"},
                                           TextCase{"Parentheses", -1036, WithParentheses(), "(1,036.000)"},
                                           TextCase{"ParenthesesOnlyWhenNegative", 1036, WithParentheses(),
                                                    "1,036.000"},
                                           TextCase{"ThreeThenTwo", 1234567, IndianGroups(), "12,34,567.000"},
                                           TextCase{"NoGrouping", 1234567, Ungrouped(), "1234567.000"}),
                         CaseName);

// 1.79769313486232E+308: fifteen digits, then zeros, never the binary value's noise.
TEST(FormatThreeDecimalsTest, WritesTheLargestDouble) {
  const std::string text = FormatThreeDecimals(std::numeric_limits<double>::max(), English());
  EXPECT_EQ(text.substr(0, 20), "179,769,313,486,232,");
  EXPECT_EQ(text.find_first_not_of(",0", 20), text.size() - 4);
  EXPECT_EQ(text.substr(text.size() - 4), ".000");
  EXPECT_EQ(text.size(), 309 + 102 + 4);  // digits, separators, ".000"
}

}  // namespace
}  // namespace calc
