// The problem box's text for the example, for a Bulgarian user, and for invalid input.
#include <benchmark/benchmark.h>

#include <string>

#include "calc/number_text.h"
#include "calc/report.h"
#include "tests/cases/cases.h"

namespace {

void BM_ReportExample(benchmark::State& state) {
  const calc::NumberFormat format;
  for (auto _ : state) benchmark::DoNotOptimize(calc::ProblemBoxText("37", "28", "50", format));
}
BENCHMARK(BM_ReportExample);

void BM_ReportExampleBulgarian(benchmark::State& state) {
  const calc::NumberFormat format = cases::Format("Bulgarian");
  for (auto _ : state) benchmark::DoNotOptimize(calc::ProblemBoxText("37", "28", "50", format));
}
BENCHMARK(BM_ReportExampleBulgarian);

void BM_InvalidInput(benchmark::State& state) {
  const calc::NumberFormat format;
  for (auto _ : state) benchmark::DoNotOptimize(calc::ProblemBoxText("37", "28", "110", format));
}
BENCHMARK(BM_InvalidInput);

void BM_SolveOnly(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(calc::SolveCross("37", "28", "50"));
}
BENCHMARK(BM_SolveOnly);

// One number writer on its own: NumberToText or FormatThreeDecimals.
void BM_Writer(benchmark::State& state, std::string (*writer)(double, const calc::NumberFormat&), double value) {
  const calc::NumberFormat format;
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(writer(value, format));
  }
}
BENCHMARK_CAPTURE(BM_Writer, NumberToText, calc::NumberToText, 0.5);
BENCHMARK_CAPTURE(BM_Writer, FormatThreeDecimals, calc::FormatThreeDecimals, 9.2997844837596);

}  // namespace
