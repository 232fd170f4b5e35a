// How the input boxes' texts read as numbers: the cases of tests/cases/parse.txt.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "calc/number_parse.h"
#include "tests/cases/cases.h"

namespace calc {
namespace {

struct ParseCase {
  std::string where, name, text;
  double expected;
};
void PrintTo(const ParseCase& c, std::ostream* out) { *out << c.where << ' ' << c.name; }

std::vector<ParseCase> ParseCases() {
  std::vector<ParseCase> read;
  for (const cases::Record& r : cases::ReadCaseFile("parse.txt")) {
    if (r.fields.size() != 3) cases::Fail(r.where, "a case is a name, a text and a value");
    read.push_back({r.where, r.fields[0], r.fields[1], cases::Number(r.fields[2], r.where)});
  }
  return read;
}

class ParseNumberPrefixTest : public ::testing::TestWithParam<ParseCase> {};

// Exactly: the nearest double, ties to the even one, however long the text.
TEST_P(ParseNumberPrefixTest, ReadsTheLeadingNumber) {
  EXPECT_EQ(ParseNumberPrefix(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(number_parse, ParseNumberPrefixTest, ::testing::ValuesIn(ParseCases()), cases::CaseName());

}  // namespace
}  // namespace calc
