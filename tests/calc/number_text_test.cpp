// How results are written, the general number text and the three-decimal form: the cases of
// tests/cases/number_text.txt.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "calc/number_text.h"
#include "tests/cases/cases.h"

namespace calc {
namespace {

struct TextCase {
  std::string where, name;
  double value;
  NumberFormat format;
  std::string expected;
};
void PrintTo(const TextCase& c, std::ostream* out) { *out << c.where << ' ' << c.name; }

// The cases of one writer: NumberToText or FormatThreeDecimals.
std::vector<TextCase> TextCases(const std::string& writer) {
  std::vector<TextCase> read;
  for (const cases::Record& r : cases::ReadCaseFile("number_text.txt")) {
    if (r.fields.size() != 5 || (r.fields[1] != "NumberToText" && r.fields[1] != "FormatThreeDecimals"))
      cases::Fail(r.where, "a case is a name, a writer, a value, a format and a text");
    if (r.fields[1] == writer)
      read.push_back({r.where, r.fields[0], cases::Number(r.fields[2], r.where), cases::Format(r.fields[3], r.where),
                      r.fields[4]});
  }
  return read;
}

class NumberToTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumberToTextTest, WritesTheGeneralForm) {
  EXPECT_EQ(NumberToText(GetParam().value, GetParam().format), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, NumberToTextTest, ::testing::ValuesIn(TextCases("NumberToText")), cases::CaseName());

class FormatThreeDecimalsTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(FormatThreeDecimalsTest, WritesThreeDecimals) {
  EXPECT_EQ(FormatThreeDecimals(GetParam().value, GetParam().format), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, FormatThreeDecimalsTest, ::testing::ValuesIn(TextCases("FormatThreeDecimals")),
                         cases::CaseName());

}  // namespace
}  // namespace calc
