// The problem box's text for given inputs, the worked solution or the error line: the cases of
// tests/cases/report.txt; and the solver's values for the example.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "calc/report.h"
#include "tests/cases/cases.h"

namespace calc {
namespace {

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

// The cases of report.txt that give the error line, or those that give a report.
std::vector<cases::Report> CasesWithErrorLine(bool error_line) {
  std::vector<cases::Report> chosen;
  for (const cases::Report& c : cases::ReportCases().cases)
    if (c.error == error_line) chosen.push_back(c);
  return chosen;
}

std::string BoxText(const cases::Report& c) { return ProblemBoxText(c.inputs[0], c.inputs[1], c.inputs[2], c.format); }

class ReportTest : public ::testing::TestWithParam<cases::Report> {};

// Eight lines: the three that open every report, then the working, as far as the case pins it.
TEST_P(ReportTest, ShowsTheWorking) {
  const auto lines = Lines(BoxText(GetParam()));
  ASSERT_EQ(lines.size(), 8u);
  const auto& example = cases::ReportCases()["Example"].lines;
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(lines[n - 1], example.at(n)) << "line " << n;
  for (const auto& [n, text] : GetParam().lines) EXPECT_EQ(lines[n - 1], text) << "line " << n;
}

INSTANTIATE_TEST_SUITE_P(report, ReportTest, ::testing::ValuesIn(CasesWithErrorLine(false)), cases::CaseName());

class InvalidInputTest : public ::testing::TestWithParam<cases::Report> {};

TEST_P(InvalidInputTest, GivesTheErrorLine) {
  const cases::Report& c = GetParam();
  EXPECT_FALSE(SolveCross(c.inputs[0], c.inputs[1], c.inputs[2]));
  EXPECT_EQ(BoxText(c), cases::ReportCases().error_line);
}

INSTANTIATE_TEST_SUITE_P(report, InvalidInputTest, ::testing::ValuesIn(CasesWithErrorLine(true)), cases::CaseName());

// The cross area equals the share of the flag and the thickness stays within it,
// however lopsided the flag: a check on the root, not on the text.
class CrossGeometryTest : public ::testing::TestWithParam<cases::Report> {};

TEST_P(CrossGeometryTest, CoversTheAskedShare) {
  const cases::Report& c = GetParam();
  const auto s = SolveCross(c.inputs[0], c.inputs[1], c.inputs[2]);
  ASSERT_TRUE(s);
  EXPECT_GT(s->thickness, 0);
  EXPECT_LE(s->thickness, std::min(s->a, s->b));
  EXPECT_NEAR(s->cross_area / (s->a * s->b * s->k), 1.0, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(report, CrossGeometryTest, ::testing::ValuesIn(CasesWithErrorLine(false)), cases::CaseName());

TEST(SolveCrossTest, ExampleValues) {
  const auto& inputs = cases::ReportCases()["Example"].inputs;
  const auto s = SolveCross(inputs[0], inputs[1], inputs[2]);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->k, 0.5);
  EXPECT_EQ(s->sum, 65);
  EXPECT_EQ(s->flag_area, 1036);
  EXPECT_EQ(s->product_term, 518);
  EXPECT_EQ(s->discriminant, 2153);
  EXPECT_NEAR(s->thickness, 9.2997844, 1e-7);
  EXPECT_NEAR(s->cross_area, 518, 1e-9);
}

}  // namespace
}  // namespace calc
