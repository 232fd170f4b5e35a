// How the input boxes' texts read as numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "calc/number_parse.h"

namespace calc {
namespace {

struct ParseCase {
  const char* name;
  std::string text;
  double expected;
};

class ParseNumberPrefixTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumberPrefixTest, ReadsTheLeadingNumber) {
  const ParseCase& c = GetParam();
  const double value = ParseNumberPrefix(c.text);
  if (std::isinf(c.expected))
    EXPECT_EQ(value, c.expected);
  else
    EXPECT_DOUBLE_EQ(value, c.expected) << '"' << c.text << '"';
}

const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseNumberPrefixTest,
    ::testing::Values(ParseCase{"Empty", "", 0}, ParseCase{"Letters", "abc", 0}, ParseCase{"BetweenBlanks", " 28 ", 28},
                      ParseCase{"TabsAndLineFeeds", "\t3\n7\n", 37}, ParseCase{"BlanksInsideTheNumber", "1 2", 12},
                      ParseCase{"Decimal", "2.5", 2.5}, ParseCase{"CommaIsNoSeparator", "2,5", 2},
                      ParseCase{"Negative", "-4", -4}, ParseCase{"SignThenBlank", "- 4", -4},
                      ParseCase{"Plus", "+7", 7}, ParseCase{"Exponent", "5e1", 50},
                      ParseCase{"CapitalExponent", "1E3", 1000}, ParseCase{"ExponentWithBlank", "1e 3", 1000},
                      ParseCase{"NegativeExponent", "25e-2", 0.25}, ParseCase{"DExponent", "1d3", 1000},
                      ParseCase{"BareExponentLetter", "7e", 7}, ParseCase{"ExponentSignWithoutDigits", "7e+x", 7},
                      ParseCase{"TrailingLetters", "37abc", 37}, ParseCase{"LeadingZero", "037", 37},
                      ParseCase{"TrailingZero", "2.50", 2.5}, ParseCase{"LeadingPeriod", ".5", 0.5},
                      ParseCase{"TrailingPeriod", "5.", 5}, ParseCase{"SecondPeriodStops", "1.2.3", 1.2},
                      ParseCase{"LonePeriod", ".", 0}, ParseCase{"LoneSign", "-", 0},
                      ParseCase{"CarriageReturnStops", "\r37", 0}, ParseCase{"Hexadecimal", "&H10", 16},
                      ParseCase{"HexadecimalExample", "&H25", 37}, ParseCase{"LowerCaseHex", "&h1f", 31},
                      ParseCase{"HexDigitNine", "&H19", 25}, ParseCase{"HexLetterC", "&H1C", 28},
                      ParseCase{"LowerCaseOctal", "&o17", 15}, ParseCase{"Octal", "&O17", 15},
                      ParseCase{"OctalStopsAtEight", "&O18", 1}, ParseCase{"HexWithoutDigits", "&H", 0},
                      ParseCase{"UnknownRadix", "&Z1", 0}, ParseCase{"AmpersandLater", "1&H2", 1},
                      ParseCase{"TooLarge", "1e400", kInf}, ParseCase{"TooLargeNegative", "-1e400", -kInf},
                      ParseCase{"TooSmall", "1e-400", 0}, ParseCase{"FractionTimesHugeExponent", "0.001e310", 1e307},
                      ParseCase{"Cyrillic", "тридесет", 0}),
    [](const ::testing::TestParamInfo<ParseCase>& row) { return std::string(row.param.name); });

TEST(ParseNumberPrefixTest, RoundsCorrectly) {
  EXPECT_EQ(ParseNumberPrefix("0.1"), 0.1);
  EXPECT_EQ(ParseNumberPrefix("9007199254740993"), 9007199254740992.0);
  EXPECT_EQ(ParseNumberPrefix("1.7976931348623157e308"), std::numeric_limits<double>::max());
  EXPECT_EQ(ParseNumberPrefix("1.7976931348623158e308"), std::numeric_limits<double>::max());  // below the midpoint
  EXPECT_EQ(ParseNumberPrefix("1.7976931348623159e308"), kInf);
  // Half the smallest double is a tie, and goes to zero, the even neighbour.
  EXPECT_EQ(ParseNumberPrefix("2.4703282292062327e-324"), 0);
  EXPECT_EQ(ParseNumberPrefix("2.4703282292062328e-324"), std::numeric_limits<double>::denorm_min());
  // A tie, unless a digit far past those that are kept exactly is not zero.
  EXPECT_EQ(ParseNumberPrefix("9007199254740993." + std::string(900, '0')), 9007199254740992.0);
  EXPECT_EQ(ParseNumberPrefix("9007199254740993." + std::string(900, '0') + "1"), 9007199254740994.0);
}

TEST(ParseNumberPrefixTest, ReadsTextsOfAnyLength) {
  EXPECT_EQ(ParseNumberPrefix(std::string(1'000'000, '9')), kInf);
  EXPECT_EQ(ParseNumberPrefix(std::string(1'000'000, ' ') + "37"), 37);
  EXPECT_EQ(ParseNumberPrefix("37" + std::string(1'000'000, 'x')), 37);
  EXPECT_EQ(ParseNumberPrefix("0." + std::string(100'000, '0') + "1e100010"), 1e9);
  EXPECT_EQ(ParseNumberPrefix("&H" + std::string(100'000, 'F')), kInf);
  EXPECT_EQ(ParseNumberPrefix("1e" + std::string(100'000, '9')), kInf);
  EXPECT_EQ(ParseNumberPrefix("1e-" + std::string(100'000, '9')), 0);
}

}  // namespace
}  // namespace calc
