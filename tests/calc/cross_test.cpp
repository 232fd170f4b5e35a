// The problem box's text for given inputs: the worked solution or the error line.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "calc/report.h"
#include "tests/calc/formats.h"

namespace calc {
namespace {

using testing::Bulgarian;
using testing::English;

const std::string kError(kErrorLine);

// Test names from each row's name field.
struct RowName {
  template <class Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
    return row.param.name;
  }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", from)) {
    lines.push_back(text.substr(from, end - from));
    from = end + 2;
  }
  EXPECT_EQ(from, text.size()) << "text after the last CR LF";
  return lines;
}

TEST(ProblemBoxTextTest, ExampleInEnglishFormat) {
  EXPECT_EQ(ProblemBoxText("37", "28", "50", English()),
            "Хоризонталната и вертикална част на кръста образуват квадрат.\r\n"
            "Квадратът участва едновременно в хоризонталната и вертикалната лента на кръста.\r\n"
            "Съставя се квадратно уравнение за x - дебелина: \r\n"
            "37*x + 28*x - x*x = 37*28*0.5\r\n"
            "x*x - 65*x + 518 = 0\r\n"
            "Площ на флага: 1036\r\n"
            "Площ на кръста: 518.000\r\n"
            "Дебелина на кръста: 9.300\r\n");
}

TEST(ProblemBoxTextTest, ExampleInBulgarianFormat) {
  const auto lines = Lines(ProblemBoxText("37", "28", "50", Bulgarian()));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[2], "Съставя се квадратно уравнение за x - дебелина: ");
  EXPECT_EQ(lines[3], "37*x + 28*x - x*x = 37*28*0,5");
  EXPECT_EQ(lines[4], "x*x - 65*x + 518 = 0");
  EXPECT_EQ(lines[5], "Площ на флага: 1036");
  EXPECT_EQ(lines[6], "Площ на кръста: 518,000");
  EXPECT_EQ(lines[7], "Дебелина на кръста: 9,300");
}

TEST(SolveCrossTest, ExampleValues) {
  const auto s = SolveCross("37", "28", "50");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->k, 0.5);
  EXPECT_EQ(s->sum, 65);
  EXPECT_EQ(s->flag_area, 1036);
  EXPECT_EQ(s->product_term, 518);
  EXPECT_EQ(s->discriminant, 2153);
  EXPECT_NEAR(s->thickness, 9.2997844, 1e-7);
  EXPECT_NEAR(s->cross_area, 518, 1e-9);
}

// Rows: inputs, then the expected lines 4 to 8 of the report (English format).
struct ReportCase {
  const char* name;
  const char *length, *width, *percentage;
  std::vector<std::string> tail;
};

class ReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ReportTest, ShowsTheWorking) {
  const ReportCase& c = GetParam();
  const auto lines = Lines(ProblemBoxText(c.length, c.width, c.percentage, English()));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()), c.tail);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ReportTest,
    ::testing::Values(ReportCase{"WholeSquareFlagAtHundredPercent",
                                 "20",
                                 "20",
                                 "100",
                                 {"20*x + 20*x - x*x = 20*20*1", "x*x - 40*x + 400 = 0", "Площ на флага: 400",
                                  "Площ на кръста: 400.000", "Дебелина на кръста: 20.000"}},
                      ReportCase{"HundredPercentIsTheShorterSide",
                                 "37",
                                 "28",
                                 "100",
                                 {"37*x + 28*x - x*x = 37*28*1", "x*x - 65*x + 1036 = 0", "Площ на флага: 1036",
                                  "Площ на кръста: 1,036.000", "Дебелина на кръста: 28.000"}},
                      ReportCase{"ShowsParsedValuesNotTypedTexts",
                                 "037",
                                 "2.50",
                                 "5e1",
                                 {"37*x + 2.5*x - x*x = 37*2.5*0.5", "x*x - 39.5*x + 46.25 = 0", "Площ на флага: 92.5",
                                  "Площ на кръста: 46.250", "Дебелина на кръста: 1.208"}},
                      ReportCase{"TrailingLettersIgnored",
                                 "37abc",
                                 " 28",
                                 "50%",
                                 {"37*x + 28*x - x*x = 37*28*0.5", "x*x - 65*x + 518 = 0", "Площ на флага: 1036",
                                  "Площ на кръста: 518.000", "Дебелина на кръста: 9.300"}},
                      ReportCase{"DecimalCommaReadsInteger",
                                 "3,5",
                                 "28",
                                 "50",
                                 {"3*x + 28*x - x*x = 3*28*0.5", "x*x - 31*x + 42 = 0", "Площ на флага: 84",
                                  "Площ на кръста: 42.000", "Дебелина на кръста: 1.420"}},
                      ReportCase{"LongThinFlagKeepsItsDigits",
                                 "1E14",
                                 "1",
                                 "1",
                                 {"100000000000000*x + 1*x - x*x = 100000000000000*1*0.01",
                                  "x*x - 100000000000001*x + 1000000000000 = 0", "Площ на флага: 100000000000000",
                                  "Площ на кръста: 1,000,000,000,000.000", "Дебелина на кръста: 0.010"}},
                      ReportCase{
                          "WholeNumbersKeepTheirZeros",
                          "1",
                          "1E7",
                          "33.3",
                          {"1*x + 10000000*x - x*x = 1*10000000*0.333", "x*x - 10000001*x + 3330000 = 0",
                           "Площ на флага: 10000000", "Площ на кръста: 3,330,000.000", "Дебелина на кръста: 0.333"}},
                      ReportCase{"AreaRoundedToFifteenDigits",
                                 "1234567",
                                 "7654321",
                                 "12.5",
                                 {"1234567*x + 7654321*x - x*x = 1234567*7654321*0.125",
                                  "x*x - 8888888*x + 1181221514250.88 = 0", "Площ на флага: 9449772114007",
                                  "Площ на кръста: 1,181,221,514,250.870", "Дебелина на кръста: 134,935.797"}}),
    RowName{});

// Digits past the fifteenth significant one are zeros, not the binary value's noise.
TEST(ReportTest, HugeFlagShowsAtMostFifteenSignificantDigits) {
  const auto lines = Lines(ProblemBoxText("9E99", "9E99", "100", English()));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[5], "Площ на флага: 8.1E+199");
  std::string area = "Площ на кръста: 81";  // 8.1E+199: 81 and 198 zeros
  for (int group = 0; group < 66; ++group) area += ",000";
  EXPECT_EQ(lines[6], area + ".000");
}

struct InvalidCase {
  const char* name;
  std::string length, width, percentage;
};

class InvalidInputTest : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidInputTest, GivesTheErrorLine) {
  const InvalidCase& c = GetParam();
  EXPECT_FALSE(SolveCross(c.length, c.width, c.percentage));
  EXPECT_EQ(ProblemBoxText(c.length, c.width, c.percentage, English()), kError);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, InvalidInputTest,
    ::testing::Values(
        InvalidCase{"EmptyLength", "", "28", "50"}, InvalidCase{"EmptyWidth", "37", "", "50"},
        InvalidCase{"EmptyPercentage", "37", "28", ""}, InvalidCase{"AllEmpty", "", "", ""},
        InvalidCase{"Blank", " ", "28", "50"}, InvalidCase{"Letters", "abc", "28", "50"},
        InvalidCase{"ZeroLength", "0", "28", "50"}, InvalidCase{"ZeroWidth", "37", "0", "50"},
        InvalidCase{"ZeroPercentage", "37", "28", "0"}, InvalidCase{"NegativeLength", "-5", "28", "50"},
        InvalidCase{"NegativeWidth", "37", "-5", "50"}, InvalidCase{"NegativePercentage", "37", "28", "-5"},
        InvalidCase{"NegativeZero", "-0", "28", "50"}, InvalidCase{"JustAboveHundredPercent", "20", "20", "100.0001"},
        InvalidCase{"MoreThanTheFlag", "37", "28", "101"}, InvalidCase{"NoRealRoot", "37", "28", "110"},
        InvalidCase{"InfiniteLength", "1e400", "28", "50"}, InvalidCase{"InfinitePercentage", "37", "28", "1e400"},
        InvalidCase{"DiscriminantOverflows", "1e200", "1e200", "50"},
        InvalidCase{"CrossAreaOverflows", "1e154", "1e154", "100"},
        InvalidCase{"ProductUnderflows", "1e-200", "1e-200", "50"},
        InvalidCase{"HugeText", std::string(100'000, '7'), "28", "50"}),
    RowName{});

// The cross area equals the share of the flag and the thickness stays within it,
// however lopsided the flag: a check on the root, not on the text.
struct Flag {
  const char* name;
  const char *length, *width, *percentage;
};

class CrossGeometryTest : public ::testing::TestWithParam<Flag> {};

TEST_P(CrossGeometryTest, CoversTheAskedShare) {
  const Flag& f = GetParam();
  const auto s = SolveCross(f.length, f.width, f.percentage);
  ASSERT_TRUE(s);
  EXPECT_GT(s->thickness, 0);
  EXPECT_LE(s->thickness, std::min(s->a, s->b));
  EXPECT_NEAR(s->cross_area / (s->a * s->b * s->k), 1.0, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Flags, CrossGeometryTest,
                         ::testing::Values(Flag{"Example", "37", "28", "50"}, Flag{"LongThin", "1E14", "1", "1"},
                                           Flag{"TallThin", "1", "1e14", "0.5"}, Flag{"Tiny", "1e-100", "3e-100", "50"},
                                           Flag{"Huge", "1e100", "1e100", "99"}, Flag{"SmallShare", "37", "28", "1e-9"},
                                           Flag{"AlmostWhole", "37", "28", "99.9999"},
                                           Flag{"SquareWhole", "0.1", "0.1", "100"},
                                           Flag{"Hex", "&H25", "&H1C", "&H32"}),
                         RowName{});

}  // namespace
}  // namespace calc
