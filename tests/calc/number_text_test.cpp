// How results are written, the general number text and the three-decimal form: the cases of
// tests/cases/number_text.txt; and each format of formats.txt read back off how it writes integers.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "calc/number_format.h"
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

INSTANTIATE_TEST_SUITE_P(number_text, NumberToTextTest, ::testing::ValuesIn(TextCases("NumberToText")),
                         cases::CaseName());

class FormatThreeDecimalsTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(FormatThreeDecimalsTest, WritesThreeDecimals) {
  EXPECT_EQ(FormatThreeDecimals(GetParam().value, GetParam().format), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(number_text, FormatThreeDecimalsTest, ::testing::ValuesIn(TextCases("FormatThreeDecimals")),
                         cases::CaseName());

// A format's samples as the page joins Intl's (lines between), or as the Qt glue writes QLocale's
// (each line ended): the integers 1, 12, ... 12345678901234 in that format.
struct SampleCase {
  std::string name;
  bool each_line_ended;
};
void PrintTo(const SampleCase& c, std::ostream* out) {
  *out << c.name << (c.each_line_ended ? " each line ended" : "");
}

std::vector<SampleCase> SampleCases() {
  std::vector<SampleCase> read;
  for (const cases::Record& r : cases::ReadCaseFile("formats.txt"))
    for (bool ended : {false, true}) read.push_back({r.fields.at(0), ended});
  return read;
}

class NumberFormatFromSampleTest : public ::testing::TestWithParam<SampleCase> {};

TEST_P(NumberFormatFromSampleTest, ReadsTheGroupingBack) {
  const NumberFormat& format = cases::Format(GetParam().name);
  std::string samples;
  for (std::size_t digits = 1; digits <= kSampleDigits.size(); ++digits) {
    const std::string written = FormatThreeDecimals(std::stod(std::string(kSampleDigits.substr(0, digits))), format);
    if (digits > 1 && !GetParam().each_line_ended) samples += '\n';
    samples += written.substr(0, written.size() - format.decimal_separator.size() - 3);
    if (GetParam().each_line_ended) samples += '\n';
  }
  const NumberFormat read =
      NumberFormatFromSample(format.decimal_separator, format.group_separator, format.negative_sign, samples);
  EXPECT_EQ(read.primary_group_size, format.primary_group_size) << samples;
  if (format.primary_group_size > 0) {
    EXPECT_EQ(read.secondary_group_size, format.secondary_group_size) << samples;
    EXPECT_EQ(read.minimum_grouping_digits, format.minimum_grouping_digits) << samples;
  }
}

INSTANTIATE_TEST_SUITE_P(number_format, NumberFormatFromSampleTest, ::testing::ValuesIn(SampleCases()),
                         [](const ::testing::TestParamInfo<SampleCase>& c) {
                           return c.param.name + (c.param.each_line_ended ? "_EachLineEnded" : "");
                         });

}  // namespace
}  // namespace calc
