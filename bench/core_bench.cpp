// The core's operations beside their C library peers, in one run.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "calc/calculation_run.h"
#include "calc/number_text.h"
#include "calc/unicode.h"

namespace ambrelix {
namespace {

constexpr NumberSeparators kDot{u'.', u','};

// Field-like texts: a few digits either side of the point, as typed.
std::vector<std::string> FieldTexts() {
  std::mt19937_64 rng(20261210);
  std::vector<std::string> texts;
  for (int i = 0; i < 1024; ++i) {
    const auto whole = rng() % 100000;
    const auto fraction = rng() % 1000;
    texts.push_back(std::to_string(whole) + "." + std::to_string(fraction));
  }
  return texts;
}

std::vector<Extended> Values() {
  std::mt19937_64 rng(42);
  std::uniform_real_distribution<double> d(-5000.0, 5000.0);
  std::vector<Extended> v;
  for (int i = 0; i < 1024; ++i) v.push_back(static_cast<Extended>(d(rng)) / 7);
  return v;
}

void BM_TextToNumber(benchmark::State& state) {
  std::vector<std::u16string> texts;
  for (const auto& t : FieldTexts()) texts.push_back(Utf8ToUtf16(t));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(TextToNumber(texts[i++ & 1023], kDot));
  }
}
BENCHMARK(BM_TextToNumber);

void BM_strtold(benchmark::State& state) {
  const auto texts = FieldTexts();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::strtold(texts[i++ & 1023].c_str(), nullptr));
  }
}
BENCHMARK(BM_strtold);

// A million digits of "1" (past the extended range after 4933 of them) or
// of "0" (never out of range): what one hostile field costs per digit.
std::string MillionDigits(const benchmark::State& state) {
  return std::string(std::size_t{1} << 20, state.range(0) == 1 ? '1' : '0');
}

void BM_TextToNumberMillionDigits(benchmark::State& state) {
  const std::u16string text = Utf8ToUtf16(MillionDigits(state));
  for (auto _ : state) {
    benchmark::DoNotOptimize(TextToNumberLenient(text, kDot));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_TextToNumberMillionDigits)->Arg(0)->Arg(1);

void BM_strtoldMillionDigits(benchmark::State& state) {
  const std::string text = MillionDigits(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::strtold(text.c_str(), nullptr));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_strtoldMillionDigits)->Arg(0)->Arg(1);

void BM_NumberToFixedText2(benchmark::State& state) {
  const auto values = Values();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(NumberToFixedText(values[i++ & 1023], 2, kDot));
  }
}
BENCHMARK(BM_NumberToFixedText2);

void BM_snprintf_2Lf(benchmark::State& state) {
  const auto values = Values();
  std::size_t i = 0;
  std::array<char, 64> buffer;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        std::snprintf(buffer.data(), buffer.size(), "%.2Lf", values[i++ & 1023]));
    benchmark::DoNotOptimize(std::string(buffer.data()));  // the core returns an owned text too
  }
}
BENCHMARK(BM_snprintf_2Lf);

CoilInputs DefaultCoil() {
  CoilInputs in;
  in.D = 80;
  in.P = TextToNumber(u"4.2", kDot);
  in.A = 101;
  in.OD = TextToNumber(u"3.2", kDot);
  in.ID = TextToNumber(u"1.2", kDot);
  in.t1 = 100;
  in.t2 = 120;
  in.withT1 = true;
  return in;
}

void BM_ComputeCoil(benchmark::State& state) {
  CoilInputs in = DefaultCoil();
  for (auto _ : state) {
    benchmark::DoNotOptimize(&in);
    benchmark::DoNotOptimize(ComputeCoil(in));
  }
}
BENCHMARK(BM_ComputeCoil);

// Texts in, every write out: what one press of "Calculate" costs the core.
void BM_WholeRun(benchmark::State& state) {
  const FixedSeparators dot(kDot);
  CalculationRequest request;
  request.mode = state.range(0) == 0 ? SolveMode::HeightGiven : SolveMode::TurnsGiven;
  request.texts = {u"80.000", u"4.200", u"101.000", u"23.290",
                   u"3.200",  u"1.200", u"100.000", u"120.000"};
  request.withT1 = true;
  for (auto _ : state) {
    benchmark::DoNotOptimize(RunCalculation(request, dot));
  }
}
BENCHMARK(BM_WholeRun)->Arg(0)->Arg(1);

}  // namespace
}  // namespace ambrelix
