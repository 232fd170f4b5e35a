// The problem box's text for the example, for a Bulgarian user, and for invalid input.
#include <benchmark/benchmark.h>

#include "calc/cross.h"
#include "tests/calc/formats.h"

namespace {

void BM_ReportExample(benchmark::State& state) {
  const calc::NumberFormat format;
  for (auto _ : state) benchmark::DoNotOptimize(calc::ProblemBoxText("37", "28", "50", format));
}
BENCHMARK(BM_ReportExample);

void BM_ReportExampleBulgarian(benchmark::State& state) {
  const calc::NumberFormat format = calc::testing::Bulgarian();
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

}  // namespace

namespace {

void BM_NumberToText(benchmark::State& state) {
  const calc::NumberFormat format;
  double value = 0.5;
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(calc::NumberToText(value, format));
  }
}
BENCHMARK(BM_NumberToText);

void BM_FormatThreeDecimals(benchmark::State& state) {
  const calc::NumberFormat format;
  double value = 9.2997844837596;
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(calc::FormatThreeDecimals(value, format));
  }
}
BENCHMARK(BM_FormatThreeDecimals);

}  // namespace
