// The problem box's text: ComposeReport turns a solution into the eight-line
// worked solution in Bulgarian; ProblemBoxText goes from the three input texts to
// that report or the error line. Every front end calls ProblemBoxText.
#pragma once

#include <string>
#include <string_view>

#include "calc/number_format.h"
#include "calc/solver.h"

namespace calc {

// What the problem box shows when the input cannot be solved.
inline constexpr std::string_view kErrorLine = "Некоректни входни данни!";

// The eight lines of the worked solution, each ending in CR LF.
std::string ComposeReport(const CrossSolution& solution, const NumberFormat& format);

// The error line or the report.
std::string ProblemBoxText(std::string_view length, std::string_view width, std::string_view percentage,
                           const NumberFormat& format);

}  // namespace calc
