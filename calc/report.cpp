// ComposeReport and ProblemBoxText: the eight-line worked solution in Bulgarian,
// or the error line. Numbers come in as a CrossSolution; text goes out as UTF-8.
#include <string>
#include <string_view>

#include "calc/number_text.h"
#include "calc/report.h"

namespace calc {
namespace {

constexpr std::string_view kNewLine = "\r\n";

}  // namespace

std::string ComposeReport(const CrossSolution& s, const NumberFormat& format) {
  std::string out;
  out.reserve(640);
  const auto number = [&](double v) { AppendNumberText(out, v, format); };

  out += "Хоризонталната и вертикална част на кръста образуват квадрат.";
  out += kNewLine;
  out += "Квадратът участва едновременно в хоризонталната и вертикалната лента на кръста.";
  out += kNewLine;
  out += "Съставя се квадратно уравнение за x - дебелина: ";
  out += kNewLine;

  number(s.a);
  out += "*x + ";
  number(s.b);
  out += "*x - x*x = ";
  number(s.a);
  out += '*';
  number(s.b);
  out += '*';
  number(s.k);
  out += kNewLine;

  out += "x*x - ";
  number(s.sum);
  out += "*x + ";
  number(s.product_term);
  out += " = 0";
  out += kNewLine;

  out += "Площ на флага: ";
  number(s.flag_area);
  out += kNewLine;
  out += "Площ на кръста: ";
  AppendThreeDecimals(out, s.cross_area, format);
  out += kNewLine;
  out += "Дебелина на кръста: ";
  AppendThreeDecimals(out, s.thickness, format);
  out += kNewLine;
  return out;
}

std::string ProblemBoxText(std::string_view length, std::string_view width, std::string_view percentage,
                           const NumberFormat& format) {
  const auto solution = SolveCross(length, width, percentage);
  return solution ? ComposeReport(*solution, format) : std::string(kErrorLine);
}

}  // namespace calc
