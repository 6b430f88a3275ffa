// BMP writer and depth conversions on the corpus.
#include <benchmark/benchmark.h>

#include "corpus.h"
#include "imaging/bmp_writer.h"
#include "imaging/pixel_formats.h"

namespace tessory::bench {
namespace {

void BM_ConvertPixelDepth(benchmark::State& state, const std::string& name, int bits) {
  const CaptureImage& source = CorpusImage(name);
  for (auto _ : state) {
    CaptureImage image = source;
    ConvertPixelDepth(image, bits);
    benchmark::DoNotOptimize(image.Rows().data());
  }
  state.SetItemsProcessed(state.iterations() * source.Width() * source.Height());
}

void BM_WriteBmp(benchmark::State& state, const std::string& name, int bits) {
  CaptureImage image = CorpusImage(name);
  ConvertPixelDepth(image, bits);
  for (auto _ : state) {
    VectorSink sink;
    WriteBmp(image, sink);
    benchmark::DoNotOptimize(sink.Bytes().data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(image.Rows().size()));
}

const bool registered = [] {
  for (const char* name : {"b-desktop-ui-1920x1080", "c-photo-1920x1080"}) {
    for (int bits : {8, 16, 32}) {
      benchmark::RegisterBenchmark(("ConvertPixelDepth/" + std::string(name) + "/" + std::to_string(bits)).c_str(),
                                   BM_ConvertPixelDepth, std::string(name), bits)
          ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark(("WriteBmp/" + std::string(name) + "/24").c_str(), BM_WriteBmp, std::string(name), 24)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
}  // namespace tessory::bench

BENCHMARK_MAIN();
