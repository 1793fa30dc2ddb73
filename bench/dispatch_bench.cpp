// Dispatch of a comment line: expansion, splitting and the table lookup, on the fake platform.
#include <benchmark/benchmark.h>

#include "fake/harness.h"
#include "interpreter/dispatcher.h"

namespace {

void BM_DispatchRemLine(benchmark::State& state) {
  qrx::test::Instance q;
  q.Start(u"C:\\bench\\QRX_CORE.INI");
  const std::u16string line = u"REM the comment that a command file would carry";
  for (auto _ : state) {
    qrx::RunCommandLine(q.ctx, line);
  }
}
BENCHMARK(BM_DispatchRemLine);

}  // namespace
