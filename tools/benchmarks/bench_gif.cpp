// GIF stages on the corpus: octree palette, lookup with diffusion, LZW
// coding, and the whole write (reduction, coding and file layout), with
// the LZW coder on a second thread and without. Times are wall-clock: the
// second thread's work counts only where it delays the result.
#include <benchmark/benchmark.h>

#include "corpus.h"
#include "gif/color_lookup.h"
#include "gif/color_reduction.h"
#include "gif/dither.h"
#include "gif/gif_image.h"
#include "gif/lzw_encoder.h"
#include "gif/octree_quantizer.h"

namespace tessory::bench {
namespace {

std::int64_t Pixels(const CaptureImage& image) {
  return static_cast<std::int64_t>(image.Width()) * image.Height();
}

void BM_OctreePalette(benchmark::State& state, const std::string& name) {
  const CaptureImage& source = CorpusImage(name);
  for (auto _ : state) benchmark::DoNotOptimize(BuildOctreePalette(source, 256, 8).data());
  state.SetItemsProcessed(state.iterations() * Pixels(source));
}

void BM_LookupAndDiffusion(benchmark::State& state, const std::string& name) {
  const CaptureImage& source = CorpusImage(name);
  const std::vector<PaletteColor> palette = BuildOctreePalette(source, 256, 8);
  IndexedImage result = AllocateIndexedImage(source.Width(), source.Height(), 0);
  for (auto _ : state) {
    TFastColorLookup lookup(palette);
    TFloydSteinbergDitherer ditherer(source.Width(), lookup);
    for (int y = 0; y < source.Height(); ++y) {
      const std::uint8_t* row =
          source.Rows().data() + source.Stride() * static_cast<std::size_t>(source.Height() - 1 - y);
      ditherer.DitherRow(row, result.Row(y));
    }
    benchmark::DoNotOptimize(result.pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * Pixels(source));
}

void BM_Lzw(benchmark::State& state, const std::string& name) {
  CaptureImage source = CorpusImage(name);
  const IndexedImage indexed = ReduceToPalette(source, 7, 1, 8);
  for (auto _ : state) {
    VectorSink sink;
    TLZWEncoder encoder;
    encoder.EncodeFrame(sink, 8, indexed.width, indexed.height, indexed.pixels, 256);
    benchmark::DoNotOptimize(sink.Bytes().data());
  }
  state.SetItemsProcessed(state.iterations() * Pixels(source));
}

void WholeGif(benchmark::State& state, const std::string& name, GifThreading threading) {
  const CaptureImage& source = CorpusImage(name);
  for (auto _ : state) {
    CaptureImage image = source;
    VectorSink sink;
    WriteCaptureGif(image, sink, threading);
    benchmark::DoNotOptimize(sink.Bytes().data());
  }
  state.SetItemsProcessed(state.iterations() * Pixels(source));
}

// As the program writes: LZW on a second thread where that pays.
void BM_WholeGif(benchmark::State& state, const std::string& name) {
  WholeGif(state, name, GifThreading::Automatic);
}

void BM_WholeGifSingleThread(benchmark::State& state, const std::string& name) {
  WholeGif(state, name, GifThreading::SingleThread);
}

void Register(const char* stage, void (*function)(benchmark::State&, const std::string&), const std::string& name) {
  benchmark::RegisterBenchmark((std::string(stage) + "/" + name).c_str(), function, name)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}

const bool registered = [] {
  for (const std::string& name : CorpusNames()) {
    Register("GifOctreePalette", BM_OctreePalette, name);
    Register("GifLookupAndDiffusion", BM_LookupAndDiffusion, name);
    Register("GifLzw", BM_Lzw, name);
    Register("GifWholeFile", BM_WholeGif, name);
    Register("GifWholeFileSingleThread", BM_WholeGifSingleThread, name);
  }
  return true;
}();

}  // namespace
}  // namespace tessory::bench

BENCHMARK_MAIN();
