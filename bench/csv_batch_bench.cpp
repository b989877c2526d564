// The what-if table engine over an in-memory table, beside what it is built
// from: the core's calculation runs alone (the floor the CSV side adds to),
// and a C library rendering of the same rows (strtold and "%.2Lf").
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cli/batch.h"
#include "app/cli/byte_streams.h"
#include "calc/calculation_run.h"
#include "calc/unicode.h"

namespace ambrelix::cli {
namespace {

constexpr int kRows = 100000;

struct Row {
  bool height;
  std::string D, P, AorN, OD, ID, t1, t2;
  bool tail1, tail2;
};

// Coils a user might tabulate: both modes, tails on and off, two decimals.
std::vector<Row> Rows() {
  std::vector<Row> rows;
  unsigned seed = 12345;
  auto next = [&](unsigned lo, unsigned hi) {
    seed = seed * 1103515245u + 12345u;
    const unsigned hundredths = lo * 100 + (seed >> 8) % ((hi - lo) * 100);
    return std::to_string(hundredths / 100) + "." + std::to_string(hundredths / 10 % 10) +
           std::to_string(hundredths % 10);
  };
  for (int i = 0; i < kRows; ++i) {
    const bool height = i % 2 == 0;
    rows.push_back({height, next(20, 400), next(3, 9), height ? next(50, 900) : next(1, 80),
                    next(1, 3), "1.2", next(0, 300), next(0, 300), i % 3 == 0, i % 5 == 0});
  }
  return rows;
}

const std::string& Table() {
  static const std::string table = [] {
    std::string csv = "mode,D,P,A,n,OD,ID,t1,t2,tail1,tail2\n";
    for (const Row& r : Rows()) {
      csv += r.height ? "height," : "turns,";
      csv += r.D + "," + r.P + "," + (r.height ? r.AorN + ",," : "," + r.AorN + ",") + r.OD + "," +
             r.ID + "," + r.t1 + "," + r.t2 + (r.tail1 ? ",1" : ",0") + (r.tail2 ? ",1\n" : ",0\n");
    }
    return csv;
  }();
  return table;
}

class CountingSink final : public ByteSink {
 public:
  void Write(std::string_view bytes) override { count += bytes.size(); }
  std::size_t count = 0;
};

void BM_CsvBatch(benchmark::State& state) {
  const std::string& table = Table();
  const BatchOptions options{{}, static_cast<unsigned>(state.range(0))};
  for (auto _ : state) {
    MemorySource input(table);
    CountingSink output;
    if (RunBatch(input, output, options)) state.SkipWithError("malformed table");
    benchmark::DoNotOptimize(output.count);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(table.size()));
}
// Argument: worker threads (0: everything on the calling thread).
BENCHMARK(BM_CsvBatch)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CalculationRunsOnly(benchmark::State& state) {
  struct Wide {
    std::u16string D, P, AorN, OD, ID, t1, t2;
  };
  std::vector<Row> rows = Rows();
  std::vector<Wide> wide;
  for (const Row& r : rows)
    wide.push_back({Utf8ToUtf16(r.D), Utf8ToUtf16(r.P), Utf8ToUtf16(r.AorN), Utf8ToUtf16(r.OD),
                    Utf8ToUtf16(r.ID), Utf8ToUtf16(r.t1), Utf8ToUtf16(r.t2)});
  const FixedSeparators separators;
  CalculationRequest request;  // its texts' buffers are reused row after row
  for (auto _ : state) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      request.mode = rows[i].height ? SolveMode::HeightGiven : SolveMode::TurnsGiven;
      request.text(RunInput::D) = wide[i].D;
      request.text(RunInput::P) = wide[i].P;
      request.text(rows[i].height ? RunInput::A : RunInput::n) = wide[i].AorN;
      request.text(RunInput::OD) = wide[i].OD;
      request.text(RunInput::ID) = wide[i].ID;
      request.text(RunInput::t1) = wide[i].t1;
      request.text(RunInput::t2) = wide[i].t2;
      request.withT1 = rows[i].tail1;
      request.withT2 = rows[i].tail2;
      benchmark::DoNotOptimize(RunCalculation(request, separators));
    }
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_CalculationRunsOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// Not the calculator's arithmetic or rounding: only the cost of reading the
// seven fields and writing eight results with the C library.
void BM_LibcReadAndFormat(benchmark::State& state) {
  const std::vector<Row> rows = Rows();
  char text[64];
  for (auto _ : state) {
    for (const Row& r : rows) {
      long double sum = 0;
      for (const std::string* f : {&r.D, &r.P, &r.AorN, &r.OD, &r.ID, &r.t1, &r.t2})
        sum += std::strtold(f->c_str(), nullptr);
      for (int k = 0; k < 8; ++k)
        benchmark::DoNotOptimize(std::snprintf(text, sizeof text, "%.2Lf", sum + k));
    }
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_LibcReadAndFormat)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace ambrelix::cli

BENCHMARK_MAIN();
