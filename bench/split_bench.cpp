#include <benchmark/benchmark.h>

#include <string>

#include "interpreter/split.h"

namespace {

// A typed line of 200 characters: a command word, a quoted path with spaces and operands.
std::u16string TypicalLine() {
  std::u16string line = u"RUN \"C:\\Program Files\\Some Editor\\editor.exe\" -n ";
  int i = 0;
  while (line.size() < 200) {
    line += u"arg" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) + u" ";
    ++i;
  }
  line.resize(200);
  return line;
}

void BM_SplitArguments(benchmark::State& state) {
  const std::u16string line = TypicalLine();
  const auto n = static_cast<int16_t>(state.range(0));
  for (auto _ : state) {
    auto fields = qrx::SplitArguments(line, n);
    benchmark::DoNotOptimize(fields);
  }
}
BENCHMARK(BM_SplitArguments)->Arg(1)->Arg(3);

}  // namespace
