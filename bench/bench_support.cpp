#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "kmFilters3.h"
#include "kmMD5.h"
#include "kmNumFormat.h"
#include "kmStreams.h"

namespace {

// Page-content-like bytes: compressible but not trivially so.
std::unique_ptr<km::TMemoryStream> ContentStream(std::int64_t size) {
  auto s = std::make_unique<km::TMemoryStream>();
  std::uint32_t x = 1;
  while (s->GetSize() < size) {
    x = x * 1103515245u + 12345u;
    s->WriteString(std::to_string((x >> 16) % 600) + ".2500 " + std::to_string((x >> 8) % 800) + ".7500 l\r\n");
  }
  s->SetSize(size);
  return s;
}

// Every image of a document is hashed to find repeats.
void BM_MD5(benchmark::State& state) {
  auto data = ContentStream(state.range(0));
  km::TkmMD5 md5;
  for (auto _ : state) benchmark::DoNotOptimize(md5.GetHash(*data));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MD5)->Arg(4096)->Arg(1 << 20);

// Page contents, images and font files are compressed at one of the levels.
void BM_FlateEncode(benchmark::State& state) {
  auto data = ContentStream(1 << 20);
  auto level = static_cast<km::TCompressionLevel>(state.range(0));
  km::TkmFlateFilter filter;
  for (auto _ : state) benchmark::DoNotOptimize(filter.Encode(*data, level));
  state.SetBytesProcessed(state.iterations() * data->GetSize());
}
BENCHMARK(BM_FlateEncode)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_FlateDecode(benchmark::State& state) {
  auto data = ContentStream(1 << 20);
  km::TkmFlateFilter filter;
  auto encoded = filter.Encode(*data, km::TCompressionLevel::clDefault);
  for (auto _ : state) benchmark::DoNotOptimize(filter.Decode(*encoded));
  state.SetBytesProcessed(state.iterations() * data->GetSize());
}
BENCHMARK(BM_FlateDecode)->Unit(benchmark::kMillisecond);

// Every coordinate of a page's content is written with four decimals.
void BM_FormatFixed(benchmark::State& state) {
  double v = 0.1234;
  for (auto _ : state) {
    benchmark::DoNotOptimize(km::FormatFixed(v, 4));
    v += 1.37;
  }
}
BENCHMARK(BM_FormatFixed);

}  // namespace
