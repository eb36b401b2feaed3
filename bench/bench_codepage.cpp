#include <benchmark/benchmark.h>

#include <string>

#include "kmCodePage.h"

namespace {

// Converting page text to the ANSI code page happens for every text item.
void BM_WideToAnsi(benchmark::State& state) {
  std::u16string text;
  for (int i = 0; i < state.range(0); ++i) text += static_cast<char16_t>(u'A' + i % 26);
  text += u"\u20AC\u00E4";
  for (auto _ : state) benchmark::DoNotOptimize(km::WideToAnsi(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_WideToAnsi)->Arg(64)->Arg(4096);

}  // namespace
